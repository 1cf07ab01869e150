// The trim menu: inside and outside trims by a mouse window (the inside one repeated until
// Escape or a refused window), a coordinate box, a circle, a Z band, a clicked polygon and the
// polygons of a point file. Each handler only gathers the region and hands it to the core,
// whose frame records the undo step and asks for the redraw.

#include "app/application.h"
#include "edit/trim.h"
#include "gui/command_registry.h"
#include "gui/region_input.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

// One trim of the view's document by `region`.
void TrimBy(ToolpathView* view, const Region& region, TrimSide side) {
  EditContext ctx = MakeEditContext(view->app(), view->doc());
  (void)TrimCommand(ctx, region, side);
  emit view->statusChanged();
}

void Window(CommandContext& c, TrimSide side) {
  ToolpathView* view = c.view;
  TakeWindowRegion(view, side == TrimSide::Inside,
                   [view, side](const Region& r) { TrimBy(view, r, side); });
}

void Polygon(CommandContext& c, TrimSide side) {
  ToolpathView* view = c.view;
  // Both take up to 300 vertices 5 pixels apart; in the inside trim a click left of or above
  // the view ends the input.
  TakePolygonRegion(view, 300, DropRule::FivePixels, side == TrimSide::Inside,
                    [view, side](const Region& r) { TrimBy(view, r, side); });
}

void Box(CommandContext& c, TrimSide side) {
  BoxValues& v = c.Remembered<BoxValues>();
  if (AskBox(c.parent(), v)) TrimBy(c.view, BoxRegion(v), side);
}

void Circle(CommandContext& c, TrimSide side) {
  CircleValues& v = c.Remembered<CircleValues>();
  if (AskCircle(c.parent(), v)) TrimBy(c.view, CircleRegion(v), side);
}

void ZBand(CommandContext& c) {
  ZBandValues& v = c.Remembered<ZBandValues>();
  if (AskZBand(c.parent(), v)) TrimBy(c.view, Region::ZBand(v.zMin, v.zMax), TrimSide::Outside);
}

void File(CommandContext& c, TrimSide side) {
  const std::string path = PickPointFile(c.parent(), c.app);
  if (path.empty()) return;
  // A file that cannot be opened is reported by the core (" Can not open file !!.").
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  (void)TrimFileCommand(ctx, path, side);
  emit c.view->statusChanged();
}

CommandRegistrar registrar{
    {"trimWindowIn", Needs::View, [](CommandContext& c) { Window(c, TrimSide::Inside); }},
    {"trimWindowOut", Needs::View, [](CommandContext& c) { Window(c, TrimSide::Outside); }},
    {"trimBoxIn", Needs::View, [](CommandContext& c) { Box(c, TrimSide::Inside); }},
    {"trimBoxOut", Needs::View, [](CommandContext& c) { Box(c, TrimSide::Outside); }},
    {"trimZBand", Needs::View, ZBand},
    {"trimCircleIn", Needs::View, [](CommandContext& c) { Circle(c, TrimSide::Inside); }},
    {"trimCircleOut", Needs::View, [](CommandContext& c) { Circle(c, TrimSide::Outside); }},
    {"trimPolygonIn", Needs::View, [](CommandContext& c) { Polygon(c, TrimSide::Inside); }},
    {"trimPolygonOut", Needs::View, [](CommandContext& c) { Polygon(c, TrimSide::Outside); }},
    {"trimFileIn", Needs::View, [](CommandContext& c) { File(c, TrimSide::Inside); }},
    {"trimFileOut", Needs::View, [](CommandContext& c) { File(c, TrimSide::Outside); }},
};

}  // namespace
}  // namespace trevalon
