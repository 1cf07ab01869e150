#include <gtest/gtest.h>

#include <cmath>

#include "edit/arc_fit_math.h"

namespace trevalon::arcmath {
namespace {

// The cut-sag measure both arc fits use: a chord of a circle of radius 10 sags inside it by
// r - r cos(half the chord's angle); the ends' own distances and heights count as they are;
// the reference radius is asked for at the angle where the cut comes nearest the centre.
TEST(ArcCutSag, ChordsEndsAndHeights) {
  const double r = 10, half = 0.1;  // a chord of 0.2 radians
  const double sag = r - r * std::cos(half);
  const auto circle = [r](double) { return r; };
  const ArcWalkPoint a{r * std::cos(-half), r * std::sin(-half), 0, 0, 0};
  const ArcWalkPoint b{r * std::cos(half), r * std::sin(half), 0.2, 0, 0};
  const struct {
    ArcWalkPoint from, to;
    double want;
  } cases[] = {
      {a, b, sag},                      // the chord's middle
      {a, a, 0},                        // no length: the end itself
      {{a.a, a.b, 0, 0.3, 0}, b, 0.3},  // an end off the circle counts
      {{a.a, a.b, 0, 0, -0.4}, {b.a, b.b, 0.2, 0, 0.1}, Len(sag, 0.4)},  // with the height
      {{20, 0, 0, 10, 0}, {30, 0, 0, 20, 0}, 20},  // outside: the ends, no sag
  };
  for (const auto& c : cases) EXPECT_NEAR(CutSag(c.from, c.to, circle), c.want, 1e-12);

  // The angle asked for is that of the nearest point: the middle for a symmetric chord.
  double askedAt = -1;
  CutSag(a, b, [&](double phi) {
    askedAt = phi;
    return r;
  });
  EXPECT_NEAR(askedAt, 0.1, 1e-12);
}

}  // namespace
}  // namespace trevalon::arcmath
