// Verbs of the 2D toolpath generators: face, radial and spiral.

#include <cmath>
#include <string>

#include "cli/script.h"
#include "edit/generators.h"

namespace trevalon::cli {

namespace {

// The option as a single-precision value (the dialogs hold floats), inside its range.
void Take(const Args& a, const char* verb, const char* key, float& field, RealRange range) {
  if (!a.Has(key)) return;
  const double v = a.RealOption(key, field);
  if (!range.Contains(v) || !std::isfinite(v))
    Usage(std::string("generate ") + verb + ": " + key + " lies in " + std::to_string(range.lo) +
          " to " + std::to_string(range.hi));
  field = static_cast<float>(v);
}

void TakeChoice(const Args& a, const char* key, std::int32_t& field, long hi) {
  if (!a.Has(key)) return;
  const long v = a.IntOption(key, field);
  if (v < 1 || v > hi)
    Usage("generate face: " + std::string(key) + " lies in 1 to " + std::to_string(hi));
  field = static_cast<std::int32_t>(v);
}

void Generate(Session& s, const Args& a) {
  a.Expect(1, 1,
           {"dir", "kind", "xmin", "xmax", "xsize", "ymin", "ymax", "ysize", "z", "step", "xc",
            "yc", "x", "y", "outer", "inner"});
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  const std::string& what = a[0];
  if (what == "face") {
    a.Expect(
        1, 1,
        {"dir", "kind", "xmin", "xmax", "xsize", "ymin", "ymax", "ysize", "z", "step", "xc", "yc"});
    // Checked into a copy first: a bad option leaves the remembered values as they were.
    FaceValues v = s.Remembered<FaceValues>("generate face");
    TakeChoice(a, "dir", v.direction, 4);
    TakeChoice(a, "kind", v.kind, 3);
    Take(a, "face", "xmin", v.xMin, kFaceCoordinateRange);
    Take(a, "face", "xmax", v.xMax, kFaceCoordinateRange);
    Take(a, "face", "xsize", v.xSize, kFaceSizeRange);
    Take(a, "face", "ymin", v.yMin, kFaceCoordinateRange);
    Take(a, "face", "ymax", v.yMax, kFaceCoordinateRange);
    Take(a, "face", "ysize", v.ySize, kFaceSizeRange);
    Take(a, "face", "z", v.z, kFaceCoordinateRange);
    Take(a, "face", "step", v.step, kFaceStepRange);
    Take(a, "face", "xc", v.xCentre, kFaceCoordinateRange);
    Take(a, "face", "yc", v.yCentre, kFaceCoordinateRange);
    s.Remembered<FaceValues>("generate face") = v;
    CheckEdit(s, GenerateFace(ctx, v), "generate face");
  } else if (what == "radial" || what == "spiral") {
    a.Expect(1, 1, {"x", "y", "z", "step", "outer", "inner"});
    // One set of values serves both, as the one dialog does.
    RadialValues v = s.Remembered<RadialValues>("generate radial");
    const char* verb = what.c_str();
    Take(a, verb, "x", v.x, kFaceCoordinateRange);
    Take(a, verb, "y", v.y, kFaceCoordinateRange);
    Take(a, verb, "z", v.z, kFaceCoordinateRange);
    Take(a, verb, "step", v.step, kRadialStepRange);
    Take(a, verb, "outer", v.outer, kDiameterRange);
    Take(a, verb, "inner", v.inner, kDiameterRange);
    s.Remembered<RadialValues>("generate radial") = v;
    const Outcome o = what == "radial" ? GenerateRadial(ctx, v) : GenerateSpiral(ctx, v);
    CheckEdit(s, o, "generate " + what);
  } else {
    Usage("generate: face, radial or spiral");
  }
}

VerbRegistrar registrar{
    {"generate",
     "generate face [dir=1..4] [kind=1..3] [xmin=] [xmax=] [xsize=] [ymin=] [ymax=] [ysize=] "
     "[z=] [step=] [xc=] [yc=], generate radial|spiral [x=] [y=] [z=] [step=] [outer=] "
     "[inner=]",
     Generate},
};

}  // namespace

}  // namespace trevalon::cli
