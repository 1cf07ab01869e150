#include "gui/dialog_kit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleValidator>
#include <QFileDialog>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace trevalon {

QString L(const char* korean) {
  return QCoreApplication::translate("Trevalon", korean);
}

QDialogButtonBox* OkCancel(QDialog* d) {
  auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
  b->button(QDialogButtonBox::Ok)->setObjectName("ok");
  b->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  // Named in the program's labels: the toolkit names its standard buttons in the system's
  // language, which need not be the one the program shows.
  b->button(QDialogButtonBox::Ok)->setText(L("확인"));
  b->button(QDialogButtonBox::Cancel)->setText(L("취소"));
  QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
  QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
  return b;
}

// ---- Number fields -----------------------------------------------------------------------------

QLineEdit* IntField(QWidget* parent, const char* name, long value, IntRange range) {
  auto* e = new QLineEdit(QString::number(value), parent);
  e->setObjectName(name);
  e->setValidator(new QIntValidator(static_cast<int>(range.lo), static_cast<int>(range.hi), e));
  return e;
}

QLineEdit* RealField(QWidget* parent, const char* name, const QString& text, RealRange range) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  auto* v = new QDoubleValidator(e);
  // Any number: the validator keeps its own unbounded range.
  if (range.lo != kAnyReal.lo || range.hi != kAnyReal.hi) {
    v->setBottom(range.lo);
    v->setTop(range.hi);
  }
  e->setValidator(v);
  return e;
}

QLineEdit* RealField(QWidget* parent, const char* name, double value, RealRange range) {
  return RealField(parent, name, QString::number(value, 'g', 10), range);
}

std::optional<long> IntValue(const QLineEdit* e, IntRange range) {
  bool ok = false;
  const long v = e->text().trimmed().toLong(&ok);
  if (!ok || !range.Contains(v)) return std::nullopt;
  return v;
}

std::optional<double> RealValue(const QLineEdit* e, RealRange range) {
  bool ok = false;
  const double v = e->text().trimmed().toDouble(&ok);
  if (!ok || !range.Contains(v)) return std::nullopt;
  return v;
}

void TakeInt(const QLineEdit* e, std::int32_t& field, IntRange range) {
  if (auto v = IntValue(e, range)) field = static_cast<std::int32_t>(*v);
}

void TakeReal(const QLineEdit* e, double& field, RealRange range) {
  if (auto v = RealValue(e, range)) field = *v;
}

void TakeReal(const QLineEdit* e, float& field, RealRange range) {
  if (auto v = RealValue(e, range)) field = static_cast<float>(*v);
}

// ---- Check boxes -------------------------------------------------------------------------------

QCheckBox* CheckBox(QWidget* parent, const QString& label, const char* name, bool on) {
  auto* c = new QCheckBox(label, parent);
  c->setObjectName(name);
  c->setChecked(on);
  return c;
}

// ---- File pickers ------------------------------------------------------------------------------

std::string PickFile(QWidget* parent, const FilePick& pick) {
  QFileDialog dlg(parent);
  switch (pick.mode) {
    case FilePick::Mode::Open:
      dlg.setFileMode(QFileDialog::ExistingFile);
      break;
    case FilePick::Mode::Save:
      dlg.setAcceptMode(QFileDialog::AcceptSave);
      // Our rule: no output replaces a file without the user's word; the dialog asks.
      dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
      break;
    case FilePick::Mode::Any:
      dlg.setFileMode(QFileDialog::AnyFile);
      break;
  }
  if (pick.readOnly) dlg.setOption(QFileDialog::ReadOnly, true);
  if (!pick.title.isEmpty()) dlg.setWindowTitle(pick.title);
  dlg.setNameFilters(pick.filters);
  if (!pick.start.empty())
    dlg.selectFile(Q(pick.start));
  else if (!pick.directory.empty())
    dlg.setDirectory(Q(pick.directory));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return dlg.selectedFiles().front().toStdString();
}

// ---- Bound fields ------------------------------------------------------------------------------

QLineEdit* FieldBinder::Int(const char* name, std::int32_t& field, IntRange range) {
  QLineEdit* e = IntField(parent_, name, field, range);
  apply_.push_back([e, &field, range] { TakeInt(e, field, range); });
  return e;
}

QLineEdit* FieldBinder::Real(const char* name, double& field, RealRange range) {
  QLineEdit* e = RealField(parent_, name, field, range);
  apply_.push_back([e, &field, range] { TakeReal(e, field, range); });
  return e;
}

QCheckBox* FieldBinder::Check(const QString& label, const char* name, bool& field) {
  QCheckBox* c = CheckBox(parent_, label, name, field);
  apply_.push_back([c, &field] { field = c->isChecked(); });
  return c;
}

QCheckBox* FieldBinder::Check(const QString& label, const char* name, std::int32_t& flag) {
  QCheckBox* c = CheckBox(parent_, label, name, flag != 0);
  apply_.push_back([c, &flag] { flag = c->isChecked() ? 1 : 0; });
  return c;
}

bool FieldBinder::Exec(QDialog& d) const {
  if (d.exec() != QDialog::Accepted) return false;
  Apply();
  return true;
}

void FieldBinder::Apply() const {
  for (const auto& f : apply_) f();
}

// ---- Value prompts -----------------------------------------------------------------------------

std::optional<std::string> AskValueDialog(QWidget* parent, const std::string& caption,
                                          const std::string& label, const std::string& current) {
  QDialog d(parent);
  d.setWindowTitle(Q(caption));
  auto* layout = new QVBoxLayout(&d);
  auto* edit = RealField(&d, "value", Q(current));
  layout->addWidget(new QLabel(Q(label), &d));
  layout->addWidget(edit);
  layout->addWidget(OkCancel(&d));
  edit->selectAll();
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return edit->text().toStdString();
}

bool AskNumbers(QWidget* parent, const QString& caption, const QStringList& labels,
                std::vector<double>& values) {
  QDialog d(parent);
  d.setWindowTitle(caption);
  auto* form = new QFormLayout(&d);
  std::vector<QLineEdit*> edits;
  for (int i = 0; i < labels.size(); ++i) {
    auto* e =
        RealField(&d, qPrintable(QString("value%1").arg(i)), values[static_cast<std::size_t>(i)]);
    form->addRow(labels[i], e);
    edits.push_back(e);
  }
  form->addRow(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return false;
  for (std::size_t i = 0; i < edits.size(); ++i) TakeReal(edits[i], values[i], kAnyReal);
  return true;
}

}  // namespace trevalon
