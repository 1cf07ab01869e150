#include "gui/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimerEvent>
#include <QUrl>

#include "gui/dialog_kit.h"

namespace trevalon {

QtPlatform::QtPlatform() {
  clock_.start();
  if (qApp) qApp->installEventFilter(this);
}

QtPlatform::~QtPlatform() {
  if (qApp) qApp->removeEventFilter(this);
}

Answer QtPlatform::ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                               MessageButtons buttons) {
  lastCaption = std::string(caption);
  lastMessage = std::string(text);
  ++messageCount;
  if (scripted) {
    if (!answers.empty()) {
      const Answer a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == MessageButtons::Ok ? Answer::Ok : Answer::Cancel;
  }
  QMessageBox box(parentWindow);
  box.setWindowTitle(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
  box.setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  switch (icon) {
    case MessageIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageIcon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case MessageIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
  }
  // Named in the program's labels, as the dialogs' buttons are: the toolkit would name its
  // standard buttons in the system's language.
  QPushButton* ok = box.addButton(L("확인"), QMessageBox::AcceptRole);
  ok->setObjectName("ok");
  if (buttons == MessageButtons::OkCancel) {
    box.addButton(L("취소"), QMessageBox::RejectRole)->setObjectName("cancel");
    box.setDefaultButton(ok);
  } else {
    box.setEscapeButton(ok);
  }
  box.exec();
  return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
}

QtPlatform::SaveChoice QtPlatform::AskSaveChanges(std::string_view text, std::string_view caption) {
  lastCaption = std::string(caption);
  lastMessage = std::string(text);
  ++messageCount;
  if (scripted) {
    if (saveChoices.empty()) return SaveChoice::Cancel;
    const SaveChoice c = saveChoices.front();
    saveChoices.pop_front();
    return c;
  }
  QMessageBox box(parentWindow);
  box.setWindowTitle(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
  box.setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  box.setIcon(QMessageBox::Question);
  // Our own buttons in the program's language: the toolkit's standard ones take their names
  // from the system's language, and take them again whenever the box is shown.
  auto add = [&box, this](Txt text, QMessageBox::ButtonRole role) {
    QPushButton* b = box.addButton(QString::fromUtf8(UserText(text, language)), role);
    b->setObjectName(TxtName(text));
    return b;
  };
  QPushButton* save = add(Txt::ButtonSave, QMessageBox::AcceptRole);
  QPushButton* discard = add(Txt::ButtonDiscard, QMessageBox::DestructiveRole);
  QPushButton* cancel = add(Txt::ButtonCancel, QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return SaveChoice::Save;
  if (box.clickedButton() == discard) return SaveChoice::Discard;
  return SaveChoice::Cancel;
}

std::optional<std::string> QtPlatform::AskValue(std::string_view caption, std::string_view label,
                                                std::string_view current) {
  if (scripted) {
    if (values.empty() || values.front().empty()) {
      if (!values.empty()) values.pop_front();
      return std::nullopt;
    }
    std::string v = values.front();
    values.pop_front();
    return v;
  }
  return AskValueDialog(parentWindow, std::string(caption), std::string(label),
                        std::string(current));
}

void QtPlatform::ShowNotice(std::string_view text) {
  lastNotice = std::string(text);
  ++noticeCount;
  if (scripted) return;
  const QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  if (!notice_) {
    notice_ = new QMessageBox(parentWindow);
    notice_->setAttribute(Qt::WA_DeleteOnClose);
    notice_->setIcon(QMessageBox::Information);
    notice_->setStandardButtons(QMessageBox::Ok);
    notice_->setWindowModality(Qt::NonModal);
    notice_->setWindowTitle(QApplication::applicationDisplayName());
  }
  notice_->setText(t);
  notice_->show();
  notice_->raise();
}

void QtPlatform::SetHelpText(std::string_view text) {
  helpText = std::string(text);
  if (onHelpText) onHelpText(helpText);
}

bool QtPlatform::EscapePressed() {
  // The first poll of an operation shows the busy indication; a timer takes it away once the
  // polls have stopped for a moment, that is when the operation is over.
  lastPoll_ = TickCount();
  if (!inOperation_) {
    inOperation_ = true;
    escape_ = false;
    if (onBusy) onBusy(true);
    if (idleTimer_ == 0) idleTimer_ = startTimer(150);
  }
  // Let the window repaint and see the keyboard; the filter below keeps every other input
  // away from the program while the operation runs.
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const bool pressed = escape_;
  escape_ = false;
  return pressed;
}

void QtPlatform::timerEvent(QTimerEvent* e) {
  if (e->timerId() != idleTimer_) return;
  if (inOperation_ && TickCount() - lastPoll_ > 250) {
    inOperation_ = false;
    killTimer(idleTimer_);
    idleTimer_ = 0;
    if (onBusy) onBusy(false);
  }
}

bool QtPlatform::eventFilter(QObject* watched, QEvent* event) {
  if (!inOperation_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) escape_ = true;
      return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Shortcut:
      return true;  // input that arrives during a long operation is dropped
    default:
      return QObject::eventFilter(watched, event);
  }
}

std::uint64_t QtPlatform::TickCount() {
  return static_cast<std::uint64_t>(clock_.elapsed());
}

bool QtPlatform::OpenInEditor(const std::string& editor, const std::string& path) {
  if (!editor.empty() &&
      QProcess::startDetached(QString::fromStdString(editor), {QString::fromStdString(path)}))
    return true;
  return OpenDocument(path);
}

bool QtPlatform::OpenDocument(const std::string& path) {
  if (scripted) {
    openedDocuments.push_back(path);
    return true;
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace trevalon
