#pragma once
// Small helpers every dialog of the desktop program shares.

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QString>
#include <string>

namespace trevalon {

// The core's texts are UTF-8.
inline QString Q(const std::string& s) {
  return QString::fromStdString(s);
}
inline QString Q(const char* s) {
  return QString::fromUtf8(s);
}

// OK and Cancel, named "ok" and "cancel" so that tests can press them.
inline QDialogButtonBox* OkCancel(QDialog* d) {
  auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
  b->button(QDialogButtonBox::Ok)->setObjectName("ok");
  b->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
  QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
  return b;
}

}  // namespace trevalon
