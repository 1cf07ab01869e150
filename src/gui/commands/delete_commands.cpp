// The delete commands of the edit menu: the point and path pickers, every second path, the
// repeated windows, the polygon, the angle and length dialogs (each keeps its values while the
// program runs) and the selection. The core does the work; its frame asks for the redraw.

#include "edit/delete_commands.h"

#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMetaObject>
#include <memory>
#include <vector>

#include "app/layer_commands.h"
#include "gui/command_registry.h"
#include "gui/labels.h"
#include "gui/region_input.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

EditContext ContextOf(CApplication& app, ToolpathView* v) {
  return MakeEditContext(app, v->doc());
}

// The parameter dialog ("변수를 입력하시요!!") with one ranged field per value, named value0,
// value1, ... as the other value dialogs; the values change on OK only.
struct Field {
  QString label;
  double* value;
  RealRange range;
};
bool AskFields(QWidget* parent, const std::vector<Field>& fields) {
  QDialog d(parent);
  d.setWindowTitle(L("변수를 입력하시요!!"));
  auto* form = new QFormLayout(&d);
  FieldBinder f(&d);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string name = "value" + std::to_string(i);
    form->addRow(fields[i].label, f.Real(name.c_str(), *fields[i].value, fields[i].range));
  }
  form->addRow(OkCancel(&d));
  return f.Exec(d);
}

void DeletePointCommand(CommandContext& c) {
  ToolpathView* v = c.view;
  CApplication* app = &c.app;
  v->PickPoint([app, v](std::optional<std::uint32_t> picked) {
    if (!picked) return;
    EditContext ctx = ContextOf(*app, v);
    SayIfUnchanged(ctx.msg, DeletePoint(ctx, *picked));
  });
}

void DeletePathCommand(CommandContext& c) {
  ToolpathView* v = c.view;
  CApplication* app = &c.app;
  v->PickPath([app, v](std::optional<std::uint32_t> picked) {
    if (!picked) return;
    EditContext ctx = ContextOf(*app, v);
    SayIfUnchanged(ctx.msg, DeletePath(ctx, *picked));
  });
}

void DeleteEverySecondCommand(CommandContext& c) {
  EditContext ctx = ContextOf(c.app, c.view);
  SayIfUnchanged(ctx.msg, DeleteEverySecondPath(ctx));
}

// One window after the other until Escape; the first window that deletes something records
// the series' one undo snapshot. Windows of any size count, a click too.
void NextWindow(CApplication* app, ToolpathView* v, std::shared_ptr<bool> recorded) {
  v->SelectWindow(
      [app, v, recorded](std::optional<WindowCorners> w) {
        if (!w || w->x1 < 0 || w->y1 < 0) return;
        ViewState& vs = v->doc().view;
        vs.width = std::max(1, v->width());
        vs.height = std::max(1, v->height());
        EditContext ctx = ContextOf(*app, v);
        if (DeleteInsideWindow(ctx, w->x1, w->y1, w->x2, w->y2, !*recorded).ok()) *recorded = true;
        QMetaObject::invokeMethod(
            v, [app, v, recorded] { NextWindow(app, v, recorded); }, Qt::QueuedConnection);
      },
      {});
}

void DeleteInWindowsCommand(CommandContext& c) {
  NextWindow(&c.app, c.view, std::make_shared<bool>(false));
}

void DeleteInPolygonCommand(CommandContext& c) {
  ToolpathView* v = c.view;
  CApplication* app = &c.app;
  TakePolygonRegion(v, static_cast<int>(kDeletePolygonLimit), DropRule::Identical, false,
                    [app, v](const Region& polygon) {
                      EditContext ctx = ContextOf(*app, v);
                      SayIfUnchanged(ctx.msg, DeleteInsidePolygon(ctx, polygon));
                    });
}

void DeleteXyAngleCommand(CommandContext& c) {
  XyAngleOptions& o = c.Remembered<XyAngleOptions>();
  if (!AskFields(c.parent(), {{CoreLabel(c.app, Txt::Angle), &o.angle, kDeleteAngleRange},
                              {L(" Tolerance "), &o.tolerance, kDeleteToleranceRange}}))
    return;
  EditContext ctx = ContextOf(c.app, c.view);
  SayIfUnchanged(ctx.msg, DeleteByXyAngle(ctx, o));
}

struct LengthValue {
  double length = 50;
};

void DeletePointsByLengthCommand(CommandContext& c) {
  LengthValue& v = c.Remembered<LengthValue>();
  if (!AskFields(c.parent(),
                 {{CoreLabel(c.app, Txt::DeleteLength), &v.length, kDeleteLengthRange}}))
    return;
  EditContext ctx = ContextOf(c.app, c.view);
  SayIfUnchanged(ctx.msg, DeletePointsByLength(ctx, v.length));
}

void DeletePathsByLengthCommand(CommandContext& c) {
  LengthValue& v = c.Remembered<LengthValue>();
  if (!AskFields(c.parent(),
                 {{CoreLabel(c.app, Txt::DeleteToolpathLength), &v.length, kDeleteLengthRange}}))
    return;
  EditContext ctx = ContextOf(c.app, c.view);
  SayIfUnchanged(ctx.msg, DeletePathsByLength(ctx, v.length));
}

void DeleteZAngleCommand(CommandContext& c) {
  ZAngleOptions& o = c.Remembered<ZAngleOptions>();
  if (!AskFields(c.parent(),
                 {{CoreLabel(c.app, Txt::MinSurfaceAngle), &o.minAngle, kDeleteAngleRange},
                  {L(" Max surface angle "), &o.maxAngle, kDeleteAngleRange},
                  {CoreLabel(c.app, Txt::IgnoreDeletePointGap), &o.gap, kDeleteGapRange}}))
    return;
  EditContext ctx = ContextOf(c.app, c.view);
  SayIfUnchanged(ctx.msg, DeleteByZAngle(ctx, o));
}

void DeleteSelectedCommand(CommandContext& c) {
  EditContext ctx = ContextOf(c.app, c.view);
  SayIfUnchanged(ctx.msg, DeleteSelected(ctx));
}

CommandRegistrar registrar{
    {"deletePoint", Needs::View, DeletePointCommand},
    {"deletePath", Needs::View, DeletePathCommand},
    {"deleteEverySecond", Needs::View, DeleteEverySecondCommand},
    {"deleteInWindows", Needs::View, DeleteInWindowsCommand},
    {"deleteInPolygon", Needs::View, DeleteInPolygonCommand},
    {"deleteXyAngle", Needs::View, DeleteXyAngleCommand},
    {"deletePointsByLength", Needs::View, DeletePointsByLengthCommand},
    {"deletePathsByLength", Needs::View, DeletePathsByLengthCommand},
    {"deleteZAngle", Needs::View, DeleteZAngleCommand},
    {"deleteSelected", Needs::View, DeleteSelectedCommand},
};

}  // namespace
}  // namespace trevalon
