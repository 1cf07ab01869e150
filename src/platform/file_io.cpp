#include "platform/file_io.h"

#include <cstdio>
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

}  // namespace trevalon
