// The optimiser on the desktop: the transfer dialog's relations and its OK and Cancel, the
// LMX settings and automatic feed adjustment dialogs, the Feed Optimizer command with undo,
// and the master model's menu commands and drawing.

#include "gui/feed_dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QtTest>
#include <cmath>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

#include "app/layer_commands.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_control.h"
#include "gui/feed_commands.h"
#include "gui/master_model_drawing.h"
#include "gui/screenshot.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

using Point = std::tuple<float, float, float, int, int>;
std::vector<Point> Points(CPointStore& s) {
  std::vector<Point> out;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* r = s.RawRecord(i);
    // The records are packed: their fields are read by value.
    if (r) out.push_back(Point{float(r->x), float(r->y), float(r->z), int(r->feed), int(r->type)});
  }
  return out;
}

void Click(QWidget* dialog, const char* button) {
  dialog->findChild<QPushButton*>(button)->click();
}

std::string Example(const char* name) {
  return std::string(TREVALON_EXAMPLES) + "/" + name;
}

}  // namespace

class FeedDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void transferDialogBoxesRecomputeTheReductionsAsTheCoreDoes() {
    Program p;
    CFeedControl& fc = p.app->FeedControl();
    fc.OpenTransferDialog();
    ChannelSettings& ch = fc.Current();
    TransferDialog d(p.window.get(), *p.app, ch);
    QCOMPARE(d.maxBox->text(), QString("1000"));
    QCOMPARE(d.minBox->text(), QString("100"));

    CuttingConditions expected = ch.conditions;
    d.minBox->setText("250");
    ApplyFeedBoxes(expected, 1000, 250);
    QCOMPARE(d.conditions.CornerMaxReduction, expected.CornerMaxReduction);
    QCOMPARE(d.conditions.SlopeMaxReduction, expected.SlopeMaxReduction);
    QCOMPARE(d.conditions.SlopeMaxReduction, 0.5f);
    d.maxBox->setText("2000");
    ApplyFeedBoxes(expected, 2000, 250);
    QCOMPARE(d.conditions.MaxFeed, 2000);
    QCOMPARE(d.conditions.CornerMaxReduction, expected.CornerMaxReduction);
    // A maximum of 0 (a box being retyped) changes nothing.
    d.maxBox->setText("");
    QCOMPARE(d.conditions.MaxFeed, 2000);
    QCOMPARE(d.conditions.CornerMaxReduction, expected.CornerMaxReduction);
    // Nothing reached the channel yet.
    QCOMPARE(ch.conditions.MaxFeed, 1000);

    // The check boxes flip their flags.
    d.finishing->setChecked(false);
    d.zSearch->setChecked(false);
    QCOMPARE(d.conditions.ConCorChk, 0);
    QCOMPARE(d.conditions.UpDownChk, 0);
    // The calculator is not built: its button is there and disabled.
    QVERIFY(!d.calculatorButton->isEnabled());

