// Arbitrary bytes as a post-processor template and as the text of a section editor: the
// reader takes any text, keeps at most ten lines per section, each ending in CR LF, every line
// it keeps expands into a program line ending in a line feed, and the template saved reads
// back with the same sections defined.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ncio/post_conversion.h"
#include "platform/platform.h"

namespace {
void CheckSection(const trevalon::CPostSection& s) {
  if (s.lineCount < 0 || s.lineCount > trevalon::CPostSection::kMaxLines) std::abort();
  for (int k = 0; k < s.lineCount; ++k) {
    const std::string& l = s.lines[k];
    if (l.size() < 2 || l.compare(l.size() - 2, 2, "\r\n") != 0) std::abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace trevalon;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  HeadlessPlatform platform;  // every prompt keeps the value in force
  CPostProcessorDlg dlg;
  dlg.prompts = &platform;
  dlg.ppr.ParseTemplateText(text);
  std::string out;
  for (int id = 0; id < kSectionCount; ++id) {
    const CPostSection& s = dlg.ppr[id];
    if (id != kSecDefine) CheckSection(s);
    for (int k = 0; k < s.lineCount; ++k) {
      const std::size_t before = out.size();
      dlg.ExpandLine(s.lines[k], s.masks[k], out);
      // Each line of a program ends with a line feed (carriage returns typed inside a line
      // may stay: the two passes take out one CR LF each). Only a line that holds a setup
      // variable may be left out whole: the source said none of what it holds.
      if (id != kSecDefine) {
        const bool leftOut = out.size() == before;
        if (leftOut ? (s.masks[k].plain & kNamedBit) == 0 : out.back() != '\n') std::abort();
      }
    }
  }
  dlg.ApplyDefine();
  // What is saved reads back with every section that has lines defined ([Define] always
  // gets one), and only those.
  CPostTemplate again;
  again.ParseTemplateText(dlg.ppr.FormatTemplate());
  for (int id = 0; id < kSectionCount; ++id)
    if (again[id].defined != (id == kSecDefine || dlg.ppr[id].lineCount > 0)) std::abort();
  // The section editor splits any text.
  CPostSection edited;
  edited.SetText(text);
  CheckSection(edited);
  if (edited.defined != !text.empty()) std::abort();
  return 0;
}
