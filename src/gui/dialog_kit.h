#pragma once
// What every dialog of the desktop is built from: the core's texts as Qt strings, the labels in
// the user's language, OK and Cancel, number fields whose validators come from the ranges the core
// declares beside its options, check boxes, file pickers, fields bound to the values they edit
// (written back on OK only, so Cancel leaves everything as it was), the values a dialog keeps while
// the program runs, and the value prompts.

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>
#include <utility>
#include <vector>

#include "platform/value_range.h"

class QCheckBox;
class QLineEdit;

namespace trevalon {

// ---- Texts and buttons -----------------------------------------------------------------------
// The core's texts are UTF-8.
inline QString Q(const std::string& s) {
  return QString::fromStdString(s);
}
inline QString Q(const char* s) {
  return QString::fromUtf8(s);
}

// ---- Labels ----------------------------------------------------------------------------------
// The labels of the menus and dialogs are written in the program's own Korean; the label
// translator of the user's language (gui/labels.h) gives their English and Japanese. Without
// one (Korean, or KoreanLabelsChk) a label shows exactly as written. Every label goes through L
// where it is shown: trevalon_labels (src/gui/translations) collects the texts of L("..."),
// LabelText("...") and the menu table's entries into the translation files, and its check
// fails on Korean text in the desktop's code that is none of them.
QString L(const char* korean);
// A label kept in a table and passed through L where it is shown.
constexpr const char* LabelText(const char* korean) {
  return korean;
}

// OK and Cancel, named "ok" and "cancel" so that tests can press them.
QDialogButtonBox* OkCancel(QDialog* d);

// ---- Number fields ---------------------------------------------------------------------------
// A line edit named `name` whose validator takes the range.
QLineEdit* IntField(QWidget* parent, const char* name, long value, IntRange range);
QLineEdit* RealField(QWidget* parent, const char* name, const QString& text,
                     RealRange range = kAnyReal);
// The value shown with up to ten significant digits.
QLineEdit* RealField(QWidget* parent, const char* name, double value, RealRange range = kAnyReal);
// What a field holds: its number when the text (blanks aside) is one inside the range.
std::optional<long> IntValue(const QLineEdit* e, IntRange range);
std::optional<double> RealValue(const QLineEdit* e, RealRange range);
// The field's number into `field`; a box emptied or typed out of range keeps the value, so
// that clearing a box by mistake never turns a feed or a limit into 0.
void TakeInt(const QLineEdit* e, std::int32_t& field, IntRange range);
void TakeReal(const QLineEdit* e, double& field, RealRange range);
void TakeReal(const QLineEdit* e, float& field, RealRange range);

// ---- Check boxes -----------------------------------------------------------------------------
QCheckBox* CheckBox(QWidget* parent, const QString& label, const char* name, bool on);

// ---- File pickers ----------------------------------------------------------------------------
struct FilePick {
  enum class Mode {
    Open,  // an existing file
    Save,  // a file to write; replacing one asks first (every picker of an output uses it)
    Any,   // a name that may or may not exist, opened as for reading
  };
  Mode mode = Mode::Open;
  QStringList filters;
  std::string start;      // the file shown first; empty: `directory`
  std::string directory;  // where the dialog starts without `start`
  bool readOnly = false;  // no creating or renaming inside the dialog
  QString title;          // the dialog's caption; empty: the toolkit's own for the mode
};
// The chosen path; empty when cancelled.
std::string PickFile(QWidget* parent, const FilePick& pick);

// ---- Bound fields ----------------------------------------------------------------------------
// Widgets that show a value when made and write it back only on OK.
class FieldBinder {
 public:
  explicit FieldBinder(QWidget* parent) : parent_(parent) {}
  QLineEdit* Int(const char* name, std::int32_t& field, IntRange range);
  QLineEdit* Real(const char* name, double& field, RealRange range = kAnyReal);
  QCheckBox* Check(const QString& label, const char* name, bool& field);
  QCheckBox* Check(const QString& label, const char* name, std::int32_t& flag);  // 0 or 1
  // Runs the dialog; on OK every bound field goes into its value. False when cancelled.
  bool Exec(QDialog& d) const;
  void Apply() const;

 private:
  QWidget* parent_;
  std::vector<std::function<void()>> apply_;
};

// ---- Remembered values -----------------------------------------------------------------------
// The values each command's dialog keeps while the program runs: the dialog opens on them and
// only OK changes them. Held by the frame, by command name (and type).
class DialogMemory {
 public:
  template <class Values>
  Values& Get(std::string_view key, Values start = {}) {
    Key k{std::string(key), std::type_index(typeid(Values))};
    auto it = values_.find(k);
    if (it == values_.end()) it = values_.emplace(std::move(k), std::move(start)).first;
    return *std::any_cast<Values>(&it->second);
  }

 private:
  using Key = std::pair<std::string, std::type_index>;
  std::map<Key, std::any> values_;
};

// ---- Value prompts ---------------------------------------------------------------------------
// One number: the value prompt of the core's commands. Empty result: cancelled.
std::optional<std::string> AskValueDialog(QWidget* parent, const std::string& caption,
                                          const std::string& label, const std::string& current);
// Several numbers under their labels; OK takes each field that holds a number.
bool AskNumbers(QWidget* parent, const QString& caption, const QStringList& labels,
                std::vector<double>& values);

}  // namespace trevalon
