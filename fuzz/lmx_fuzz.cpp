// Arbitrary bytes as a cutting-condition file: the reader must take any text, and what it
// leaves must write as 23 lines with a usable feed unit and master control untouched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "feed/cutting_conditions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace trevalon;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CuttingConditions c;
  ReadConditionsText(text, c);
  if (c.FeedChgAng < 1 || c.LmxByMaster != 0) std::abort();
  std::string out = ConditionsFileText(c, Language::Japanese);
  std::size_t lines = 0;
  for (char ch : out) lines += ch == '\n';
  if (lines != 23) std::abort();
  // What was written reads back to the same words where the material is one word.
  CuttingConditions back;
  ReadConditionsText(out, back);
  if (back.Material != c.Material || back.MaxFeed != c.MaxFeed || back.PlungeFeed != c.PlungeFeed ||
      back.FeedChgAng != c.FeedChgAng || back.ConCorChk != c.ConCorChk)
    std::abort();
  // The dialogs' relations on whatever the file held.
  SlopeReductionFromCorner(c);
  TransferDialogBoxes(c);
  MinimumFeedShown(c);
  ApplyFeedBoxes(c, c.MaxFeed, c.PlungeFeed);
  return 0;
}
