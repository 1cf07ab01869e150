#include "texts/messages.h"

namespace trevalon {

std::string FillText(const char* text, std::string_view value) {
  std::string out = text;
  const std::size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, value);
  return out;
}

void Messages::Notify(Txt text, Txt caption) const {
  platform_.ShowMessage(Text(text), Text(caption), MessageIcon::Information, MessageButtons::Ok);
}

Answer Messages::Ask(Txt text, Txt caption) const {
  return platform_.ShowMessage(Text(text), Text(caption), MessageIcon::Question,
                               MessageButtons::OkCancel);
}

void Messages::ShowFileError(Txt text, std::string_view path) const {
  std::string shown = Text(text);
  shown.append(" ").append(path).append("\n");
  platform_.ShowMessage(shown, Text(Txt::ErrorMessage), MessageIcon::Information,
                        MessageButtons::Ok);
}

void Messages::ShowReadError(FileReadError error, std::string_view path) const {
  switch (error) {
    case FileReadError::None:
      return;
    case FileReadError::Folder:
      return ShowFileError(Txt::FileIsFolder, path);
    case FileReadError::TooLarge:
      return ShowFileError(Txt::FileTooLarge, path);
    case FileReadError::NotText:
      return ShowFileError(Txt::NotTextFile, path);
    case FileReadError::Missing:
    case FileReadError::CannotOpen:
    case FileReadError::ReadFailed:
      return ShowCannotOpen();
  }
}

}  // namespace trevalon
