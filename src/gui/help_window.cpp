#include "gui/help_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/help_files.h"
#include "gui/dialog_kit.h"
#include "gui/main_window.h"

namespace trevalon {

HelpWindow::HelpWindow(QWidget* parent, const QString& folder) : QDialog(parent), folder_(folder) {
  setObjectName("helpWindow");
  setWindowTitle(L("TREVALON 도움말"));
  setModal(false);
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto button = [this, bar](const char* name, QStyle::StandardPixmap icon, const QString& text) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(icon));
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addWidget(b);
    return b;
  };
  QToolButton* back = button("back", QStyle::SP_ArrowBack, L("이전"));
  QToolButton* forward = button("forward", QStyle::SP_ArrowForward, L("다음"));
  QToolButton* contents = button("contents", QStyle::SP_DirHomeIcon, L("목차 (F1)"));
  bar->addStretch(1);
  find_ = new QLineEdit(this);
  find_->setObjectName("find");
  find_->setPlaceholderText(L("찾기 (Ctrl+F)"));
  find_->setClearButtonEnabled(true);
  find_->setMaximumWidth(260);
  bar->addWidget(find_);
  layout->addLayout(bar);

  browser_ = new QTextBrowser(this);
  browser_->setObjectName("helpBrowser");
  // Links to other pages of the manual open here; links to the web go to the desktop's
  // browser.
  browser_->setOpenExternalLinks(true);
  browser_->setSearchPaths({folder_});
  // The pages link manual.css for web browsers; the browser here does not load linked sheets,
  // so the sheet is every page's default.
  QFile css(folder_ + "/manual.css");
  if (css.size() < (1 << 20) && css.open(QIODevice::ReadOnly))
    browser_->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
  layout->addWidget(browser_, 1);

  back->setEnabled(false);
  forward->setEnabled(false);
  connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
  connect(contents, &QToolButton::clicked, this, &HelpWindow::Home);
  connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
          &HelpWindow::Home);
  connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
    find_->setFocus();
    find_->selectAll();
  });
  connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
          [this] { Find(false); });
  connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this,
          [this] { Find(true); });
  connect(find_, &QLineEdit::returnPressed, this, [this] { Find(false); });
  resize(920, 720);
}

void HelpWindow::ShowPage(const QString& page) {
  const int hash = page.indexOf('#');
  QUrl url = QUrl::fromLocalFile(folder_ + "/" + (hash < 0 ? page : page.left(hash)));
  if (hash >= 0) url.setFragment(page.mid(hash + 1));
  browser_->setSource(url);
  show();
  raise();
  activateWindow();
}

void HelpWindow::Home() {
  ShowPage(kManualContents);
}

// The next place of the find field's text on the page, from the cursor on; at the end of
// the page the search starts over from the other end.
void HelpWindow::Find(bool backward) {
  const QString text = find_->text();
  if (text.isEmpty()) return;
  const QTextDocument::FindFlags flags =
      backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (browser_->find(text, flags)) return;
  browser_->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
  browser_->find(text, flags);
}

ManualSearch InstalledManualSearch() {
  ManualSearch s;
  s.xdgDataDirsSet = qEnvironmentVariableIsSet("XDG_DATA_DIRS");
  s.xdgDataDirs = qEnvironmentVariable("XDG_DATA_DIRS").toStdString();
  s.programDir = QCoreApplication::applicationDirPath().toStdString();
#if defined(TREVALON_BUILD_DIR) && defined(TREVALON_SOURCE_MANUAL)
  s.buildDir = TREVALON_BUILD_DIR;
  s.sourceManual = TREVALON_SOURCE_MANUAL;
#endif
#ifdef TREVALON_INSTALL_MANUAL
  s.installManual = TREVALON_INSTALL_MANUAL;
#endif
  return s;
}

void ShowHelp(CApplication& app, MainWindow& frame, bool tutorial, const ManualSearch& search) {
  const std::string& own = tutorial ? app.settings.trainingHelpName : app.settings.helpFileName;
  if (IsOwnHelpFile(own) && frame.platform().OpenDocument(own)) return;
  const QString folder = Q(FindManual(search));
  if (folder.isEmpty()) {
    std::string where;
    for (const std::string& f : ManualFolders(search)) where += (where.empty() ? "" : "\n ") + f;
    app.Msg().ShowFileError(Txt::ManualNotFound, where);
    return;
  }
  auto* window = frame.findChild<HelpWindow*>("helpWindow", Qt::FindDirectChildrenOnly);
  if (window && window->folder() != folder) {
    delete window;  // the manual has moved (a changed environment): the new one is shown
    window = nullptr;
  }
  if (!window) window = new HelpWindow(&frame, folder);
  window->ShowPage(tutorial ? kManualTutorial : kManualContents);
}

}  // namespace trevalon
