#pragma once
// Simple roughing toolpaths made without a model: a face (parallel one-way passes over a
// rectangle), radial spokes from an outer to an inner circle, and a spiral that clears a ring
// or disc from the inside outwards. Each appends its points behind the toolpath already in
// the store after one undo snapshot (nothing existing is changed or removed, but undo takes
// the new points back as it takes back any other command). Every point
// gets the document's cutting feed and mark 0; rapid points get the retract height.

#include <cstdint>

#include "edit/command_frame.h"
#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

// The face dialog's values ("FaceMill"), single-precision as the dialog holds them.
struct FaceValues {
  std::int32_t direction = 1;  // 1 "X+, Y+", 2 "X+, Y-", 3 "Y+,  X+", 4 "Y+,  X-"
  std::int32_t kind = 1;       // 1 centre and size, 2 minimum and size, 3 minimum and maximum
  float xMax = 100, xMin = -100, xSize = 200;
  float yMax = 80, yMin = -80, ySize = 160;
  float z = 0;      // cutting height
  float step = 10;  // stepover
  float xCentre = 0, yCentre = 0;
};
inline constexpr RealRange kFaceCoordinateRange{-10000, 10000};
inline constexpr RealRange kFaceSizeRange{0.1, 10000};
inline constexpr RealRange kFaceStepRange{0.1, 1000};

// The radial and spiral dialog's values: one set serves both commands.
struct RadialValues {
  float x = 0, y = 0, z = 0;
  float step = 10;
  float outer = 100, inner = 0;  // diameters
};
inline constexpr RealRange kRadialStepRange{0.01, 1000};
inline constexpr RealRange kDiameterRange{0, 10000};

// Each appends the toolpath and finishes (statistics, redraw). A toolpath the store cannot
// hold changes nothing and says NoMemory; values that make no toolpath (see each) say
// Unchanged.
Outcome GenerateFace(EditContext& ctx, const FaceValues& v);
Outcome GenerateRadial(EditContext& ctx, const RadialValues& v);
Outcome GenerateSpiral(EditContext& ctx, const RadialValues& v);

}  // namespace trevalon
