#include "feed/feed_profile.h"

#include <cmath>
#include <new>
#include <optional>

#include "feed/master_query.h"
#include "model/point_store.h"
#include "model/statistics.h"

namespace trevalon {

std::optional<std::size_t> FeedProfile::MoveAt(double d) const {
  if (moves.empty()) return std::nullopt;
  if (!(d > 0)) return 0;  // before the start, and a distance that is no number
  // The first move whose end is not before d.
  std::size_t lo = 0, hi = moves.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (moves[mid].end < d)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < moves.size() ? lo : moves.size() - 1;
}

bool BuildFeedProfile(CPointStore& store, FeedProfile& out, const MasterGrid* grid, double radius) {
  out.moves.clear();
  out.hasSlopes = grid != nullptr && grid->cells != nullptr;
  std::optional<MasterQuery> query;
  try {
    // Counted first, so that the profile takes its memory once and no more than it needs.
    std::size_t cuts = 0;
    for (std::uint32_t i = 0; i < store.count; ++i) {
      const int t = store.FetchPoint(i) ? store.reg.type : 0;
      if (IsLinearType(t) || IsArcType(t)) ++cuts;
    }
    out.moves.reserve(cuts);
    if (out.hasSlopes) query.emplace(*grid, radius);

    double distance = 0;
    bool havePrev = false;
    double px = 0, py = 0, pz = 0;  // the motion point before
    for (std::uint32_t i = 0; i < store.count; ++i) {
      if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
      const int type = store.reg.type;
      const double x = store.reg.x, y = store.reg.y, z = store.reg.z;
      const std::int16_t feed = static_cast<std::int16_t>(store.reg.feed);
      if (!IsRapidType(type)) {
        double length = 0;
        if (IsLinearType(type)) {
          if (havePrev) {
            const double dx = x - px, dy = y - py, dz = z - pz;
            length = FlooredSqrt(dx * dx + dy * dy + dz * dz);
          }
        } else {
          length = StoredArcLength(store, i);  // leaves another record in the register
        }
        if (std::isfinite(length)) distance += length;
        ProfileMove m;
        m.end = distance;
        m.record = i;
        m.feed = feed;
        if (query) m.slope = static_cast<std::int16_t>(query->MaxSlopeAbove(x, y, z));
        out.moves.push_back(m);
      }
      px = x, py = y, pz = z;
      havePrev = true;
    }
  } catch (const std::bad_alloc&) {
    out.moves = {};
    out.hasSlopes = false;
    return false;
  }
  return true;
}

namespace {
template <class Value>
std::vector<ColumnValues> Decimate(const FeedProfile& profile, Value valueOf, double perColumn,
                                   int columns) {
  std::vector<ColumnValues> out;
  if (columns <= 0 || !(perColumn > 0) || !std::isfinite(perColumn)) return out;
  out.reserve(static_cast<std::size_t>(columns));
  const auto columnOf = [&](double d) {
    const double c = std::floor(d / perColumn);
    if (!(c > 0)) return 0;
    return c >= columns - 1 ? columns - 1 : static_cast<int>(c);
  };

  bool open = false;
  int column = 0;
  double lo = 0, hi = 0;
  bool lowLast = false;  // which extreme was reached last
  const auto close = [&] {
    if (!open) return;
    ColumnValues v;
    v.column = column;
    v.single = lo == hi;
    v.first = lowLast ? hi : lo;
    v.second = lowLast ? lo : hi;
    out.push_back(v);
  };
  const auto add = [&](int c, double value) {
    if (open && c == column) {
      if (value < lo) {
        lo = value;
        lowLast = true;
      } else if (value > hi) {
        hi = value;
        lowLast = false;
      }
      return;
    }
    close();
    open = true;
    column = c;
    lo = hi = value;
    lowLast = false;
  };

  for (std::size_t i = 0; i < profile.moves.size(); ++i) {
    const ProfileMove& m = profile.moves[i];
    const double value = valueOf(i);
    const int first = columnOf(profile.Start(i));
    // A move that ends just where a column begins does not pass through that column.
    const double reach = m.end / perColumn;
    int last = first;
    if (reach >= columns) {
      last = columns - 1;
    } else if (reach > first) {
      last = static_cast<int>(std::floor(reach));
      if (last > first && reach == std::floor(reach)) --last;
    }
    for (int c = first; c <= last; ++c) add(c, value);
  }
  close();
  return out;
}

}  // namespace

std::vector<ColumnValues> DecimateProfile(const FeedProfile& profile, bool slopes, double perColumn,
                                          int columns) {
  return Decimate(
      profile,
      [&](std::size_t i) {
        const ProfileMove& m = profile.moves[i];
        return static_cast<double>(slopes ? m.slope : m.feed);
      },
      perColumn, columns);
}

std::vector<ColumnValues> DecimateRates(const FeedProfile& profile, double perColumn, int columns) {
  if (!profile.HasRates()) return {};
  return Decimate(
      profile, [&](std::size_t i) { return static_cast<double>(profile.rates[i]); }, perColumn,
      columns);
}

bool AddRemovalRates(FeedProfile& profile, const std::vector<std::uint32_t>& records,
                     const std::vector<float>& volumes, const std::vector<float>& lengths) {
  profile.rates.clear();
  try {
    profile.rates.assign(profile.moves.size(), 0.0f);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // Both lists run in record order: one merge walk.
  std::size_t k = 0;
  for (std::size_t i = 0; i < profile.moves.size(); ++i) {
    const ProfileMove& m = profile.moves[i];
    while (k < records.size() && records[k] < m.record) ++k;
    if (k >= records.size() || records[k] != m.record) continue;
    if (!(lengths[k] > 0.0f) || m.feed <= 0) continue;
    profile.rates[i] = static_cast<float>(static_cast<double>(volumes[k]) * m.feed / lengths[k]);
  }
  return true;
}

}  // namespace trevalon
