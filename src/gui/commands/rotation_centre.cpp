// "Rotation center input" (three numbers) and "Rotation center select" (a point of the
// toolpath): the point the view turns round.

#include "gui/command_registry.h"
#include "gui/labels.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

void Input(CommandContext& c) {
  double* centre = c.view->doc().view.rotationCentre;
  std::vector<double> values{centre[0], centre[1], centre[2]};
  if (!AskNumbers(c.parent(), c.app.Text(Txt::AppTitle),
                  {CoreLabel(c.app, Txt::XCenter), CoreLabel(c.app, Txt::YCenter),
                   CoreLabel(c.app, Txt::ZCenter)},
                  values))
    return;
  for (int k = 0; k < 3; ++k) centre[k] = values[static_cast<std::size_t>(k)];
}

void Select(CommandContext& c) {
  ToolpathView* v = c.view;
  v->PickPoint([v](std::optional<std::uint32_t> picked) {
    if (!picked) return;
    CPointStore& store = v->doc().store;
    if (!store.FetchPoint(*picked)) return;
    double* centre = v->doc().view.rotationCentre;
    centre[0] = store.reg.x, centre[1] = store.reg.y, centre[2] = store.reg.z;
  });
}

CommandRegistrar registrar{
    {"rotationCentreInput", Needs::View, Input},
    {"rotationCentreSelect", Needs::View, Select},
};

}  // namespace
}  // namespace trevalon
