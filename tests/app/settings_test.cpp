#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/application.h"
#include "platform/file_io.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::ReadAll;

TEST(Settings, MissingFileIsCreatedEmptyAndDefaultsStay) {
  testing::TempDir dir;
  AppSettings s = DefaultSettings();
  std::string path = dir.file("sub/korvo.cfg");
  ASSERT_EQ(ReadSettingsFile(path, s), 1);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(ReadAll(path), "");
  EXPECT_EQ(s.fileExt, "*.nc;*.hnc;*.ppp;*.tap");
}

TEST(Settings, KeysWithoutCaseLaterLinesWinUnknownKeysSkipped) {
  testing::TempDir dir;
  std::string path = dir.file("korvo.cfg");
  {
    std::ofstream f(path, std::ios::binary);
    f << "workdir /a \r\nBogus x\nWORKDIR /b\nPostDir /p CrossCursorChk 1 Editor";
  }
  AppSettings s = DefaultSettings();
  bool workDirRead = false;
  ASSERT_EQ(ReadSettingsFile(path, s, &workDirRead), 1);
  EXPECT_TRUE(workDirRead);
  EXPECT_EQ(s.workDir, "/b");
  EXPECT_EQ(s.postDir, "/p");
  EXPECT_EQ(s.crossCursorChk, 1);
  EXPECT_EQ(s.editor, DefaultSettings().editor);  // a key without a value is ignored
}

TEST(Settings, WrittenFileHasTheEightLinesAndReadsBack) {
  testing::TempDir dir;
  std::string path = dir.file("korvo.cfg");
  AppSettings s = DefaultSettings();
  s.configDir = "/c";
  s.workDir = "/w";
  s.postDir = "/p";
  s.editor = "vi";
  s.fileExt = "*.nc";
  s.helpFileName = "/h";
  s.trainingHelpName = "/t";
  s.crossCursorChk = 1;
  ASSERT_EQ(WriteSettingsFile(path, s), 1);
  EXPECT_EQ(ReadAll(path),
            "ConfigDir /c \nWorkDir /w \nPostDir /p \nEditor vi \nFileExt *.nc \n"
            "HelpFileName /h \nTrainingHelpName /t \nCrossCursorChk 1 \n");
  AppSettings back = DefaultSettings();
  ReadSettingsFile(path, back);
  EXPECT_EQ(back.trainingHelpName, "/t");
  EXPECT_EQ(back.crossCursorChk, 1);
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

TEST(Settings, ArbitraryBytesDoNotBreakTheReader) {
  testing::TempDir dir;
  std::string path = dir.file("korvo.cfg");
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  junk += "\0CrossCursorChk 99999999999999999999 ConfigDir";
  {
    std::ofstream f(path, std::ios::binary);
    f << junk;
  }
  AppSettings s = DefaultSettings();
  EXPECT_EQ(ReadSettingsFile(path, s), 1);
}

TEST(Settings, LanguageFromEnvironmentOrder) {
  const char* saved[3] = {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")};
  std::string keep[3];
  for (int i = 0; i < 3; ++i) keep[i] = saved[i] ? saved[i] : "";
  unsetenv("LC_ALL");
  setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
  setenv("LANG", "ko_KR.UTF-8", 1);
  EXPECT_EQ(LanguageFromEnvironment(), Language::Japanese);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(LanguageFromEnvironment(), Language::English);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  EXPECT_EQ(LanguageFromEnvironment(), Language::Korean);
  const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  for (int i = 0; i < 3; ++i) {
    if (saved[i])
      setenv(names[i], keep[i].c_str(), 1);
    else
      unsetenv(names[i]);
  }
}

TEST(Settings, SystemDirectoryOverrides) {
  EXPECT_EQ(SystemDirectory("/x"), "/x");
  const char* saved = std::getenv("TREVALON_SYSDIR");
  std::string keep = saved ? saved : "";
  setenv("TREVALON_SYSDIR", "/from-env", 1);
  EXPECT_EQ(SystemDirectory(""), "/from-env");
  if (saved)
    setenv("TREVALON_SYSDIR", keep.c_str(), 1);
  else
    unsetenv("TREVALON_SYSDIR");
}

TEST(FileIo, NothingHalfWrittenReplacesAFile) {
  testing::TempDir dir;
  std::string path = dir.file("prog.nc");
  ASSERT_EQ(WriteFileReplacing(path, "good\n"), 1);
  {
    ReplacingFile f;
    ASSERT_EQ(f.Open(path), 1);
    f.Write("half");
    // destroyed without Commit: abandoned
  }
  EXPECT_EQ(ReadAll(path), "good\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator{}),
            1);  // no temporary file left behind
  EXPECT_EQ(WriteFileReplacing(dir.file("missing/dir/x.nc"), "x"), 0);
}

}  // namespace
}  // namespace trevalon
