#include "platform/file_io.h"

#include "platform/write_failure.h"

// The file calls below the standard library (modes, owners, links, signals) are the POSIX
// ones: replacing a file faithfully and cleaning up on a signal cannot be said without them.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

namespace trevalon {

namespace {

thread_local std::string g_writeFailure;

// Notes why a write failed; the first reason of a save is the one said.
void NoteWriteFailure(int error) {
  if (g_writeFailure.empty()) g_writeFailure = DescribeWriteError(error);
}

// ---- Live temporary files -------------------------------------------------------------------
// A fixed table that a signal handler may read: a slot is claimed (1) while its path is
// copied in and becomes live (2) only when the path is complete, before the file exists; it is
// freed only after the file has been renamed or removed. The handler unlinks live paths
// only. A save that finds the table full still works, it is just not cleaned up on a signal.

constexpr int kTempSlots = 16;
constexpr std::size_t kTempPathBytes = 4096;
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free slots");

struct TempSlot {
  std::atomic<int> state{0};
  char path[kTempPathBytes];
};
TempSlot g_temps[kTempSlots];

int RegisterTemp(const std::string& path) {
  if (path.size() >= kTempPathBytes) return -1;
  for (int k = 0; k < kTempSlots; ++k) {
    int expected = 0;
    if (!g_temps[k].state.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(g_temps[k].path, path.c_str(), path.size() + 1);
    g_temps[k].state.store(2, std::memory_order_release);
    return k;
  }
  return -1;
}

void ReleaseTemp(int& slot) {
  if (slot >= 0) g_temps[slot].state.store(0, std::memory_order_release);
  slot = -1;
}

extern "C" void RemoveTempsAndRaise(int sig) {
  const int savedErrno = errno;
  for (TempSlot& s : g_temps)
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

int WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* why) {
  ReplacingFile f;
  if (!f.Open(path)) {
    if (why) *why = f.refusal();
    return 0;
  }
  f.Write(bytes);
  const int done = f.Commit();
  if (!done && why) *why = g_writeFailure;
  return done;
}

const std::string& LastWriteFailure() {
  return g_writeFailure;
}

std::string DescribeWriteError(int error) {
  if (error == 0) return {};
  // The system's own words ("No space left on device"), as the middle of a sentence.
  std::string text = std::generic_category().message(error);
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' &&
      !(text.size() > 1 && text[1] >= 'A' && text[1] <= 'Z'))
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

ReplacingFile::~ReplacingFile() {
  Abandon();
}

// Our rule: only a regular file is replaced (see Open); a device node, a pipe, a socket or a
// folder, also at the end of a link, is refused and stays what it is.
int ReplacingFile::Open(const std::string& path) {
  Abandon();
  failed_ = false;
  refusal_.clear();
  g_writeFailure.clear();
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

  // A unique name beside the target, so that the final rename stays on one file system.
  static const unsigned salt = std::random_device{}();
  static unsigned counter = 0;
  temp_ = target_ + ".tmp" + std::to_string(salt) + "-" + std::to_string(++counter);
  slot_ = RegisterTemp(temp_);
  // An existing file's copy starts private and takes the old owner and mode before any byte
  // is written; a new file is created as any other (0666 less the umask).
  const int fd =
      ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
  if (fd < 0) {
    if (errno == ENOSPC || errno == EDQUOT) refusal_ = DescribeWriteError(errno);
    ReleaseTemp(slot_);
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
    ReleaseTemp(slot_);
    return 0;
  }
  return 1;
}

int ReplacingFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    NoteWriteFailure(errno);
    failed_ = true;
  }
  return !failed_;
}

int ReplacingFile::Commit() {
  if (!file_) return 0;
  if (std::fflush(file_) != 0 || std::ferror(file_)) {
    NoteWriteFailure(errno);
    failed_ = true;
  }
  if (std::fclose(file_) != 0) {
    NoteWriteFailure(errno);
    failed_ = true;
  }
  file_ = nullptr;
  int done = 0;
  if (!failed_) {
    std::error_code ec;
    std::filesystem::rename(temp_, target_, ec);
    done = !ec;
    if (ec) NoteWriteFailure(ec.value());
  }
  if (!done) std::remove(temp_.c_str());
  ReleaseTemp(slot_);
  return done;
}

void ReplacingFile::Abandon() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
    std::remove(temp_.c_str());
    ReleaseTemp(slot_);
  }
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

// ---- Bounded reading ---------------------------------------------------------------------

BoundedInput::~BoundedInput() {
  if (file_) std::fclose(file_);
}

FileReadError BoundedInput::Open(const std::string& path) {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  atEnd_ = false;
  std::error_code ec;
  const auto st = std::filesystem::status(path, ec);
  if (st.type() == std::filesystem::file_type::not_found) return FileReadError::Missing;
  if (ec) return FileReadError::CannotOpen;
  // A folder opens like a file on some systems and fails only on the first read.
  if (st.type() == std::filesystem::file_type::directory) return FileReadError::Folder;
  file_ = std::fopen(path.c_str(), "rb");
  return file_ ? FileReadError::None : FileReadError::CannotOpen;
}

FileReadError BoundedInput::Append(std::size_t count, std::string& out) {
  if (!file_) return FileReadError::CannotOpen;
  char buffer[65536];
  while (count > 0 && !atEnd_) {
    const std::size_t want = count < sizeof buffer ? count : sizeof buffer;
    const std::size_t got = std::fread(buffer, 1, want, file_);
    out.append(buffer, got);
    count -= got;
    if (got < want) {
      if (std::ferror(file_)) return FileReadError::ReadFailed;
      atEnd_ = true;
    }
  }
  return FileReadError::None;
}

FileReadError ReadBoundedFile(const std::string& path, std::size_t maxBytes, std::string& out,
                              bool text) {
  out.clear();
  BoundedInput in;
  FileReadError e = in.Open(path);
  if (e == FileReadError::None) e = in.Append(maxBytes + 1, out);
  if (e == FileReadError::None && out.size() > maxBytes) e = FileReadError::TooLarge;
  if (e == FileReadError::None && text && std::memchr(out.data(), '\0', out.size()))
    e = FileReadError::NotText;
  if (e != FileReadError::None) out.clear();
  return e;
}

std::string DescribeReadError(FileReadError error, const std::string& path, std::size_t maxBytes) {
  const std::string name = "'" + path + "'";
  switch (error) {
    case FileReadError::None:
      return {};
    case FileReadError::Missing:
      return name + " does not exist";
    case FileReadError::CannotOpen:
      return "cannot open " + name;
    case FileReadError::Folder:
      return name + " is a folder, not a file";
    case FileReadError::TooLarge:
      return name + " is larger than any file of its kind (more than " + std::to_string(maxBytes) +
             " bytes)";
    case FileReadError::NotText:
      return name + " is not a text file";
    case FileReadError::ReadFailed:
      return "cannot read " + name;
  }
  return {};
}

bool MakeFolders(const std::string& folder, std::string* failed) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (folder.empty() || fs::is_directory(folder, ec)) return true;
  // One level at a time, so that the folder that cannot be made is the one named.
  fs::path made;
  for (const fs::path& part : fs::path(folder)) {
    made /= part;
    if (fs::is_directory(made, ec)) continue;
    if (!fs::create_directory(made, ec) && !fs::is_directory(made, ec)) {
      if (failed) *failed = made.string();
      return false;
    }
  }
  return true;
}

}  // namespace trevalon
