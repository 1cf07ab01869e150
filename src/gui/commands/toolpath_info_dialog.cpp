// "공구경로 정보": the statistics of the work layer's toolpath and its machine time (with the
// limits of machine.par) in the dialog "Ncdata 정보". The described figures count linear
// moves only; after arc fitting they leave most of a program out, so the arcs' own length and
// the machine's time in cutting moves, arcs included, stand beside them (the same values the
// command-line tool's `info` gives as arc_length, machine_time and rapid_time).

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/machine_settings.h"
#include "gui/command_registry.h"
#include "gui/toolpath_view.h"
#include "model/machine_time.h"
#include "model/statistics.h"

namespace trevalon {
namespace {

void ShowStatistics(QWidget* parent, const ToolpathStatistics& s, const MachineTime& machine,
                    const QString& machineTip) {
  QDialog d(parent);
  d.setWindowTitle(L("Ncdata 정보"));
  auto* layout = new QVBoxLayout(&d);
  auto* top = new QFormLayout;
  auto value = [&d](const QString& text) {
    auto* e = new QLineEdit(text, &d);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignRight);
    return e;
  };
  auto fixed = [](double v) { return QString::number(v, 'f', 3); };
  top->addRow(L("최대 절삭속도"), value(QString::number(s.maxFeed)));
  top->addRow(L("절삭 이송거리"), value(fixed(s.cuttingLength)));
  top->addRow(L("급속 이송거리"), value(fixed(s.rapidLength)));
  top->addRow(L("가공 예상시간(min)"), value(QString::number(s.cuttingTime, 'f', 2)));
  // The machine time beside the cutting time: what the job keeps the machine, rapids,
  // accelerations, corners and block time included (empty when it could not be estimated).
  auto minutes = [&](double v, const char* name) {
    QLineEdit* e = value(machine.complete ? QString::number(v, 'f', 2) : QString());
    e->setObjectName(name);
    e->setToolTip(machineTip);
    return e;
  };
  auto named = [](QLineEdit* e, const char* name) {
    e->setObjectName(name);
    return e;
  };
  top->addRow(L("원호 이송거리"), named(value(fixed(s.arcLength)), "arcLength"));
  top->addRow(L("기계 예상시간(min)"), minutes(machine.total, "machineTime"));
  top->addRow(L("급속 예상시간(min)"), minutes(machine.rapid, "rapidTime"));
  // The cutting time with the arcs: what the machine time spends outside the rapids. Our
  // rule: no second estimate beside the machine time's; the length over the feed of the
  // described figure would leave out the accelerations the machine time counts.
  top->addRow(L("원호 포함 절삭시간(min)"),
              minutes(machine.total - machine.rapid, "cuttingTimeWithArcs"));
  layout->addLayout(top);
  auto group = [&](const char* title, const double* mn, const double* mx) {
    auto* g = new QGroupBox(L(title), &d);
    auto* f = new QGridLayout(g);
    const char* minLabels[3] = {LabelText("최소 X:"), LabelText("최소 Y:"), LabelText("최소 Z:")};
    const char* maxLabels[3] = {LabelText("최대 X:"), LabelText("최대 Y:"), LabelText("최대 Z:")};
    for (int k = 0; k < 3; ++k) {
      f->addWidget(new QLabel(L(minLabels[k]), g), k, 0);
      f->addWidget(value(fixed(mn[k])), k, 1);
      f->addWidget(new QLabel(L(maxLabels[k]), g), k, 2);
      f->addWidget(value(fixed(mx[k])), k, 3);
    }
    layout->addWidget(g);
  };
  group(LabelText("<< 절삭이송 >>"), s.cuttingMin, s.cuttingMax);
  group(LabelText("<< 급속이송 >>"), s.rapidMin, s.rapidMax);
  layout->addWidget(OkCancel(&d));
  d.exec();
}

CommandRegistrar registrar{
    {"toolpathInfo", Needs::View,
     [](CommandContext& c) {
       CPointStore& store = c.view->doc().store;
       const ToolpathStatistics stats = CurrentStatistics(store);
       const MachineTime machine = EstimateMachineTime(store, ReadMachineSettings(c.app));
       ShowStatistics(c.parent(), stats, machine, Q(c.app.Text(Txt::TipMachineTime)));
     }},
};

}  // namespace
}  // namespace trevalon
