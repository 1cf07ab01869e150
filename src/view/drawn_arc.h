#pragma once
// An arc as the drawings sample it, the full drawing and the simplified copy for drag frames
// alike: the circle through the last point round start + offset, swept in the arc's direction
// to the end point's angle, a whole turn when the end is the start. These are exact radians,
// not the program's arc constants (model/geometry.h): a picture only has to look right.

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

}  // namespace trevalon
