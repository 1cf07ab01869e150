#include "feed/machine_feed.h"

#include <cmath>
#include <deque>

#include "feed/feed_rules.h"
#include "model/point_store.h"

namespace trevalon {

const MachineType* FindMachine(std::string_view name) {
  for (const MachineType& m : kMachines)
    if (name == m.name) return &m;
  return nullptr;
}

bool KnownTransferRate(long rate) {
  for (int r : kTransferRates)
    if (rate == r) return true;
  return false;
}

int BufferedBlocks(int machineBlocks, int weight) {
  const int n = machineBlocks + (weight - 50) * machineBlocks / 50;
  return n < 1 ? 1 : n;
}

void ConfirmMachineChoice(MachineFeedOptions& o) {
  if (const MachineType* m = FindMachine(o.machine))
    o.blockCount = BufferedBlocks(m->blocks, o.weight);
}

int BlockCharacters(int type, const double prev[3], std::int32_t prevFeed, const double cur[3],
                    std::int32_t feed, double length) {
  if (length < 0.0001) return 0;
  int n = 0, changed = 0;
  for (int k = 0; k < 3; ++k) {
    if (cur[k] == prev[k]) continue;
    ++changed;
    const double a = std::fabs(cur[k]);
    n += a < 10 ? 6 : a < 100 ? 7 : a < 1000 ? 8 : 9;
    if (cur[k] < 0) ++n;
  }
  if (changed < 2) n += 7;
  if (type == MOVE_RAPID || type == MOVE_LINE || IsArcType(type)) n += 3;  // the G word
  if (type == MOVE_RAPID && feed != prevFeed)
    n += feed > 10000 ? 6 : feed > 1000 ? 5 : feed > 100 ? 4 : feed > 10 ? 3 : 2;
  if (IsArcType(type)) n += 14;
  if (n >= 4) n += 2;
  return n;
}

namespace {

// A unit of 0 leaves feeds unrounded (it counts as 1), so that no rounding divides by zero.
int UsableUnit(int unit) {
  return unit > 0 ? unit : 1;
}

// Rounded down to a multiple of the unit; 0 becomes the unit.
std::int32_t RoundDownToUnit(long feed, int unit) {
  const int u = UsableUnit(unit);
  const long r = feed / u * u;
  return StoredFeed(r == 0 ? u : r);
}

// Seconds a move of this length takes at this feed (per minute). Our rule: a move without a
// feed (0 or less) takes no time; it is not slowed either.
double ExecutionSeconds(double length, long feed) {
  return feed > 0 ? length / (feed / 60.0) : 0.0;
}

struct Block {
  std::uint32_t index = 0;
  int type = 0;
  double length = 0;
  int characters = 0;
};

// The blocks of the toolpath in order: the moves that make a block (see BlockCharacters),
// with the feeds of the plan as they stand when the block is read.
class BlockStream {
 public:
  BlockStream(CPointStore& store, FeedPlan& plan) : walk_(store), plan_(plan) {}
  bool Next(Block& b) {
    FeedMove m;
    while (walk_.Next(m)) {
      const std::int32_t feed = plan_[m.index];
      const int chars =
          m.hasStart ? BlockCharacters(m.type, m.start, prevFeed_, m.end, feed, m.length) : 0;
      prevFeed_ = feed;
      if (chars == 0) continue;
      b = {m.index, m.type, m.length, chars};
      return true;
    }
    return false;
  }

