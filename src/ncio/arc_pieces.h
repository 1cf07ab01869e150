#pragma once
// Arcs cut into pieces for output. A block by radius cannot say which of the two arcs between
// its ends it means once the arc nears a half circle (rounding the end points moves the centre
// far), and the Heidenhain arc by its end point always means the shorter one: the writers cut
// such arcs into equal pieces on the same circle, each one clear of the half circle. Exact
// trigonometry: these are positions written into programs, not the toolpath's own arithmetic.

namespace trevalon {

// One piece: where it ends and its centre's offset from where it starts.
struct ArcPiece {
  double end[3];
  double ijk[3];
};

inline constexpr double kHalfTurn = 3.14159265358979323846;

// Sweep in radians of the arc from `from` to `to` about from + ijk in `plane` (91, 92, 93),
// turning as `type` (6 counter-clockwise, 8 clockwise) says: in (0, 2 pi]; an end on the start
// is a whole circle (2 pi).
double ArcSweep(const double from[3], const double to[3], const double ijk[3], int plane, int type);

// The fewest equal pieces of an arc of `sweep` radians that are each at most `maxSweep`.
int PiecesFor(double sweep, double maxSweep);

// Cuts the arc into `n` equal pieces (n >= 1) written to out[0..n-1]. The pieces keep the
// start's radius; along the plane's normal the position moves in proportion to the angle (a
// helix stays a helix). The last piece ends exactly at `to`.
void SplitArc(const double from[3], const double to[3], const double ijk[3], int plane, int type,
              int n, ArcPiece* out);

}  // namespace trevalon
