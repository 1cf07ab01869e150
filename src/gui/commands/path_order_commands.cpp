// "공구경로 순서": reversing paths (the dialog "공구경로 방향 바꾸기", and one path by the path
// picker), start points of open and closed paths clicked in the view, the sort "공구경로
// 정렬", "Z 상향 -> Z 하향" and "공구경로 이동및 복사". Each dialog opens with the values
// last confirmed with OK in the same command; the core does the work and asks for the redraw.

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/layer_commands.h"
#include "edit/reverse.h"
#include "edit/sort_paths.h"
#include "edit/start_points.h"
#include "edit/transform.h"
#include "edit/z_up_down.h"
#include "gui/command_registry.h"
#include "gui/region_input.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

// Radio buttons in a box, one of them chosen; `chosen` is written on OK only.
class RadioChoice {
 public:
  RadioChoice(QWidget* parent, const QString& title, const std::vector<QString>& labels,
              const char* name, int chosen)
      : box_(new QGroupBox(title, parent)), group_(new QButtonGroup(box_)) {
    auto* layout = new QVBoxLayout(box_);
    for (std::size_t k = 0; k < labels.size(); ++k) {
      auto* r = new QRadioButton(labels[k], box_);
      r->setObjectName(QString("%1%2").arg(name).arg(k));
      r->setChecked(static_cast<int>(k) == chosen);
      group_->addButton(r, static_cast<int>(k));
      layout->addWidget(r);
    }
  }
  QGroupBox* box() const { return box_; }
  int chosen() const { return group_->checkedId(); }

 private:
  QGroupBox* box_;
  QButtonGroup* group_;
};

// The scopes of a path command, in the user's language (asked for when a dialog opens).
std::vector<QString> Scopes() {
  return {L("All"), L("선택된 공구경로"), L("다각형 선택")};
}

// Puts the view's size into the core's view state, so that window positions given to the core
// match the picture.
void SyncViewSize(ToolpathView* view) {
  ViewState& vs = view->doc().view;
  vs.width = std::max(1, view->width());
  vs.height = std::max(1, view->height());
}

// Runs `run` directly, or with the polygon the user clicks for the polygon scope.
void WithScope(ToolpathView* view, PathScope scope, std::function<void(const Region*)> run) {
  if (scope != PathScope::Polygon) {
    run(nullptr);
    return;
  }
  TakePolygonRegion(view, static_cast<int>(kPathPolygonLimit), DropRule::FivePixels, false,
                    [run](const Region& r) { run(&r); });
}

// ---- Reverse ---------------------------------------------------------------------------------

void ReverseDialog(CommandContext& c) {
  ReverseOptions& remembered = c.Remembered<ReverseOptions>();
  QDialog d(c.parent());
  d.setWindowTitle(L("공구경로 방향 바꾸기"));
  auto* layout = new QVBoxLayout(&d);
  FieldBinder f(&d);
  layout->addWidget(f.Check(L("방향 바꾸기"), "direction", remembered.direction));
  layout->addWidget(f.Check(L("순서 바꾸기"), "order", remembered.order));
  layout->addWidget(f.Check(L("두방향 경로"), "twoWay", remembered.twoWay));
  RadioChoice scope(&d, Q(""), Scopes(), "scope", static_cast<int>(remembered.scope));
  layout->addWidget(scope.box());
  layout->addWidget(OkCancel(&d));
  if (!f.Exec(d)) return;
  remembered.scope = static_cast<PathScope>(std::max(0, scope.chosen()));
  const ReverseOptions o = remembered;
  ToolpathView* view = c.view;
  CApplication* app = &c.app;
  WithScope(view, o.scope, [view, app, o](const Region* polygon) {
    EditContext ctx = MakeEditContext(*app, view->doc());
    SayIfUnchanged(ctx.msg, ReverseCommand(ctx, o, polygon));
  });
}

void ReverseOne(CommandContext& c) {
  ToolpathView* view = c.view;
  CApplication* app = &c.app;
  view->PickPath([view, app](std::optional<std::uint32_t> first) {
    if (!first) return;
    EditContext ctx = MakeEditContext(*app, view->doc());
    SayIfUnchanged(ctx.msg, ReversePathCommand(ctx, *first));
  });
}

// ---- Start points ----------------------------------------------------------------------------

// Clicks in the view: each release of the left button adds its position (up to 20), Enter runs
// with at least one, Escape cancels. Each click is marked with a cross.
class StartPointInput : public InputMode {
 public:
  using Done = std::function<void(std::optional<std::vector<ClickPosition>>)>;
  StartPointInput(ToolpathView& view, Done done) : InputMode(view), done_(std::move(done)) {}