 private:
  MoveWalk walk_;
  FeedPlan& plan_;
  std::int32_t prevFeed_ = 0;
};

// The transfer to the control, block by block, slowing blocks the line cannot keep fed.
// See docs/design-rules.md, "Transfer to the control".
void SimulateTransfer(CPointStore& store, FeedPlan& plan, const MachineFeedOptions& o) {
  BlockStream blocks(store, plan);
  const std::size_t capacity = static_cast<std::size_t>(o.blockCount < 1 ? 1 : o.blockCount);
  const int rate = o.transferRate > 0 ? o.transferRate : 9600;
  std::deque<double> held;
  double inHand = 0;
  bool running = false;
  Block cur, next;
  bool haveCur = blocks.Next(cur);
  while (haveCur) {
    const bool haveNext = blocks.Next(next);
    if (running) {
      double left = TransferSeconds(cur.characters, rate);
      while (left > 0 && !held.empty()) {
        double& oldest = held.front();
        if (oldest <= left) {
          left -= oldest;
          inHand -= oldest;
          held.pop_front();
        } else {
          oldest -= left;
          inHand -= left;
          left = 0;
        }
      }
      if (held.empty()) inHand = 0;  // no rounding left over from the sums
    }
    const bool rapid = IsRapidType(cur.type);
    const long feed = rapid ? o.rapidFeed : plan[cur.index];
    const double exec = ExecutionSeconds(cur.length, feed);
    held.push_back(exec);
    inHand += exec;
    if (held.size() > capacity) {
      inHand -= held.front();
      held.pop_front();
    }
    if (held.size() >= capacity) running = true;
    if (running && haveNext && !rapid && feed > 0) {
      const double nextTransfer = TransferSeconds(next.characters, rate);
      if (inHand < nextTransfer) {
        const double needed = exec + (nextTransfer - inHand);
        long slowed = TruncFeed(static_cast<double>(feed) * exec / needed);
        if (slowed < o.minFeed) slowed = o.minFeed;
        const std::int32_t f = RoundDownToUnit(slowed, o.unit);
        if (f < feed) {
          plan[cur.index] = f;
          const double slower = ExecutionSeconds(cur.length, f);
          inHand += slower - held.back();
          held.back() = slower;
        }
      }
    }
    cur = next;
    haveCur = haveNext;
  }
}

// Steps 2 to 4 of the rule: the cap, the transfer and the rounding.
void CapTransferRound(CPointStore& store, FeedPlan& plan, const MachineFeedOptions& o) {
  const std::int32_t max = StoredFeed(o.maxFeed);
  for (std::uint32_t i = 0; i < plan.size(); ++i)
    if (store.IsMotion(i) && !IsRapidType(store.reg.type) && plan[i] > max) plan[i] = max;
  SimulateTransfer(store, plan, o);
  for (std::uint32_t i = 0; i < plan.size(); ++i)
    if (store.IsMotion(i) && !IsRapidType(store.reg.type))
      plan[i] = RoundDownToUnit(plan[i], o.unit);
}

// The length a smoothing walk gives a move: rapids (and the program's first point) count 0,
// so that no feed is smoothed across a rapid.
double SmoothingLength(const FeedMove& m) {
  return IsRapidType(m.type) || !m.hasStart ? 0.0 : m.length;
}

// The two smoothing walks over moves in order, each with the moves before and after.
void Smooth(CPointStore& store, FeedPlan& plan, int unit) {
  auto walk = [&](auto&& visit) {
    MoveWalk w(store);
    FeedMove m[3];
    if (!w.Next(m[1])) return;
    bool more = w.Next(m[2]);
    visit(nullptr, m[1], more ? &m[2] : nullptr);
    while (more) {
      m[0] = m[1];
      m[1] = m[2];
      more = w.Next(m[2]);
      visit(&m[0], m[1], more ? &m[2] : nullptr);
    }
  };
  // Valleys: a move slower than both neighbours by more than a tenth is brought up with the
  // move before it.
  walk([&](const FeedMove* prev, const FeedMove& cur, const FeedMove* next) {
    if (!prev || !next) return;
    const double lp = SmoothingLength(*prev), lc = SmoothingLength(cur),
                 ln = SmoothingLength(*next);
    if (lp <= 0 || lc <= 0 || ln <= 0) return;
    const std::int32_t fp = plan[prev->index], fc = plan[cur.index], fn = plan[next->index];
    if (fp <= 0 || fc <= 0 || fn <= 0) return;
    if (fp > 1.1 * fc && fn > 1.1 * fc)
      plan[prev->index] = plan[cur.index] = TimeWeightedFeed(lp, fp, lc, fc, unit);
  });
  // Pairs: a move and the next one, unless the next is faster by 30 % or more.
  walk([&](const FeedMove*, const FeedMove& cur, const FeedMove* next) {
    if (!next) return;
    const double lc = SmoothingLength(cur), ln = SmoothingLength(*next);
    if (lc <= 0 || ln <= 0) return;
    const std::int32_t fc = plan[cur.index], fn = plan[next->index];
    if (fc <= 0 || fn <= 0) return;
    if (fn < 1.3 * fc) plan[cur.index] = plan[next->index] = TimeWeightedFeed(lc, fc, ln, fn, unit);
  });
}

}  // namespace

std::int32_t TimeWeightedFeed(double la, std::int32_t fa, double lb, std::int32_t fb, int unit) {
  const double mean = (la + lb) / (la / fa + lb / fb);
  const int u = UsableUnit(unit);
  const long r = static_cast<long>(std::floor(mean / u + 0.5)) * u;
  return StoredFeed(r == 0 ? u : r);
}

Outcome MachineFeedCommand(EditContext& ctx, const MachineFeedOptions& o,
                           FeedChangeSummary* summary) {
  CPointStore& s = ctx.store;
  FeedPlan plan;
  if (!plan.Take(s)) return FeedRuleNoMemory(ctx);
  if (o.setMax) plan.SetEveryFeed(s, StoredFeed(o.maxFeed));
  CapTransferRound(s, plan, o);
  if (o.smooth) {
    CapTransferRound(s, plan, o);
    Smooth(s, plan, o.unit);
  }
  return plan.Apply(ctx, "no feed to change", summary);
}

}  // namespace trevalon
