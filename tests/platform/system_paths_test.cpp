// Paths as the system takes them: the UTF-8 / UTF-16 conversion that carries every path to
// the Windows wide calls (pure, so tested here), and the folders the environment chooses.

#include "platform/system_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

namespace trevalon {
namespace {

struct Good {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

TEST(SystemPaths, Utf8AndUtf16CarryEveryNameBothWays) {
  const Good table[] = {
      {"empty", "", u""},
      {"ascii path", "C:\\NC\\prog 1.nc", u"C:\\NC\\prog 1.nc"},
      {"two-byte (Latin)", "Fr\xC3\xA4ser.nc", u"Fr\u00E4ser.nc"},
      {"three-byte (Korean)", "\xEA\xB0\x80\xEA\xB3\xB5.nc", u"\uAC00\uACF5.nc"},
      {"three-byte (Japanese)", "\xE5\x8A\xA0\xE5\xB7\xA5", u"\u52A0\u5DE5"},
      {"four-byte: a surrogate pair", "a\xF0\x9F\x94\xA7z", u"a\U0001F527z"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"edges of each length", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80",
       u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000"},
      {"last before the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
      {"first after the surrogates", "\xEE\x80\x80", u"\uE000"},
  };
  for (const Good& g : table) {
    std::u16string wide;
    EXPECT_TRUE(Utf16FromUtf8(g.utf8, wide)) << g.name;
    EXPECT_EQ(wide, g.utf16) << g.name;
    std::string back;
    EXPECT_TRUE(Utf8FromUtf16(g.utf16, back)) << g.name;
    EXPECT_EQ(back, g.utf8) << g.name;
  }
}

TEST(SystemPaths, BytesThatAreNotUtf8AreRefusedNotGuessed) {
  const struct {
    const char* name;
    std::string bytes;
  } table[] = {
      {"a stray continuation byte", "a\x80z"},
      {"a lead byte at the end", "abc\xC3"},
      {"a cut three-byte sequence", "\xE5\x8A"},
      {"a lead byte followed by ASCII",
       "\xE5"
       "a"
       "b"},
      {"overlong slash (a path trick)", "..\xC0\xAF"},
      {"overlong three-byte", "\xE0\x80\xAF"},
      {"overlong four-byte", "\xF0\x80\x80\xAF"},
      {"an encoded surrogate", "\xED\xA0\x80"},
      {"above U+10FFFF", "\xF4\x90\x80\x80"},
      {"a five-byte lead", "\xF8\x88\x80\x80\x80"},
      {"0xFF", "\xFF"},
      {"Latin-1 as the local code page would write it", "Fr\xE4ser.nc"},
  };
  for (const auto& t : table) {
    std::u16string wide = u"left over";
    EXPECT_FALSE(Utf16FromUtf8(t.bytes, wide)) << t.name;
    EXPECT_TRUE(wide.empty()) << t.name;
  }
  const struct {
    const char* name;
    std::u16string units;
  } lone[] = {
      {"a high surrogate at the end", u"a\xD800"},
      {"a high surrogate before a letter", std::u16string(u"\xD83D") + u"x"},
      {"a low surrogate alone", u"\xDC00"},
      {"two high surrogates", u"\xD800\xD800"},
  };
  for (const auto& t : lone) {
    std::string narrow = "left over";
    EXPECT_FALSE(Utf8FromUtf16(t.units, narrow)) << t.name;
    EXPECT_TRUE(narrow.empty()) << t.name;
  }
}

#ifndef _WIN32
// The POSIX folders stay what they were before the platform layer chose them.
TEST(SystemPaths, PosixFoldersFromTheEnvironment) {
  std::map<std::string, std::optional<std::string>> saved;
  const char* names[] = {"HOME", "XDG_CONFIG_HOME", "VISUAL", "EDITOR"};
  for (const char* n : names)
    if (const char* v = std::getenv(n); v) saved[n] = v;
  setenv("HOME", "/home/nc", 1);
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(HomeFolder(), "/home/nc");
  EXPECT_EQ(ConfigurationFolder(), "/home/nc/.config/trevalon");
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(ConfigurationFolder(), "/cfg/trevalon");
  unsetenv("HOME");
  EXPECT_EQ(HomeFolder(), "/tmp");
  unsetenv("VISUAL");
  unsetenv("EDITOR");
  EXPECT_EQ(DefaultEditor(), "xdg-open");
  setenv("EDITOR", "vi", 1);
  EXPECT_EQ(DefaultEditor(), "vi");
  setenv("VISUAL", "nano", 1);
  EXPECT_EQ(DefaultEditor(), "nano");
  EXPECT_EQ(EnvironmentValue("VISUAL"), "nano");
  for (const char* n : names) saved[n] ? setenv(n, saved[n]->c_str(), 1) : unsetenv(n);
}
#endif

}  // namespace
}  // namespace trevalon
