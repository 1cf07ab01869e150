// The filter menu's commands: "Ncdata(G01) 필터링" and "Ncdata(G02, G03) 필터링" with their
// one-value dialog "필터링 공차", "포인트 세분화" with its step and scope (the polygon and the
// point picker of the view for the scopes that need them) and "Linear <--> ARC" with the
// dialog "Arc Convert". Each dialog opens on the values of its last OK; the core commands
// record their undo snapshot and ask for the redraw.

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/layer_commands.h"
#include "edit/arc_fit.h"
#include "edit/filters.h"
#include "edit/subdivide.h"
#include "gui/command_registry.h"
#include "gui/labels.h"
#include "gui/region_input.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

void Finished(CommandContext& c) {
  c.view->MarkOperationEnd();
  emit c.view->statusChanged();
}

// ---- The two filters ----------------------------------------------------------------------

struct ToleranceValues {
  double tolerance = kFilterToleranceStart;
};

// The value dialog of the program ("변수를 입력하시요!!") with the one field "필터링 공차".
bool AskTolerance(CommandContext& c, ToleranceValues& v) {
  QDialog d(c.parent());
  d.setWindowTitle(L("변수를 입력하시요!!"));
  FieldBinder f(&d);
  auto* form = new QFormLayout(&d);
  form->addRow(CoreLabel(c.app, Txt::FilterTolerance),
               f.Real("tolerance", v.tolerance, kFilterToleranceRange));
  form->addRow(OkCancel(&d));
  return f.Exec(d);
}

template <Outcome (*Filter)(EditContext&, double, FilterSummary*)>
void RunFilter(CommandContext& c) {
  ToleranceValues& v = c.Remembered<ToleranceValues>();
  if (!AskTolerance(c, v)) return;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, Filter(ctx, v.tolerance, nullptr));
  Finished(c);
}

// ---- Subdivision --------------------------------------------------------------------------

struct SubdivideValues {
  double step = kSubdivideStepStart;
  SubdivideScope scope = SubdivideScope::All;
};

bool AskSubdivide(CommandContext& c, SubdivideValues& v) {
  QDialog d(c.parent());
  d.setWindowTitle(L("포인트 세분화"));
  FieldBinder f(&d);
  auto* layout = new QVBoxLayout(&d);
  auto* scopes = new QGroupBox(&d);
  auto* row = new QHBoxLayout(scopes);
  auto* group = new QButtonGroup(&d);
  const struct {
    const char* label;
    const char* name;
    SubdivideScope scope;
  } buttons[] = {{LabelText("All"), "all", SubdivideScope::All},
                 {LabelText("선택"), "selected", SubdivideScope::Selected},
                 {LabelText("1 Point"), "onePoint", SubdivideScope::Point},
                 {LabelText("다각형"), "polygon", SubdivideScope::Polygon}};
  for (const auto& b : buttons) {
    auto* r = new QRadioButton(L(b.label), scopes);
    r->setObjectName(b.name);
    r->setChecked(v.scope == b.scope);
    group->addButton(r, static_cast<int>(b.scope));
    row->addWidget(r);
  }
  layout->addWidget(scopes);
  auto* form = new QFormLayout;
  form->addRow(L("세분화 간격"), f.Real("step", v.step, kSubdivideStepRange));
  layout->addLayout(form);
  layout->addWidget(OkCancel(&d));
  if (!f.Exec(d)) return false;
  v.scope = static_cast<SubdivideScope>(group->checkedId());
  return true;
}

void RunSubdivide(CommandContext& c, SubdivideRequest r) {
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, Subdivide(ctx, r));
  Finished(c);
}

