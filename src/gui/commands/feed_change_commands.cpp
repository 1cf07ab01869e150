// The feed changes of the optimiser menu: "피드변경", the ceilings and floors by window and by
// polygon, "Arc(G02,G03)에 의한 feed 변경", "이송량에 의한 feed 변경" and "기계조건에 의한 feed
// 변경". Each dialog keeps its values while the program runs (each command its own); the core
// does the work, undoable, and asks for the redraw. "Feed color 보기" is a view command
// (view_commands.cpp).

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>
#include <memory>

#include "app/layer_commands.h"
#include "feed/feed_changes.h"
#include "feed/machine_feed.h"
#include "gui/command_registry.h"
#include "gui/labels.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

constexpr RealRange kFeedValueField{static_cast<double>(kFeedValueRange.lo),
                                    static_cast<double>(kFeedValueRange.hi)};

// The value dialog "변수를 입력하시요!!": one feed under its label; the value is truncated to a
// whole feed. False on Cancel (the value stays).
bool AskFeedValue(QWidget* parent, const QString& label, double& value) {
  QDialog d(parent);
  d.setWindowTitle(L("변수를 입력하시요!!"));
  auto* layout = new QVBoxLayout(&d);
  auto* edit = RealField(&d, "value", value, kFeedValueField);
  layout->addWidget(new QLabel(label, &d));
  layout->addWidget(edit);
  layout->addWidget(OkCancel(&d));
  edit->selectAll();
  if (d.exec() != QDialog::Accepted) return false;
  const std::optional<double> v = RealValue(edit, kFeedValueField);
  if (!v || std::trunc(*v) < kFeedValueRange.lo) return false;  // refused: nothing changes
  value = std::trunc(*v);
  return true;
}

void ChangeFeed(CommandContext& c) {
  CDocument& doc = c.view->doc();
  double value = doc.maxFeed;  // opens on the document's cutting feed
  if (!AskFeedValue(c.parent(), CoreLabel(c.app, Txt::ChangeFeed), value)) return;
  EditContext ctx = MakeEditContext(c.app, doc);
  SayIfUnchanged(ctx.msg, ChangeFeedCommand(ctx, static_cast<long>(value)));
}

// ---- Window and polygon feed -------------------------------------------------------------------

struct FeedValue {
  double feed = kWindowFeedStart;
};

// One run of a window or polygon feed command: regions are asked for until the user ends it.
struct RegionFeedRun {
  CApplication& app;
  ToolpathView* view;
  FeedLimit limit;
  long feed;
  bool polygon;
};

void NextRegion(const std::shared_ptr<RegionFeedRun>& run);

// Runs `step` once the input that just ended has wound down, unless another command has taken
// over the view meanwhile (the run then ends without a word).
void Then(const std::shared_ptr<RegionFeedRun>& run,
          void (*step)(const std::shared_ptr<RegionFeedRun>&)) {
  ToolpathView* v = run->view;
  QMetaObject::invokeMethod(
      v,
      [run, step] {
        if (!run->view->input()) step(run);
      },
      Qt::QueuedConnection);
}

// A cancelled region asks whether to go on: OK ends the command, Cancel asks for the next.
void AskToGoOn(const std::shared_ptr<RegionFeedRun>& run) {
  if (run->app.Ask(Txt::ConfirmFeedChange, Txt::ErrorMessage) == Answer::Ok) return;
  NextRegion(run);
}

void Apply(const std::shared_ptr<RegionFeedRun>& run, const Region& region) {
  EditContext ctx = MakeEditContext(run->app, run->view->doc());
  SayIfUnchanged(ctx.msg, RegionFeedCommand(ctx, region, run->limit, run->feed));
  Then(run, NextRegion);
}

