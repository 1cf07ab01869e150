#pragma once
// An arc as the drawings sample it, the full drawing and the simplified copy for drag frames
// alike: the circle through the last point round start + offset, swept in the arc's direction
// to the end point's angle, a whole turn when the end is the start. These are exact radians,
// not the program's arc constants (model/geometry.h): a picture only has to look right.

#include <cmath>

#include "model/point_record.h"

namespace trevalon {

struct DrawnArc {
  int a = 0, b = 1, n = 2;  // the in-plane axes and the normal
  double ca = 0, cb = 0;    // the centre in the plane
  double r = 0;             // radius
  double start = 0;         // angle of the start point
  double sweep = 0;         // signed: positive counter-clockwise
};

// The arc from s to `end` (an arc end record) round the centre record `centre`.
DrawnArc DrawnArcOf(const double s[3], const PointRecord& end, const PointRecord& centre);

// Chords enough that none strays more than `tol` from a circle of `radius` over `sweep`: 1 for
// a radius not above `minRadius`, else 2 to 4000. The count is limited before it becomes an
// integer, so that a radius far beyond the tolerance (a damaged centre) gives 4000, never an
// undefined conversion.
int ChordSteps(double sweep, double radius, double tol, double minRadius);

// The points between the ends of the drawn arc from s to `end` round `centre`, each handed to
// `put` (a double[3]); the end itself is left to the caller, which draws it as any other end.
// Chords enough that none strays more than `tol` from the circle, measured at `scale` per model
// unit (pixels at the present zoom for the full drawing, 1 for the drag frames' copy in model
// units); none for a radius up to `minRadius` at that scale.
template <class Put>
void SampleDrawnArc(const double s[3], const PointRecord& end, const PointRecord& centre,
                    double scale, double tol, double minRadius, Put&& put) {
  const DrawnArc d = DrawnArcOf(s, end, centre);
  const int steps = d.r > 1e-9 ? ChordSteps(d.sweep, d.r * scale, tol, minRadius) : 1;
  const double e[3] = {end.x, end.y, end.z};
  double p[3];
  for (int k = 1; k < steps; ++k) {
    const double t = static_cast<double>(k) / steps;
    const double ang = d.start + d.sweep * t;
    p[d.a] = d.ca + d.r * std::cos(ang);
    p[d.b] = d.cb + d.r * std::sin(ang);
    p[d.n] = s[d.n] + (e[d.n] - s[d.n]) * t;
    put(p);
  }
}

}  // namespace trevalon
