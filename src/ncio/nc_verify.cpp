// Verify after writing: read-back and the move-by-move comparison (see nc_verify.h).
#include "ncio/nc_verify.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <vector>

#include "model/geometry.h"
#include "model/layer_table.h"
#include "ncio/arc_pieces.h"
#include "ncio/fanuc_reader.h"

namespace trevalon {

namespace {

// How far a centre read back may lie from the toolpath's: a radius word of three decimals
// moves the centre a little, more so on arcs near a half circle.
constexpr double kCentreTolerance = 0.005;
// How far a chord written for an arc may leave it.
constexpr double kChordTolerance = 0.001;
// The most pieces one arc may come back in; more is not an arc cut for output any longer.
// The Heidenhain output writes up to 100000 chords for one arc (an arc of radius 1000 takes
// about 5000 a turn), and every one of them must be taken.
constexpr int kMaxPieces = 100000;

// A move of one side with what the comparison needs: where it ends, where its record is and,
// for an arc, the offset of its centre from where it starts.
struct Move {
  int type = 0;
  int plane = 0;
  double p[3] = {0, 0, 0};
  double ijk[3] = {0, 0, 0};
  std::int32_t feed = 0;
  std::uint32_t index = 0;
  std::size_t part = 0;
};

// Walks the motion records of the parts in order as the writer walks them: records that do
// not fetch are passed over, an arc takes its plane and offset from the centre record after it
// and is a straight move when that record is missing (the writer writes it so).
class Walk {
 public:
  explicit Walk(const std::vector<NcVerifyPart>& parts) : parts_(&parts) {}

  bool Next(Move& m) {
    while (part_ < parts_->size()) {
      const NcVerifyPart& part = (*parts_)[part_];
      const std::uint32_t end = End(part);
      while (i_ < end) {
        const std::uint32_t i = i_++;
        PointRegister r;
        if (!Fetch(part, i, end, r) || !IsMotionType(r.type)) continue;
        m.type = r.type;
        m.plane = 0;
        m.p[0] = r.x, m.p[1] = r.y, m.p[2] = r.z;
        m.ijk[0] = m.ijk[1] = m.ijk[2] = 0;
        m.feed = r.feed;
        m.index = i;
        m.part = part_;
        if (i < part.liftEnd && IsRapidType(r.type)) m.p[2] = part.liftHeight;
        if (IsArcType(r.type)) {
          PointRegister c;
          // The writer looks at the record after the arc whether or not it was written: the
          // centre belongs to the arc, not to the part written.
          if (Fetch(part, i + 1, Count(part), c) && IsPlaneCode(c.type)) {
            m.plane = c.type;
            m.ijk[0] = c.x, m.ijk[1] = c.y, m.ijk[2] = c.z;
          } else {
            m.type = MOVE_LINE;
          }
        }
        return true;
      }
      ++part_;
      i_ = 0;
    }
    return false;
  }

 private:
  static std::uint32_t Count(const NcVerifyPart& part) {
    if (part.store) return part.store->count;
    if (part.snapshot) return part.snapshot->count();
    return 0;
  }
  static std::uint32_t End(const NcVerifyPart& part) {
    const std::uint32_t n = Count(part);
    return part.end < n ? part.end : n;
  }
  static bool Fetch(const NcVerifyPart& part, std::uint32_t i, std::uint32_t end,
                    PointRegister& r) {
    if (i >= end) return false;
    if (part.store) return part.store->Peek(i, r) != 0;
    const PointRecord& rec = (*part.snapshot)[i];
    if (IsUnsoundRecord(rec)) return false;
    LoadRecord(rec, r);
    return r.type != 0;
  }

  const std::vector<NcVerifyPart>* parts_;
  std::size_t part_ = 0;
  std::uint32_t i_ = 0;
};

// A walk with the move it stands on.
struct Cursor {
  Walk walk;
  Move m;
  bool has = false;
  explicit Cursor(const std::vector<NcVerifyPart>& parts) : walk(parts) { has = walk.Next(m); }
  void Advance() { has = walk.Next(m); }
};

bool IsRapidMove(int t) {
  return IsRapidType(t);
}

class Comparer {
 public:
  Comparer(const NcVerifyOptions& o) : opt_(o) {}

