// "2D 공구경로 생성": the face dialog "FaceMill" and the one dialog that radial and spiral
// share. The values stay while the program runs; the core appends the toolpath and redraws.

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/layer_commands.h"
#include "edit/generators.h"
#include "gui/command_registry.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

// A radio group under a caption; the buttons are numbered from 1 as the values are.
QButtonGroup* Radios(QWidget* parent, QVBoxLayout* into, const char* caption,
                     std::initializer_list<const char*> labels, const char* name, int value) {
  auto* box = new QGroupBox(L(caption), parent);
  auto* row = new QHBoxLayout(box);
  auto* group = new QButtonGroup(box);
  int id = 1;
  for (const char* label : labels) {
    auto* b = new QRadioButton(L(label), box);
    b->setObjectName(QString("%1%2").arg(name).arg(id));
    group->addButton(b, id);
    row->addWidget(b);
    if (id == value) b->setChecked(true);
    ++id;
  }
  into->addWidget(box);
  return group;
}

void Face(CommandContext& c) {
  FaceValues& v = c.Remembered<FaceValues>();
  QDialog d(c.parent());
  d.setWindowTitle(L("FaceMill"));
  auto* layout = new QVBoxLayout(&d);
  QButtonGroup* direction =
      Radios(&d, layout, LabelText("<< 방향 >>"), {"X+, Y+", "X+, Y-", "Y+,  X+", "Y+,  X-"},
             "direction", v.direction);
  QButtonGroup* kind = Radios(
      &d, layout, LabelText("<< 변수 Type >>"),
      {LabelText("중심, 크기"), LabelText("최소, 크기"), LabelText("최소, 최대")}, "kind", v.kind);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  struct Field {
    const char* label;
    const char* name;
    float* value;
    RealRange range;
    int kinds;  // bit k-1: used by parameter kind k
  };
  const Field fields[] = {
      {LabelText("X 최대"), "xMax", &v.xMax, kFaceCoordinateRange, 4},
      {LabelText("X 최소"), "xMin", &v.xMin, kFaceCoordinateRange, 2 | 4},
      {LabelText("X 크기"), "xSize", &v.xSize, kFaceSizeRange, 1 | 2},
      {LabelText("Y 최대"), "yMax", &v.yMax, kFaceCoordinateRange, 4},
      {LabelText("Y 최소"), "yMin", &v.yMin, kFaceCoordinateRange, 2 | 4},
      {LabelText("Y 크기"), "ySize", &v.ySize, kFaceSizeRange, 1 | 2},
      {LabelText("시작 높이"), "z", &v.z, kFaceCoordinateRange, 7},
      {LabelText("Stepoever"), "step", &v.step, kFaceStepRange, 7},
      {LabelText("X 중심"), "xCentre", &v.xCentre, kFaceCoordinateRange, 1},
      {LabelText("Y 중심"), "yCentre", &v.yCentre, kFaceCoordinateRange, 1},
  };
  std::vector<QLineEdit*> edits;
  for (const Field& f : fields) {
    QLineEdit* e = RealField(&d, f.name, double{*f.value}, f.range);
    form->addRow(L(f.label), e);
    edits.push_back(e);
  }
  // A parameter kind makes the fields it does not use read-only.
  auto enable = [&](int k) {
    for (std::size_t i = 0; i < edits.size(); ++i)
      edits[i]->setReadOnly((fields[i].kinds & (1 << (k - 1))) == 0);
  };
  enable(v.kind);
  QObject::connect(kind, &QButtonGroup::idClicked, &d, enable);
  layout->addWidget(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return;
  v.direction = direction->checkedId() > 0 ? direction->checkedId() : v.direction;
  v.kind = kind->checkedId() > 0 ? kind->checkedId() : v.kind;
  for (std::size_t i = 0; i < edits.size(); ++i)
    TakeReal(edits[i], *fields[i].value, fields[i].range);
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, GenerateFace(ctx, v));
}

// One dialog for both: a value entered for one is offered by the other.
bool AskRadial(CommandContext& c, const char* caption, RadialValues& v) {
  QDialog d(c.parent());
  d.setWindowTitle(L(caption));
  auto* form = new QFormLayout(&d);
  struct Field {
    const char* label;
    const char* name;
    float* value;
    RealRange range;
  };
  const Field fields[] = {
      {LabelText("X 좌표"), "x", &v.x, kFaceCoordinateRange},
      {LabelText("Y 좌표"), "y", &v.y, kFaceCoordinateRange},
      {LabelText("Z 좌표"), "z", &v.z, kFaceCoordinateRange},
      {LabelText("Stepover"), "step", &v.step, kRadialStepRange},
      {LabelText("외 경"), "outer", &v.outer, kDiameterRange},
      {LabelText("내 경"), "inner", &v.inner, kDiameterRange},
  };
  std::vector<QLineEdit*> edits;
  for (const Field& f : fields) {
    QLineEdit* e = RealField(&d, f.name, double{*f.value}, f.range);
    form->addRow(L(f.label), e);
    edits.push_back(e);
  }
  form->addRow(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return false;
  for (std::size_t i = 0; i < edits.size(); ++i)
    TakeReal(edits[i], *fields[i].value, fields[i].range);
  return true;
}

void Radial(CommandContext& c) {
  RadialValues& v = c.Remembered<RadialValues>("radialSpiral", {});
  if (!AskRadial(c, LabelText("방사선"), v)) return;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, GenerateRadial(ctx, v));
}

void Spiral(CommandContext& c) {
  RadialValues& v = c.Remembered<RadialValues>("radialSpiral", {});
  if (!AskRadial(c, LabelText("나선형"), v)) return;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, GenerateSpiral(ctx, v));
}

CommandRegistrar registrar{
    {"face", Needs::View, Face},
    {"radial", Needs::View, Radial},
    {"spiral", Needs::View, Spiral},
};

}  // namespace
}  // namespace trevalon
