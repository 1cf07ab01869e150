// Replacing files: what a replaced file keeps (mode, owner, being a link's target), which
// files are not replaced, and that a save ended by a signal leaves no temporary file; and the
// system's paths (names carried between UTF-8 and UTF-16, the folders from the environment).

#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

#include "ncio/data_cases.h"
#include "platform/system_paths.h"
#include "platform/write_failure.h"
#include "test_support.h"

namespace trevalon {
namespace {

namespace fs = std::filesystem;
using namespace testing;

void Put(const std::string& path, const std::string& bytes, mode_t mode) {
  std::ofstream(path, std::ios::binary) << bytes;
  ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

std::set<std::string> Names(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path()))
    names.insert(e.path().filename().string());
  return names;
}

// Runs `body` in a child process and returns its wait status; `ready`, when given, runs in
// the parent once the child has written a byte to the pipe it gets.
int InChild(const std::function<int(int pipe)>& body,
            const std::function<void(pid_t)>& ready = {}) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    ::_exit(body(fds[1]));
  }
  ::close(fds[1]);
  char c = 0;
  if (ready && ::read(fds[0], &c, 1) == 1) ready(child);
  ::close(fds[0]);
  int status = 0;
  EXPECT_EQ(::waitpid(child, &status, 0), child);
  return status;
}

bool ExitedWith(int status, int code) {
  return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

using FileIo = testing::TempDirTest;

TEST_F(FileIo, ReplacedFileKeepsModeAndOwnerAndWriteProtectedFilesStay) {
  for (mode_t mode : {0600, 0640, 0755, 0604}) {
    const std::string path = dir.file("keep.nc");
    Put(path, "old\n", mode);
    ASSERT_EQ(WriteFileReplacing(path, "new\n"), 1);
    EXPECT_EQ(ReadAll(path), "new\n");
    EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
  }
  // A new file is created as any other: 0666 less the umask.
  const mode_t mask = ::umask(0027);
  ASSERT_EQ(WriteFileReplacing(dir.file("fresh.nc"), "x"), 1);
  ::umask(mask);
  EXPECT_EQ(StatOf(dir.file("fresh.nc")).st_mode & 07777, 0640u);

  // No write bit: not replaced, whoever we are, and the reason says why.
  const std::string locked = dir.file("locked.nc");
  Put(locked, "keep me\n", 0444);
  std::string why;
  EXPECT_EQ(WriteFileReplacing(locked, "lost\n", &why), 0);
  ReplacingFile f;
  EXPECT_EQ(f.Open(locked), 0);
  EXPECT_EQ(
      std::tuple(why, f.refusal(), ReadAll(locked), StatOf(locked).st_mode & 07777),
      std::tuple("the file is write-protected", "the file is write-protected", "keep me\n", 0444u));
  EXPECT_EQ(Names(dir), (std::set<std::string>{"keep.nc", "fresh.nc", "locked.nc"}));

  if (::geteuid() != 0) return;
  // As the superuser: another user's file stays his.
  const std::string theirs = dir.file("theirs.nc");
  Put(theirs, "old\n", 0640);
  ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
  ASSERT_EQ(WriteFileReplacing(theirs, "new\n"), 1);
  const struct stat st = StatOf(theirs);
  EXPECT_EQ(std::tuple(st.st_uid, st.st_gid, st.st_mode & 07777),
            std::tuple(65534u, 65534u, 0640u));
  // An ordinary user may not replace a file he may not write, even in a directory where he
  // could create the new one (the rename would have let him).
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  const std::string rootOwned = dir.file("root.nc");
  Put(rootOwned, "root's\n", 0644);
  const int status = InChild([&](int) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
    std::string reason;
    const int wrote = WriteFileReplacing(rootOwned, "nobody's\n", &reason);
    return wrote == 0 && reason == "the file is write-protected" ? 0 : 1;
  });
  EXPECT_TRUE(ExitedWith(status, 0)) << status;
  EXPECT_EQ(ReadAll(rootOwned), "root's\n");
}

TEST_F(FileIo, SymbolicLinksAreWrittenThrough) {
  fs::create_directory(dir.path() / "real");
  const std::string target = dir.file("real/prog.nc");
  Put(target, "old\n", 0600);
  // A chain: top -> real/mid (relative to real/) -> prog.nc.
  fs::create_symlink("prog.nc", dir.path() / "real/mid");
  fs::create_symlink("real/mid", dir.path() / "top");
  ASSERT_EQ(WriteFileReplacing(dir.file("top"), "new\n"), 1);
  EXPECT_EQ(std::tuple(fs::is_symlink(dir.path() / "top"), fs::is_symlink(dir.path() / "real/mid"),
                       ReadAll(target), StatOf(target).st_mode & 07777),
            std::tuple(true, true, "new\n", 0600u));
  EXPECT_EQ(Names(dir), (std::set<std::string>{"real", "top"}));

  // A link to a file that is not there yet creates that file, as an ordinary open would.
  fs::create_symlink(dir.path() / "real/later.nc", dir.path() / "dangling");
  ASSERT_EQ(WriteFileReplacing(dir.file("dangling"), "made\n"), 1);
  EXPECT_EQ(std::tuple(fs::is_symlink(dir.path() / "dangling"), ReadAll(dir.file("real/later.nc"))),
            std::tuple(true, "made\n"));

  // A link to a write-protected file protects it; a loop is refused.
  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  std::string why;
  EXPECT_EQ(WriteFileReplacing(dir.file("top"), "lost\n", &why), 0);
  EXPECT_EQ(std::tuple(why, ReadAll(target)), std::tuple("the file is write-protected", "new\n"));
  fs::create_symlink("b", dir.path() / "a");
  fs::create_symlink("a", dir.path() / "b");
  EXPECT_EQ(WriteFileReplacing(dir.file("a"), "x", &why), 0);
  EXPECT_EQ(std::tuple(why, fs::is_symlink(dir.path() / "a")),
            std::tuple("too many symbolic links", true));
}

