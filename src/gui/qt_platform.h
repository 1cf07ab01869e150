#pragma once
// The platform layer on Qt: message boxes, the value prompt, the help pane, Escape polling
// during long operations with a busy indication in the status line, and handing files to the
// editor and to the desktop.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "texts/user_texts.h"

class QMessageBox;
class QWidget;

namespace trevalon {

class QtPlatform : public QObject, public Platform {
  Q_OBJECT
 public:
  QtPlatform();
  ~QtPlatform() override;

  Answer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     MessageButtons buttons) override;
  std::optional<std::string> AskValue(std::string_view caption, std::string_view label,
                                      std::string_view current) override;
  void SetHelpText(std::string_view text) override;
  // A message box that does not block: the work goes on while it stands, and a newer notice
  // takes its place. Scripted, the notice is only recorded.
  void ShowNotice(std::string_view text) override;

  // The desktop's own question before a document with unwritten changes closes: Save,
  // Discard or Cancel (the window stays).
  enum class SaveChoice { Save, Discard, Cancel };
  SaveChoice AskSaveChanges(std::string_view text, std::string_view caption);
  bool EscapePressed() override;
  std::uint64_t TickCount() override;
  bool OpenInEditor(const std::string& editor, const std::string& path) override;
  bool OpenDocument(const std::string& path) override;

  // The window that message boxes belong to.
  QWidget* parentWindow = nullptr;
  // The language of the buttons the desktop names itself (the close question's), which the
  // toolkit would otherwise take from the system.
  Language language = Language::English;
  // Where the help pane's text and the busy indication go (the main window's status line).
  std::function<void(const std::string&)> onHelpText;
  std::function<void(bool busy)> onBusy;

  // Scripted answers for tests and for the screenshot mode: when set, no box is shown; the
  // message is recorded and the queue (then Cancel, or Ok for notices) answers.
  bool scripted = false;
  std::deque<Answer> answers;
  std::deque<std::string> values;      // answers to AskValue; empty string cancels
  std::deque<SaveChoice> saveChoices;  // answers to AskSaveChanges; then Cancel
  std::string lastCaption, lastMessage, helpText, lastNotice;
  int messageCount = 0, noticeCount = 0;
  // Scripted, files are not handed to the desktop: OpenDocument records them here.
  std::vector<std::string> openedDocuments;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QElapsedTimer clock_;
  QPointer<QMessageBox> notice_;  // the notice standing, if any
  bool escape_ = false;
  bool inOperation_ = false;
  std::uint64_t lastPoll_ = 0;
  int idleTimer_ = 0;
  void timerEvent(QTimerEvent* e) override;
};

}  // namespace trevalon
