// The fixed-format writer's ISO motion blocks: rapids, straight moves and arcs, absolute
// (G90) or incremental (G91), arcs by radius or by centre offsets. The record walk keeps the
// position, the feeds and the time around them.
#include <cmath>
#include <cstdio>

#include "ncio/nc_block_words.h"
#include "ncio/nc_writer.h"

namespace trevalon {

using namespace ncwords;

void CNcOutputDlg::IsoRapid(const PointRegister& r, const double to[3]) {
  char line[kLine];
  char* p = line;
  const bool g90 = incremental && incrementalInForce;
  if (g90) p = Put(p, "G90");
  if (r.type == MOVE_RAPID) p = Put(p, "G00");
  const bool any = ChangedWords(p, to, position);
  if (any || r.type == MOVE_RAPID) {
    Block(line, static_cast<std::size_t>(p - line));
    if (g90) incrementalInForce = false;
  }
}

void CNcOutputDlg::IsoLinear(const PointRegister& r, double to[3]) {
  char line[kLine];
  char* p = line;
  const bool isNew = r.type == MOVE_LINE;
  const bool sameFeed = r.feed == modalFeed;
  if (!incremental) {
    if (isNew) p = Put(p, "G01");
    const bool any = ChangedWords(p, to, position);
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (isNew || any || !sameFeed) Block(line, static_cast<std::size_t>(p - line));
  } else {
    const bool g91 = !incrementalInForce;
    if (g91) p = Put(p, "G91");
    if (isNew) p = Put(p, "G01");
    const bool any = DeltaWords(p, to, position);
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (isNew || any || !sameFeed) {
      Block(line, static_cast<std::size_t>(p - line));
      if (g91) incrementalInForce = true;
    }
  }
}

void CNcOutputDlg::IsoArc(const PointRegister& r, const double ijk[3], int plane, bool continuing,
                          double to[3]) {
  const double radius = std::sqrt(ijk[0] * ijk[0] + ijk[1] * ijk[1] + ijk[2] * ijk[2]);
  const int normal = NormalAxis(plane);
  const char* motion = r.type == MOVE_ARC_CW ? "G02" : "G03";
  char line[kLine];
  char* p = line;
  // The radius word: the radius rounded up by half a thousandth, always positive.
  auto radiusWord = [&](char* q) { return Word(q, 'R', radius + 0.0005); };
  const bool sameFeed = r.feed == modalFeed;

  if (!incremental) {
    to[normal] = position[normal];  // the arc stays in its plane
    const bool fullCircle = !continuing && ijkToR && std::fabs(to[0] - position[0]) <= 0.0001 &&
                            std::fabs(to[1] - position[1]) <= 0.0001 &&
                            std::fabs(to[2] - position[2]) <= 0.0001;
    if (fullCircle) {
      // A radius cannot say which way round a whole circle goes: two halves through the
      // opposite point. The modal feed changes only after the arc, so a new feed goes out in
      // both halves.
      const double q[3] = {position[0] + 2 * ijk[0], position[1] + 2 * ijk[1],
                           position[2] + 2 * ijk[2]};
      if (plane != previousPlane) p = Put(p, PlaneWord(plane));
      previousPlane = plane;
      p = Put(p, motion);
      ChangedWords(p, q, position);
      p = radiusWord(p);
      if (!sameFeed) p = FeedWord(p, r.feed);
      Block(line, static_cast<std::size_t>(p - line));
      position[0] = q[0], position[1] = q[1], position[2] = q[2];
      p = line;
      ChangedWords(p, to, q);
      p = radiusWord(p);
      if (!sameFeed) p = FeedWord(p, r.feed);
      Block(line, static_cast<std::size_t>(p - line));
    } else {
      if (!continuing) {
        if (plane != previousPlane) p = Put(p, PlaneWord(plane));
        previousPlane = plane;
        p = Put(p, motion);
      }
      ChangedWords(p, to, position);
      if (ijkToR) {
        p = radiusWord(p);
      } else {
        static const char kCentre[3] = {'I', 'J', 'K'};
        for (int a = 0; a < 3; ++a)
          if (std::fabs(ijk[a]) >= 0.001) p = Word(p, kCentre[a], ijk[a]);
      }
      if (!sameFeed) p = FeedWord(p, r.feed);
      // A continuing arc that changes nothing and has no centre word left has nothing to say.
      if (p != line) Block(line, static_cast<std::size_t>(p - line));
    }
  } else {
    const bool g91 = !incrementalInForce;
    if (g91) p = Put(p, "G91");
    if (!continuing) {
      if (plane != previousPlane) p = Put(p, PlaneWord(plane));
      previousPlane = plane;
      p = Put(p, motion);
    }
    DeltaWords(p, to, position);  // helical arcs pass through: no plane hold
    if (ijkToR) {
      p = radiusWord(p);
    } else {
      static const char kCentre[3] = {'I', 'J', 'K'};
      for (int a = 0; a < 3; ++a)
        if (std::fabs(ijk[a]) >= 0.001) p += std::snprintf(p, 400, "%c%f", kCentre[a], ijk[a]);
    }
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (p != line) {
      Block(line, static_cast<std::size_t>(p - line));
      if (g91) incrementalInForce = true;
    }
  }
}

}  // namespace trevalon
