// The TNC style of the Heidenhain output: the program frame as today's conversational
// controls show it. Block number, blank, function; BEGIN PGM and END PGM with the program's
// name; a blank form from the toolpath's extent; the tool called before the first move; rapids
// as L ... R0 FMAX. The motion blocks are the Heidenhain writer's (heidenhain_blocks.cpp) with
// signed coordinates.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "model/point_store.h"
#include "ncio/nc_block_words.h"
#include "ncio/nc_writer.h"
#include "platform/system_paths.h"

namespace trevalon {

using namespace ncwords;

// Our rule: the program number when one is set, else the output file's name without its
// folder and extension (a control names a program after its file); blanks become "_", and a
// name that comes out empty is "0".
std::string CNcOutputDlg::TncProgramName() const {
  if (programNumberOn) return std::to_string(programNumber);
  std::string name = Utf8Path(NativePath(outputPath).stem());
  for (char& c : name)
    if (c == ' ' || c == '\t') c = '_';
  return name.empty() ? "0" : name;
}

// Our rule: the blank is the extent of the cutting moves' start and end points (of every move
// when there is no cut) with kTncBlankMargin on every side.
void CNcOutputDlg::TncBlank(CPointStore& store) {
  bool any = false, anyCut = false;
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0}, cutLo[3] = {0, 0, 0}, cutHi[3] = {0, 0, 0};
  auto take = [](bool& seen, double l[3], double h[3], const PointRegister& r) {
    const double p[3] = {r.x, r.y, r.z};
    for (int a = 0; a < 3; ++a) {
      l[a] = seen ? std::min(l[a], p[a]) : p[a];
      h[a] = seen ? std::max(h[a], p[a]) : p[a];
    }
    seen = true;
  };
  PointRegister from{};
  bool started = false;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i) || !store.IsMotion(i)) continue;
    take(any, lo, hi, store.reg);
    if (!IsRapidType(store.reg.type)) {
      if (started) take(anyCut, cutLo, cutHi, from);  // where the cut starts
      take(anyCut, cutLo, cutHi, store.reg);
    }
    from = store.reg;
    started = true;
  }
  for (int a = 0; a < 3; ++a) {
    tncBlankMin_[a] = (anyCut ? cutLo[a] : lo[a]) - kTncBlankMargin;
    tncBlankMax_[a] = (anyCut ? cutHi[a] : hi[a]) + kTncBlankMargin;
  }
}

void CNcOutputDlg::TncHeader() {
  const std::string name = TncProgramName();
  Block("BEGIN PGM " + name + " " + setup.ConversationalUnits());
  char line[kLine];
  char* p = Put(line, "BLK FORM 0.1 Z");
  for (int a = 0; a < 3; ++a) p = SignedWordAfterBlank(p, "XYZ"[a], tncBlankMin_[a]);
  Block(line, static_cast<std::size_t>(p - line));
  p = Put(line, "BLK FORM 0.2");
  for (int a = 0; a < 3; ++a) p = SignedWordAfterBlank(p, "XYZ"[a], tncBlankMax_[a]);
  Block(line, static_cast<std::size_t>(p - line));
}

// The tool call (or, without a tool, the spindle speed alone) and the move to the start point
// at the safe height with the spindle and coolant on.
void CNcOutputDlg::TncStart() {
  char line[kLine];
  if (toolChange)
    std::snprintf(line, sizeof line, "TOOL CALL %d Z S%d", toolNumber, spindle);
  else
    std::snprintf(line, sizeof line, "TOOL CALL Z S%d", spindle);
  if (toolChange || spindle != 0) Block(line);
  char* p = Put(line, "L");
  p = SignedWordAfterBlank(p, 'X', recordStart_[0]);
  p = SignedWordAfterBlank(p, 'Y', recordStart_[1]);
  p = SignedWordAfterBlank(p, 'Z', safeHeight);
  p = Put(p, " R0 FMAX");
  if (toolChange || spindle != 0) {
    p = Put(p, setup.spindleDirection == 4 ? " M4" : " M3");
    p = Put(p, setup.coolant == 7 ? " M7" : " M8");
  }
  Block(line, static_cast<std::size_t>(p - line));
}

// Up to the safe height (higher when the tool already is), spindle and coolant off, END PGM.
void CNcOutputDlg::TncFooter() {
  char line[kLine];
  const double top = PositionKnown() ? std::max(position[2], safeHeight) : safeHeight;
  char* p = Put(line, "L");
  p = SignedWordAfterBlank(p, 'Z', top);
  p = Put(p, " R0 FMAX M5 M9");
  Block(line, static_cast<std::size_t>(p - line));
  Block("END PGM " + TncProgramName() + " " + setup.ConversationalUnits());
}

void CNcOutputDlg::NoteTncFeed() {
  const std::size_t f = lastBlock_.find(" F");
  if (f == std::string::npos || f + 2 >= lastBlock_.size()) return;
  const char c = lastBlock_[f + 2];
  if (c < '0' || c > '9') return;  // FMAX
  std::int32_t v = 0;
  for (std::size_t i = f + 2; i < lastBlock_.size() && lastBlock_[i] >= '0' && lastBlock_[i] <= '9';
       ++i)
    v = v * 10 + (lastBlock_[i] - '0');
  tncFeed_ = v;
}

}  // namespace trevalon
