// The view: the seven directions, fit and zoom, a redraw, what the left button does, and what
// the picture shows (rapids, feed colours, grid, axis triad).

#include "gui/command_registry.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

template <int N>
void Direction(CommandContext& c) {
  c.view->SetDirection(N);
}
template <int N>
bool DirectionShown(CommandContext& c) {
  return c.view->doc().view.Direction() == N;
}

template <MouseMode M>
void Mode(CommandContext& c) {
  c.view->doc().view.mouseMode = M;
}
template <MouseMode M>
bool ModeChosen(CommandContext& c) {
  return c.view->doc().view.mouseMode == M;
}

bool& Rapids(ToolpathView& v) {
  return v.doc().view.showRapids;
}
bool& ByLayer(ToolpathView& v) {
  return v.options.colourByLayer;
}
bool& Grid(ToolpathView& v) {
  return v.options.showGrid;
}
bool& Triad(ToolpathView& v) {
  return v.options.showTriad;
}
template <bool& (*Flag)(ToolpathView&)>
void Flip(CommandContext& c) {
  Flag(*c.view) = !Flag(*c.view);
  c.view->Redraw();
}
template <bool& (*Flag)(ToolpathView&)>
bool On(CommandContext& c) {
  return Flag(*c.view);
}
// The item says "feed colours": ticked while the colours do not follow the layers.
bool FeedColours(CommandContext& c) {
  return !c.view->options.colourByLayer;
}

CommandRegistrar registrar{
    {"view1", Needs::View, Direction<1>, DirectionShown<1>},
    {"view2", Needs::View, Direction<2>, DirectionShown<2>},
    {"view3", Needs::View, Direction<3>, DirectionShown<3>},
    {"view4", Needs::View, Direction<4>, DirectionShown<4>},
    {"view5", Needs::View, Direction<5>, DirectionShown<5>},
    {"view6", Needs::View, Direction<6>, DirectionShown<6>},
    {"view7", Needs::View, Direction<7>, DirectionShown<7>},
    {"fit", Needs::View, [](CommandContext& c) { c.view->Fit(); }},
    {"fitMargin", Needs::View, [](CommandContext& c) { c.view->Fit(true); }},
    {"zoomIn", Needs::View, [](CommandContext& c) { c.view->ZoomIn(); }},
    {"zoomOut", Needs::View, [](CommandContext& c) { c.view->ZoomOut(); }},
    {"redraw", Needs::View, [](CommandContext& c) { c.view->Redraw(); }},
    {"modeRotate", Needs::View, Mode<MouseMode::Rotate>, ModeChosen<MouseMode::Rotate>},
    {"modePan", Needs::View, Mode<MouseMode::Pan>, ModeChosen<MouseMode::Pan>},
    {"modeSelect", Needs::View, Mode<MouseMode::Select>, ModeChosen<MouseMode::Select>},
    {"showRapids", Needs::View, Flip<Rapids>, On<Rapids>},
    {"feedColours", Needs::View, Flip<ByLayer>, FeedColours},
    {"grid", Needs::View, Flip<Grid>, On<Grid>},
    {"triad", Needs::View, Flip<Triad>, On<Triad>},
};

}  // namespace
}  // namespace trevalon
