#pragma once
// The geometric routines every toolpath command shares: direction angles, arcs (angles,
// sweep, radius, length, points on them, centres from a radius, chords) and the crossing of
// two segments in XY. Angles are in degrees. The constants are the program's own values,
// not the exact ones: every result the program has ever written depends on them.

#include <cstdint>

namespace trevalon {

class CPointStore;
class RecordSnapshot;
struct PointRecord;

// Degrees to radians (multiply) and back (divide). Not the exact pi/180.
inline constexpr double kDegToRad = 0.0174532927;
// Pi for arc lengths, the single-precision value. Not the exact pi.
inline constexpr double kArcPi = 3.141590118408203;
// Vectors shorter than this have the direction angle 0.
inline constexpr double kShortVector = 0.0001;
// The reader's chord tolerance: 0.001 as a single-precision value.
inline constexpr double kReaderChordTolerance = static_cast<double>(0.001f);

// In-plane axes of a plane code: angles are measured from +a towards +b.
struct PlaneAxes {
  int a, b, normal;
};
PlaneAxes AxesOfPlane(int plane);  // codes other than 92 and 93 are XY
// Plane code normalised: 92 and 93 stay, everything else is 91.
int NormalisePlane(int plane);

struct ArcDescription {
  double startAngle = 0, endAngle = 0, sweep = 0, radius = 0, length = 0;
};

double Angle(double v, double u);
double AngleDifference(double a, double b);
void PointOnCircle(const double centre[3], double r, double angle, int plane, double out[3]);
int ArcParameters(const double start[3], const double end[3], const double centre[3], int type,
                  int plane, ArcDescription& arc);

// An arc of the store, by the index of its end point.
struct StoredArc {
  double start[3], end[3], centre[3];
  int type, plane;
  ArcDescription arc;
};
int ArcOfPoint(CPointStore& store, std::uint32_t i, StoredArc& out);
int ArcOfArrayPoint(CPointStore& store, const RecordSnapshot& a, std::uint32_t i, StoredArc& out);

// Centre offset (I, J, K) from the start point for the R word of a block; a negative R asks
// for the arc of more than 180 degrees.
void ArcCentreFromRadius(int plane, const double start[3], const double end[3], double R, int type,
                         double ijk[3]);

// Replaces the arc that ends at the register's position by chords stored from index k on;
// returns the next free index (0 when a store failed, the caller stops).
std::uint32_t ArcToChords(CPointStore& store, std::uint32_t k, int type, double offset[3],
                          double tolerance);
// How many chords ArcToChords cuts the arc into for the tolerance: at least 1, and 1 (the end
// point alone) for a radius below 0.01. Chord j of n ends at the start angle plus j·sweep/n
// (minus for a clockwise arc); the last one at the arc's end.
long ArcChordCount(const ArcDescription& arc, double tolerance);

int SegmentOfPoints(const double p[3], const double q[3], double d[4], double u[3]);
int IntersectSegmentsXY(const double p1[3], const double p2[3], const double p3[3],
                        const double p4[3], double out[3]);

}  // namespace trevalon