void SubdivideCommand(CommandContext& c) {
  SubdivideValues& v = c.Remembered<SubdivideValues>();
  if (!AskSubdivide(c, v)) return;
  SubdivideRequest r;
  r.step = v.step;
  r.scope = v.scope;
  CommandContext copy = c;
  switch (v.scope) {
    case SubdivideScope::All:
    case SubdivideScope::Selected:
      RunSubdivide(c, r);
      break;
    case SubdivideScope::Polygon:
      // The polygon of the point subdivision: at most 100 vertices, closer ones than 5
      // pixels dropped.
      TakePolygonRegion(c.view, 100, DropRule::FivePixels, false, [copy, r](const Region& g) {
        CommandContext cc = copy;
        SubdivideRequest inside = r;
        inside.region = &g;
        RunSubdivide(cc, inside);
      });
      break;
    case SubdivideScope::Point:
      c.view->PickPoint([copy, r](std::optional<std::uint32_t> picked) {
        if (!picked) return;
        CommandContext cc = copy;
        SubdivideRequest one = r;
        one.point = *picked;
        RunSubdivide(cc, one);
      });
      break;
  }
}

// ---- Arc conversion -----------------------------------------------------------------------

struct ArcConvertValues {
  bool toLines = false;  // "G02, G03 -> G01"; otherwise "G01 -> G02, G03"
  ArcFitOptions fit;
};

bool AskArcConvert(CommandContext& c, ArcConvertValues& v) {
  QDialog d(c.parent());
  d.setWindowTitle(L("Arc Convert"));
  FieldBinder f(&d);
  auto* layout = new QVBoxLayout(&d);
  auto* toLines = new QRadioButton(Q("G02, G03 -> G01"), &d);
  toLines->setObjectName("toLines");
  auto* toArcs = new QRadioButton(Q("G01 -> G02, G03"), &d);
  toArcs->setObjectName("toArcs");
  (v.toLines ? toLines : toArcs)->setChecked(true);
  layout->addWidget(toLines);
  layout->addWidget(toArcs);
  auto* form = new QFormLayout;
  form->addRow(L("Arc 변환 공차"), f.Real("tolerance", v.fit.tolerance, kArcToleranceRange));
  form->addRow(L("Arc 변환 포인트"), f.Int("points", v.fit.maxPoints, kArcPointsRange));
  form->addRow(L("최소 반경"), f.Real("minRadius", v.fit.minRadius, kArcRadiusRange));
  form->addRow(L("최대 반경"), f.Real("maxRadius", v.fit.maxRadius, kArcRadiusRange));
  layout->addLayout(form);
  auto* filter = new QHBoxLayout;
  filter->addWidget(f.Check(L("필터링후  변환"), "prefilter", v.fit.prefilter));
  auto* filterForm = new QFormLayout;
  filterForm->addRow(L("필터링 공차"),
                     f.Real("prefilterTolerance", v.fit.prefilterTolerance, kFilterToleranceRange));
  filter->addLayout(filterForm);
  layout->addLayout(filter);
  layout->addWidget(f.Check(L("XY 평면 ARC 변환"), "xy", v.fit.xy));
  layout->addWidget(f.Check(L("ZX 평면 ARC 변환"), "zx", v.fit.zx));
  layout->addWidget(f.Check(L("YZ 평면 ARC 변환"), "yz", v.fit.yz));
  layout->addWidget(OkCancel(&d));
  if (!f.Exec(d)) return false;
  v.toLines = toLines->isChecked();
  return true;
}

void ArcConvert(CommandContext& c) {
  ArcConvertValues& v = c.Remembered<ArcConvertValues>();
  if (!AskArcConvert(c, v)) return;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  if (v.toLines)
    SayIfUnchanged(ctx.msg, ArcsToLines(ctx, v.fit.tolerance));
  else
    SayIfUnchanged(ctx.msg, FitArcs(ctx, v.fit));
  Finished(c);
}

CommandRegistrar registrar{
    {"linearFilter", Needs::View, RunFilter<LinearFilter>},
    {"arcFilter", Needs::View, RunFilter<ArcFilter>},
    {"subdivide", Needs::View, SubdivideCommand},
    {"arcConvert", Needs::View, ArcConvert},
};

}  // namespace
}  // namespace trevalon
