#include "platform/file_io.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace trevalon {

int WriteFileReplacing(const std::string& path, std::string_view bytes) {
  ReplacingFile f;
  if (!f.Open(path)) return 0;
  f.Write(bytes);
  return f.Commit();
}

ReplacingFile::~ReplacingFile() {
  Abandon();
}

int ReplacingFile::Open(const std::string& path) {
  Abandon();
  path_ = path;
  failed_ = false;
  // A unique name beside the target, so that the final rename stays on one file system.
  static const unsigned salt = std::random_device{}();
  static unsigned counter = 0;
  temp_ = path + ".tmp" + std::to_string(salt) + "-" + std::to_string(++counter);
  file_ = std::fopen(temp_.c_str(), "wb");
  return file_ != nullptr;
}

int ReplacingFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    failed_ = true;
  return !failed_;
}

int ReplacingFile::Commit() {
  if (!file_) return 0;
  if (std::fflush(file_) != 0 || std::ferror(file_)) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  if (failed_) {
    std::remove(temp_.c_str());
    return 0;
  }
  std::error_code ec;
  std::filesystem::rename(temp_, path_, ec);
  if (ec) {
    std::remove(temp_.c_str());
    return 0;
  }
  return 1;
}

void ReplacingFile::Abandon() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
    std::remove(temp_.c_str());
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
