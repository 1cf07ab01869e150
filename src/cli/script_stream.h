#pragma once
// Running a script as it is read: from a file or standard input, line by line.

#include <cstddef>
#include <iosfwd>

#include "cli/script.h"

namespace trevalon::cli {

// The longest line a script may hold (a quoted word that runs over several lines counts as
// one line): far more than any command needs, and the bound that keeps a stream that is no
// script (a device of zeros, a binary file) from filling the memory.
inline constexpr std::size_t kScriptLineLimit = 1u << 20;

// Runs a script as it is read, so that a command runs as soon as its line has arrived (a pipe
// that never ends runs in constant memory) and its output is flushed before the next line is
// read. A UTF-8 byte-order mark at the start is skipped. A line longer than kScriptLineLimit
// or holding a NUL byte stops the run as a usage error on its line; so does a quote still
// open at the end. Returns the exit status as RunScript does.
int RunScriptStream(Session& s, std::istream& in);

}  // namespace trevalon::cli
