#include "ncio/nc_text_check.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "platform/system_paths.h"

namespace trevalon {

NcTextCheck CheckNcText(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(NativePath(path), ec)) return NcTextCheck::CannotOpen;
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return NcTextCheck::CannotOpen;
  std::array<char, kTextProbeBytes> probe{};
  in.read(probe.data(), static_cast<std::streamsize>(probe.size()));
  const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
  const auto end = probe.begin() + static_cast<std::ptrdiff_t>(got);
  return std::find(probe.begin(), end, '\0') == end ? NcTextCheck::Text : NcTextCheck::NotText;
}

}  // namespace trevalon
