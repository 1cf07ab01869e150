#include "app/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/application.h"
#include "app/help_files.h"
#include "app/machine_settings.h"
#include "platform/file_io.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::ReadAll;

using Settings = testing::TempDirTest;
using FileIo = testing::TempDirTest;

TEST_F(Settings, FileReadWithoutCaseLaterLinesWinAndWrittenAsEightLines) {
  // A missing file is not created (reading creates nothing) and the defaults stay.
  AppSettings s = DefaultSettings();
  EXPECT_EQ(ReadSettingsFile(dir.file("sub/korvo.cfg"), s), FileReadError::Missing);
  EXPECT_FALSE(std::filesystem::exists(dir.file("sub")));
  EXPECT_EQ(s.fileExt, DefaultSettings().fileExt);

  const std::string path = dir.file("korvo.cfg");
  std::ofstream(path, std::ios::binary)
      << "workdir /a \r\nBogus x\nWORKDIR /b\nPostDir /p CrossCursorChk 1 Editor";
  bool workDirRead = false;
  ASSERT_EQ(ReadSettingsFile(path, s, &workDirRead), FileReadError::None);
  // A key with nothing after it has an empty value.
  EXPECT_EQ(std::tuple(workDirRead, s.workDir, s.postDir, s.crossCursorChk, s.editor),
            std::tuple(true, "/b", "/p", 1, ""));

  // An empty value is written as the key and two blanks and read back empty, never as the
  // next line's key.
  s = {"/c", "/w", "/p", "", "*.nc", "/h", "/t", 1, 0, ""};
  ASSERT_EQ(WriteSettingsFile(path, s), 1);
  EXPECT_EQ(ReadAll(path),
            "ConfigDir /c \nWorkDir /w \nPostDir /p \nEditor  \nFileExt *.nc \n"
            "HelpFileName /h \nTrainingHelpName /t \nCrossCursorChk 1 \n");
  AppSettings back = DefaultSettings();
  ASSERT_EQ(ReadSettingsFile(path, back), FileReadError::None);
  EXPECT_EQ(std::tuple(back.editor, back.fileExt, back.trainingHelpName, back.crossCursorChk),
            std::tuple("", "*.nc", "/t", 1));

  // An empty folder setting is the default folder, never the root of the file system; an
  // empty editor stays empty (the desktop's opener is asked instead).
  std::ofstream(path, std::ios::binary) << "ConfigDir \nPostDir\t\r\nEditor \n";
  AppSettings emptied = back;
  ASSERT_EQ(ReadSettingsFile(path, emptied), FileReadError::None);
  EXPECT_EQ(std::tuple(emptied.configDir, emptied.postDir, emptied.editor),
            std::tuple(DefaultSettings().configDir, DefaultSettings().postDir, ""));

  // Bytes that are no text, a folder and a file too large are refused and change nothing.
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  std::ofstream(dir.file("junk.cfg"), std::ios::binary)
      << junk << '\0' << "CrossCursorChk 99999999999999999999";
  std::ofstream(dir.file("huge.cfg"), std::ios::binary)
      << "Editor ed" << std::string(kSettingsFileLimit, ' ');
  AppSettings kept = back;
  for (auto [path, error] : {std::pair(dir.file("junk.cfg"), FileReadError::NotText),
                             {dir.file("huge.cfg"), FileReadError::TooLarge},
                             {dir.path().string(), FileReadError::Folder}})
    EXPECT_EQ(ReadSettingsFile(path, kept), error) << path;
  EXPECT_EQ(std::tuple(kept.crossCursorChk, kept.editor), std::tuple(1, ""));
}