// A write that fails (here the file-size limit with its signal ignored, as for a full disk)
// removes the temporary file, keeps the target and says why in the system's words.
TEST_F(FileIo, FailedWriteKeepsTheTargetAndSaysWhy) {
  const std::string path = dir.file("prog.nc");
  Put(path, "good\n", 0644);
  const int status = InChild([&](int) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = 1 << 16;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
    std::string why;
    const int wrote = WriteFileReplacing(path, std::string(1 << 20, 'x'), &why);
    return wrote == 0 && why == "file too large" ? 0 : 1;
  });
  EXPECT_TRUE(ExitedWith(status, 0)) << status;
  EXPECT_EQ(Names(dir), (std::set<std::string>{"prog.nc"}));
  EXPECT_EQ(ReadAll(path), "good\n");
  EXPECT_EQ(DescribeWriteError(ENOSPC), "no space left on device");
}

// Only regular files are replaced: a pipe, a device node, a folder, also at the end of a
// link, stay what they are.
TEST_F(FileIo, SpecialFilesAreNotReplaced) {
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  fs::create_symlink("fifo", dir.path() / "to-fifo");
  fs::create_directory(dir.path() / "folder");
  std::vector<std::string> names = {"fifo", "to-fifo", "folder"};
  if (::geteuid() == 0) {
    // The same numbers as /dev/null.
    ASSERT_EQ(::mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    fs::create_symlink(dir.path() / "null", dir.path() / "to-null");
    names.push_back("null");
    names.push_back("to-null");
  }
  const auto before = Names(dir);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    std::string why;
    EXPECT_EQ(WriteFileReplacing(dir.file(name), "program\n", &why), 0);
    EXPECT_EQ(why, name == "folder" ? "it is a folder, not a file"
                                    : "it is not a regular file (a device, a pipe or a socket)");
  }
  EXPECT_EQ(Names(dir), before);
  EXPECT_EQ(fs::status(dir.path() / "fifo").type(), fs::file_type::fifo);
  if (::geteuid() == 0) {
    EXPECT_EQ(fs::status(dir.path() / "null").type(), fs::file_type::character);
  }
}

// A child process saves over a good file, stops half-way and is sent the signal; it must
// end by that signal, with the good file intact and no temporary file beside it.
TEST_F(FileIo, SignalDuringASaveRemovesTheTemporaryFile) {
  for (int sig :
       {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU, SIGABRT}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    const std::string path = dir.file("big.nc");
    Put(path, "good\n", 0644);
    const int status = InChild(
        [&](int ready) {
          InstallTempFileCleanup();
          ReplacingFile f;
          if (!f.Open(path)) return 3;
          const std::string block(1 << 20, 'x');
          for (int k = 0; k < 8; ++k) f.Write(block);
          std::fflush(f.handle());
          if (::write(ready, "r", 1) != 1) return 4;
          for (;;) ::pause();
        },
        [&](pid_t child) {
          EXPECT_EQ(Names(dir).size(), 2u);  // the temporary file is there while the save runs
          ::kill(child, sig);
        });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_EQ(Names(dir), (std::set<std::string>{"big.nc"}));
    EXPECT_EQ(ReadAll(path), "good\n");
  }

  // A file-size limit met in the middle of a save (ulimit -f): the program ends by the limit's
  // signal and leaves nothing behind.
  {
    TempDir dir;
    const std::string path = dir.file("big.nc");
    Put(path, "good\n", 0644);
    const int status = InChild([&](int) {
      InstallTempFileCleanup();
      struct rlimit limit {};
      limit.rlim_cur = limit.rlim_max = 1 << 20;
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
      ReplacingFile f;
      if (!f.Open(path)) return 4;
      const std::string block(1 << 16, 'x');
      for (int k = 0; k < 64; ++k) f.Write(block);
      f.Commit();
      return 0;
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    EXPECT_EQ(Names(dir), (std::set<std::string>{"big.nc"}));
    EXPECT_EQ(ReadAll(path), "good\n");
  }

  // A hang-up that the program was started to ignore (nohup) stays ignored.
  EXPECT_TRUE(ExitedWith(InChild([](int) {
                           ::signal(SIGHUP, SIG_IGN);
                           InstallTempFileCleanup();
                           ::raise(SIGHUP);
                           return 0;
                         }),
                         0));
}

// ---- System paths ------------------------------------------------------------------------------

// Paths as the system takes them: the UTF-8 / UTF-16 conversion that carries every path to
// the Windows wide calls (pure, so tested here), and the folders the environment chooses.

TEST(SystemPaths, Utf8AndUtf16BothWaysOrRefused) {
  for (const testing::DataCase& c : testing::ReadCases("platform/utf.txt")) {
    const auto trace = c.Trace();
    const std::string hex = c["utf16"];
    std::u16string units;
    for (const char* p = hex.c_str(); *p;) {
      char* end = nullptr;
      units += static_cast<char16_t>(std::strtoul(p, &end, 16));
      p = *end ? end + 1 : end;
    }
    const bool utf8 = c.fields.count("utf8") > 0, utf16 = c.fields.count("utf16") > 0;
    std::u16string wide = u"left over";
    std::string narrow = "left over";
    if (utf8) {
      EXPECT_EQ(Utf16FromUtf8(c["utf8"], wide), utf16);
      EXPECT_EQ(wide, utf16 ? units : u"");
    }
    if (utf16) {
      EXPECT_EQ(Utf8FromUtf16(units, narrow), utf8);
      EXPECT_EQ(narrow, c["utf8"]);
    }
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