  // The tolerance of one coordinate: the output's rounding, the single precision of the two
  // stores, and a hair for the arithmetic.
  double Tol(double v) const { return opt_.rounding + std::fabs(v) * 2.4e-7 + 1e-6; }
  bool Near(const double a[3], const double b[3]) const {
    for (int k = 0; k < 3; ++k)
      if (std::fabs(a[k] - b[k]) > Tol(std::fabs(a[k]) > std::fabs(b[k]) ? a[k] : b[k]))
        return false;
    return true;
  }

  // The number of read moves from `rd` on that give the source move `s` starting at `sStart`
  // when the read side stands at `from`; 0 when they do not. `end` becomes where they end.
  int Match(const Move& s, const double sStart[3], Cursor rd, const double from[3],
            double end[3]) const {
    if (!rd.has) return 0;
    const Move& m = rd.m;
    if (!IsArcType(s.type)) {
      const bool rapid = IsRapidMove(s.type);
      if (IsRapidMove(m.type) != rapid || IsArcType(m.type)) return 0;
      if (!rapid && m.feed != s.feed) return 0;
      if (!Near(m.p, s.p)) return 0;
      Copy(end, m.p);
      return 1;
    }
    return MatchArc(s, sStart, rd, from, end);
  }

  // A source move that writes no block: it ends where the read side already is. An arc does
  // so only when it is that short too; an arc whose ends meet is a whole circle.
  bool Vanishes(const Move& s, const double sStart[3], const double at[3]) const {
    if (!Near(s.p, at)) return false;
    if (!IsArcType(s.type)) return true;
    const PlaneAxes ax = AxesOfPlane(s.plane);
    const double r = std::hypot(s.ijk[ax.a], s.ijk[ax.b]);
    return r * ArcSweep(sStart, s.p, s.ijk, s.plane, s.type) <= 2 * Tol(r);
  }

 private:
  static void Copy(double d[3], const double s[3]) { d[0] = s[0], d[1] = s[1], d[2] = s[2]; }

  int MatchArc(const Move& s, const double sStart[3], Cursor rd, const double from[3],
               double end[3]) const {
    const PlaneAxes ax = AxesOfPlane(s.plane);
    const double ca = sStart[ax.a] + s.ijk[ax.a], cb = sStart[ax.b] + s.ijk[ax.b];
    const double radius = std::hypot(s.ijk[ax.a], s.ijk[ax.b]);
    const double sweep = ArcSweep(sStart, s.p, s.ijk, s.plane, s.type);
    // Our rule: Heidenhain output says an arc by CC and C only in the XY plane, and only where
    // the reader rebuilds the pieces close enough; helices and every other arc go out as
    // chords, which must then stay on the arc.
    const bool chordsAllowed = opt_.heidenhain;
    const double dir = s.type == MOVE_ARC_CW ? -1.0 : 1.0;
    // How far along the circle the pieces may end from where the arc does. What this catches,
    // an arc that goes the other way round or a turn too many, is far larger.
    const double tolLength = 2 * kCentreTolerance + 4 * Tol(radius);
    double at[3];
    Copy(at, from);
    double turned = 0;
    for (int n = 1; n <= kMaxPieces && rd.has; ++n, rd.Advance()) {
      const Move& m = rd.m;
      double piece = 0;
      if (IsArcType(m.type)) {
        if (m.type != s.type || m.plane != s.plane || m.feed != s.feed) return 0;
        const double ma = at[ax.a] + m.ijk[ax.a], mb = at[ax.b] + m.ijk[ax.b];
        piece = ArcSweep(at, m.p, m.ijk, m.plane, m.type);
        // How far the piece turns, measured about the arc's own centre: its ends are where
        // they were written, its centre was worked out by the reader and is a little off.
        // Its own sweep says how many times round (a whole circle's ends meet).
        {
          const double a0 = std::atan2(at[ax.b] - cb, at[ax.a] - ca);
          const double a1 = std::atan2(m.p[ax.b] - cb, m.p[ax.a] - ca);
          double about = dir * (a1 - a0);
          while (about < 0) about += 2 * kHalfTurn;
          while (about >= 2 * kHalfTurn) about -= 2 * kHalfTurn;
          while (piece - about > kHalfTurn) about += 2 * kHalfTurn;
          if (about - piece > kHalfTurn) about -= 2 * kHalfTurn;
          piece = about;
        }
        if (std::hypot(ma - ca, mb - cb) > kCentreTolerance + 2 * Tol(radius)) {
          // Our rule: a flat arc written by its radius cannot place its centre to a few
          // thousandths (rounding its ends turns the chord, and the centre swings far out
          // with it). Such a piece still passes when it runs on the arc: its end and its
          // middle lie on the arc's circle within what a chord may leave it.
          const double slack = kChordTolerance + 2 * Tol(radius);
          const double mr = std::hypot(m.ijk[ax.a], m.ijk[ax.b]);
          const double a0 = std::atan2(-m.ijk[ax.b], -m.ijk[ax.a]) + dir * piece / 2;
          const double mida = ma + mr * std::cos(a0), midb = mb + mr * std::sin(a0);
          if (std::fabs(std::hypot(mida - ca, midb - cb) - radius) > slack ||
              std::fabs(std::hypot(m.p[ax.a] - ca, m.p[ax.b] - cb) - radius) > slack)
            return 0;
        }
      } else if (chordsAllowed && IsLinearType(m.type) && m.feed == s.feed) {
        // A chord: both ends on the circle, its middle no further inside than the tolerance,
        // turning the arc's way.
        const double slack = kChordTolerance + 2 * Tol(radius);
        const double ea = m.p[ax.a] - ca, eb = m.p[ax.b] - cb;
        if (std::fabs(std::hypot(ea, eb) - radius) > slack) return 0;
        const double mida = (at[ax.a] + m.p[ax.a]) / 2 - ca, midb = (at[ax.b] + m.p[ax.b]) / 2 - cb;
        if (radius - std::hypot(mida, midb) > slack) return 0;
        const double a0 = std::atan2(at[ax.b] - cb, at[ax.a] - ca), a1 = std::atan2(eb, ea);
        piece = dir * (a1 - a0);
        while (piece < -kHalfTurn) piece += 2 * kHalfTurn;
        while (piece > kHalfTurn) piece -= 2 * kHalfTurn;
        if (piece * radius < -slack) return 0;  // going back along the arc
      } else {
        return 0;
      }
      turned += piece;
      Copy(at, m.p);
      if (Near(m.p, s.p) && std::fabs(turned - sweep) * radius <= tolLength) {
        Copy(end, m.p);
        return n;
      }
      if ((turned - sweep) * radius > tolLength) return 0;  // past the end
    }
    return 0;
  }

