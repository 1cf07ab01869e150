#pragma once
// The start and end parts that the writer's "file start and end" option copies from a source
// program: the lines before its first cut and the lines from its last retract on.

#include <cstdint>
#include <string>
#include <string_view>

namespace trevalon {

// `head` is the beginning of the file (enough for 51 lines of 79 characters), `tail` its
// last 500 bytes or less, `fileSize` the whole file's size. Both parts are lines joined by
// line feeds, without a final one.
void ScanStartPart(std::string_view head, std::string& startPart, std::string& endPart);
void ScanEndPart(std::string_view tail, std::uint64_t fileSize, std::string& endPart);
// Reads the source file; a file that cannot be opened gives two empty parts.
void ReadStartEndParts(const std::string& path, std::string& startPart, std::string& endPart);
// The first `maxLines` lines of the start part the writer would copy from the program at
// `path`, joined by line feeds: what the save dialog shows before the program is written.
// "" when the file cannot be read or gives no start part (the writer then writes its own).
std::string StartPartPreview(const std::string& path, int maxLines);

}  // namespace trevalon