  bool MousePress(QMouseEvent* e) override { return e->button() == Qt::LeftButton; }
  bool MouseRelease(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return false;
    const QPoint p = e->position().toPoint();
    if (clicks_.size() < kMaxStartPoints) clicks_.push_back({p.x(), p.y()});
    view_.update();
    return true;
  }
  bool Key(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape) {
      Cancel();
      return true;
    }
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) return false;
    if (clicks_.empty()) return true;
    End(clicks_);
    return true;
  }
  void Paint(QPainter& p) override {
    p.setPen(QPen(QColor(255, 255, 255), 0));
    for (const ClickPosition& c : clicks_) {
      p.drawLine(c.x - 5, c.y, c.x + 5, c.y);
      p.drawLine(c.x, c.y - 5, c.x, c.y + 5);
    }
  }
  void Cancel() override { End(std::nullopt); }

 private:
  void End(std::optional<std::vector<ClickPosition>> result) {
    Done d = std::move(done_);
    view_.FinishInput();
    if (d) d(std::move(result));
  }
  std::vector<ClickPosition> clicks_;
  Done done_;
};

void StartPoints(CommandContext& c, StartPointPaths which) {
  ToolpathView* view = c.view;
  CApplication* app = &c.app;
  auto done = [view, app, which](std::optional<std::vector<ClickPosition>> clicks) {
    if (!clicks) return;
    SyncViewSize(view);
    EditContext ctx = MakeEditContext(*app, view->doc());
    SayIfUnchanged(ctx.msg, StartPointsCommand(ctx, which, *clicks));
  };
  view->StartCommandInput(std::make_unique<StartPointInput>(*view, std::move(done)),
                          app->Text(Txt::HelpSelectStartPoint));
}

// ---- Sort ------------------------------------------------------------------------------------

void SortDialog(CommandContext& c) {
  SortOptions& remembered = c.Remembered<SortOptions>();
  QDialog d(c.parent());
  d.setWindowTitle(L("공구경로 정렬"));
  auto* layout = new QVBoxLayout(&d);
  RadioChoice mode(&d, Q(""),
                   {L("방향유지, 시작점-시작점"), L("방향유지, 시작점-끝점"), L("방향무시"),
                    L("정렬거리내 복귀높이 ")},
                   "mode", remembered.mode - 1);
  layout->addWidget(mode.box());
  FieldBinder f(&d);
  auto* form = new QFormLayout;
  form->addRow(L("정렬 거리"), f.Real("distance", remembered.distance, kSortDistanceRange));
  form->addRow(L("복귀 높이"), f.Real("height", remembered.height, kSortHeightRange));
  layout->addLayout(form);
  layout->addWidget(OkCancel(&d));
  if (!f.Exec(d)) return;
  remembered.mode = std::max(0, mode.chosen()) + 1;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, SortCommand(ctx, remembered));
}

// ---- Z up to Z down --------------------------------------------------------------------------

void ZUpDownDialog(CommandContext& c) {
  ZUpDownOptions& remembered = c.Remembered<ZUpDownOptions>();
  QDialog d(c.parent());
  d.setWindowTitle(L("Z높이와 Z 각도로  방향을 변경합니다."));
  auto* layout = new QVBoxLayout(&d);
  FieldBinder f(&d);
  layout->addWidget(f.Check(L("Z 상향 부분만"), "risingOnly", remembered.risingOnly));
  auto* form = new QFormLayout;
  form->addRow(L("검색 높이 (Z height)"), f.Real("height", remembered.height, kZUpDownHeightRange));
  form->addRow(L("검색 각도(Z angle)"), f.Real("angle", remembered.angle, kZUpDownAngleRange));
  form->addRow(L("안전거리(Safe Dist)"), f.Real("safe", remembered.safe, kZUpDownSafeRange));
  layout->addLayout(form);
  layout->addWidget(f.Check(L("공구경로 선택만"), "selectedOnly", remembered.selectedOnly));
  layout->addWidget(OkCancel(&d));
  if (!f.Exec(d)) return;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, ZUpDownCommand(ctx, remembered));
}

// ---- Move and copy ---------------------------------------------------------------------------

