#include "texts/user_texts.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ncio/data_cases.h"
#include "platform/system_paths.h"

namespace trevalon {
namespace {

constexpr int kCount = static_cast<int>(Txt::Count);
constexpr Language kLanguages[] = {Language::English, Language::Korean, Language::Japanese};

// The printf conversions of a text in order ("%d", "%.2f", "%%", and a stray "%)" as it is).
std::vector<std::string> Conversions(std::string_view s) {
  std::vector<std::string> out;
  for (std::size_t i = s.find('%'); i != s.npos; i = s.find('%', i)) {
    std::size_t j = s.find_first_not_of("-+ #0123456789.hlLqjzt", i + 1);
    j = j == s.npos ? s.size() : j + 1;  // with the conversion character itself
    out.emplace_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

// What must not change between languages: the blanks at both ends of every line and the
// line breaks, e.g. " |" + " \n" + " |" for " a. \n b" (a line of blanks is kept whole).
std::string Layout(std::string_view s) {
  std::string out;
  for (std::size_t start = 0;;) {
    const std::size_t end = s.find('\n', start);
    std::string_view line = s.substr(start, end == s.npos ? s.npos : end - start);
    const std::size_t lead = line.find_first_not_of(" \t\r");
    const std::size_t trail = line.find_last_not_of(" \t\r") + 1;
    out += lead == line.npos
               ? std::string(line) + "|"
               : std::string(line.substr(0, lead)) + "|" + std::string(line.substr(trail));
    if (end == s.npos) return out;
    out += '\n';
    start = end + 1;
  }
}

// Whether the text (valid UTF-8 read as UTF-16 units) holds a character of the ranges.
bool Has(std::string_view s, std::initializer_list<std::pair<char16_t, char16_t>> ranges) {
  std::u16string units;
  Utf16FromUtf8(std::string(s), units);
  for (char16_t c : units)
    for (auto [lo, hi] : ranges)
      if (c >= lo && c <= hi) return true;
  return false;
}
bool HasHangul(std::string_view s) {
  return Has(s, {{0xAC00, 0xD7A3}, {0x1100, 0x11FF}, {0x3130, 0x318F}});
}
bool HasJapanese(std::string_view s) {
  return Has(s, {{0x3040, 0x30FF}, {0x4E00, 0x9FFF}});
}

// Every entry is well-formed text in all three languages, and the translations keep the
// conversions, the blanks and line breaks; a message left Korean in English is Korean there
// too and Japanese in Japanese; no Korean is left in the Japanese table.
TEST(UserTexts, EveryEntryInAllThreeLanguages) {
  int koreanOnly = 0;
  for (int i = 0; i < kCount; ++i) {
    const Txt id = static_cast<Txt>(i);
    SCOPED_TRACE(TxtName(id));
    for (Language lang : kLanguages) {
      const char* text = UserText(id, lang);
      ASSERT_NE(text, nullptr);
      EXPECT_GT(std::strlen(text), 0u);
      std::u16string units;
      EXPECT_TRUE(Utf16FromUtf8(text, units)) << "not valid UTF-8";
      EXPECT_EQ(Conversions(UserText(id, Language::English)), Conversions(text));
      EXPECT_EQ(Layout(UserText(id, Language::English)), Layout(text));
    }
    const std::string en = UserText(id, Language::English), ja = UserText(id, Language::Japanese);
    EXPECT_FALSE(HasHangul(ja));
    if (!HasHangul(en)) continue;
    ++koreanOnly;
    EXPECT_EQ(en, UserText(id, Language::Korean));
    EXPECT_TRUE(HasJapanese(ja));
  }
  EXPECT_GE(koreanOnly, 10);
}

// Texts that users and files see byte for byte, and the condition-file labels.
TEST(UserTexts, QuotedTextsAreExact) {
  const std::pair<const char*, Language> keys[] = {{"english", Language::English},
                                                   {"korean", Language::Korean},
                                                   {"japanese", Language::Japanese}};
  for (const testing::DataCase& c : testing::ReadCases("texts/quoted_texts.txt")) {
    const auto trace = c.Trace();
    Txt id = Txt::Count;
    ASSERT_TRUE(FindTxt(c["text"], id));
    for (const auto& [key, lang] : keys) {
      if (c.fields.count(key)) {
        EXPECT_EQ(UserText(id, lang), c.at(key)) << key;
      }
    }
    for (Language lang : kLanguages) {
      const std::string text = UserText(id, lang);
      if (c.Int("label")) {
        EXPECT_EQ(text.find(' '), text.size() - 1);
      }
    }
  }
  EXPECT_TRUE(HasJapanese(UserText(Txt::NotExistMasterModel, Language::Japanese)));
}

TEST(UserTexts, NamesNumbersAndWhatIsNoEntry) {
  std::set<std::string> seen;
  for (int i = 0; i < kCount; ++i) {
    const Txt id = static_cast<Txt>(i);
    std::string lower = TxtName(id);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(lower).second) << "duplicate name " << TxtName(id);
    for (const std::string& name : {std::string(TxtName(id)), lower, std::to_string(i)}) {
      Txt found = Txt::Count;
      EXPECT_TRUE(FindTxt(name, found));
      EXPECT_EQ(found, id) << name;
    }
  }
  EXPECT_STREQ(TxtName(Txt::CannotOpenFile), "CannotOpenFile");
  const std::string outOfRange = std::to_string(kCount);
  for (std::string bad : {"", "Count", "-1", "+1", "1x", " 1", "CannotOpenFil", outOfRange.c_str(),
                          "99999999999999999999999999"}) {
    Txt out = Txt::KorvoMessage;
    EXPECT_FALSE(FindTxt(bad, out)) << "'" << bad << "'";
    EXPECT_EQ(out, Txt::KorvoMessage);
  }
  // An unknown id or language never gives null.
  EXPECT_STREQ(UserText(Txt::Count, Language::English), "");
  EXPECT_STREQ(UserText(static_cast<Txt>(-1), Language::Korean), "");
  EXPECT_STREQ(TxtName(static_cast<Txt>(-7)), "");
  EXPECT_STREQ(UserText(Txt::ErrorMessage, static_cast<Language>(0)), "Error message");
  EXPECT_STREQ(UserText(Txt::ErrorMessage, static_cast<Language>(42)), "Error message");
}

}  // namespace
}  // namespace trevalon
