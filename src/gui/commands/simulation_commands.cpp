// The cutting simulation on the desktop: "가공 시뮬레이션" asks for the stock, the tool, the cell
// and the dogleg check (the options of the script's `simulate`), cuts the work layer with
// progress on the help line (Escape stops), says what it found there and shows the machined
// part with the slider; "가공 형상 보기" shows or hides the part.

#include "app/simulation_commands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>
#include <cstdio>
#include <memory>

#include "gui/command_registry.h"
#include "gui/machined_part.h"
#include "gui/main_window.h"
#include "gui/simulation_dock.h"
#include "texts/messages.h"

namespace trevalon {
namespace {

class SimulationDialog : public QDialog {
 public:
  SimulationDialog(QWidget* parent, const SimulationOptions& o) : QDialog(parent) {
    setWindowTitle(L("가공 시뮬레이션"));
    auto* layout = new QVBoxLayout(this);
    autoStock_ = CheckBox(this, L("소재를 공구경로에서"), "autoStock", o.autoStock);
    layout->addWidget(autoStock_);
    auto* box = new QGridLayout;
    static const char* const kCorner[6] = {"X0", "Y0", "Z0", "X1", "Y1", "Z1"};
    for (int k = 0; k < 6; ++k) {
      const double v = k < 3 ? o.stock.min[k] : o.stock.max[k - 3];
      const std::string name = "stock" + std::to_string(k);
      stock_[static_cast<std::size_t>(k)] = RealField(this, name.c_str(), v);
      box->addWidget(new QLabel(kCorner[k], this), k / 3, (k % 3) * 2);
      box->addWidget(stock_[static_cast<std::size_t>(k)], k / 3, (k % 3) * 2 + 1);
    }
    layout->addLayout(box);
    auto* form = new QFormLayout;
    kind_ = new QComboBox(this);
    kind_->setObjectName("toolKind");
    kind_->addItems({L("평 엔드밀"), L("볼 엔드밀"), L("불노즈 엔드밀")});
    kind_->setCurrentIndex(static_cast<int>(o.tool.kind));
    diameter_ = RealField(this, "toolDiameter", o.tool.diameter, SimTool::kDiameterRange);
    corner_ = RealField(this, "cornerRadius", o.tool.cornerRadius, SimTool::kCornerRange);
    cell_ = RealField(this, "cell", o.cell, HeightField::kCellRange);
    form->addRow(L("공구"), kind_);
    form->addRow(L("공구 직경 D"), diameter_);
    form->addRow(L("코너 반경 r"), corner_);
    form->addRow(L("셀 크기"), cell_);
    layout->addLayout(form);
    dogleg_ = CheckBox(this, L("급속을 축별로도 검사"), "dogleg", o.dogleg);
    layout->addWidget(dogleg_);
    layout->addWidget(OkCancel(this));
    auto follow = [this] {
      for (QLineEdit* e : stock_) e->setEnabled(!autoStock_->isChecked());
      corner_->setEnabled(kind_->currentIndex() == static_cast<int>(SimToolKind::Bull));
    };
    connect(autoStock_, &QCheckBox::toggled, this, follow);
    connect(kind_, &QComboBox::currentIndexChanged, this, follow);
    follow();
  }

  // The options as the dialog holds them; a box emptied or out of range keeps its value.
  SimulationOptions Take(SimulationOptions o) const {
    o.autoStock = autoStock_->isChecked();
    for (int k = 0; k < 6; ++k)
      TakeReal(stock_[static_cast<std::size_t>(k)], k < 3 ? o.stock.min[k] : o.stock.max[k - 3],
               kAnyReal);
    o.tool.kind = static_cast<SimToolKind>(kind_->currentIndex());
    TakeReal(diameter_, o.tool.diameter, SimTool::kDiameterRange);
    TakeReal(corner_, o.tool.cornerRadius, SimTool::kCornerRange);
    TakeReal(cell_, o.cell, HeightField::kCellRange);
    o.dogleg = dogleg_->isChecked();
    return o;
  }

