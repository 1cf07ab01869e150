#include "texts/messages.h"

namespace trevalon {

void Messages::Notify(Txt text, Txt caption) const {
  platform_.ShowMessage(Text(text), Text(caption), MessageIcon::Information, MessageButtons::Ok);
}

Answer Messages::Ask(Txt text, Txt caption) const {
  return platform_.ShowMessage(Text(text), Text(caption), MessageIcon::Question,
                               MessageButtons::OkCancel);
}

}  // namespace trevalon
