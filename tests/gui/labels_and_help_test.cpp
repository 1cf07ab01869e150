// The labels of the menus, toolbars and dialogs: Korean exactly as they always were, English and
// Japanese from the label translator with their accelerators and keys, and Korean again in any
// language when the work environment asks for it. The help: the Help menu's items show the
// manual in the help window (or open the user's own help files as before), the window's
// buttons and keys work, every link of the manual leads to a page and a place that are there,
// and every command of the menus is documented under its label.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <fstream>
#include <map>

#include "gui/command_registry.h"
#include "gui/help_window.h"
#include "gui/labels.h"
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

QString ManualFolder() {
  return QFileInfo(QString(TREVALON_MANUAL)).canonicalFilePath();
}

// One page of the manual as the help window reads it.
struct Page {
  QSet<QString> anchors;
  QMap<QString, QString> anchorText;  // anchor name -> the text of the block that holds it
  QStringList links, images;
};

Page Parse(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(file));
  QTextDocument doc;
  doc.setHtml(QString::fromUtf8(f.readAll()));
  Page page;
  for (QTextBlock b = doc.begin(); b != doc.end(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      for (const QString& name : format.anchorNames()) {
        page.anchors.insert(name);
        page.anchorText[name] = b.text();
      }
      if (!format.anchorHref().isEmpty()) page.links << format.anchorHref();
      if (format.isImageFormat()) page.images << format.toImageFormat().name();
    }
  }
  return page;
}

QMap<QString, Page> Manual() {
  QMap<QString, Page> pages;
  for (const QString& name : QDir(ManualFolder()).entryList({"*.html"}, QDir::Files))
    pages[name] = Parse(ManualFolder() + "/" + name);
  return pages;
}

// A menu label as the manual writes it: without its accelerator column, its mnemonic and a
// trailing "...".
QString Label(const QString& text) {
  QString label = text.section('\t', 0, 0);
  label.remove(QRegularExpression("\\(&\\w\\)"));
  label.replace("&&", "\x01").remove(QRegularExpression("&(?=\\S)")).replace("\x01", "&");
  if (label.endsWith("...")) label.chop(3);
  return label.trimmed();
}

HelpWindow* HelpOf(Program& p) {
  const auto windows = p.window->findChildren<HelpWindow*>("helpWindow");
  return windows.size() == 1 ? windows.front() : nullptr;
}

QString Shown(HelpWindow* help) {
  return QFileInfo(help->browser()->source().toLocalFile()).fileName();
}

}  // namespace

class LabelsAndHelpTest : public QObject {
  Q_OBJECT
 private slots:
  // Korean needs no translation: the menus keep their labels byte for byte. English and
  // Japanese: no Korean left in any menu, toolbar or dialog; accelerators, keys and shortcuts
  // still work. Every dialog has its title in the language, the nested ones reached too.
  void labelsInEachLanguage() {
    const struct {
      const char *language, *load, *toolpathInfo, *lmx;
    } languages[] = {
        {"ko", nullptr, "Ncdata 정보", "LMX 설정"},
        {"en", "Load &NC data...\tCtrl+N, Ctrl+O", "NC Data Information", "LMX Settings"},
        {"ja", "NC データを開く(&N)...\tCtrl+N, Ctrl+O", "NC データ情報", "LMX 設定"}};
    for (const auto& l : languages) {
      Program p(l.language);
      LabelLanguage shown(p);
      const QStringList menus = MenuLabels(*p.window);
      if (!l.load) {
        QCOMPARE(menus, ExpectedKoreanMenus());
      } else {
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
      }
      Open(p);
      const auto dialogs = AllDialogs(p);
      for (const auto& [action, labels] : dialogs)
        for (const QString& label : labels)
          QVERIFY2(!l.load || !HasHangul(label), qPrintable(action + ": " + label));
      QCOMPARE(dialogs.at("toolpathInfo").value(0), QString::fromUtf8(l.toolpathInfo));
      // The transfer dialog's "Set" and the circle.
      QVERIFY(dialogs.at("feedOptimizer").contains(QString::fromUtf8(l.lmx)));
      QVERIFY(dialogs.at("offsetCircle").size() > 6);
    }
  }

  // KoreanLabelsChk, ticked in the work environment, brings the Korean menus back at once in
  // English; unticked, English returns. (How korvo.cfg keeps the key: the settings verb's rows.)
  void koreanLabelsSettingKeepsKoreanInEnglish() {
    Program p("en");
    LabelLanguage english(p);
    QCOMPARE(p.window->Action("exit")->text(), QString("E&xit"));
    for (const char* tick : {"1", "0"}) {
      QCOMPARE(Run(p, "workEnvironment", {FillAnd({{"KoreanLabelsChk", tick}})}), std::size_t(1));
      if (tick == std::string("1"))
        QCOMPARE(MenuLabels(*p.window), ExpectedKoreanMenus());
      else
        QCOMPARE(p.window->Action("exit")->text(), QString("E&xit"));
    }
    // Dialogs opened while the setting is on show Korean labels too.
    p.app->settings.koreanLabelsChk = 1;
    UseLabelLanguage(*p.app);
    QStringList labels;
    Run(p, "workEnvironment", {[&labels](QWidget* w) {
          labels = DialogLabels(w);
          static_cast<QDialog*>(w)->reject();
        }});
    QCOMPARE(labels.value(0), QString("작업 환경"));
  }

