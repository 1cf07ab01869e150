#include "gui/labels.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTranslator>
#include <cstdio>

#include "app/application.h"
#include "gui/dialog_kit.h"

namespace trevalon {

namespace {

// The translation that the language and the settings ask for; empty: the Korean labels.
QString WantedLabels(const CApplication& app) {
  if (app.settings.koreanLabelsChk == 1) return {};
  switch (app.language) {
    case Language::English:
      return "trevalon_en";
    case Language::Japanese:
      return "trevalon_ja";
    case Language::Korean:
      break;
  }
  return {};
}

}  // namespace

bool UseLabelLanguage(const CApplication& app) {
  // One label translator for the whole program, owned by the application object; `asked` is
  // the translation last asked for (empty: the Korean labels).
  static QPointer<QTranslator> installed;
  static QString asked;
  const QString wanted = WantedLabels(app);
  if (wanted == asked) return false;
  asked = wanted;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  if (wanted.isEmpty()) return true;
  auto* t = new QTranslator(QCoreApplication::instance());
  if (t->load(":/labels/" + wanted + ".qm") && QCoreApplication::installTranslator(t)) {
    installed = t;
  } else {
    // A program built without Qt's translation tools has no translations: it shows the Korean
    // labels, as every build did before the translations existed.
    std::fprintf(stderr, "trevalon: this build has no %s labels; they stay Korean\n",
                 qPrintable(wanted));
    delete t;
  }
  return true;
}

QString CoreLabel(const CApplication& app, Txt id) {
  return L(app.Text(id));
}

}  // namespace trevalon
