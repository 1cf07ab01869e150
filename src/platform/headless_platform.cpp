#include <chrono>

#include "platform/platform.h"

namespace trevalon {

HeadlessPlatform::HeadlessPlatform(std::ostream* messages) : out_(messages) {}

Answer HeadlessPlatform::ShowMessage(std::string_view text, std::string_view caption, MessageIcon,
                                     MessageButtons buttons) {
  lastCaption.assign(caption);
  lastMessage.assign(text);
  ++messageCount;
  if (out_) {
    // Strip the line breaks the desktop texts carry at their ends so one message is one line
    // of the tool's error output.
    std::string_view t = text;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.remove_suffix(1);
    *out_ << caption << ": " << t << '\n';
  }
  if (buttons == MessageButtons::Ok) return Answer::Ok;
  if (!answers.empty()) {
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  return presetAnswer;
}

std::optional<std::string> HeadlessPlatform::AskValue(std::string_view, std::string_view,
                                                      std::string_view) {
  if (values.empty()) return std::nullopt;
  std::string v = std::move(values.front());
  values.pop_front();
  if (v.empty()) return std::nullopt;
  return v;
}

void HeadlessPlatform::SetHelpText(std::string_view text) {
  helpText.assign(text);
}

void HeadlessPlatform::ShowNotice(std::string_view text) {
  lastNotice.assign(text);
  ++noticeCount;
  if (out_) *out_ << text << '\n';
}

bool HeadlessPlatform::EscapePressed() {
  if (escapeAfterPolls < 0) return false;
  return polls_++ >= escapeAfterPolls;
}

std::uint64_t HeadlessPlatform::TickCount() {
  if (clock) return clock();
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool HeadlessPlatform::OpenInEditor(const std::string& editor, const std::string& path) {
  opened.push_back(editor + " " + path);
  if (out_) *out_ << "would open in editor: " << editor << " " << path << '\n';
  return true;
}

bool HeadlessPlatform::OpenDocument(const std::string& path) {
  opened.push_back("open " + path);
  if (out_) *out_ << "would open: " << path << '\n';
  return true;
}

}  // namespace trevalon
