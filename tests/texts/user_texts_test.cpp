#include "texts/user_texts.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace trevalon {
namespace {

constexpr int kCount = static_cast<int>(Txt::Count);
constexpr Language kLanguages[] = {Language::English, Language::Korean, Language::Japanese};

std::vector<Txt> AllTexts() {
  std::vector<Txt> ids;
  for (int i = 0; i < kCount; ++i) ids.push_back(static_cast<Txt>(i));
  return ids;
}

// The printf conversions of a text in order ("%d", "%.2f", "%%", and a stray "%)" as it is).
std::vector<std::string> Conversions(std::string_view s) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') continue;
    std::size_t j = i + 1;
    while (j < s.size() && std::strchr("-+ #0", s[j]) != nullptr) ++j;
    while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
    while (j < s.size() && std::strchr("hlLqjzt", s[j]) != nullptr) ++j;
    if (j < s.size()) ++j;  // the conversion character itself
    out.emplace_back(s.substr(i, j - i));
    i = j - 1;
  }
  return out;
}

// The layout that must not change between languages: the blanks at both ends of every line
// and the line breaks between the lines, e.g. " | " + "\n" + " |" for " a. \n b".
std::string Layout(std::string_view s) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = s.find('\n', start);
    std::string_view line = s.substr(start, end == std::string_view::npos ? s.npos : end - start);
    std::string_view lineBreak = "";
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      lineBreak = "\r\n";
    } else if (end != std::string_view::npos) {
      lineBreak = "\n";
    }
    const std::size_t lead = line.find_first_not_of(" \t");
    if (lead == std::string_view::npos) {
      out += std::string(line) + "|";
    } else {
      const std::size_t trail = line.find_last_not_of(" \t") + 1;
      out += std::string(line.substr(0, lead)) + "|" + std::string(line.substr(trail));
    }
    out += lineBreak;
    if (end == std::string_view::npos) return out;
    start = end + 1;
  }
}

// Decodes UTF-8; false for malformed text. Code points are appended to `cps`.
bool DecodeUtf8(std::string_view s, std::vector<char32_t>& cps) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int extra = b < 0x80           ? 0
                      : (b >> 5) == 0x06 ? 1
                      : (b >> 4) == 0x0E ? 2
                      : (b >> 3) == 0x1E ? 3
                                         : -1;
    if (extra < 0 || s.size() - i <= static_cast<std::size_t>(extra)) return false;
    char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    cps.push_back(cp);
    i += 1 + extra;
  }
  return true;
}

bool HasHangul(std::string_view s) {
  std::vector<char32_t> cps;
  DecodeUtf8(s, cps);
  for (char32_t c : cps) {
    if ((c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) ||
        (c >= 0x3130 && c <= 0x318F))
      return true;
  }
  return false;
}

bool HasJapanese(std::string_view s) {  // kana or CJK ideographs
  std::vector<char32_t> cps;
  DecodeUtf8(s, cps);
  for (char32_t c : cps) {
    if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF)) return true;
  }
  return false;
}

TEST(UserTexts, EveryEntryHasWellFormedTextInAllThreeLanguages) {
  for (Txt id : AllTexts()) {
    for (Language lang : kLanguages) {
      const char* text = UserText(id, lang);
      ASSERT_NE(text, nullptr) << TxtName(id);
      EXPECT_GT(std::strlen(text), 0u) << TxtName(id);
      std::vector<char32_t> cps;
      EXPECT_TRUE(DecodeUtf8(text, cps)) << TxtName(id) << " is not valid UTF-8";
    }
  }
}

TEST(UserTexts, TranslationsKeepConversionsBlanksAndLineBreaks) {
  for (Txt id : AllTexts()) {
    const char* en = UserText(id, Language::English);
    for (Language lang : {Language::Korean, Language::Japanese}) {
      const char* other = UserText(id, lang);
      EXPECT_EQ(Conversions(en), Conversions(other)) << TxtName(id);
      EXPECT_EQ(Layout(en), Layout(other)) << TxtName(id);
    }
  }
}

TEST(UserTexts, KoreanOnlyMessagesStayKoreanInEnglishAndGetJapaneseWording) {
  int koreanOnly = 0;
  for (Txt id : AllTexts()) {
    const std::string en = UserText(id, Language::English);
    const std::string ja = UserText(id, Language::Japanese);
    EXPECT_FALSE(HasHangul(ja)) << TxtName(id) << ": Korean left in the Japanese table";
    if (!HasHangul(en)) continue;
    ++koreanOnly;
    EXPECT_EQ(en, UserText(id, Language::Korean)) << TxtName(id);
    EXPECT_TRUE(HasJapanese(ja)) << TxtName(id);
  }
  EXPECT_GE(koreanOnly, 10);
}

