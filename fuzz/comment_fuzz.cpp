// Arbitrary bytes as the comment of a written program: every line that holds a parenthesis is
// one comment, opened by "(" and closed by ")" with no other parenthesis and no line break
// inside it, so that no text of the comment can become a block.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "model/point_store.h"
#include "ncio/nc_writer.h"
#include "platform/file_io.h"
#include "platform/platform.h"
#include "texts/messages.h"

namespace {
void CheckLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // between comment lines
  const std::size_t open = line.find('('), close = line.find(')');
  if (open == std::string_view::npos && close == std::string_view::npos) return;
  if (open != 0 || close != line.size() - 1) std::abort();
  if (line.find_first_of("()", 1) != line.size() - 1) std::abort();
  for (char c : line)
    if (c == '\r' || c == '\0') std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace trevalon;
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("trevalon_comment_fuzz_" + std::to_string(getpid()) + ".nc"))
                                      .string();
  static CPointStore* store = [] {
    auto* s = new CPointStore;
    s->reg = PointRegister{};
    s->reg.type = MOVE_RAPID, s->reg.z = 10;
    s->StorePoint(0);
    s->reg.type = MOVE_LINE, s->reg.x = 5, s->reg.feed = 100;
    s->StorePoint(1);
    s->count = 2;
    return s;
  }();
  HeadlessPlatform platform;
  Messages msg(platform, Language::English);
  CNcOutputDlg dlg;
  dlg.comment.assign(reinterpret_cast<const char*>(data), size);
  dlg.machiningInfo = true;
  dlg.openInEditor = false;
  dlg.diagonalRapidCheck = false;
  ReplacingFile file;
  if (!file.Open(path)) return 0;
  dlg.WriteProgram(msg, *store, file);
  if (!file.Commit()) return 0;
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t from = 0;
  for (std::size_t lf; (lf = text.find('\n', from)) != std::string::npos; from = lf + 1)
    CheckLine(std::string_view(text).substr(from, lf - from));
  if (from != text.size()) std::abort();  // every line ends with a line feed
  return 0;
}
