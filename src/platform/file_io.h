#pragma once
// Writing files so that nothing half-written ever replaces a good file: the bytes go to a
// temporary file beside the target, which replaces the target only once it is complete.

#include <cstdio>
#include <string>
#include <string_view>

namespace trevalon {

// Writes the whole text at once; 1 when the target now holds it, 0 when the file could not
// be created or written (the old target is then untouched).
int WriteFileReplacing(const std::string& path, std::string_view bytes);

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

 private:
  std::string path_, temp_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace trevalon
