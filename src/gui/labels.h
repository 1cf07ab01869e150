#pragma once
// The language of the desktop's labels. The menus and dialogs are written with the program's
// Korean labels; the label translator of the user's language gives them in English or Japanese
// (the translation files src/gui/translations/trevalon_en.ts and trevalon_ja.ts, built into
// the program). Korean, and every language while KoreanLabelsChk is on, show the labels as
// written. Messages, prompts and status tips are the core's user texts and follow the language
// in any case.

#include <QString>

#include "texts/user_texts.h"

namespace trevalon {

class CApplication;

// Installs the label translator that the application's language and settings ask for (or
// takes it away). True when the labels changed: the frame then shows its menus anew
// (MainWindow::RetranslateLabels); dialogs take the labels when they open.
bool UseLabelLanguage(const CApplication& app);

// A label that the core provides among its user texts, in the user's language. The core keeps
// a few of them in Korean in every language (they are keywords of the condition files too);
// the label translator gives those as well, so trevalon_labels collects them from the
// CoreLabel(..., Txt::Id) calls.
QString CoreLabel(const CApplication& app, Txt id);

}  // namespace trevalon
