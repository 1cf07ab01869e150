// The fixed-format writer's ISO motion blocks: rapids, straight moves and arcs, absolute
// (G90) or incremental (G91), arcs by radius or by centre offsets. The record walk keeps the
// position, the feeds and the time around them.
#include <cmath>
#include <cstdio>

#include "model/geometry.h"
#include "ncio/arc_pieces.h"
#include "ncio/nc_block_words.h"
#include "ncio/nc_writer.h"

namespace trevalon {

using namespace ncwords;

namespace {

// Our rule for arcs by radius: an arc of at most 145 degrees is one block, one of 215 to 345
// degrees one block with -R, any other is cut into the fewest equal pieces of at most 145.
// Why: docs/design-rules.md, "Writing ISO: arcs by radius".
constexpr double kDegree = kHalfTurn / 180.0;
constexpr double kMaxSmallerArc = 145.0 * kDegree;
constexpr double kMinLargerArc = 215.0 * kDegree;
constexpr double kMaxLargerArc = 345.0 * kDegree;
// Our rule: a block by radius whose centre, as a reader works it out from the written words,
// lies further than this from the true centre is written with its centre offsets instead (a
// reader's choice between the two centres of a chord lying within 0.01 of an axis can miss by
// up to 0.01 / sin(sweep / 2), which no cut into pieces cures).
constexpr double kCentreTolerance = 0.005;

}  // namespace

void CNcOutputDlg::IsoRapid(const PointRegister& r, const double to[3]) {
  char line[kLine];
  char* p = line;
  const bool g90 = incremental && incrementalInForce;
  if (g90) p = Put(p, "G90");
  // Our rule: a rapid that continues a run still names G00 when the program's motion in
  // force is another, or a reader would cut (or turn) its way there.
  const bool g00 = r.type == MOVE_RAPID || motionWord_ != 0;
  if (g00) p = Put(p, "G00");
  const bool any = ChangedWords(p, to, position);
  if (any || r.type == MOVE_RAPID) {
    Block(line, static_cast<std::size_t>(p - line));
    if (g90) incrementalInForce = false;
    motionWord_ = 0;
  }
}

void CNcOutputDlg::IsoLinear(const PointRegister& r, double to[3]) {
  char line[kLine];
  char* p = line;
  const bool isNew = r.type == MOVE_LINE;
  // Our rule: a straight move that continues names G01 when the motion in force is another (a
  // line after an arc or a rapid), or a reader would move it as that motion.
  const bool g01 = isNew || motionWord_ != 1;
  const bool sameFeed = r.feed == modalFeed;
  if (!incremental) {
    if (g01) p = Put(p, "G01");
    const bool any = ChangedWords(p, to, position);
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (isNew || any || !sameFeed) {
      Block(line, static_cast<std::size_t>(p - line));
      motionWord_ = 1;
    }
  } else {
    const bool g91 = !incrementalInForce;
    if (g91) p = Put(p, "G91");
    if (g01) p = Put(p, "G01");
    const bool any = DeltaWords(p, to, position);
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (isNew || any || !sameFeed) {
      Block(line, static_cast<std::size_t>(p - line));
      if (g91) incrementalInForce = true;
      motionWord_ = 1;
    }
  }
}

void CNcOutputDlg::IsoArc(const PointRegister& r, const double ijk[3], int plane, bool continuing,
                          double to[3]) {
  const int normal = NormalAxis(plane);
  const int word = r.type == MOVE_ARC_CW ? 2 : 3;
  const char* motion = word == 2 ? "G02" : "G03";
  // An arc continues only where the program's motion in force is still this arc's.
  continuing = continuing && motionWord_ == word;
  bool feedSaid = r.feed == modalFeed;
  static const char kCentre[3] = {'I', 'J', 'K'};

  // Our rule for the move along the plane's normal: an arc whose end lies at another height
  // (beyond the output's rounding) keeps that move as one helical block by centre offsets,
  // which a reader takes back as the same move, even where arcs are written by radius: with a
  // radius a reader measures the chord with the height in it and misplaces the centre, and
  // a flat arc with a straight move along the normal after it would be a path the toolpath
  // never had.
  const bool helix = !SameWhenWritten(position[normal], to[normal], incremental);
  if (!helix) to[normal] = position[normal];  // the arc stays in its plane
  // Our rule: an arc whose radius is below the output's last digit (a point, for a reader)
  // has no radius word that says it; it goes out by centre offsets as well.
  const PlaneAxes inPlane = AxesOfPlane(plane);
  const bool byOffsets = !ijkToR || helix || std::hypot(ijk[inPlane.a], ijk[inPlane.b]) < 0.001;

  // Our rule: an arc whose end, as written, cannot be told from its start in its plane is a
  // whole circle to a reader. It goes out as an arc only when the toolpath's arc turns more
  // than half way round (a whole circle, or one that misses it by less than the rounding); a
  // sliver shorter than the rounding goes out as a straight move to its end, where the
  // toolpath goes, instead of a circle it never cut.
  if (PositionKnown()) {
    const PlaneAxes ax = AxesOfPlane(plane);
    if (SameWhenWritten(position[ax.a], to[ax.a], incremental) &&
        SameWhenWritten(position[ax.b], to[ax.b], incremental) &&
        ArcSweep(recordFrom_[0] == 9999.0 ? position : recordFrom_, to, ijk, plane, r.type) <=
            kHalfTurn) {
      PointRegister straight = r;
      straight.type = MOVE_LINE_CONT;
      IsoLinear(straight, to);
      return;
    }
  }
  double arcEnd[3] = {to[0], to[1], to[2]};

  char line[kLine];
  // Starts a block: G91 when incremental and not in force, the plane and G02/G03 for a new arc.
  auto head = [&](char* p, bool nameMotion) {
    if (incremental && !incrementalInForce) p = Put(p, "G91");
    if (nameMotion) {
      if (plane != previousPlane) p = Put(p, PlaneWord(plane));
      previousPlane = plane;
      p = Put(p, motion);
    }
    return p;
  };
  auto send = [&](char* p) {
    Block(line, static_cast<std::size_t>(p - line));
    if (incremental) incrementalInForce = true;
  };
  auto endWords = [&](char*& p, double end[3]) {
    if (incremental)
      DeltaWords(p, end, position);  // `end` becomes where the rounded deltas lead
    else
      ChangedWords(p, end, position);
  };
  auto offsetWords = [&](char* p, const double off[3]) {
    for (int a = 0; a < 3; ++a) {
      if (std::fabs(off[a]) < 0.001) continue;
      if (incremental)
        p += std::snprintf(p, 400, "%c%f", kCentre[a], off[a]);
      else
        p = Word(p, kCentre[a], off[a]);
    }
    return p;
  };

  if (byOffsets || !PositionKnown()) {
    // One block per arc: by centre offsets (a whole circle too: its end words are left out
    // where they do not move), or by radius from a position no block has set yet.
    char* p = head(line, !continuing);
    endWords(p, arcEnd);
    if (!byOffsets) {
      p = Word(p, 'R', std::sqrt(ijk[0] * ijk[0] + ijk[1] * ijk[1] + ijk[2] * ijk[2]) + 0.0005);
    } else {
      p = offsetWords(p, ijk);
    }
    if (!feedSaid) p = FeedWord(p, r.feed);
    // A continuing arc that changes nothing and has no centre word left has nothing to say.
    if (p != line) {
      send(p);
      motionWord_ = word;
    }
    for (int a = 0; a < 3; ++a) to[a] = arcEnd[a];
    return;
  }

  // By radius: the arc in pieces as the rule above says. An end within a ten-thousandth of
  // the start on every axis is a whole circle.
  // (A sliver within that distance is no circle: see the rule on slivers above.)
  const double from[3] = {position[0], position[1], position[2]};
  const bool whole = std::fabs(arcEnd[0] - position[0]) <= 0.0001 &&
                     std::fabs(arcEnd[1] - position[1]) <= 0.0001 &&
                     std::fabs(arcEnd[2] - position[2]) <= 0.0001 &&
                     ArcSweep(from, arcEnd, ijk, plane, r.type) > kHalfTurn;
  const double sweep = whole ? 2 * kHalfTurn : ArcSweep(from, arcEnd, ijk, plane, r.type);
  int n = 1;
  if (!(sweep <= kMaxSmallerArc || (sweep >= kMinLargerArc && sweep <= kMaxLargerArc)))
    n = PiecesFor(sweep, kMaxSmallerArc);
  ArcPiece pieces[8];  // 360 / 145 gives three at most
  SplitArc(from, whole ? from : arcEnd, ijk, plane, r.type, n, pieces);
  for (int a = 0; a < 3; ++a) pieces[n - 1].end[a] = arcEnd[a];
  const bool larger = n == 1 && sweep > kHalfTurn;
  const double centre[3] = {from[0] + ijk[0], from[1] + ijk[1], from[2] + ijk[2]};
  const PlaneAxes ax = AxesOfPlane(plane);

  for (int k = 0; k < n; ++k) {
    double end[3] = {pieces[k].end[0], pieces[k].end[1], pieces[k].end[2]};
    double off[3] = {0, 0, 0};  // the centre from where this piece starts as written
    off[ax.a] = centre[ax.a] - position[ax.a];
    off[ax.b] = centre[ax.b] - position[ax.b];
    char* p = head(line, k == 0 && !continuing);
    endWords(p, end);
    // The centre as a reader works it out from this block's words.
    const double radius = std::hypot(off[ax.a], off[ax.b]);
    const double rWord = WrittenValue(radius + 0.0005);
    double readStart[3], readEnd[3], readOff[3];
    for (int a = 0; a < 3; ++a) {
      readStart[a] = WrittenValue(position[a]);
      readEnd[a] = incremental ? readStart[a] + (end[a] - position[a]) : WrittenValue(end[a]);
    }
    ArcCentreFromRadius(plane, readStart, readEnd, larger ? -rWord : rWord, r.type, readOff);
    const double miss = std::hypot(readStart[ax.a] + readOff[ax.a] - centre[ax.a],
                                   readStart[ax.b] + readOff[ax.b] - centre[ax.b]);
    if (miss <= kCentreTolerance)
      p = Word(p, 'R', larger ? -(radius + 0.0005) : radius + 0.0005);
    else
      p = offsetWords(p, off);
    if (!feedSaid) p = FeedWord(p, r.feed);
    feedSaid = true;
    send(p);
    motionWord_ = word;
    for (int a = 0; a < 3; ++a) position[a] = end[a];
  }
  for (int a = 0; a < 3; ++a) to[a] = position[a];
}

}  // namespace trevalon
