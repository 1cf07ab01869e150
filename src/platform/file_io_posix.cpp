// The POSIX side of file_io: replacing a file faithfully (modes, owners, links) and cleaning
// up on a signal cannot be said without the POSIX calls.
#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/file_io.h"
#include "platform/file_io_detail.h"
#include "platform/write_failure.h"

namespace trevalon {

namespace {

extern "C" void RemoveTempsAndRaise(int sig) {
  const int savedErrno = errno;
  for (detail::TempSlot& s : detail::g_temps)
    if (s.state.load(std::memory_order_acquire) == 2) unlink(s.path);
  // Then end as the signal asks, so that whoever started us sees the right exit status.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  raise(sig);
  sigset_t just;
  sigemptyset(&just);
  sigaddset(&just, sig);
  sigprocmask(SIG_UNBLOCK, &just, nullptr);
  errno = savedErrno;  // only reached if the default action does not end the process
}

// ---- The target of a write ------------------------------------------------------------------

// The file a write to `path` replaces: symbolic links followed to the file they finally name
// (which need not exist). False, with the reason, for a chain that does not end.
bool ResolveLinks(const std::string& path, std::string& target, std::string& why) {
  namespace fs = std::filesystem;
  fs::path p = path;
  for (int hops = 0;; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(p, ec))) break;
    if (hops == 40) {
      why = "too many symbolic links";
      return false;
    }
    fs::path next = fs::read_symlink(p, ec);
    if (ec) break;  // unreadable link: the create below fails and says so
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  target = p.string();
  return true;
}

}  // namespace

int detail::MoveOver(const std::string& temp, const std::string& target) {
  std::error_code ec;
  std::filesystem::rename(temp, target, ec);
  return ec.value();
}

// Our rule: only a regular file is replaced (see Open); a device node, a pipe, a socket or a
// folder, also at the end of a link, is refused and stays what it is.
int ReplacingFile::Open(const std::string& path) {
  Abandon();
  failed_ = false;
  refusal_.clear();
  detail::ClearWriteFailure();
  if (!ResolveLinks(path, target_, refusal_)) return 0;

  struct stat old {};
  const bool exists = ::stat(target_.c_str(), &old) == 0;
  if (exists) {
    // Our rule: only a regular file is replaced. Renaming over a device node, a pipe or a
    // socket would swap the special file for a plain one (as the superuser even /dev/null).
    if (S_ISDIR(old.st_mode)) {
      refusal_ = "it is a folder, not a file";
      return 0;
    }
    if (!S_ISREG(old.st_mode)) {
      refusal_ = "it is not a regular file (a device, a pipe or a socket)";
      return 0;
    }
    if (::access(target_.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0) {
      refusal_ = "the file is write-protected";
      return 0;
    }
  }

  temp_ = detail::TempNameBeside(target_);
  slot_ = detail::RegisterTemp(temp_);
  // An existing file's copy starts private and takes the old owner and mode before any byte
  // is written; a new file is created as any other (0666 less the umask).
  const int fd =
      ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
  if (fd < 0) {
    if (errno == ENOSPC || errno == EDQUOT) refusal_ = DescribeWriteError(errno);
    detail::ReleaseTemp(slot_);
    return 0;
  }
  bool ready = true;
  if (exists) {
    // Owner and group where we may set them (a user may give the file only a group of his
    // own, the superuser anything); the mode always, after the owner, which would clear the
    // set-id bits.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Neither is ours to give: the new file keeps our owner and group.
    }
    ready = ::fchmod(fd, old.st_mode & 07777) == 0;
  }
  if (ready) file_ = ::fdopen(fd, "wb");
  if (!file_) {
    ::close(fd);
    ::unlink(temp_.c_str());
    detail::ReleaseTemp(slot_);
    return 0;
  }
  return 1;
}

namespace {

std::vector<int> TerminatingSignals() {
  // Every signal whose default action ends the process and that a handler may catch
  // (SIGKILL and SIGSTOP cannot be). The faults are among them: a crash in the middle of a
  // save leaves no temporary file either.
  std::vector<int> signals = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                              SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                              SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS};
#ifdef SIGPOLL
  signals.push_back(SIGPOLL);
#endif
#ifdef SIGSTKFLT
  signals.push_back(SIGSTKFLT);
#endif
#ifdef SIGPWR
  signals.push_back(SIGPWR);
#endif
#if defined(SIGRTMIN) && defined(SIGRTMAX)
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) signals.push_back(sig);
#endif
  return signals;
}

}  // namespace

// Our rule: every signal that would end the program (interrupt, termination, hang-up, quit, a
// broken pipe, alarms, the user signals, the file-size and CPU limits, the faults) removes the
// temporary files of saves in progress first, not only the three a user types or sends most.
void InstallTempFileCleanup() {
  for (int sig : TerminatingSignals()) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0) continue;
    if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) continue;
    struct sigaction sa {};
    sa.sa_handler = RemoveTempsAndRaise;
    // Any other signal waits until the first has cleaned up.
    sigfillset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
  }
}

}  // namespace trevalon

#endif  // !_WIN32