  // The language chosen in the work environment applies at once to the menus, toolbars, docks,
  // status tips, the close question and the core's messages, and korvo.cfg keeps it (a
  // program that follows the system writes no line).
  void languageChosenInTheWorkEnvironmentAppliesAtOnce() {
    Program p("en");
    LabelLanguage english(p);
    ToolpathView* v = p.window->NewDocument();
    p.window->Action("feedPlot")->trigger();
    auto choose = [&p](const char* code) {
      const std::size_t answered = Run(p, "workEnvironment", {[code](QWidget* w) {
                                         auto* box = Find<QComboBox>(w, "Language");
                                         box->setCurrentIndex(box->findData(QString(code)));
                                         Click(w, "ok");
                                       }});
      // No dialog answered: nothing the checks below could find.
      if (answered != 1) return std::string("(the work environment did not open)");
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
      // The exit item and its status tip, the layer toolbar's and the feed chart dock's
      // titles, the close question's buttons and a message's.
      const char* shown;
    } steps[] = {
        {"ja", Language::Japanese,
         "終了(&X)|プログラムを終了します|レイヤー|送りグラフ|保存|保存しない|キャンセル|OK"},
        {"ko", Language::Korean,
         "종료(&X)|프로그램을 종료합니다|Layer|Feed 그래프|저장|저장 안 함|취소|확인"},
        {"en", Language::English, "E&xit|Quit the program|Layer|Feed chart|Save|Discard|Cancel|OK"},
    };
    for (const auto& step : steps) {
      const std::string cfg = choose(step.code);
      QVERIFY(cfg.find(std::string("Language ") + step.code + " \n") != std::string::npos);
      QVERIFY(p.app->language == step.language);
      QAction* exit = p.window->Action("exit");
      const QStringList shown = {exit->text(), exit->statusTip(),
                                 p.window->findChild<QToolBar*>("layerToolbar")->windowTitle(),
                                 p.window->findChild<QDockWidget*>("feedPlotDock")->windowTitle(),
                                 closeButtons()};
      QCOMPARE(shown.join('|'), QString::fromUtf8(step.shown));
    }
    // Following the system again: no line in korvo.cfg. (What a new start takes from the
    // line, and --lang over it, is the settings' own test.)
    QVERIFY(choose("").find("Language") == std::string::npos);
  }

  void theHelpItemsShowTheManualAndItsButtonsAndKeysWork() {
    Program p;
    // The fresh set-up's help files: names of files that are not there.
    p.app->settings.helpFileName = p.dir.filePath("help/korvo.hlp").toStdString();
    p.app->settings.trainingHelpName = p.dir.filePath("help/korvo-t.hlp").toStdString();
    p.window->Action("help")->trigger();
    HelpWindow* help = HelpOf(p);
    QVERIFY(help && help->isVisible());
    // Run from the build folder, the program shows the manual of its sources (the order of
    // the folders searched: the help files' own test).
    QCOMPARE(QFileInfo(help->folder()).canonicalFilePath(), ManualFolder());
    QCOMPARE(Shown(help), QString("index.html"));
    QVERIFY(help->browser()->toPlainText().contains("Trevalon user manual"));
    // The manual's style sheet holds for its pages.
    QVERIFY(help->browser()->document()->defaultStyleSheet().contains("h1"));
    QVERIFY(p.platform->openedDocuments.empty());
    QCOMPARE(p.platform->messageCount, 0);

    // A link followed with the keyboard: Tab marks the first link, Enter follows it.
    QTextBrowser* browser = help->browser();
    const QString firstLink = Manual()["index.html"].links.front();
    browser->setFocus();
    Key(browser, Qt::Key_Tab);
    Key(browser, Qt::Key_Return);
    QCOMPARE(Shown(help), QFileInfo(firstLink.section('#', 0, 0)).fileName());
    QVERIFY(!browser->toPlainText().isEmpty());
    Click(help, "back");
    QCOMPARE(Shown(help), QString("index.html"));
    Click(help, "forward");
    QCOMPARE(Shown(help), QFileInfo(firstLink.section('#', 0, 0)).fileName());
    // F1 in the help window: the contents page.
    help->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(help));
    QTest::keyClick(help, Qt::Key_F1);
    QCOMPARE(Shown(help), QString("index.html"));
    // The find field finds a word on the page, the next time further on.
    auto* find = Find<QLineEdit>(help, "find");
    find->setText("layer");
    QTest::keyClick(find, Qt::Key_Return);
    const int first = browser->textCursor().position();
    QVERIFY(browser->textCursor().selectedText().compare("layer", Qt::CaseInsensitive) == 0);
    QTest::keyClick(find, Qt::Key_Return);
    QVERIFY(browser->textCursor().position() > first);

