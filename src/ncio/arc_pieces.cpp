// Equal pieces of an arc for the writers (see arc_pieces.h).
#include "ncio/arc_pieces.h"

#include <cmath>

#include "model/geometry.h"
#include "model/point_record.h"

namespace trevalon {

double ArcSweep(const double from[3], const double to[3], const double ijk[3], int plane,
                int type) {
  const PlaneAxes ax = AxesOfPlane(plane);
  const double ca = from[ax.a] + ijk[ax.a], cb = from[ax.b] + ijk[ax.b];
  const double a0 = std::atan2(from[ax.b] - cb, from[ax.a] - ca);
  const double a1 = std::atan2(to[ax.b] - cb, to[ax.a] - ca);
  double sweep = type == MOVE_ARC_CW ? a0 - a1 : a1 - a0;
  while (sweep <= 0) sweep += 2 * kHalfTurn;
  while (sweep > 2 * kHalfTurn) sweep -= 2 * kHalfTurn;
  // An end that lies on the start within a ten-thousandth of the radius: a whole circle.
  const double r = std::hypot(from[ax.a] - ca, from[ax.b] - cb);
  const double gap = std::hypot(to[ax.a] - from[ax.a], to[ax.b] - from[ax.b]);
  if (gap <= 1e-9 || (r > 0 && gap <= r * 1e-9)) return 2 * kHalfTurn;
  return sweep;
}

int PiecesFor(double sweep, double maxSweep) {
  if (!(sweep > 0) || !(maxSweep > 0)) return 1;
  int n = static_cast<int>(std::ceil(sweep / maxSweep - 1e-12));
  return n < 1 ? 1 : n;
}

void SplitArc(const double from[3], const double to[3], const double ijk[3], int plane, int type,
              int n, ArcPiece* out) {
  if (n < 1) return;
  const PlaneAxes ax = AxesOfPlane(plane);
  const double centre[3] = {from[0] + ijk[0], from[1] + ijk[1], from[2] + ijk[2]};
  const double r = std::hypot(ijk[ax.a], ijk[ax.b]);
  const double a0 = std::atan2(from[ax.b] - centre[ax.b], from[ax.a] - centre[ax.a]);
  const double sweep = ArcSweep(from, to, ijk, plane, type);
  const double dir = type == MOVE_ARC_CW ? -1.0 : 1.0;
  double start[3] = {from[0], from[1], from[2]};
  for (int k = 1; k <= n; ++k) {
    ArcPiece& piece = out[k - 1];
    if (k == n) {
      piece.end[0] = to[0], piece.end[1] = to[1], piece.end[2] = to[2];
    } else {
      const double t = static_cast<double>(k) / n;
      const double angle = a0 + dir * sweep * t;
      piece.end[ax.a] = centre[ax.a] + r * std::cos(angle);
      piece.end[ax.b] = centre[ax.b] + r * std::sin(angle);
      piece.end[ax.normal] = from[ax.normal] + (to[ax.normal] - from[ax.normal]) * t;
    }
    // The centre stays where it is; only the normal component follows the helix.
    piece.ijk[ax.a] = centre[ax.a] - start[ax.a];
    piece.ijk[ax.b] = centre[ax.b] - start[ax.b];
    piece.ijk[ax.normal] = ijk[ax.normal];
    start[0] = piece.end[0], start[1] = piece.end[1], start[2] = piece.end[2];
  }
}

}  // namespace trevalon