    // The MMA button: ".mma" appended without "mma" in the path; a cancelled choice empties.
    d.ChooseMasterFile("/work/models/core");
    QCOMPARE(d.masterModelFile, std::string("/work/models/core.mma"));
    QCOMPARE(d.mmaButton->text(), QString("MMA : /work/models/core.mma"));
    d.ChooseMasterFile("/work/models/core.mma");
    QCOMPARE(d.masterModelFile, std::string("/work/models/core.mma"));
    d.ChooseMasterFile("");
    QCOMPARE(d.masterModelFile, std::string());
    QCOMPARE(d.mmaButton->text(), QString("MMA :"));
  }

  void transferDialogReadsConditionFilesAndFollowsItsOtherDialogs() {
    Program p;
    CFeedControl& fc = p.app->FeedControl();
    fc.OpenTransferDialog();
    TransferDialog d(p.window.get(), *p.app, fc.Current());
    CuttingConditions file;
    QVERIFY(ReadConditionsFile(Example("steel-finish.lmx"), file));
    QCOMPARE(d.ReadConditions(Example("steel-finish.lmx")), 1);
    QCOMPARE(d.maxBox->text(), QString::number(file.MaxFeed));
    QCOMPARE(d.minBox->text(), QString::number(MinimumFeedShown(file)));
    QCOMPARE(d.conditionButton->text(), QString::fromUtf8("가공조건 화일 :steel-finish.lmx"));
    // A file that cannot be opened only resets the button.
    const CuttingConditions before = d.conditions;
    QCOMPARE(d.ReadConditions(p.dir.filePath("none.lmx").toStdString()), 0);
    QCOMPARE(d.conditionButton->text(), QString::fromUtf8("가공조건 화일 :"));
    QCOMPARE(d.conditions.MaxFeed, before.MaxFeed);

    // "Set": after OK the slope reduction follows the new ratio, capped at 1.0.
    OnModal([](QWidget* w) {
      w->findChild<QLineEdit*>("sideCorner")->setText("20");
      Click(w, "ok");
    });
    d.setButton->click();
    QCOMPARE(d.conditions.SideCorRat, 20.0f);
    QCOMPARE(d.conditions.SlopeMaxReduction, 1.0f);
    // "LMX": after OK the boxes show the new maximum and the smaller reduction.
    OnModal([](QWidget* w) {
      auto* max = w->findChild<QLineEdit*>("maxFeed");
      max->setText("3000");
      emit max->editingFinished();
      Click(w, "ok");
    });
    d.lmxButton->click();
    QCOMPARE(d.conditions.MaxFeed, 3000);
    QCOMPARE(d.maxBox->text(), QString("3000"));
    QCOMPARE(d.minBox->text(), QString::number(MinimumFeedShown(d.conditions)));
  }

  void lmxSettingsSlidersLabelsAndMasterSwitch() {
    Program p;
    CuttingConditions c;
    LmxSettingsDialog d(p.window.get(), *p.app, c, "");
    // 0.7 in single precision stands at 70, not 69.
    QCOMPARE(d.sliders[1]->value(), 70);
    QCOMPARE(d.labels[1]->text(), QString::fromUtf8("30도 가중치(0.70)"));
    QCOMPARE(d.labels[5]->text(), QString::fromUtf8("60도 가중치(0.30)"));
    d.sliders[4]->setValue(45);
    QCOMPARE(d.conditions.SideWeight30, 45 * 0.01f);
    QCOMPARE(d.labels[4]->text(), QString::fromUtf8("30도 가중치(0.45)"));
    QCOMPARE(d.conditions.CorWeight30, 0.7f);  // the others stay
    // Without a master-model file master control cannot be switched on.
    d.master->click();
    QVERIFY(!d.master->isChecked());
    QCOMPARE(d.conditions.LmxByMaster, 0);
    LmxSettingsDialog withFile(p.window.get(), *p.app, c, "/m/a.mma");
    withFile.master->click();
    QVERIFY(withFile.master->isChecked());
    QCOMPARE(withFile.conditions.LmxByMaster, 1);
    // A feed change unit of 0 would divide by zero in the run: it becomes 1.
    d.feedUnit->setText("0");
    d.zUpDown->setText("0.8");
    d.accept();
    QCOMPARE(d.conditions.FeedChgAng, 1);
    QCOMPARE(d.conditions.ZupZdown, 0.8f);
  }

  void autoFeedDialogWritesFilesAndOnlyOkReachesTheChannel() {
    Program p;
    ChannelSettings& ch = p.app->FeedControl().channels[1];
    {
      AutoFeedDialog d(p.window.get(), *p.app, ch.conditions, ch.conditionDirectory);
      QCOMPARE(d.reals[0]->text(), QString("10.000"));
      QCOMPARE(d.reals[3]->text(), QString(" 0.100"));
      d.maxFeed->setText("1800");
      d.material->setText("ALU 6061");
      const std::string out = p.dir.filePath("out.lmx").toStdString();
      QCOMPARE(d.WriteConditions(out), 1);
      CuttingConditions expected = ch.conditions;
      expected.MaxFeed = 1800;
      expected.Material = "ALU_6061";
      QCOMPARE(ReadAll(out), ConditionsFileText(expected, p.app->language));
      // An unwritable place: the file error, and nothing else happens.
      const int messages = p.platform->messageCount;
      QCOMPARE(d.WriteConditions(p.dir.filePath("no/such/dir/x.lmx").toStdString()), 0);
      QCOMPARE(p.platform->messageCount, messages + 1);
      QCOMPARE(p.platform->lastCaption, std::string("Error message"));
    }
    OnModal([](QWidget* w) {
      w->findChild<QLineEdit*>("maxFeed")->setText("1700");
      Click(w, "cancel");
    });
    p.window->Action("autoFeed")->trigger();
    QCOMPARE(ch.conditions.MaxFeed, 1000);
    OnModal([](QWidget* w) {
      w->findChild<QLineEdit*>("maxFeed")->setText("1700");
      w->findChild<QLineEdit*>("real0")->setText("6");
      Click(w, "ok");
    });
    p.window->Action("autoFeed")->trigger();
    QCOMPARE(ch.conditions.MaxFeed, 1700);
    QCOMPARE(ch.conditions.ToolDiameter, 6.0f);
  }

  void feedOptimizerCancelKeepsEverythingOkRunsAndUndoes() {
    Program p;
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    ToolpathView* v = p.window->ActiveView();
    CPointStore& store = v->doc().store;
    const auto original = Points(store);
    ChannelSettings& ch = p.app->FeedControl().channels[1];
    QVERIFY(p.window->Action("feedOptimizer")->isEnabled());

    OnModal([](QWidget* w) {
      w->findChild<QLineEdit*>("maxFeed")->setText("2400");
      Click(w, "cancel");
    });
    p.window->Action("feedOptimizer")->trigger();
    QCOMPARE(ch.dialogResult, 0);
    QCOMPARE(ch.conditions.MaxFeed, 1000);
    QVERIFY(Points(store) == original);

    OnModal([](QWidget* w) {
      w->findChild<QLineEdit*>("maxFeed")->setText("2400");
      w->findChild<QLineEdit*>("minFeed")->setText("600");
      Click(w, "ok");
    });
    p.window->Action("feedOptimizer")->trigger();
    QCOMPARE(ch.dialogResult, 1);
    QCOMPARE(ch.conditions.MaxFeed, 2400);
    QCOMPARE(ch.conditions.CornerMaxReduction, 0.25f);
    QVERIFY(Points(store) != original);
    int highest = 0;
    for (const auto& pt : Points(store))
      if (IsMotionType(std::get<4>(pt)) && !IsRapidType(std::get<4>(pt)))
        highest = std::max(highest, std::get<3>(pt));
    QVERIFY(highest > 800);  // the program's own feed was 800
    QVERIFY(highest <= 2400);
    QVERIFY(p.window->PaneText(0).contains("Feed Optimizer"));
    // The transfer dialog reopens on the values of the last OK.
    OnModal([](QWidget* w) {
      QCOMPARE(w->findChild<QLineEdit*>("maxFeed")->text(), QString("2400"));
      QCOMPARE(w->findChild<QLineEdit*>("minFeed")->text(), QString("600"));
      Click(w, "cancel");
    });
    p.window->Action("feedOptimizer")->trigger();

    p.window->Action("undo")->trigger();
    QVERIFY(Points(store) == original);
  }

  void escapeDuringTheRunStopsTheAnalysisAndTheOutputIsStillWritten() {
    // A zigzag of 1200 moves with a corner at every point: the analysis takes several
    // windows, so an Escape seen at the first poll leaves the later corners untreated.
    auto zigzag = [](CPointStore& s) {
      s.count = 0;
      auto add = [&s](int type, double x, double y, int feed) {
        s.reg.type = type, s.reg.x = x, s.reg.y = y, s.reg.z = 0, s.reg.feed = feed, s.reg.mark = 0;
        s.StorePoint(s.count++);
      };
      add(MOVE_RAPID, 0, 0, 0);
      for (int i = 1; i <= 1200; ++i) add(MOVE_LINE_CONT, i * 20.0, (i % 2) * 20.0, 800);
    };
    auto run = [](Program& p, bool escape) {
      ToolpathView* v = p.window->ActiveView();
      OnModal([v, escape](QWidget* w) {
        if (escape)
          QCoreApplication::postEvent(
              v, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        Click(w, "ok");
      });
      p.window->Action("feedOptimizer")->trigger();
      return Points(v->doc().store);
    };
    Program full, stopped;
    full.window->NewDocument();
    stopped.window->NewDocument();
    zigzag(full.window->ActiveView()->doc().store);
    zigzag(stopped.window->ActiveView()->doc().store);
    const auto original = Points(stopped.window->ActiveView()->doc().store);
    const auto whole = run(full, false);
    const auto cut = run(stopped, true);
    QVERIFY(whole != original);
    QVERIFY(cut != original);  // the output of the treated part was written back
    QVERIFY(cut != whole);
    stopped.window->Action("undo")->trigger();
    QVERIFY(Points(stopped.window->ActiveView()->doc().store) == original);
  }

  void masterModelMenuCreatesShowsSavesDeletesAndLoads() {
    Program p;
    QCOMPARE(p.window->OpenFile(Example("core-insert-finish.nc")), 1);
    ToolpathView* v = p.window->ActiveView();
    CDocument& doc = v->doc();
    // Showing without a mesh keeps the flag at 0.
    p.window->Action("showMaster")->trigger();
    QCOMPARE(doc.master.shown, 0);
    QVERIFY(!p.window->Action("showMaster")->isChecked());

    OnModal([](QWidget* w) {
      w->findChild<QLineEdit*>("tolerance")->setText("0.8");
      Click(w, "ok");
    });
    p.window->Action("masterCreate")->trigger();
    QVERIFY(doc.master.Exists());
    QCOMPARE(doc.master.header.cellSize, 0.8);
    QCOMPARE(doc.store.count, 0u);  // the toolpath served for the mesh
    QCOMPARE(doc.master.shown, 1);
    QVERIFY(p.window->Action("showMaster")->isChecked());
    QVERIFY(v->renderer.meshQuadsDrawn > 0);
    // Every view direction draws it.
    for (int n = 1; n <= 7; ++n) {
      v->SetDirection(n);
      v->Redraw();
      QVERIFY(v->renderer.meshQuadsDrawn > 0);
    }

    p.window->Action("showMaster")->trigger();
    QCOMPARE(doc.master.shown, 0);
    QCOMPARE(v->renderer.meshQuadsDrawn, std::uint64_t(0));
    QVERIFY(!p.window->Action("showMaster")->isChecked());

    const std::string file = p.dir.filePath("core.mma").toStdString();
    QCOMPARE(MasterSaveCommand(*p.app, *v, p.window.get(), file), 1);
    QCOMPARE(ReadAll(file).size(), 188 + 6 * std::size_t(doc.master.CellCount()));
    const std::uint32_t cells = doc.master.CellCount();

    // Delete asks first: Cancel keeps the mesh, OK releases it.
    p.platform->answers = {Answer::Cancel};
    p.window->Action("masterDelete")->trigger();
    QVERIFY(doc.master.Exists());
    QCOMPARE(p.platform->lastMessage, std::string(" Do you want master model? "));
    p.platform->answers = {Answer::Ok};
    p.window->Action("masterDelete")->trigger();
    QVERIFY(!doc.master.Exists());
    p.window->Action("showMaster")->trigger();
    QCOMPARE(doc.master.shown, 0);

    // A truncated file is refused and leaves the document without a mesh as it was.
    const std::string cut = p.dir.filePath("cut.mma").toStdString();
    std::ofstream(cut, std::ios::binary) << ReadAll(file).substr(0, 300);
    QCOMPARE(MasterLoadCommand(*p.app, *v, p.window.get(), cut), 0);
    QVERIFY(!doc.master.Exists());
    QCOMPARE(p.platform->lastCaption, std::string("Error message"));

    QCOMPARE(MasterLoadCommand(*p.app, *v, p.window.get(), file), 1);
    p.window->Action("redraw")->trigger();
    QVERIFY(doc.master.Exists());
    QCOMPARE(doc.master.CellCount(), cells);
    QCOMPARE(doc.master.shown, 1);
    QVERIFY(v->renderer.meshQuadsDrawn > 0);
  }

  void screenshotBuildsTheMasterModelFromAProgram() {
    Program p;
    ScreenshotRequest r;
    bool isShot = false;
    QVERIFY(ParseScreenshotArgs({"--screenshot", "a.png", "--master"}, r, isShot) != "");
    const std::string png = p.dir.filePath("master.png").toStdString();
    const std::string example = Example("core-insert-finish.nc");
    QCOMPARE(ParseScreenshotArgs({"--screenshot", png, "--size", "320x200", "--master", example}, r,
                                 isShot),
             std::string());
    QCOMPARE(r.master, example);
    QVERIFY(r.files.empty());
    std::string error;
    QCOMPARE(TakeScreenshot(*p.app, r, error), 0);
    QImage image(QString::fromStdString(png));
    QCOMPARE(image.size(), QSize(320, 200));
    // The mesh covers the middle of the picture: it is not the background there.
    QVERIFY(image.pixelColor(160, 100) != QColor(12, 16, 22));
    // A program that cannot be read is an error, not a picture.
    r.master = p.dir.filePath("missing.nc").toStdString();
    QCOMPARE(TakeScreenshot(*p.app, r, error), 1);
  }

  void damagedMeshValuesDrawWithoutHarm() {
    // Heights that are not numbers or lie far away, and slopes outside 0 to 90, as a damaged
    // or foreign .mma file may hold them.
    MeshHeader h;
    h.cellSize = 1.0;
    h.columns = 4, h.rows = 4, h.cellCount = 16, h.exists = 1;
    std::string bytes(100, '\0');
    bytes.append(reinterpret_cast<const char*>(&h), sizeof h);
    const float heights[4] = {std::nanf(""), 1e30f, -1e30f, 2.0f};
    const std::int16_t slopes[4] = {-300, 32000, 45, 0};
    for (int k = 0; k < 16; ++k) {
      bytes.append(reinterpret_cast<const char*>(&heights[k % 4]), 4);
      bytes.append(reinterpret_cast<const char*>(&slopes[(k / 4) % 4]), 2);
    }
    CDocument doc;
    QCOMPARE(doc.master.ReadBytes(bytes), 1);
    doc.master.shown = 1;
    doc.view.width = 200, doc.view.height = 150;
    QImage image(200, 150, QImage::Format_ARGB32_Premultiplied);
    ToolpathRenderer renderer;
    for (double scale : {1e-6, 1.0, 40.0, 1e9}) {
      for (int n = 1; n <= 7; ++n) {
        doc.view.SetDirection(n);
        doc.view.scale = scale;
        QPainter painter(&image);
        renderer.Render(painter, doc, RenderOptions{});
      }
    }
    // A sound 2 x 2 block of the same mesh is drawn.
    CDocument sound;
    std::string good = bytes.substr(0, 188);
    for (int k = 0; k < 16; ++k) {
      const float z = static_cast<float>(k % 3);
      const std::int16_t slope = 10;
      good.append(reinterpret_cast<const char*>(&z), 4);
      good.append(reinterpret_cast<const char*>(&slope), 2);
    }
    QCOMPARE(sound.master.ReadBytes(good), 1);
    sound.view.width = 200, sound.view.height = 150;
    sound.view.SetDirection(1);
    sound.view.scale = 20.0;
    QImage picture(200, 150, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    QCOMPARE(DrawMasterModel(painter, sound.master, sound.view), std::uint64_t(9));
  }
};

QTEST_MAIN(FeedDialogsTest)
#include "feed_dialogs_test.moc"
