// Comment text for written programs (see nc_comment.h).
#include "ncio/nc_comment.h"

namespace trevalon {

std::string CommentText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '(')
      c = '[';
    else if (c == ')')
      c = ']';
    else if ((u < 0x20 && c != '\t') || u == 0x7f)
      c = ' ';
  }
  return out;
}

}  // namespace trevalon