void NextRegion(const std::shared_ptr<RegionFeedRun>& run) {
  ToolpathView* v = run->view;
  ViewState& vs = v->doc().view;
  if (!run->polygon) {
    v->SelectWindow(
        [run, v, &vs](std::optional<WindowCorners> w) {
          // Escape (or a window begun outside the view) is a cancelled input.
          if (!w || w->x1 < 0 || w->y1 < 0) return Then(run, AskToGoOn);
          // A window narrower or lower than 2 pixels ends the command.
          if (!WindowAccepted(*w)) return;
          vs.width = std::max(1, v->width());
          vs.height = std::max(1, v->height());
          Apply(run, Region::Window(w->x1, w->y1, w->x2, w->y2, vs));
        },
        run->app.Text(Txt::HelpDragWindow));
    return;
  }
  v->InputPolygon(static_cast<int>(kFeedPolygonVertexLimit), DropRule::FivePixels, false,
                  [run, v, &vs](std::optional<std::vector<QPoint>> vertices) {
                    // Escape, Enter with fewer than three vertices, or the vertex limit.
                    if (!vertices || vertices->size() < 3) return Then(run, AskToGoOn);
                    vs.width = std::max(1, v->width());
                    vs.height = std::max(1, v->height());
                    std::vector<RegionPoint> points;
                    for (const QPoint& p : *vertices)
                      points.push_back({double(p.x()), double(p.y()), 0});
                    Apply(run, Region::Polygon(std::move(points)));
                  });
}

template <FeedLimit Limit, bool Polygon>
void RegionFeed(CommandContext& c) {
  FeedValue& value = c.Remembered<FeedValue>();
  if (!AskFeedValue(c.parent(), CoreLabel(c.app, Txt::MaxFeed), value.feed)) return;
  NextRegion(std::make_shared<RegionFeedRun>(
      RegionFeedRun{c.app, c.view, Limit, static_cast<long>(value.feed), Polygon}));
}

// ---- Arc and length feed -----------------------------------------------------------------------

void ArcFeed(CommandContext& c) {
  ArcFeedOptions& o = c.Remembered<ArcFeedOptions>();
  QDialog d(c.parent());
  d.setWindowTitle(L("G02, G03의 feed를 변경합니다."));
  FieldBinder f(&d);
  auto* form = new QFormLayout(&d);
  form->addRow(L("최소 반경"), f.Real("minRadius", o.minRadius, kArcRadiusRange));
  form->addRow(L("최소 반경 feed"), f.Int("minRadiusFeed", o.minRadiusFeed, kArcFeedRange));
  form->addRow(L("최대 반경"), f.Real("maxRadius", o.maxRadius, kArcRadiusRange));
  form->addRow(L("최대 반경 feed"), f.Int("maxRadiusFeed", o.maxRadiusFeed, kArcFeedRange));
  form->addRow(L("안전거리"), f.Real("safety", o.safety, kArcSafetyRange));
  form->addRow(f.Check(L("Feed 변경후 감속"), "setFirst", o.setFirst),
               f.Int("firstFeed", o.firstFeed, kArcFirstFeedRange));
  form->addRow(OkCancel(&d));
  if (!f.Exec(d)) return;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, ArcFeedCommand(ctx, o));
}

void LengthFeed(CommandContext& c) {
  LengthFeedOptions& o = c.Remembered<LengthFeedOptions>();
  QDialog d(c.parent());
  d.setWindowTitle(L("이송량에 의한 feed 변경"));
  FieldBinder f(&d);
  auto* form = new QFormLayout(&d);
  form->addRow(L("최소 거리"), f.Real("minLength", o.minLength, kMinLengthRange));
  form->addRow(L("최소 거리 feed"), f.Int("minLengthFeed", o.minLengthFeed, kLengthFeedRange));
  form->addRow(L("최대 거리"), f.Real("maxLength", o.maxLength, kMaxLengthRange));
  form->addRow(L("최대 거리 feed"), f.Int("maxLengthFeed", o.maxLengthFeed, kLengthFeedRange));
  form->addRow(f.Check(L("Feed 변경후 감속"), "setFirst", o.setFirst),
               f.Int("firstFeed", o.firstFeed, kLengthFirstFeedRange));
  form->addRow(OkCancel(&d));
  if (!f.Exec(d)) return;
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, LengthFeedCommand(ctx, o));
}

