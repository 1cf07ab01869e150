#include "app/help_files.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace trevalon {

namespace fs = std::filesystem;

namespace {

// The path with symbolic links and "." and ".." resolved as far as it exists.
fs::path Resolved(const std::string& p) {
  std::error_code ec;
  fs::path r = fs::weakly_canonical(fs::path(p), ec);
  return ec ? fs::path(p).lexically_normal() : r;
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
    const std::string normal = p.lexically_normal().string();
    if (std::find(out.begin(), out.end(), normal) == out.end()) out.push_back(normal);
  };
  if (!s.buildDir.empty() && !s.programDir.empty() && !s.sourceManual.empty() &&
      Inside(Resolved(s.programDir), Resolved(s.buildDir)))
    add(s.sourceManual);
  if (!s.programDir.empty()) {
    fs::path bin = fs::path(s.programDir).lexically_normal();
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
    if (!dir.empty() && dir.front() == '/') add(fs::path(dir) / "trevalon" / "manual");
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  add(s.installManual);
  return out;
}

std::string FindManual(const ManualSearch& s) {
  for (const std::string& folder : ManualFolders(s)) {
    std::error_code ec;
    if (fs::is_regular_file(fs::path(folder) / kManualContents, ec)) return folder;
  }
  return {};
}

bool IsOwnHelpFile(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return fs::is_regular_file(fs::path(path), ec);
}

}  // namespace trevalon