void MoveCopyDialog(CommandContext& c) {
  TransformOptions& remembered = c.Remembered<TransformOptions>();
  QDialog d(c.parent());
  d.setWindowTitle(L("공구경로 이동, 회전, 미러, 복사"));
  auto* layout = new QVBoxLayout(&d);
  FieldBinder f(&d);
  RadioChoice method(&d, Q(""), {L("거리"), L("회전"), L("미러, 스케일")}, "method",
                     static_cast<int>(remembered.method));
  layout->addWidget(method.box());

  auto* grid = new QGridLayout;
  int row = 0;
  auto axisRow = [&](const char* label, QWidget* first, QWidget* second) {
    grid->addWidget(new QLabel(L(label), &d), row, 0);
    grid->addWidget(first, row, 1);
    if (second) grid->addWidget(second, row, 2);
    ++row;
  };
  grid->addWidget(new QLabel(L("거리"), &d), row++, 0);
  axisRow(LabelText("X축"), f.Real("dx", remembered.dx, kTransformDistanceRange),
          f.Check(Q(""), "moveX", remembered.moveX));
  axisRow(LabelText("Y축"), f.Real("dy", remembered.dy, kTransformDistanceRange),
          f.Check(Q(""), "moveY", remembered.moveY));
  axisRow(LabelText("Z축"), f.Real("dz", remembered.dz, kTransformDistanceRange),
          f.Check(Q(""), "moveZ", remembered.moveZ));
  grid->addWidget(new QLabel(L("회전"), &d), row++, 0);
  // Turning is about Z only: the X and Y angles are shown, and cannot be edited.
  for (const char* axis : {"X", "Y"}) {
    auto* off = new QLineEdit(Q("0"), &d);
    off->setObjectName(QString("angle%1").arg(axis));
    off->setEnabled(false);
    axisRow(axis, off, nullptr);
  }
  axisRow("Z", f.Real("angle", remembered.angle, kTransformAngleRange), nullptr);
  grid->addWidget(new QLabel(L("중심"), &d), row++, 0);
  axisRow("X", f.Real("cx", remembered.cx, kTransformCentreRange), nullptr);
  axisRow("Y", f.Real("cy", remembered.cy, kTransformCentreRange), nullptr);
  axisRow("Z", f.Real("cz", remembered.cz, kTransformCentreRange), nullptr);
  grid->addWidget(new QLabel(L("미러, 스케일"), &d), row++, 0);
  axisRow("X", f.Real("sx", remembered.sx, kTransformFactorRange),
          f.Check(Q(""), "scaleX", remembered.scaleX));
  axisRow("Y", f.Real("sy", remembered.sy, kTransformFactorRange),
          f.Check(Q(""), "scaleY", remembered.scaleY));
  axisRow("Z", f.Real("sz", remembered.sz, kTransformFactorRange),
          f.Check(Q(""), "scaleZ", remembered.scaleZ));
  axisRow("", f.Check(L("복사 횟수"), "copy", remembered.copy),
          f.Int("copies", remembered.copies, kTransformCopiesRange));
  layout->addLayout(grid);
  RadioChoice scope(&d, Q(""), {L("All"), L("선택"), L("다각형")}, "scope",
                    static_cast<int>(remembered.scope));
  layout->addWidget(scope.box());
  layout->addWidget(OkCancel(&d));
  if (!f.Exec(d)) return;
  remembered.method = static_cast<TransformMethod>(std::max(0, method.chosen()));
  remembered.scope = static_cast<PathScope>(std::max(0, scope.chosen()));
  const TransformOptions o = remembered;
  ToolpathView* view = c.view;
  CApplication* app = &c.app;
  WithScope(view, o.scope, [view, app, o](const Region* polygon) {
    EditContext ctx = MakeEditContext(*app, view->doc());
    SayIfUnchanged(ctx.msg, TransformCommand(ctx, o, polygon));
  });
}

CommandRegistrar registrar{
    {"reverse", Needs::View, ReverseDialog},
    {"reverseOne", Needs::View, ReverseOne},
    {"startOpen", Needs::View, [](CommandContext& c) { StartPoints(c, StartPointPaths::Open); }},
    {"startClosed", Needs::View,
     [](CommandContext& c) { StartPoints(c, StartPointPaths::Closed); }},
    {"startBoth", Needs::View, [](CommandContext& c) { StartPoints(c, StartPointPaths::Both); }},
    {"sort", Needs::View, SortDialog},
    {"zUpToZDown", Needs::View, ZUpDownDialog},
    {"moveCopy", Needs::View, MoveCopyDialog},
};

}  // namespace
}  // namespace trevalon