// Start-up only reads: a fresh system directory stays as it was; one that is a file is no
// place for settings; korvo.cfg of the wrong kind is said and the defaults stay.
TEST_F(Settings, StartUpCreatesNothingAndRefusesASystemDirectoryThatIsAFile) {
  HeadlessPlatform platform;
  CApplication app(platform);
  std::string why;
  ASSERT_EQ(app.StartUp(StartOptions{dir.file("fresh"), "en", false}, &why), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("fresh")));
  std::ofstream(dir.file("plain")) << "x";
  EXPECT_EQ(app.StartUp(StartOptions{dir.file("plain"), "en", false}, &why), 0);
  EXPECT_NE(why.find("is not a folder"), std::string::npos) << why;
  std::filesystem::create_directories(dir.path() / "cfg-folder" / "korvo.cfg");
  ASSERT_EQ(app.StartUp(StartOptions{dir.file("cfg-folder"), "en", false}, &why), 1);
  EXPECT_EQ(platform.lastMessage.rfind(" This is a folder, not a file.\n", 0), 0u)
      << platform.lastMessage;
  EXPECT_EQ(app.settings.fileExt, DefaultSettings().fileExt);
}

// The program's own folders appear when a file is first written into one; other folders
// are never made, and a folder that cannot be made is named.
TEST_F(Settings, OwnFoldersAreMadeOnTheFirstWrite) {
  AppSettings s = DefaultSettings();
  s.configDir = dir.file("korvo");
  s.postDir = dir.file("korvo/post/");
  std::string failed;
  for (auto [file, folder, made] : {std::tuple("elsewhere/x.nc", "elsewhere", false),
                                    {"korvo/post/default.ppr", "korvo/post", true},
                                    {"korvo/lmx/a.lmx", "korvo/lmx", true}}) {
    EXPECT_TRUE(MakeOwnFolderFor(s, dir.file(file), &failed)) << file;
    EXPECT_TRUE(made ? std::filesystem::is_directory(dir.file(folder))
                     : !std::filesystem::exists(dir.file(folder)))
        << file;
  }

  std::ofstream(dir.file("file")) << "x";
  s.workDir = dir.file("file/ncdata");
  EXPECT_FALSE(MakeOwnFolderFor(s, dir.file("file/ncdata/a.nc"), &failed));
  EXPECT_EQ(failed, dir.file("file"));
}

TEST_F(Settings, UnwritableFileShowsTheFileErrorButTheValuesApply) {
  std::filesystem::create_directories(dir.path() / "korvo.cfg");  // a directory: cannot write
  HeadlessPlatform platform;
  CApplication app(platform);
  ASSERT_EQ(testing::StartInTempDir(app, dir), 1);
  AppSettings s = app.settings;
  s.editor = "nano";
  EXPECT_EQ(app.ApplySettings(s), 0);
  EXPECT_EQ(std::tuple(platform.lastCaption, platform.lastMessage, app.settings.editor),
            std::tuple("Error message", " Can not open file !!.\n", "nano"));
}

