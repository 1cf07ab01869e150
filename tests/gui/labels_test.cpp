// The labels of the menus, toolbars and dialogs: Korean exactly as they always were, English and
// Japanese from the label translator with their accelerators and keys, and Korean again in any
// language when the work environment asks for it.

#include "gui/labels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QToolBar>
#include <QtTest>
#include <map>

#include "gui/command_registry.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

bool HasHangul(const QString& s) {
  for (const QChar c : s) {
    const char16_t u = c.unicode();
    if ((u >= 0x1100 && u <= 0x11FF) || (u >= 0x3130 && u <= 0x318F) ||
        (u >= 0xAC00 && u <= 0xD7FF))
      return true;
  }
  return false;
}

void DumpMenu(const QMenu* menu, int depth, QStringList& out) {
  for (QAction* a : menu->actions()) {
    QString text = a->isSeparator() ? "--" : a->text();
    out << QString(depth * 2, ' ') + text.replace('\t', "\\t");
    if (a->menu()) DumpMenu(a->menu(), depth + 1, out);
  }
}

// Every label of the menu bar and the toolbars, one a line, submenus indented.
QStringList MenuLabels(MainWindow& w) {
  QStringList out;
  for (QAction* top : w.menuBar()->actions()) {
    out << top->text();
    DumpMenu(top->menu(), 1, out);
  }
  for (QToolBar* bar : w.findChildren<QToolBar*>()) {
    out << "toolbar " + bar->windowTitle();
    for (QAction* a : bar->actions())
      if (!a->isSeparator() && !a->text().isEmpty()) out << "  " + a->text();
  }
  return out;
}

// What a dialog shows: its title, and the texts of its labels, buttons and group boxes.
QStringList DialogLabels(QWidget* d) {
  QStringList out{d->windowTitle()};
  if (qobject_cast<QFileDialog*>(d)) return out;  // the toolkit's own, but our title
  for (QWidget* c : d->findChildren<QWidget*>()) {
    if (auto* l = qobject_cast<QLabel*>(c)) out << l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(c)) out << b->text();
    if (auto* g = qobject_cast<QGroupBox*>(c)) out << g->title();
  }
  return out;
}

// The labels of every dialog that the menu items open on a document, nested ones included;
// each dialog is cancelled once seen.
std::map<QString, QStringList> AllDialogs(Program& p) {
  std::map<QString, QStringList> seen;
  const std::string file = p.dir.filePath("labels.nc").toStdString();
  for (const Command& c : AllCommands()) {
    const std::string_view name(c.action);
    if (name == "exit" || name == "closeWindow") continue;
    QStringList& labels = seen[c.action];
    auto look = [&labels](const char* then) {
      return [&labels, then](QWidget* w) {
        labels << DialogLabels(w);
        if (then)
          Click(w, then);
        else
          static_cast<QDialog*>(w)->reject();
      };
    };
    std::vector<Step> steps(6, look(nullptr));
    // The dialogs behind a file choice, a button or an OK.
    if (name == "saveNc" || name == "postProcessor") steps[0] = ChooseFile(file);
    if (name == "postProcessor") steps[1] = look("section1");
    if (name == "feedOptimizer") steps[0] = look("lmx"), steps[2] = look("set");
    if (name == "offsetBox" || name == "offsetCircle") steps[0] = look("ok");
    Dialogs d(steps);
    p.window->Action(c.action)->trigger();
    QTest::qWait(10);
    if (ToolpathView* v = p.window->ActiveView()) Key(v, Qt::Key_Escape);  // a mouse input
  }
  return seen;
}

// Shows the labels of `language` on the program's frame; the Korean labels again when it ends.
struct LabelLanguage {
  Program& p;
  explicit LabelLanguage(Program& program) : p(program) {
    UseLabelLanguage(*p.app);
    p.window->RetranslateLabels();
  }
  ~LabelLanguage() {
    p.app->language = Language::Korean;
    UseLabelLanguage(*p.app);
  }
};

