#pragma once
// Writing files so that nothing half-written ever replaces a good file: the bytes go to a
// temporary file beside the target, which replaces the target only once it is complete.
//
// Our rules for the file that is replaced:
// - the new file keeps the old one's permission bits (and its owner and group where the
//   system lets us set them); a new file gets 0666 less the umask, as any created file does;
// - a file that we may not write is not replaced: one that the system refuses us (access for
//   writing fails) and one whose mode has no write bit at all (0444: made read-only on
//   purpose; the superuser, whom the system lets write anything, is refused it too);
// - a symbolic link (also a chain of them) is written through: the file it finally names is
//   replaced and the link stays a link. A link that names no file creates that file, as an
//   ordinary open for writing would.
//
// Reading the program's own files (settings, conditions, templates, master models) with a
// bound, so that a folder, a device that never ends or a file of the wrong kind is refused
// instead of filling the memory.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace trevalon {

// Writes the whole text at once; 1 when the target now holds it, 0 when the file could not
// be created or written (the old target is then untouched). `why`, when given, receives the
// reason of a refused target (empty when the file simply could not be created or written).
int WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* why = nullptr);

// A file written piece by piece: Open creates the temporary file, Commit moves it over the
// target, and destruction without Commit removes it and leaves the target as it was.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  int Open(const std::string& path);
  int Write(std::string_view bytes);
  int Commit();  // 0 when any write failed or the rename did; the target is then unchanged
  void Abandon();
  std::FILE* handle() { return file_; }
  bool ok() const { return file_ != nullptr && !failed_; }
  // Why the last Open refused the target ("" when it did not, or when the temporary file
  // just could not be created).
  const std::string& refusal() const { return refusal_; }

 private:
  std::string target_, temp_, refusal_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  int slot_ = -1;  // its entry among the files a signal removes
};

// ---- Bounded reading ---------------------------------------------------------------------
enum class FileReadError : std::uint8_t {
  None,
  Missing,     // no such file
  CannotOpen,  // it exists but cannot be opened (permissions, a dangling link)
  Folder,      // the path names a folder
  TooLarge,    // more bytes than any real file of its kind holds
  NotText,     // a NUL byte in a file that must be text
  ReadFailed,  // the system reported an error while reading
};

// A file opened for reading a bounded number of bytes at a time. Anything that is not a
// folder may be read (a pipe, a device), because the bound is checked while reading: a
// device that never ends runs into it like a file that is too large.
class BoundedInput {
 public:
  BoundedInput() = default;
  ~BoundedInput();
  BoundedInput(const BoundedInput&) = delete;
  BoundedInput& operator=(const BoundedInput&) = delete;

  FileReadError Open(const std::string& path);
  // Appends up to `count` more bytes to out; fewer only where the file ends.
  FileReadError Append(std::size_t count, std::string& out);
  // True once a read has met the end of the file.
  bool AtEnd() const { return atEnd_; }

 private:
  std::FILE* file_ = nullptr;
  bool atEnd_ = false;
};

// The whole file into out, when it holds at most maxBytes (TooLarge otherwise; out is then
// empty). With `text`, a NUL byte makes it NotText: no text file of the program holds one.
// `spare`: room kept beyond the file's bytes, for a text that is going to grow.
FileReadError ReadBoundedFile(const std::string& path, std::size_t maxBytes, std::string& out,
                              bool text, std::size_t spare = 0);

// What went wrong, for a programmer reading a script's log: "'PATH' is a folder", "'PATH' is
// larger than N bytes" and so on; "" for None.
std::string DescribeReadError(FileReadError error, const std::string& path,
                              std::size_t maxBytes = 0);

// Creates a folder and the folders above it that are missing, with the user's umask. True
// when it exists afterwards; otherwise `failed` names the folder that could not be made.
bool MakeFolders(const std::string& folder, std::string* failed = nullptr);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files of saves in progress before
// the program ends as the signal asks. The programs call it once at start-up; a signal that
// the process was started ignoring (nohup) stays ignored, and one that already has a
// handler keeps it.
void InstallTempFileCleanup();

}  // namespace trevalon
