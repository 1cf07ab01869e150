#pragma once
// The machine feed ("기계조건에 의한 feed 변경"): feeds limited by what the control can take in
// over a serial line. A control that runs a program by DNC holds a few blocks; while it runs
// them the next block comes down the line. Where the blocks in hand run out before the next
// one has arrived, the machine would stop and wait in the middle of a cut, so the block in
// front of the gap is slowed until it lasts long enough. Then, if asked, the feeds are
// smoothed so that neighbouring moves do not jump.

#include <cstdint>
#include <string>
#include <string_view>

#include "feed/feed_changes.h"

namespace trevalon {

struct MachineType {
  const char* name;
  int blocks;  // the blocks its control buffers
};
// The machines of the dialog's list, in list order.
inline constexpr MachineType kMachines[] = {
    {"Machine0", 2},  {"Fanuc0M", 5},   {"Fanuc15M", 30}, {"Machine1", 10},
    {"Machine2", 20}, {"Machine3", 40}, {"Machine4", 50}, {"Machine5", 60},
    {"Machine6", 70}, {"Machine7", 80}, {"Machine8", 90}, {"Machine9", 90},
};
// The transfer rates of the dialog's list, in bits per second.
inline constexpr int kTransferRates[] = {2400, 4800, 9600, 19200, 38400, 56800};

// The machine-feed dialog ("기계와 DNC 조건을 입력하시요.").
struct MachineFeedOptions {
  std::string machine = "Fanuc0M";   // "공작기계"
  std::int32_t transferRate = 9600;  // "전송속도"
  std::int32_t maxFeed = 1000;
  std::int32_t minFeed = 300;
  std::int32_t rapidFeed = 8000;
  std::int32_t unit = 50;    // "Feed 단위"
  std::int32_t weight = 50;  // the slider "CNC 가중치"; shown as weight - 50
  std::int32_t smooth = 1;   // "부르러운 feed"
  std::int32_t setMax = 1;   // "최대 feed로 변경후 감소"
  // The blocks the control holds, worked out on OK (ConfirmMachineChoice).
  std::int32_t blockCount = 5;
};
inline constexpr IntRange kMachineMaxFeedRange{1, 100000};
inline constexpr IntRange kMachineMinFeedRange{0, 100000};
inline constexpr IntRange kRapidFeedRange{3000, 100000};
inline constexpr IntRange kMachineFeedUnitRange{0, 1000};
// The slider "CNC 가중치" runs from 0 to 100 (shown as -50 to 50): from no blocks beyond the
// running one up to twice the machine's buffer.
inline constexpr IntRange kCncWeightRange{0, 100};

// The machine of the list with this name (compared exactly), or null.
const MachineType* FindMachine(std::string_view name);
// Whether a rate is one of the list's.
bool KnownTransferRate(long rate);
// The blocks held: B + (weight - 50) x B / 50 in whole numbers. Our rule: at least one, the
// block the control is running.
int BufferedBlocks(int machineBlocks, int weight);
// The dialog's OK: the block count from the machine and the weight; a machine that is not in
// the list leaves the count as it was.
void ConfirmMachineChoice(MachineFeedOptions& options);

// The characters of the block that moves from `prev` (with feed prevFeed) to `cur`, as the
// control receives it; 0 (no block) for a move shorter than 0.0001. The length is the move's
// own: along the arc for an arc (a full circle is a block), and the program's first point,
// which has no move before it, makes no block.
int BlockCharacters(int type, const double prev[3], std::int32_t prevFeed, const double cur[3],
                    std::int32_t feed, double length);
// Seconds to send that many characters: 10 bits a character.
inline double TransferSeconds(int characters, int rate) {
  return characters * 10.0 / rate;
}
// The time-weighted mean of two moves' feeds, (La + Lb) / (La / Fa + Lb / Fb), to the nearest
// multiple of the unit (halves up); 0 becomes the unit.
std::int32_t TimeWeightedFeed(double la, std::int32_t fa, double lb, std::int32_t fb, int unit);

// The machine feed on the document: feeds capped at the maximum (after setting every feed to
// it when asked), slowed where the transfer cannot keep up, rounded down to the feed unit,
// and smoothed when asked. Unchanged when no feed changes.
Outcome MachineFeedCommand(EditContext& ctx, const MachineFeedOptions& options,
                           FeedChangeSummary* summary = nullptr);

}  // namespace trevalon
