#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>

#include "app/application.h"
#include "platform/file_io.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::ReadAll;

TEST(Settings, FileReadWithoutCaseLaterLinesWinAndWrittenAsEightLines) {
  testing::TempDir dir;
  // A missing file is created empty and the defaults stay.
  AppSettings s = DefaultSettings();
  ASSERT_EQ(ReadSettingsFile(dir.file("sub/korvo.cfg"), s), 1);
  EXPECT_EQ(ReadAll(dir.file("sub/korvo.cfg")), "");
  EXPECT_EQ(s.fileExt, DefaultSettings().fileExt);

  const std::string path = dir.file("korvo.cfg");
  std::ofstream(path, std::ios::binary)
      << "workdir /a \r\nBogus x\nWORKDIR /b\nPostDir /p CrossCursorChk 1 Editor";
  bool workDirRead = false;
  ASSERT_EQ(ReadSettingsFile(path, s, &workDirRead), 1);
  EXPECT_TRUE(workDirRead);
  EXPECT_EQ(s.workDir, "/b");
  EXPECT_EQ(s.postDir, "/p");
  EXPECT_EQ(s.crossCursorChk, 1);
  EXPECT_EQ(s.editor, DefaultSettings().editor);  // a key without a value is ignored

  s = {"/c", "/w", "/p", "vi", "*.nc", "/h", "/t", 1};
  ASSERT_EQ(WriteSettingsFile(path, s), 1);
  EXPECT_EQ(ReadAll(path),
            "ConfigDir /c \nWorkDir /w \nPostDir /p \nEditor vi \nFileExt *.nc \n"
            "HelpFileName /h \nTrainingHelpName /t \nCrossCursorChk 1 \n");
  AppSettings back = DefaultSettings();
  ReadSettingsFile(path, back);
  EXPECT_EQ(back.trainingHelpName, "/t");
  EXPECT_EQ(back.crossCursorChk, 1);

  // Arbitrary bytes do not break the reader.
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  std::ofstream(path, std::ios::binary) << junk << '\0' << "CrossCursorChk 99999999999999999999";
  EXPECT_EQ(ReadSettingsFile(path, back), 1);
}

TEST(Settings, UnwritableFileShowsTheFileErrorButTheValuesApply) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.path() / "korvo.cfg");  // a directory: cannot write
  HeadlessPlatform platform;
  CApplication app(platform);
  ASSERT_EQ(testing::StartInTempDir(app, dir), 1);
  AppSettings s = app.settings;
  s.editor = "nano";
  EXPECT_EQ(app.ApplySettings(s), 0);
  EXPECT_EQ(platform.lastCaption, "Error message");
  EXPECT_EQ(platform.lastMessage, " Can not open file !!.\n");
  EXPECT_EQ(app.settings.editor, "nano");
}

TEST(Settings, LanguageAndSystemDirectoryFromTheEnvironment) {
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* n : {"LC_ALL", "LC_MESSAGES", "LANG", "TREVALON_SYSDIR"})
    if (const char* v = std::getenv(n); v) saved[n] = v;
  unsetenv("LC_ALL");
  setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
  setenv("LANG", "ko_KR.UTF-8", 1);
  EXPECT_EQ(LanguageFromEnvironment(), Language::Japanese);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(LanguageFromEnvironment(), Language::English);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  EXPECT_EQ(LanguageFromEnvironment(), Language::Korean);
  setenv("TREVALON_SYSDIR", "/from-env", 1);
  EXPECT_EQ(SystemDirectory(""), "/from-env");
  EXPECT_EQ(SystemDirectory("/x"), "/x");
  for (const char* n : {"LC_ALL", "LC_MESSAGES", "LANG", "TREVALON_SYSDIR"})
    saved[n] ? setenv(n, saved[n]->c_str(), 1) : unsetenv(n);
}

TEST(FileIo, NothingHalfWrittenReplacesAFile) {
  testing::TempDir dir;
  std::string path = dir.file("prog.nc");
  ASSERT_EQ(WriteFileReplacing(path, "good\n"), 1);
  {
    ReplacingFile f;
    ASSERT_EQ(f.Open(path), 1);
    f.Write("half");  // destroyed without Commit: abandoned
  }
  EXPECT_EQ(ReadAll(path), "good\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator{}),
            1);  // no temporary file left behind
  EXPECT_EQ(WriteFileReplacing(dir.file("missing/dir/x.nc"), "x"), 0);
}

}  // namespace
}  // namespace trevalon