    // The tutorial brings the same window up on the first job.
    p.window->Action("tutorial")->trigger();
    QCOMPARE(HelpOf(p), help);
    QCOMPARE(Shown(help), QString(kManualTutorial));
    QVERIFY(browser->toPlainText().contains("Your first job"));
  }

  // A manual that is nowhere is reported with the folders searched; the user's own help files
  // open as before. (Which names are the user's own files: the help files' own test.)
  void aManualNowhereIsReportedAndTheUsersOwnHelpFilesOpen() {
    Program p;
    p.app->settings.helpFileName.clear();
    ManualSearch nowhere;
    nowhere.xdgDataDirsSet = true;
    nowhere.xdgDataDirs = p.dir.filePath("share").toStdString();
    nowhere.programDir = p.dir.filePath("bin").toStdString();
    ShowHelp(*p.app, *p.window, false, nowhere);
    QVERIFY(!HelpOf(p));
    QCOMPARE(p.platform->messageCount, 1);
    QCOMPARE(QString::fromStdString(p.platform->lastCaption), QString("Error message"));
    const QString message = QString::fromStdString(p.platform->lastMessage);
    QVERIFY(message.contains("manual was not found"));
    QVERIFY(message.contains(p.dir.filePath("share/trevalon/manual")));

    const std::string own = p.dir.filePath("my-help.pdf").toStdString();
    const std::string training = p.dir.filePath("my-training.pdf").toStdString();
    std::ofstream(own) << "help";
    std::ofstream(training) << "training";
    p.app->settings.helpFileName = own;
    p.app->settings.trainingHelpName = training;
    p.window->Action("help")->trigger();
    p.window->Action("tutorial")->trigger();
    QCOMPARE(p.platform->openedDocuments, (std::vector<std::string>{own, training}));
    QVERIFY(!HelpOf(p));
    QCOMPARE(p.platform->messageCount, 1);
  }

  void everyLinkOfTheManualLeadsToAPageAndAPlaceThatAreThere() {
    const QMap<QString, Page> pages = Manual();
    QVERIFY(pages.size() >= 10);
    QSet<QString> fromContents;
    for (auto page = pages.begin(); page != pages.end(); ++page) {
      for (const QString& link : page->links) {
        if (link.startsWith("http://") || link.startsWith("https://")) continue;
        const QString file = link.section('#', 0, 0), fragment = link.section('#', 1);
        const QString target = file.isEmpty() ? page.key() : file;
        // Only pages of the manual's own folder: an installed manual has nothing beside it.
        QVERIFY2(!target.contains('/') && pages.contains(target),
                 qPrintable(page.key() + ": " + link + " leads to no page of the manual"));
        QVERIFY2(fragment.isEmpty() || pages[target].anchors.contains(fragment),
                 qPrintable(page.key() + ": " + link + " leads to no place on its page"));
        if (page.key() == "index.html") fromContents.insert(target);
      }
      for (const QString& image : page->images)
        QVERIFY2(QFileInfo::exists(ManualFolder() + "/" + image),
                 qPrintable(page.key() + ": no picture " + image));
    }
    // The contents page reaches every page.
    for (const QString& name : pages.keys())
      QVERIFY2(name == "index.html" || fromContents.contains(name),
               qPrintable(name + " is not in the contents"));
  }

  void everyCommandOfTheMenusIsDocumentedUnderItsLabel() {
    Program p;
    QMap<QString, QString> documented;  // "cmd-NAME" -> the text it stands in
    const QMap<QString, Page> pages = Manual();
    for (const Page& page : pages) {
      for (auto it = page.anchorText.begin(); it != page.anchorText.end(); ++it)
        if (it.key().startsWith("cmd-")) documented[it.key()] = it.value();
    }
    std::vector<QAction*> items;
    for (QAction* top : p.window->menuBar()->actions()) Items(top->menu(), items);
    int checked = 0;
    for (QAction* a : items) {
      const QString name = a->objectName();
      // Items without a command stay disabled and are not part of the program yet; the
      // recent files carry no name.
      if (name.isEmpty() || !FindCommand(name.toStdString())) continue;
      const QString anchor = "cmd-" + name;
      QVERIFY2(documented.contains(anchor),
               qPrintable("the manual has no place " + anchor + " for " + a->text()));
      // The label as the item shows it, and the program's own Korean label it was made from
      // when the item shows a translation of it.
      QStringList labels{Label(a->text())};
      const QByteArray korean = a->property("label").toByteArray();
      if (!korean.isEmpty()) labels << Label(QString::fromUtf8(korean));
      for (const QString& label : labels)
        QVERIFY2(documented[anchor].contains(label),
                 qPrintable(anchor + " does not name the item's label " + label + ": " +
                            documented[anchor]));
      ++checked;
    }
    QVERIFY(checked >= 60);
  }
};

QTEST_MAIN(LabelsAndHelpTest)
#include "labels_and_help_test.moc"
