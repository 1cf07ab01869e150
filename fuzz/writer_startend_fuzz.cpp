// Arbitrary bytes as the source program of the "file start and end" option: the scan takes any
// text with lines of any length and keeps no more than it looked at; a file shorter than 500
// bytes has no end part.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ncio/start_end_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace trevalon;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string start, end = "x";
  std::string_view head = text.substr(0, 8192);
  ScanStartPart(head, start, end);
  // Both parts are made of the bytes looked at, less line breaks.
  if (start.size() > head.size()) std::abort();
  std::string_view tail = text.size() > 500 ? text.substr(text.size() - 500) : text;
  ScanEndPart(tail, text.size(), end);
  if (end.size() > 500) std::abort();
  if (text.size() < 500 && !end.empty()) std::abort();
  return 0;
}