// ---- Machine feed ------------------------------------------------------------------------------

void MachineFeed(CommandContext& c) {
  MachineFeedOptions& o = c.Remembered<MachineFeedOptions>();
  QDialog d(c.parent());
  d.setWindowTitle(L("기계와 DNC 조건을 입력하시요."));
  FieldBinder f(&d);
  auto* form = new QFormLayout(&d);
  auto* machine = new QComboBox(&d);
  machine->setObjectName("machine");
  for (const MachineType& m : kMachines) machine->addItem(Q(m.name));
  machine->setCurrentIndex(machine->findText(Q(o.machine)));
  auto* rate = new QComboBox(&d);
  rate->setObjectName("transferRate");
  for (int r : kTransferRates) rate->addItem(QString::number(r));
  rate->setCurrentIndex(rate->findText(QString::number(o.transferRate)));
  form->addRow(L("공작기계"), machine);
  form->addRow(L("전송속도"), rate);
  form->addRow(L("최대 feed"), f.Int("maxFeed", o.maxFeed, kMachineMaxFeedRange));
  form->addRow(L("최소 feed"), f.Int("minFeed", o.minFeed, kMachineMinFeedRange));
  form->addRow(L("급속 feed"), f.Int("rapidFeed", o.rapidFeed, kRapidFeedRange));
  form->addRow(L("Feed 단위"), f.Int("unit", o.unit, kMachineFeedUnitRange));
  // The slider "CNC 가중치" shows its position less 50: more or fewer blocks than the
  // machine's own buffer.
  auto* weightLabel = new QLabel(&d);
  weightLabel->setObjectName("weightLabel");
  auto* weight = new QSlider(Qt::Horizontal, &d);
  weight->setObjectName("weight");
  weight->setRange(static_cast<int>(kCncWeightRange.lo), static_cast<int>(kCncWeightRange.hi));
  weight->setValue(o.weight);
  const QString weightText = CoreLabel(c.app, Txt::CncWeight);
  auto showWeight = [weightLabel, weight, weightText] {
    weightLabel->setText("<< " + weightText + "(" + QString::number(weight->value() - 50) + ") >>");
  };
  QObject::connect(weight, &QSlider::valueChanged, &d, showWeight);
  showWeight();
  form->addRow(weightLabel);
  form->addRow(weight);
  form->addRow(f.Check(L("부르러운 feed"), "smooth", o.smooth));
  form->addRow(f.Check(L("최대 feed로 변경후 감소"), "setMax", o.setMax));
  form->addRow(OkCancel(&d));
  if (!f.Exec(d)) return;
  o.machine = machine->currentText().toStdString();
  // No rate chosen counts as 9600.
  o.transferRate = rate->currentIndex() < 0 ? 9600 : rate->currentText().toInt();
  o.weight = weight->value();
  ConfirmMachineChoice(o);
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, MachineFeedCommand(ctx, o));
}

CommandRegistrar registrar{
    {"changeFeed", Needs::View, ChangeFeed},
    {"windowMaxFeed", Needs::View, RegionFeed<FeedLimit::Ceiling, false>},
    {"polygonMaxFeed", Needs::View, RegionFeed<FeedLimit::Ceiling, true>},
    {"windowMinFeed", Needs::View, RegionFeed<FeedLimit::Floor, false>},
    {"polygonMinFeed", Needs::View, RegionFeed<FeedLimit::Floor, true>},
    {"arcFeed", Needs::View, ArcFeed},
    {"lengthFeed", Needs::View, LengthFeed},
    {"machineFeed", Needs::View, MachineFeed},
};

}  // namespace
}  // namespace trevalon
