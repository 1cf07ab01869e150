// The help: the Help menu's items show the manual in the help window (or open the user's own
// help files as before), the window's buttons and keys work, every link of the manual leads
// to a page and a place that are there, and every command of the menus is documented under
// its label.

#include "gui/help_window.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>
#include <fstream>

#include "gui/command_registry.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

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

// Every item of the menus, submenus included.
void Items(QMenu* menu, std::vector<QAction*>& out) {
  for (QAction* a : menu->actions()) {
    if (a->menu())
      Items(a->menu(), out);
    else if (!a->isSeparator())
      out.push_back(a);
  }
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

class HelpWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void theHelpItemsShowTheManualAndItsButtonsAndKeysWork() {
    Program p;
    // The fresh set-up's help files: names of files that are not there.
    p.app->settings.helpFileName = p.dir.filePath("help/korvo.hlp").toStdString();
    p.app->settings.trainingHelpName = p.dir.filePath("help/korvo-t.hlp").toStdString();
    p.window->Action("help")->trigger();
    HelpWindow* help = HelpOf(p);
    QVERIFY(help);
    QVERIFY(help->isVisible());
    // Run from the build folder, the program shows the manual of its sources.
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

  void helpFilesOfTheUsersOwnOpenAsBefore() {
    Program p;
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
    // A folder is no help file: the manual is shown.
    p.app->settings.helpFileName = p.dir.path().toStdString();
    p.window->Action("help")->trigger();
    QVERIFY(HelpOf(p));
    QCOMPARE(p.platform->openedDocuments.size(), std::size_t(2));
  }

  void aManualThatIsNowhereIsReportedWithTheFoldersSearched() {
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

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