QStringList ExpectedKoreanMenus() {
  QFile f(QString(TREVALON_TEST_DATA) + "/korean_menus.txt");
  if (!f.open(QIODevice::ReadOnly)) qFatal("korean_menus.txt is missing");
  return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

class LabelsTest : public QObject {
  Q_OBJECT
 private slots:
  // Korean needs no translation: the menus keep their labels byte for byte, and every dialog
  // shows Korean labels.
  void koreanLabelsStayAsTheyWere() {
    Program p("ko");
    LabelLanguage korean(p);
    QCOMPARE(MenuLabels(*p.window), ExpectedKoreanMenus());
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    const auto dialogs = AllDialogs(p);
    QVERIFY(HasHangul(dialogs.at("toolpathInfo").join('|')));
    QCOMPARE(dialogs.at("toolpathInfo").value(0), QString("Ncdata 정보"));
  }

  // English and Japanese: no Korean left in any menu, toolbar or dialog; accelerators, keys and
  // shortcuts still work.
  void englishAndJapaneseLabelsHaveNoKorean() {
    const struct {
      const char* language;
      const char* load;
      const char* toolpathInfo;
    } languages[] = {{"en", "Load &NC data...\tCtrl+N, Ctrl+O", "NC Data Information"},
                     {"ja", "NC データを開く(&N)...\tCtrl+N, Ctrl+O", "NC データ情報"}};
    for (const auto& l : languages) {
      Program p(l.language);
      LabelLanguage shown(p);
      const QStringList menus = MenuLabels(*p.window);
      for (const QString& line : menus) QVERIFY2(!HasHangul(line), qPrintable(line));
      QCOMPARE(menus.size(), ExpectedKoreanMenus().size());
      QCOMPARE(p.window->Action("load")->text(), QString::fromUtf8(l.load));
      QCOMPARE(p.window->Action("load")->shortcut(), QKeySequence("Ctrl+N"));
      // Each top menu keeps a distinct accelerator.
      QSet<QChar> keys;
      for (QAction* top : p.window->menuBar()->actions()) {
        const qsizetype amp = top->text().indexOf('&');
        QVERIFY2(amp >= 0, qPrintable(top->text()));
        keys.insert(top->text()[amp + 1].toUpper());
      }
      QCOMPARE(keys.size(), p.window->menuBar()->actions().size());

      QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
      const auto dialogs = AllDialogs(p);
      for (const auto& [action, labels] : dialogs)
        for (const QString& label : labels)
          QVERIFY2(!HasHangul(label), qPrintable(action + ": " + label));
      QCOMPARE(dialogs.at("toolpathInfo").value(0), QString::fromUtf8(l.toolpathInfo));
      // The nested dialogs were reached: the transfer dialog's "Set" and the circle.
      QVERIFY(dialogs.at("feedOptimizer")
                  .contains(l.language == std::string("en") ? "LMX Settings"
                                                            : QString::fromUtf8("LMX 設定")));
      QVERIFY(dialogs.at("offsetCircle").size() > 6);
    }
  }

  // KoreanLabelsChk, ticked in the work environment, brings the Korean menus back at once in
  // English; unticked, English returns. The setting is written to korvo.cfg.
  void koreanLabelsSettingKeepsKoreanInEnglish() {
    Program p("en");
    LabelLanguage english(p);
    QCOMPARE(p.window->Action("exit")->text(), QString("E&xit"));
    for (const char* tick : {"1", "0"}) {
      Dialogs d({[tick](QWidget* w) {
        Find<QCheckBox>(w, "KoreanLabelsChk")->setChecked(tick == std::string("1"));
        Click(w, "ok");
      }});
      p.window->Action("workEnvironment")->trigger();
      QCOMPARE(d.answered, std::size_t(1));
      const std::string cfg = ReadAll(p.dir.filePath("korvo.cfg").toStdString());
      if (tick == std::string("1")) {
        QCOMPARE(MenuLabels(*p.window), ExpectedKoreanMenus());
        QVERIFY(cfg.find("KoreanLabelsChk 1 \n") != std::string::npos);
      } else {
        QCOMPARE(p.window->Action("exit")->text(), QString("E&xit"));
        QVERIFY(cfg.find("KoreanLabelsChk") == std::string::npos);
      }
    }
    // Dialogs opened while the setting is on show Korean labels too.
    p.app->settings.koreanLabelsChk = 1;
    UseLabelLanguage(*p.app);
    QStringList labels;
    {
      Dialogs d({[&labels](QWidget* w) {
        labels = DialogLabels(w);
        static_cast<QDialog*>(w)->reject();
      }});
      p.window->Action("workEnvironment")->trigger();
    }
    QCOMPARE(labels.value(0), QString("작업 환경"));
  }

  // The language chosen in the work environment applies at once to the menus, toolbars, docks,
  // status tips, the close question and the core's messages, and korvo.cfg keeps it (a
  // program that follows the system writes no line); a new start takes it unless --lang
  // names another.
  void languageChosenInTheWorkEnvironmentAppliesAtOnce() {
    Program p("en");
    LabelLanguage english(p);
    ToolpathView* v = p.window->NewDocument();
    p.window->Action("feedPlot")->trigger();
    auto choose = [&p](const char* code) {
      Dialogs d({[code](QWidget* w) {
        auto* box = Find<QComboBox>(w, "Language");
        box->setCurrentIndex(box->findData(QString(code)));
        Click(w, "ok");
      }});
      p.window->Action("workEnvironment")->trigger();
      // No dialog answered: nothing the checks below could find.
      if (d.answered != 1) return std::string("(the work environment did not open)");
      return ReadAll(p.dir.filePath("korvo.cfg").toStdString());
    };
    // The close question's buttons and a message's, read from the boxes themselves.
    auto closeButtons = [&p, v] {
      QStringList texts;
      p.platform->scripted = false;
      v->doc().NoteWorkLayerChanged();  // unwritten changes
      {
        Dialogs d({[&texts](QWidget* w) {
          for (const char* name : {"ButtonSave", "ButtonDiscard", "ButtonCancel"})
            texts << Find<QAbstractButton>(w, name)->text();
          Click(w, "ButtonCancel");
        }});
        qobject_cast<QMdiSubWindow*>(v->parentWidget())->close();
      }
      // And a message's button (the answers above are gone: they would cancel it).
      Dialogs message({[&texts](QWidget* w) {
        texts << Find<QAbstractButton>(w, "ok")->text();
        Click(w, "ok");
      }});
      p.app->ShowCannotOpen();
      p.platform->scripted = true;
      return texts.join('|');
    };
    const struct {
      const char* code;
      Language language;
      const char* exit;
      const char* layerToolbar;
      const char* feedDock;
      const char* exitTip;
      const char* buttons;
    } steps[] = {
        {"ja", Language::Japanese, "終了(&X)", "レイヤー", "送りグラフ", "プログラムを終了します",
         "保存|保存しない|キャンセル|OK"},
        {"ko", Language::Korean, "종료(&X)", "Layer", "Feed 그래프", "프로그램을 종료합니다",
         "저장|저장 안 함|취소|확인"},
        {"en", Language::English, "E&xit", "Layer", "Feed chart", "Quit the program",
         "Save|Discard|Cancel|OK"},
    };
    for (const auto& step : steps) {
      const std::string cfg = choose(step.code);
      QVERIFY(cfg.find(std::string("Language ") + step.code + " \n") != std::string::npos);
      QVERIFY(p.app->language == step.language);
      QCOMPARE(p.window->Action("exit")->text(), QString::fromUtf8(step.exit));
      QCOMPARE(p.window->Action("exit")->statusTip(), QString::fromUtf8(step.exitTip));
      QCOMPARE(p.window->findChild<QToolBar*>("layerToolbar")->windowTitle(),
               QString::fromUtf8(step.layerToolbar));
      QCOMPARE(p.window->findChild<QDockWidget*>("feedPlotDock")->windowTitle(),
               QString::fromUtf8(step.feedDock));
      QCOMPARE(closeButtons(), QString::fromUtf8(step.buttons));
    }
    // Following the system again: no line in korvo.cfg, the language of the environment.
    qputenv("LANG", "ja_JP.UTF-8");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    QVERIFY(choose("").find("Language") == std::string::npos);
    QVERIFY(p.app->language == Language::Japanese);
    // A new start takes the saved choice; --lang names another.
    choose("ko");
    CApplication again(*p.platform);
    again.StartUp(StartOptions{});
    QVERIFY(again.language == Language::Korean);
    StartOptions en;
    en.language = "en";
    again.StartUp(en);
    QVERIFY(again.language == Language::English);
  }
};

QTEST_MAIN(LabelsTest)
#include "labels_test.moc"
