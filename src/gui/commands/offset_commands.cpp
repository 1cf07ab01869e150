// The point offsets ("포인트 Offset"): each asks for the vector first ("방향을 지정하시요 !!!"),
// then for its region (windows until the input is cancelled, the coordinate box, the circle,
// a polygon, a point file), and the core shifts what lies inside.

#include <QObject>
#include <map>
#include <memory>

#include "app/layer_commands.h"
#include "edit/point_offset.h"
#include "gui/command_registry.h"
#include "gui/region_input.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

// The vector belongs to the document's view: every offset command of that window opens on the
// last vector confirmed there, for as long as the window lives.
OffsetVector& ViewVector(ToolpathView* view) {
  static std::map<const ToolpathView*, OffsetVector> vectors;
  auto [it, added] = vectors.try_emplace(view);
  if (added) QObject::connect(view, &QObject::destroyed, [view] { vectors.erase(view); });
  return it->second;
}

// The offset dialog; false on Cancel (the remembered vector stays as it was).
bool AskVector(CommandContext& c, OffsetVector& v) {
  OffsetVector& kept = ViewVector(c.view);
  std::vector<double> values{kept.dx, kept.dy, kept.dz};
  if (!AskNumbers(c.parent(), L("방향을 지정하시요 !!!"), {L("X 방향"), L("Y 방향"), L("Z 방향")},
                  values))
    return false;
  kept = {values[0], values[1], values[2]};
  v = kept;
  return true;
}

void Run(CApplication& app, ToolpathView* view, const Region& region, const OffsetVector& v,
         bool saveUndo = true) {
  EditContext ctx = MakeEditContext(app, view->doc());
  SayIfUnchanged(ctx.msg, OffsetCommand(ctx, region, v, saveUndo));
}

void OffsetWindow(CommandContext& c) {
  OffsetVector v;
  if (!AskVector(c, v)) return;
  // One undo snapshot for all the windows: taken by the first window that shifts anything.
  auto recorded = std::make_shared<bool>(false);
  CApplication& app = c.app;
  ToolpathView* view = c.view;
  TakeWindowRegion(view, true, [&app, view, v, recorded](const Region& region) {
    EditContext ctx = MakeEditContext(app, view->doc());
    if (OffsetCommand(ctx, region, v, !*recorded).ok()) *recorded = true;
  });
}

void OffsetBox(CommandContext& c) {
  OffsetVector v;
  if (!AskVector(c, v)) return;
  BoxValues& box = c.Remembered<BoxValues>();
  if (!AskBox(c.parent(), box)) return;
  Run(c.app, c.view, BoxRegion(box), v);
}

void OffsetCircle(CommandContext& c) {
  OffsetVector v;
  if (!AskVector(c, v)) return;
  CircleValues& circle = c.Remembered<CircleValues>();
  if (!AskCircle(c.parent(), circle)) return;
  Run(c.app, c.view, CircleRegion(circle), v);
}

void OffsetPolygon(CommandContext& c) {
  OffsetVector v;
  if (!AskVector(c, v)) return;
  CApplication& app = c.app;
  ToolpathView* view = c.view;
  TakePolygonRegion(view, 100, DropRule::FivePixels, false,
                    [&app, view, v](const Region& region) { Run(app, view, region, v); });
}

void OffsetFile(CommandContext& c) {
  OffsetVector v;
  if (!AskVector(c, v)) return;
  const std::string path = PickPointFile(c.parent(), c.app);
  if (path.empty()) return;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, OffsetFileCommand(ctx, path, v));
}

CommandRegistrar registrar{
    {"offsetWindow", Needs::View, OffsetWindow}, {"offsetBox", Needs::View, OffsetBox},
    {"offsetCircle", Needs::View, OffsetCircle}, {"offsetPolygon", Needs::View, OffsetPolygon},
    {"offsetFile", Needs::View, OffsetFile},
};

}  // namespace
}  // namespace trevalon