  NcVerifyOptions opt_;
};

NcVerifyMove ViewOf(const Move& m, const double start[3]) {
  NcVerifyMove v;
  v.type = m.type;
  v.plane = m.plane;
  v.feed = m.feed;
  for (int k = 0; k < 3; ++k) {
    v.position[k] = m.p[k];
    v.centre[k] = start[k] + m.ijk[k];
  }
  if (IsArcType(m.type)) v.centre[AxesOfPlane(m.plane).normal] = m.p[AxesOfPlane(m.plane).normal];
  return v;
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list again;
  va_copy(again, ap);
  const int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string s(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(s.data(), s.size() + 1, fmt, again);
  va_end(again);
  return s;
}

}  // namespace

NcVerifyResult CompareReadBack(const CPointStore& readBack, const std::vector<NcVerifyPart>& parts,
                               const NcVerifyOptions& options) {
  NcVerifyResult result;
  const std::vector<NcVerifyPart> readParts{NcVerifyPart{&readBack, nullptr, UINT32_MAX, -1}};
  const Comparer cmp(options);
  Cursor src(parts), rd(readParts);
  // A fresh reader starts at the origin.
  double at[3] = {0, 0, 0};
  double sStart[3] = {0, 0, 0};
  bool haveStart = false;
  // Extra rapids are the framing's: before the first move and between layers, no lower than
  // the part's framing floor (within the rounding).
  bool framing = true;
  std::size_t part = 0;
  // Our rule: the framing the writers add (start block, tool change, closing retract) never
  // goes below the heights the toolpath itself rapids at before its first cut (nor below its
  // first move). A framing rapid before a part that ends lower did not come from the toolpath
  // (a start part copied from a source program, a template section) and is a difference: that
  // is where a program rapids into the work. The closing rapids after the last move are held
  // to the last part's floor the same way (see below).
  std::vector<double> floors(parts.size(), -1e300);
  {
    std::vector<char> state(parts.size(), 0);  // 0 no move yet, 1 before the first cut, 2 done
    Walk walk(parts);
    for (Move m; walk.Next(m);) {
      char& st = state[m.part];
      if (st == 2) continue;
      if (st == 0) floors[m.part] = m.p[2];
      st = IsRapidMove(m.type) ? 1 : 2;
      if (m.p[2] < floors[m.part]) floors[m.part] = m.p[2];
    }
  }
  // A block that does not move (the tool already stands there) goes nowhere, at any height.
  auto aboveFloor = [&](const Move& m, std::size_t p, const double* from) {
    if (p >= floors.size() || m.p[2] >= floors[p] - 2 * options.rounding - 1e-6) return true;
    const double slack = 2 * options.rounding + 1e-6;
    return std::fabs(m.p[0] - from[0]) <= slack && std::fabs(m.p[1] - from[1]) <= slack &&
           std::fabs(m.p[2] - from[2]) <= slack;
  };

  auto note = [&](const Move* s, const double* start, const Move* m, const double* mStart) {
    if (result.differences++ != 0) return;
    NcVerifyDifference& d = result.first;
    if (s) {
      d.hasExpected = true;
      d.expected = ViewOf(*s, start);
      d.sourceIndex = s->index;
      d.layer = parts[s->part].layer;
    }
    if (m) {
      d.hasRead = true;
      d.read = ViewOf(*m, mStart);
      d.readIndex = m->index;
    }
  };

  for (; src.has; src.Advance()) {
    const Move s = src.m;
    if (s.part != part) {
      part = s.part;
      framing = true;
    }
    const double* start = haveStart ? sStart : at;
    double end[3];
    for (;;) {
      if (const int n = cmp.Match(s, start, rd, at, end)) {
        for (int k = 0; k < n; ++k) rd.Advance();
        at[0] = end[0], at[1] = end[1], at[2] = end[2];
        ++result.movesCompared;
        framing = false;
        break;
      }
      if (cmp.Vanishes(s, start, at)) break;
      if (rd.has && framing && IsRapidMove(rd.m.type) && aboveFloor(rd.m, part, at)) {
        at[0] = rd.m.p[0], at[1] = rd.m.p[1], at[2] = rd.m.p[2];
        rd.Advance();
        continue;
      }
      note(&s, start, rd.has ? &rd.m : nullptr, at);
      if (!rd.has) break;
      // A block missing from the program: the next source move is what was read.
      Cursor nextSrc = src;
      nextSrc.Advance();
      if (nextSrc.has && cmp.Match(nextSrc.m, s.p, rd, at, end)) break;
      // A block the toolpath did not have: the move after it is this one.
      Cursor nextRead = rd;
      nextRead.Advance();
      if (nextRead.has && cmp.Match(s, start, nextRead, rd.m.p, end)) {
        at[0] = rd.m.p[0], at[1] = rd.m.p[1], at[2] = rd.m.p[2];
        rd.Advance();
        continue;
      }
      // A move changed: both go on.
      at[0] = rd.m.p[0], at[1] = rd.m.p[1], at[2] = rd.m.p[2];
      rd.Advance();
      framing = false;
      break;
    }
    sStart[0] = s.p[0], sStart[1] = s.p[1], sStart[2] = s.p[2];
    haveStart = true;
  }
  // After the last move only the closing rapids may follow. Our rule: they are held to the
  // last part's floor as the framing before it is. The program's own retract goes to the safe
  // height, which is never below it; an end part copied from a source program (or a template's
  // closing section) that rapids lower takes the tool into the work. A rapid that only climbs
  // (X and Y kept, Z not lower) is a retract in steps and passes wherever it ends.
  const double slack = 2 * options.rounding + 1e-6;
  for (; rd.has; rd.Advance()) {
    const Move& m = rd.m;
    const bool climbs = std::fabs(m.p[0] - at[0]) <= slack && std::fabs(m.p[1] - at[1]) <= slack &&
                        m.p[2] >= at[2] - slack;
    if (!IsRapidMove(m.type) || !(climbs || aboveFloor(m, part, at)))
      note(nullptr, nullptr, &m, at);
    at[0] = rd.m.p[0], at[1] = rd.m.p[1], at[2] = rd.m.p[2];
  }
  if (result.differences) result.status = NcVerifyStatus::Different;
  return result;
}

namespace {

// Only what the source named is looked for: its units, and a work offset an ISO program names
// (a conversational program names none of those; a datum shift is not said again).
void CompareSetup(const MachineSetup& source, const MachineSetup& read, bool conversational,
                  NcVerifyResult& result) {
  MachineSetup expected, found;
  if (source.units != MachineSetup::Units::Unknown) {
    expected.units = source.units;
    found.units = read.units;
  }
  if (!conversational && !source.IsoOffsetWord().empty()) {
    expected.offset = source.offset, expected.offsetNumber = source.offsetNumber;
    found.offset = read.offset, found.offsetNumber = read.offsetNumber;
  }
  if (expected.SameUnitsAndOffset(found)) return;
  result.setupDiffers = true;
  result.setupExpected = expected.Describe();
  result.setupRead = found.Describe();
  ++result.differences;
  result.status = NcVerifyStatus::Different;
}

}  // namespace

NcVerifyResult VerifyNcProgram(const std::string& path, const std::vector<NcVerifyPart>& parts,
                               const NcVerifyOptions& options) {
  NcVerifyResult result;
  // The read-back has a store, a layer, switches and reader state of its own: verifying
  // changes nothing the application or the next read depends on.
  auto store = std::make_unique<CPointStore>();
  LayerSlot layer;
  NcSwitches nc;
  nc.heidenhainInputChk = options.heidenhain ? 1 : 0;
  nc.extendedReadingChk = options.extended ? 1 : 0;
  auto state = std::make_unique<NcReaderState>();
  store->reg.type = MOVE_NONE;
  store->reg.feed = 0;
  NcReadOutcome how = NcReadOutcome::Read;
  AppendNcProgram(NcReadTarget{*store, layer, nc, *state}, path, &how);
  if (how != NcReadOutcome::Read) {
    result.status = NcVerifyStatus::CannotRead;
    return result;
  }
  result = CompareReadBack(*store, parts, options);
  for (const NcVerifyPart& p : parts)
    if (p.end != UINT32_MAX) result.partial = true;
  if (options.setup) CompareSetup(*options.setup, layer.setup, options.heidenhain, result);
  return result;
}

std::string DescribeMove(const NcVerifyMove& m) {
  std::string s;
  if (IsArcType(m.type))
    s = Format("%s %s ",
               m.plane == PLANE_ZX   ? "G18"
               : m.plane == PLANE_YZ ? "G19"
                                     : "G17",
               m.type == MOVE_ARC_CW ? "G02" : "G03");
  else
    s = IsRapidType(m.type) ? "G00 " : "G01 ";
  s += Format("X%.3f Y%.3f Z%.3f", m.position[0], m.position[1], m.position[2]);
  if (IsArcType(m.type))
    s += Format(" centre X%.3f Y%.3f Z%.3f", m.centre[0], m.centre[1], m.centre[2]);
  if (!IsRapidType(m.type)) s += Format(" F%d", m.feed);
  return s;
}

std::string DescribeFirstDifference(const NcVerifyResult& r, Language language) {
  if (r.setupDiffers) {
    const std::string nothing = UserText(Txt::VerifyNothing, language);
    return Format(UserText(Txt::VerifySetupDiffers, language),
                  r.setupExpected.empty() ? nothing.c_str() : r.setupExpected.c_str(),
                  r.setupRead.empty() ? nothing.c_str() : r.setupRead.c_str());
  }
  const NcVerifyDifference& d = r.first;
  std::string where;
  if (d.hasExpected) {
    where = d.layer >= 0 ? Format(UserText(Txt::VerifyLayerRecord, language), d.layer,
                                  static_cast<unsigned>(d.sourceIndex))
                         : Format(UserText(Txt::VerifyRecord, language),
                                  static_cast<unsigned>(d.sourceIndex));
  } else {
    // A move the toolpath did not have: where it is in the program read back.
    where = Format(UserText(Txt::VerifyRecord, language), static_cast<unsigned>(d.readIndex));
  }
  const std::string nothing = UserText(Txt::VerifyNothing, language);
  return Format(UserText(Txt::VerifyExpectedRead, language), where.c_str(),
                d.hasExpected ? DescribeMove(d.expected).c_str() : nothing.c_str(),
                d.hasRead ? DescribeMove(d.read).c_str() : nothing.c_str());
}

std::string DescribeVerifyFailure(const NcVerifyResult& r, const std::string& path,
                                  Language language) {
  if (r.status == NcVerifyStatus::CannotRead)
    return Format(UserText(Txt::VerifyCannotRead, language), path.c_str());
  return Format(UserText(Txt::VerifyFailed, language), path.c_str(),
                static_cast<unsigned long long>(r.differences),
                static_cast<unsigned long long>(r.movesCompared),
                DescribeFirstDifference(r, language).c_str());
}

}  // namespace trevalon
