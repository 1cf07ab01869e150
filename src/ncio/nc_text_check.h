#pragma once
// Whether a file can be an NC program at all. Every reader's caller asks this before a read
// changes anything: an executable, an image or an archive chosen by mistake is refused as a
// whole instead of being read as a handful of stray blocks into an empty toolpath.

#include <cstddef>
#include <string>

namespace trevalon {

// How much of the start of a file is looked at. NC programs, in either dialect, are plain
// text; a binary file almost always holds a NUL byte within its first few kilobytes (headers,
// padding, UTF-16 text).
inline constexpr std::size_t kTextProbeBytes = 4096;

enum class NcTextCheck {
  Text,        // no NUL byte near the start (an empty file is text)
  NotText,     // a NUL byte within the first kTextProbeBytes bytes
  CannotOpen,  // the file (or a directory of that name) cannot be opened for reading
};

NcTextCheck CheckNcText(const std::string& path);

}  // namespace trevalon
