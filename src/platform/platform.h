#pragma once
// The platform layer: everything the core needs from the desktop (message boxes, the help
// pane, Escape polling, the clock, handing files to other programs), asked for in the
// core's own words. The desktop program implements it with Qt; the headless implementation
// serves the command-line tool and the tests.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace trevalon {

// ---- Message boxes -------------------------------------------------------------------
enum class MessageIcon { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

class Platform {
 public:
  virtual ~Platform() = default;

  // A modal message box; returns the button the user chose (Ok for a plain notice).
  virtual Answer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                             MessageButtons buttons) = 0;

  // Asks for one number (the value prompts of the post-processor templates). Returns the
  // entered text, or nothing when the user cancels and the value in force is kept.
  virtual std::optional<std::string> AskValue(std::string_view caption, std::string_view label,
                                              std::string_view current) = 0;

  // ---- Help pane and progress --------------------------------------------------------
  // The text of the help pane of the status line (pane 0), prompts and progress lines.
  virtual void SetHelpText(std::string_view text) = 0;
  // A notice that does not stop the work (no button to press, the program goes on): what a
  // read learned that the user should know. A platform without one shows it on the help line.
  virtual void ShowNotice(std::string_view text) { SetHelpText(text); }

  // ---- Long operations ---------------------------------------------------------------
  // Polled between steps of a long operation; true when the user pressed Escape.
  virtual bool EscapePressed() = 0;
  // Milliseconds from an arbitrary origin, monotonic.
  virtual std::uint64_t TickCount() = 0;
  // Whether the 1000 ms quiet time after a long operation applies (a desktop drops the
  // input queued during the operation; scripts must behave the same on every run).
  virtual bool HonoursQuietTime() const { return true; }

  // ---- Other programs ----------------------------------------------------------------
  // Starts the external editor on a file; false when it could not be started.
  virtual bool OpenInEditor(const std::string& editor, const std::string& path) = 0;
  // Opens a document (a help file) with the desktop's default program.
  virtual bool OpenDocument(const std::string& path) = 0;
};

// ---- Headless implementation ---------------------------------------------------------
// Messages go to a stream as "caption: text"; questions are answered from a queue that
// tests fill, then from a preset; nothing is ever opened, only reported.
class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(std::ostream* messages = nullptr);

  Answer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     MessageButtons buttons) override;
  std::optional<std::string> AskValue(std::string_view caption, std::string_view label,
                                      std::string_view current) override;
  void SetHelpText(std::string_view text) override;
  // Kept as the help line is, and written to the message stream as one line.
  void ShowNotice(std::string_view text) override;
  bool EscapePressed() override;
  std::uint64_t TickCount() override;
  bool HonoursQuietTime() const override { return false; }
  bool OpenInEditor(const std::string& editor, const std::string& path) override;
  bool OpenDocument(const std::string& path) override;

  // Answer for questions once the queue is empty (the tool's --answer, default cancel).
  Answer presetAnswer = Answer::Cancel;
  std::deque<Answer> answers;            // answered first, in order
  std::deque<std::string> values;        // answers to AskValue; empty keeps the value
  int escapeAfterPolls = -1;             // >= 0: Escape is "pressed" after that many polls
  std::function<std::uint64_t()> clock;  // tick source; the steady clock when empty

  // What happened, for tests and for the tool's output.
  std::string lastCaption, lastMessage, helpText, lastNotice;
  int messageCount = 0, noticeCount = 0;
  std::vector<std::string> opened;  // "editor PATH" or "open PATH"

 private:
  std::ostream* out_;
  int polls_ = 0;
};

}  // namespace trevalon
