#include "app/help_files.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "platform/system_paths.h"

namespace trevalon {

namespace fs = std::filesystem;

namespace {

// The path with symbolic links and "." and ".." resolved as far as it exists.
fs::path Resolved(const std::string& p) {
  std::error_code ec;
  fs::path r = fs::weakly_canonical(NativePath(p), ec);
  return ec ? NativePath(p).lexically_normal() : r;
}

// Whether `inner` is `outer` or lies inside it, compared folder by folder.
bool Inside(const fs::path& inner, const fs::path& outer) {
  auto i = inner.begin();
  for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
    if (o->empty()) continue;  // the trailing separator of "a/b/"
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> ManualFolders(const ManualSearch& s) {
  std::vector<std::string> out;
  auto add = [&out](const fs::path& p) {
    if (p.empty()) return;
    const std::string normal = Utf8Path(p.lexically_normal());
    if (std::find(out.begin(), out.end(), normal) == out.end()) out.push_back(normal);
  };
  if (!s.buildDir.empty() && !s.programDir.empty() && !s.sourceManual.empty() &&
      Inside(Resolved(s.programDir), Resolved(s.buildDir)))
    add(NativePath(s.sourceManual));
  if (!s.programDir.empty()) {
    fs::path bin = NativePath(s.programDir).lexically_normal();
    if (!bin.has_filename()) bin = bin.parent_path();  // "/opt/trevalon/bin/"
    add(bin.parent_path() / "share" / "trevalon" / "manual");
  }
  const std::string dirs = s.xdgDataDirsSet && !s.xdgDataDirs.empty()
                               ? s.xdgDataDirs
                               : std::string("/usr/local/share:/usr/share");
  std::string_view rest = dirs;
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    // Relative entries are not valid data folders: they would depend on where one stands.
    if (!dir.empty() && dir.front() == '/')
      add(NativePath(std::string(dir)) / "trevalon" / "manual");
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  add(NativePath(s.installManual));
  return out;
}

std::string FindManual(const ManualSearch& s) {
  for (const std::string& folder : ManualFolders(s)) {
    std::error_code ec;
    if (fs::is_regular_file(NativePath(folder) / kManualContents, ec)) return folder;
  }
  return {};
}

bool IsOwnHelpFile(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return fs::is_regular_file(NativePath(path), ec);
}

}  // namespace trevalon
