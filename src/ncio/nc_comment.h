#pragma once
// Text that goes into a "( ... )" comment of a written program. A comment that carried its own
// ")" would end there and leave the rest of the line as live blocks for the control, and a
// line break inside it (a CR alone ends a line on some controls) would do the same on the next
// line.

#include <string>
#include <string_view>

namespace trevalon {

// Our rule: inside a comment "(" becomes "[" and ")" becomes "]", and every line break or
// other control character (a tab excepted) becomes a blank; everything else stays. Every
// writer that puts text from data between parentheses passes it through here.
std::string CommentText(std::string_view text);

}  // namespace trevalon
