// Arcs cut into equal pieces for output: every piece on the same circle, ends chained, the last
// one exactly at the arc's end, helices rising in proportion.
#include "ncio/arc_pieces.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/point_record.h"

namespace trevalon {
namespace {

TEST(ArcPieces, SweepPiecesOnTheCircleAndChained) {
  const double from[3] = {10, 0, 0}, ijk[3] = {-10, 0, 0};
  const double quarter[3] = {0, 10, 0};
  EXPECT_NEAR(ArcSweep(from, quarter, ijk, PLANE_XY, MOVE_ARC_CCW), kHalfTurn / 2, 1e-12);
  EXPECT_NEAR(ArcSweep(from, quarter, ijk, PLANE_XY, MOVE_ARC_CW), 1.5 * kHalfTurn, 1e-12);
  EXPECT_NEAR(ArcSweep(from, from, ijk, PLANE_XY, MOVE_ARC_CW), 2 * kHalfTurn, 1e-12);
  // ZX: angles run from +Z towards +X.
  const double zx_from[3] = {0, 5, 10}, zx_ijk[3] = {0, 0, -10}, zx_to[3] = {10, 5, 0};
  EXPECT_NEAR(ArcSweep(zx_from, zx_to, zx_ijk, PLANE_ZX, MOVE_ARC_CCW), kHalfTurn / 2, 1e-12);
  EXPECT_EQ(PiecesFor(kHalfTurn, kHalfTurn / 2), 2);
  EXPECT_EQ(PiecesFor(2 * kHalfTurn, 0.9 * kHalfTurn), 3);
  EXPECT_EQ(PiecesFor(0.1, kHalfTurn), 1);
  // The pieces stay on the circle and chain, in every plane and direction.
  for (int plane : {PLANE_XY, PLANE_ZX, PLANE_YZ})
    for (int type : {MOVE_ARC_CW, MOVE_ARC_CCW}) {
      const double from[3] = {3, 4, 5}, ijk[3] = {-2, 1.5, -1};
      double to[3] = {from[0], from[1], from[2]};  // a whole helical turn along the normal
      const int n = plane == PLANE_XY ? 2 : plane == PLANE_ZX ? 1 : 0;
      to[n] += 2;
      ArcPiece pieces[3];
      SplitArc(from, to, ijk, plane, type, 3, pieces);
      double start[3] = {from[0], from[1], from[2]};
      const double centre[3] = {from[0] + ijk[0], from[1] + ijk[1], from[2] + ijk[2]};
      for (int k = 0; k < 3; ++k) {
        for (int a = 0; a < 3; ++a) {
          if (a == n) continue;
          EXPECT_NEAR(start[a] + pieces[k].ijk[a], centre[a], 1e-12);
        }
        EXPECT_NEAR(pieces[k].end[n], from[n] + 2.0 * (k + 1) / 3, 1e-12);
        EXPECT_NEAR(ArcSweep(start, pieces[k].end, pieces[k].ijk, plane, type), 2 * kHalfTurn / 3,
                    1e-9);
        for (int a = 0; a < 3; ++a) start[a] = pieces[k].end[a];
      }
      for (int a = 0; a < 3; ++a) EXPECT_EQ(pieces[2].end[a], to[a]);
    }
}

}  // namespace
}  // namespace trevalon