 private:
  QCheckBox *autoStock_ = nullptr, *dogleg_ = nullptr;
  std::array<QLineEdit*, 6> stock_{};
  QComboBox* kind_ = nullptr;
  QLineEdit *diameter_ = nullptr, *corner_ = nullptr, *cell_ = nullptr;
};

// What a run found, on the help line.
void SayFindings(CApplication& app, const SimulationResult& r) {
  char first[64];
  if (r.firstRapidCollision < 0)
    std::snprintf(first, sizeof first, "%s", app.Text(Txt::SimulationNoCollision));
  else
    std::snprintf(first, sizeof first, "#%lld", static_cast<long long>(r.firstRapidCollision));
  char text[512];
  std::snprintf(text, sizeof text, app.Text(Txt::SimulationSummary), r.removedVolume,
                r.rapidCollisions, first, r.airCutMoves, r.airCutLength);
  app.Msg().Help(text);
}

void RunSimulationDialog(CommandContext& c) {
  CDocument& doc = c.view->doc();
  SimulationOptions start = DocumentSimulationOptions(c.app, doc);
  // Until a stock box is given, the dialog offers the automatic one to start from.
  if (start.autoStock && start.stock.Problem() != "") {
    StockBox box;
    if (AutoStock(doc.store, start.tool, box)) start.stock = box;
  }
  SimulationDialog d(c.parent(), start);
  if (d.exec() != QDialog::Accepted) return;
  SimulationOptions o = d.Take(start);
  // A tool or stock that cannot cut is refused before anything changes.
  std::string why = o.tool.Problem();
  if (why.empty() && !o.autoStock) why = o.stock.Problem();
  if (!why.empty()) {
    ShowSimulationRefused(c.app, Outcome::Failed(OutcomeCode::Refused, why));
    return;
  }
  // Kept for the next run, as the script's simulate keeps the options it was given.
  doc.simulation.autoStock = o.autoStock;
  doc.simulation.stock = o.stock;
  doc.simulation.cell = o.cell;
  doc.simulation.dogleg = o.dogleg;
  doc.simulation.tool = o.tool;
  doc.simToolGiven = true;

  Platform& platform = c.app.Msg().platform();
  int shown = -1;
  o.progress = [&](double done) {
    const int percent = static_cast<int>(done * 100.0);
    if (percent != shown) {
      shown = percent;
      char line[128];
      std::snprintf(line, sizeof line, c.app.Text(Txt::SimulationProgress), percent);
      platform.SetHelpText(line);
    }
    return !platform.EscapePressed();
  };
  ToolpathView* view = c.view;
  if (!view->machined) view->machined = std::make_unique<MachinedPart>();
  const Outcome ran = RunMachinedPart(doc, o, *view->machined);
  view->MarkOperationEnd();
  if (ran.code() == OutcomeCode::Cancelled) {
    platform.SetHelpText(c.app.Text(Txt::SimulationStopped));
    return;
  }
  if (!ran) {
    platform.SetHelpText("");
    ShowSimulationRefused(c.app, ran);
    return;
  }
  view->machined->shown = true;
  const SimulationResult& r = view->machined->result;
  // The first rapid through material is shown as a picked point is: the status line and
  // the program pane go to its block.
  if (r.firstRapidCollision >= 0)
    view->ShowPointStatus(static_cast<std::uint32_t>(r.firstRapidCollision));
  SayFindings(c.app, r);
  SimulationDock& dock = SimulationDockOf(c.frame);
  dock.show();
  dock.Refresh();
  view->Redraw();
  emit view->statusChanged();
}

void ToggleMachinedPart(CommandContext& c) {
  MachinedPart* part = c.view->machined.get();
  if (!part) return;
  part->shown = !part->shown;
  c.view->Redraw();
}

CommandRegistrar registrar{
    {"simulate", Needs::View, RunSimulationDialog},
    {"showMachinedPart", Needs::View, ToggleMachinedPart,
     [](CommandContext& c) { return c.view->machined && c.view->machined->shown; }},
};

}  // namespace
}  // namespace trevalon
