#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "platform/file_io_detail.h"
#include "platform/system_paths.h"
#include "platform/write_failure.h"

namespace trevalon {

namespace {

thread_local std::string g_writeFailure;

// Removes a temporary file that is not to become the target.
void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(NativePath(path), ec);
}

}  // namespace

void detail::NoteWriteFailure(int error) {
  if (g_writeFailure.empty()) g_writeFailure = DescribeWriteError(error);
}

void detail::ClearWriteFailure() {
  g_writeFailure.clear();
}

detail::TempSlot detail::g_temps[detail::kTempSlots];

int detail::RegisterTemp(const std::string& path) {
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

void detail::ReleaseTemp(int& slot) {
  if (slot >= 0) g_temps[slot].state.store(0, std::memory_order_release);
  slot = -1;
}

std::string detail::TempNameBeside(const std::string& target) {
  static const unsigned salt = std::random_device{}();
  static unsigned counter = 0;
  return target + ".tmp" + std::to_string(salt) + "-" + std::to_string(++counter);
}

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

int ReplacingFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    detail::NoteWriteFailure(errno);
    failed_ = true;
  }
  return !failed_;
}

int ReplacingFile::Commit() {
  if (!file_) return 0;
  if (std::fflush(file_) != 0 || std::ferror(file_)) {
    detail::NoteWriteFailure(errno);
    failed_ = true;
  }
  if (std::fclose(file_) != 0) {
    detail::NoteWriteFailure(errno);
    failed_ = true;
  }
  file_ = nullptr;
  int done = 0;
  if (!failed_) {
    const int error = detail::MoveOver(temp_, target_);
    done = error == 0;
    if (error) detail::NoteWriteFailure(error);
  }
  if (!done) RemoveQuietly(temp_);
  detail::ReleaseTemp(slot_);
  return done;
}

void ReplacingFile::Abandon() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
    RemoveQuietly(temp_);
    detail::ReleaseTemp(slot_);
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
  const auto st = std::filesystem::status(NativePath(path), ec);
  if (st.type() == std::filesystem::file_type::not_found) return FileReadError::Missing;
  if (ec) return FileReadError::CannotOpen;
  // A folder opens like a file on some systems and fails only on the first read.
  if (st.type() == std::filesystem::file_type::directory) return FileReadError::Folder;
  file_ = OpenFile(path, "rb");
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
                              bool text, std::size_t spare) {
  out.clear();
  BoundedInput in;
  FileReadError e = in.Open(path);
  // The text is taken whole in one piece of memory: a string that doubles as it grows would
  // copy a long program several times over and hold two copies at its peak.
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(NativePath(path), ec);
  if (e == FileReadError::None && !ec)
    out.reserve(std::min<std::uintmax_t>(size, maxBytes) + 1 + spare);
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
  if (folder.empty() || fs::is_directory(NativePath(folder), ec)) return true;
  // One level at a time, so that the folder that cannot be made is the one named.
  fs::path made;
  for (const fs::path& part : NativePath(folder)) {
    made /= part;
    if (fs::is_directory(made, ec)) continue;
    if (!fs::create_directory(made, ec) && !fs::is_directory(made, ec)) {
      if (failed) *failed = Utf8Path(made);
      return false;
    }
  }
  return true;
}

}  // namespace trevalon