TEST(UserTexts, SystemTextsAreExact) {
  EXPECT_STREQ(UserText(Txt::CannotOpenFile, Language::English), " Can not open file !!.\n");
  EXPECT_STREQ(UserText(Txt::ErrorMessage, Language::English), "Error message");
  EXPECT_STREQ(UserText(Txt::KorvoMessage, Language::English), "Korvo message");
  EXPECT_STREQ(UserText(Txt::OptimizerMessage, Language::English), "Optimizer message");
  EXPECT_STREQ(UserText(Txt::HelpPrefix, Language::English), "Help: ");
  EXPECT_STREQ(UserText(Txt::NotExistMasterModel, Language::English),
               " Not exist master model.\r\n Create or load master model");
  EXPECT_STREQ(UserText(Txt::LayerToolMismatch, Language::Korean),
               " Source layer와 target layer의 공구가 같지않습니다. \n 작업을 진행하겠습니까!!!");
  EXPECT_STREQ(UserText(Txt::EnterValue, Language::English), "값을   입력하시요 !!");
  EXPECT_STREQ(UserText(Txt::ProcessingProgress, Language::Japanese), " %s(%.2f%).");
  EXPECT_STREQ(UserText(Txt::All, Language::Korean), " All ");
  EXPECT_STREQ(UserText(Txt::Mesh10x10, Language::Japanese), " 10X10 Mesh ");

  const std::string ja = UserText(Txt::NotExistMasterModel, Language::Japanese);
  EXPECT_TRUE(HasJapanese(ja));
  EXPECT_NE(ja.find("\r\n"), std::string::npos);
}

// A condition file is read by skipping one token before each value, so every label is one
// token ending in a single blank; the Japanese labels are fixed so that files written under
// one language read under any other.
TEST(UserTexts, ConditionFileLabelsAreSingleTokens) {
  const Txt labels[] = {Txt::LmxToolDiameter,   Txt::LmxSafetyDistance,
                        Txt::LmxCornerMinAngle, Txt::LmxCornerMaxReduction,
                        Txt::LmxSlopeMinAngle,  Txt::LmxSlopeMaxReduction,
                        Txt::LmxMaxFeed,        Txt::LmxMaterial};
  const char* japanese[] = {"工具直径 ",           "安全距離 ",     "コーナー最小角度 ",
                            "コーナー最大減速比 ", "傾斜最小角度 ", "傾斜最大減速比 ",
                            "最大Feed ",           "加工素材 "};
  for (std::size_t i = 0; i < std::size(labels); ++i) {
    EXPECT_STREQ(UserText(labels[i], Language::Japanese), japanese[i]);
    for (Language lang : kLanguages) {
      const std::string text = UserText(labels[i], lang);
      EXPECT_EQ(text.find(' '), text.size() - 1) << TxtName(labels[i]);
    }
  }
  EXPECT_STREQ(UserText(Txt::LmxToolDiameter, Language::English), "공구직경 ");
}

TEST(UserTexts, UnknownIdOrLanguageNeverGivesNull) {
  EXPECT_STREQ(UserText(Txt::Count, Language::English), "");
  EXPECT_STREQ(UserText(static_cast<Txt>(-1), Language::Korean), "");
  EXPECT_STREQ(TxtName(Txt::Count), "");
  EXPECT_STREQ(TxtName(static_cast<Txt>(-7)), "");
  EXPECT_STREQ(UserText(Txt::ErrorMessage, static_cast<Language>(0)), "Error message");
  EXPECT_STREQ(UserText(Txt::ErrorMessage, static_cast<Language>(42)), "Error message");
}

TEST(UserTexts, NamesAreUniqueAndFindTxtRoundTrips) {
  std::set<std::string> seen;
  for (Txt id : AllTexts()) {
    std::string lower = TxtName(id);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(lower).second) << "duplicate name " << TxtName(id);

    Txt found = Txt::Count;
    EXPECT_TRUE(FindTxt(TxtName(id), found));
    EXPECT_EQ(found, id);
    found = Txt::Count;
    EXPECT_TRUE(FindTxt(lower, found));
    EXPECT_EQ(found, id);
    found = Txt::Count;
    EXPECT_TRUE(FindTxt(std::to_string(static_cast<int>(id)), found));
    EXPECT_EQ(found, id);
  }
  EXPECT_STREQ(TxtName(Txt::CannotOpenFile), "CannotOpenFile");
}

TEST(UserTexts, FindTxtRejectsWhatIsNotAnEntry) {
  const std::string outOfRange = std::to_string(kCount);
  for (std::string_view bad :
       {std::string_view(""), std::string_view("Count"), std::string_view("-1"),
        std::string_view("+1"), std::string_view("1x"), std::string_view(" 1"),
        std::string_view("CannotOpenFil"), std::string_view(outOfRange),
        std::string_view("99999999999999999999999999")}) {
    Txt out = Txt::KorvoMessage;
    EXPECT_FALSE(FindTxt(bad, out)) << "'" << bad << "'";
    EXPECT_EQ(out, Txt::KorvoMessage);
  }
}

}  // namespace
}  // namespace trevalon
