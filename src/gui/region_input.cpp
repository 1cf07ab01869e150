#include "gui/region_input.h"

#include <QStringList>
#include <memory>
#include <vector>

#include "app/application.h"
#include "gui/dialog_kit.h"
#include "gui/toolpath_view.h"

namespace trevalon {

namespace {

bool AskValues(QWidget* parent, const char* caption, const QStringList& labels,
               std::vector<double*> fields) {
  std::vector<double> values;
  for (double* f : fields) values.push_back(*f);
  if (!AskNumbers(parent, L(caption), labels, values)) return false;
  for (std::size_t i = 0; i < fields.size(); ++i) *fields[i] = values[i];
  return true;
}

}  // namespace

bool AskBox(QWidget* parent, BoxValues& v) {
  return AskValues(parent, LabelText("XY 영역"),
                   {L("X값 최소"), L("Y값 최소"), L("X값 최대"), L("Y값 최대")},
                   {&v.xMin, &v.yMin, &v.xMax, &v.yMax});
}

bool AskCircle(QWidget* parent, CircleValues& v) {
  return AskValues(parent, LabelText("중심좌표와 반경을 입력하시요."),
                   {L("X 좌표"), L("Y 좌표"), L("Z 좌표"), L("반경")},
                   {&v.x, &v.y, &v.z, &v.radius});
}

bool AskZBand(QWidget* parent, ZBandValues& v) {
  return AskValues(parent, LabelText("변수를 입력하시요!!"), {L("Z minimum"), L("Z maximum")},
                   {&v.zMin, &v.zMax});
}

std::string PickPointFile(QWidget* parent, CApplication& app) {
  FilePick pick;
  pick.mode = FilePick::Mode::Open;
  pick.filters = {Q("Point Files (*.poi)"), Q("All Files (*)")};
  pick.title = Q(app.Text(Txt::SelectFileName));
  pick.readOnly = true;
  return PickFile(parent, pick);
}

void TakeWindowRegion(ToolpathView* view, bool repeat, std::function<void(const Region&)> use,
                      const std::string& prompt) {
  view->SelectWindow(
      [view, repeat, use, prompt](std::optional<WindowCorners> w) {
        if (!w || !WindowAccepted(*w)) return;
        ViewState& vs = view->doc().view;
        vs.width = std::max(1, view->width());
        vs.height = std::max(1, view->height());
        view->RunEdit([&] { use(Region::Window(w->x1, w->y1, w->x2, w->y2, vs)); });
        // The next window is asked for once this input has wound down.
        if (repeat)
          QMetaObject::invokeMethod(
              view, [view, use, prompt] { TakeWindowRegion(view, true, use, prompt); },
              Qt::QueuedConnection);
      },
      prompt);
}

void TakePolygonRegion(ToolpathView* view, int limit, DropRule rule, bool negativeEnds,
                       std::function<void(const Region&)> use) {
  view->InputPolygon(limit, rule, negativeEnds,
                     [view, use](std::optional<std::vector<QPoint>> vertices) {
                       if (!vertices || vertices->size() < 3) return;
                       ViewState& vs = view->doc().view;
                       vs.width = std::max(1, view->width());
                       vs.height = std::max(1, view->height());
                       std::vector<RegionPoint> points;
                       for (const QPoint& p : *vertices)
                         points.push_back({double(p.x()), double(p.y()), 0});
                       view->RunEdit([&] { use(Region::Polygon(std::move(points))); });
                     });
}

}  // namespace trevalon
