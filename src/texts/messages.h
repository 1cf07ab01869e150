#pragma once
// Messages: how the core tells the user something or asks a question, in the user's
// language, without knowing the rest of the application. The writers, the file readers and
// the editing commands take one of these instead of the application.

#include <string>
#include <string_view>

#include "platform/file_io.h"
#include "platform/platform.h"
#include "texts/user_texts.h"

namespace trevalon {

// A text of the table with its one "%s" filled with `value` (any length: paths may be long).
std::string FillText(const char* text, std::string_view value);

class Messages {
 public:
  Messages(Platform& platform, Language language) : platform_(platform), language_(language) {}

  const char* Text(Txt id) const { return UserText(id, language_); }
  Language language() const { return language_; }
  Platform& platform() const { return platform_; }

  // A notice with the information icon and an OK button.
  void Notify(Txt text, Txt caption) const;
  // A question with OK and Cancel.
  Answer Ask(Txt text, Txt caption) const;
  // The file error of the whole program: " Can not open file !!.\n" under "Error message".
  void ShowCannotOpen() const { Notify(Txt::CannotOpenFile, Txt::ErrorMessage); }
  // A file error naming the file or folder: the text, then the path on a line of its own.
  void ShowFileError(Txt text, std::string_view path) const;
  // Why a file was not read, under "Error message": a missing or unopenable file gives the
  // file error of the whole program, the other refusals their own texts.
  void ShowReadError(FileReadError error, std::string_view path) const;
  // The help pane of the status line: prompts and progress lines.
  void Help(std::string_view text) const { platform_.SetHelpText(text); }

 private:
  Platform& platform_;
  Language language_;
};

}  // namespace trevalon