TEST_F(Settings, LanguageAndSystemDirectoryFromTheEnvironment) {
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

// The language line of korvo.cfg: a known code is kept and written back, anything else reads
// as no line (the system's language); start-up takes it unless the command line names one.
TEST_F(Settings, LanguageLineChoosesTheLanguageUnlessTheCommandLineDoes) {
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* n : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (const char* v = std::getenv(n); v) saved[n] = v;
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  setenv("LANG", "ko_KR.UTF-8", 1);
  testing::TempDir dir;
  const std::string path = dir.file("korvo.cfg");
  const struct {
    const char* line;
    const char* kept;
    Language language;
  } rows[] = {{"Language ja", "ja", Language::Japanese},
              {"LANGUAGE en", "en", Language::English},
              {"Language fr", "", Language::Korean},
              {"Language", "", Language::Korean},
              {"", "", Language::Korean}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    std::ofstream(path, std::ios::binary) << "Language ko\n" << row.line << "\n";
    AppSettings s = DefaultSettings();
    ASSERT_EQ(ReadSettingsFile(path, s), FileReadError::None);
    if (*row.line == 0) {
      EXPECT_EQ(s.language, "ko");  // the first line stands
      continue;
    }
    EXPECT_EQ(s.language, row.kept);
    EXPECT_EQ(SettingsLanguage(s), row.language);
    ASSERT_EQ(WriteSettingsFile(path, s), 1);
    EXPECT_EQ(ReadAll(path).find("Language") != std::string::npos, *row.kept != 0);
    HeadlessPlatform platform;
    CApplication app(platform);
    StartOptions start;
    start.systemDir = dir.path().string();
    ASSERT_EQ(app.StartUp(start), 1);
    EXPECT_EQ(app.language, row.language);
    start.language = "en";
    ASSERT_EQ(app.StartUp(start), 1);
    EXPECT_EQ(app.language, Language::English);
  }
  for (const char* n : {"LC_ALL", "LC_MESSAGES", "LANG"})
    saved[n] ? setenv(n, saved[n]->c_str(), 1) : unsetenv(n);
}

TEST_F(FileIo, NothingHalfWrittenReplacesAFile) {
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

// Reading is bounded while it goes on, so a device that never ends is refused like a file
// that is too large; a folder is refused before it is read.
TEST_F(FileIo, BoundedReadingRefusesWhatIsNoFileOfItsKind) {
  std::string out;
  std::ofstream(dir.file("ten"), std::ios::binary) << std::string(9, 'a') << '\0';
  EXPECT_EQ(ReadBoundedFile(dir.file("ten"), 10, out, false), FileReadError::None);
  EXPECT_EQ(out.size(), 10u);
  EXPECT_EQ(ReadBoundedFile(dir.file("ten"), 10, out, true), FileReadError::NotText);
  EXPECT_EQ(ReadBoundedFile(dir.file("ten"), 9, out, false), FileReadError::TooLarge);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadBoundedFile(dir.file("none"), 10, out, true), FileReadError::Missing);
  EXPECT_EQ(ReadBoundedFile(dir.path().string(), 10, out, true), FileReadError::Folder);
  if (std::filesystem::exists("/dev/zero")) {
    EXPECT_EQ(ReadBoundedFile("/dev/zero", 1 << 16, out, false), FileReadError::TooLarge);
  }
  EXPECT_NE(DescribeReadError(FileReadError::TooLarge, "p", 9).find("'p'"), std::string::npos);
}

TEST(MachineSettings, KeysWithoutCaseUnknownKeysSkippedBadValuesRefusedWhole) {
  MachineLimits m;
  std::string why;
  ASSERT_TRUE(ParseMachineSettings(
      "# our mill\r\nrapidx 30000\r\n  ACCELY 800.5   # slower table\n\nSpindleMax 12000\n"
      "BlockTime 0\nRapidX +36e3\n",
      m, why))
      << why;
  // A later line wins.
  EXPECT_EQ(std::tuple(m.rapid[0], m.rapid[1], m.accel[1], m.blockTime),
            std::tuple(36000, MachineLimits{}.rapid[1], 800.5, 0));

  // One bad line refuses the file: what came before it is not taken either.
  const MachineLimits before = m;
  for (const char* bad : {"RapidZ 5000\nAccelZ fast\n", "RapidZ 5000\nAccelZ 0\n",
                          "JunctionDeviation -0.1\n", "BlockTime 2\n", "RapidY inf\n",
                          "RapidY 0x100\n", "RapidY 100mm\n", "AccelX\n", "AccelX 1 2\n"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseMachineSettings(bad, m, why));
    EXPECT_EQ(std::tuple(m.rapid[2], m.accel[2]), std::tuple(before.rapid[2], before.accel[2]));
  }
  ParseMachineSettings("RapidZ 5000\nAccelZ fast\n", m, why);
  EXPECT_EQ(why, "line 2: AccelZ must be a number from 1 to 100000 (mm/s^2), not 'fast'");
}

TEST(MachineSettings, TheApplicationTakesTheFileBesideKorvoPar) {
  testing::AppInTempDir t;
  const std::string path = MachineSettingsPath(t.app.settings.configDir);
  // No file: the defaults, quietly.
  const double defaultZ = MachineLimits{}.rapid[2];
  // Braces: the file is read before the message count is (a list runs left to right).
  EXPECT_EQ((std::tuple{ReadMachineSettings(t.app).rapid[2], t.platform.messageCount}),
            std::tuple(defaultZ, 0));

  std::ofstream(path) << "RapidZ 5000\nJunctionDeviation 0.02\n";
  MachineLimits m = ReadMachineSettings(t.app);
  EXPECT_EQ(std::tuple(m.rapid[2], m.junctionDeviation), std::tuple(5000, 0.02));

  // A bad value: the message names the file and the line, and the defaults hold.
  std::ofstream(path) << "RapidZ 5000\nBlockTime slow\n";
  EXPECT_EQ((std::tuple{ReadMachineSettings(t.app).rapid[2], t.platform.messageCount}),
            std::tuple(defaultZ, 1));
  EXPECT_NE(t.platform.lastMessage.find(path + " line 2: BlockTime"), std::string::npos)
      << t.platform.lastMessage;
  EXPECT_NE(t.platform.lastMessage.find("default machine limits"), std::string::npos);

  // A folder in its place is refused as the other settings files are.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_EQ((std::tuple{ReadMachineSettings(t.app).rapid[2], t.platform.messageCount}),
            std::tuple(defaultZ, 2));
}

