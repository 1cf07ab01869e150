#pragma once
// Why a save failed, in the system's words. A replaced file that could not be written to the
// end (a full disk, a file-size limit) leaves the old file in place; the user must still hear
// the real reason, "no space left on device", not that the file could not be created.

#include <string>

namespace trevalon {

// The system's reason for an errno value as part of a sentence: "no space left on device".
std::string DescribeWriteError(int error);

// The reason of the last write of a ReplacingFile (file_io.h) in this thread that failed
// after its file was created; "" once a file has been opened again or when nothing failed.
const std::string& LastWriteFailure();

}  // namespace trevalon
