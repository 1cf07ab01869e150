// The Windows side of file_io: the target is replaced through the wide calls, so that any
// UTF-8 name reaches the file system as it is, and Ctrl+C removes the temporary files of
// saves in progress as a signal does on POSIX.
#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/file_io.h"
#include "platform/file_io_detail.h"
#include "platform/system_paths.h"
#include "platform/write_failure.h"

namespace trevalon {

namespace {

std::wstring Wide(const std::string& utf8) {
  return NativePath(utf8).wstring();
}

// The errno value that says the same as a Windows error, for the reason of a failed save.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    default:
      return EIO;
  }
}

// Ctrl+C, Ctrl+Break and closing the console window run this on a thread of their own.
// It removes the live temporary files and lets the next handler (the default one) end the
// program. A file still open for writing is removed once the program ends and closes it.
BOOL WINAPI RemoveTempsOnInterrupt(DWORD) {
  for (detail::TempSlot& s : detail::g_temps)
    if (s.state.load(std::memory_order_acquire) == 2) DeleteFileW(Wide(s.path).c_str());
  return FALSE;
}

}  // namespace

// Our rule: an existing target is replaced with ReplaceFileW, which keeps what the user
// expects of the file that stays in its place (its attributes, its creation time, its
// access rights); a file system without it gets the plain move, as a new target does.
int detail::MoveOver(const std::string& temp, const std::string& target) {
  const std::wstring from = Wide(temp), to = Wide(target);
  if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr))
    return 0;
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  return ErrnoOf(GetLastError());
}

// The rules of the POSIX side, said in Windows terms: only a regular file is replaced (a
// folder or a device is refused), and a file with the read-only attribute, or one that the
// system does not let us write, is refused as write-protected. Windows links are not
// followed: a save writes the path it was given.
int ReplacingFile::Open(const std::string& path) {
  Abandon();
  failed_ = false;
  refusal_.clear();
  detail::ClearWriteFailure();
  target_ = path;
  const std::wstring target = Wide(target_);
  if (target.empty()) return 0;  // not UTF-8: no such name can be created

  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      refusal_ = "it is a folder, not a file";
      return 0;
    }
    if (attributes & FILE_ATTRIBUTE_DEVICE) {
      refusal_ = "it is not a regular file (a device, a pipe or a socket)";
      return 0;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      refusal_ = "the file is write-protected";
      return 0;
    }
    // The access rights: opening it for writing, without changing it, says whether we may.
    HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_ACCESS_DENIED) {
        refusal_ = "the file is write-protected";
        return 0;
      }
    } else {
      CloseHandle(probe);
    }
  }

  temp_ = detail::TempNameBeside(target_);
  slot_ = detail::RegisterTemp(temp_);
  // Shared for deletion, so that Ctrl+C can remove it while it is being written.
  HANDLE h = CreateFileW(Wide(temp_).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
      refusal_ = DescribeWriteError(ENOSPC);
    detail::ReleaseTemp(slot_);
    return 0;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd >= 0) file_ = _fdopen(fd, "wb");
  if (!file_) {
    if (fd >= 0)
      _close(fd);
    else
      CloseHandle(h);
    DeleteFileW(Wide(temp_).c_str());
    detail::ReleaseTemp(slot_);
    return 0;
  }
  return 1;
}

void InstallTempFileCleanup() {
  SetConsoleCtrlHandler(RemoveTempsOnInterrupt, TRUE);
}

}  // namespace trevalon

#endif  // _WIN32