// ---- Help files --------------------------------------------------------------------------------

// Where the help finds the manual, and when a help file named in the work environment is the
// user's own.

namespace fs = std::filesystem;

using Folders = std::vector<std::string>;

TEST(HelpFiles, ManualFoldersComeInTheirOrder) {
  ManualSearch s;
  s.xdgDataDirsSet = true;
  // Empty and relative entries are no data folders; a folder named twice is looked in once.
  s.xdgDataDirs = "/opt/a/share::relative/share:/usr/share/:/opt/a/share";
  s.programDir = "/opt/tv/bin";
  s.buildDir = "/src/tv/build";
  s.sourceManual = "/src/tv/docs/manual";
  s.installManual = "/usr/local/share/trevalon/manual";
  EXPECT_EQ(ManualFolders(s),
            (Folders{"/opt/tv/share/trevalon/manual", "/opt/a/share/trevalon/manual",
                     "/usr/share/trevalon/manual", "/usr/local/share/trevalon/manual"}));

  // Run from inside its build folder (however the path is spelt), the program shows the
  // manual of its own sources first.
  for (const char* dir : {"/src/tv/build/src/gui/", "/src/tv/build/../build/tests/gui"}) {
    s.programDir = dir;
    EXPECT_EQ(ManualFolders(s).front(), "/src/tv/docs/manual") << dir;
  }
  // A folder whose name only begins like the build folder's is elsewhere.
  s.programDir = "/src/tv/build-asan/src/gui";
  const Folders elsewhere = ManualFolders(s);
  EXPECT_EQ(std::count(elsewhere.begin(), elsewhere.end(), "/src/tv/docs/manual"), 0);

  // Unset, the data folders are the usual two; the program's own share folder is one of them.
  ManualSearch unset;
  unset.programDir = "/usr/bin";
  unset.installManual = "/usr/share/trevalon/manual";
  EXPECT_EQ(ManualFolders(unset),
            (Folders{"/usr/share/trevalon/manual", "/usr/local/share/trevalon/manual"}));
}

TEST(HelpFiles, TheFirstFolderWithTheContentsPageWinsAndOwnFilesAreRealFiles) {
  const testing::TempDir dir;
  const fs::path& root = dir.path();
  // An empty manual folder first (an install that lost its pages), then a whole one.
  fs::create_directories(root / "empty/trevalon/manual");
  fs::create_directories(root / "whole/trevalon/manual");
  std::ofstream(root / "whole/trevalon/manual" / kManualContents) << "<html></html>";
  ManualSearch s;
  s.xdgDataDirsSet = true;
  s.xdgDataDirs = (root / "empty").string() + ":" + (root / "whole").string();
  EXPECT_EQ(FindManual(s), (root / "whole/trevalon/manual").string());
  s.xdgDataDirs = (root / "empty").string();
  s.installManual = (root / "nowhere").string();
  EXPECT_EQ(FindManual(s), "");

  const fs::path own = root / "korvo.hlp";
  std::ofstream(own) << "help";
  // Not the fresh set-up's default (missing), a folder, or no name.
  EXPECT_EQ(std::tuple(IsOwnHelpFile(own.string()), IsOwnHelpFile((root / "missing.hlp").string()),
                       IsOwnHelpFile(root.string()), IsOwnHelpFile("")),
            std::tuple(true, false, false, false));
}

}  // namespace
}  // namespace trevalon
