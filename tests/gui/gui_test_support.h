#pragma once
// A desktop program for the tests: a temporary system and configuration directory, the Qt
// platform answering from scripts, the frame, mouse and key events sent straight to a view,
// and the modal dialogs of a command answered step by step.

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"
#include "gui/toolpath_view.h"

namespace trevalon::guitest {

struct Program {
  QTemporaryDir dir;
  std::unique_ptr<QtPlatform> platform;
  std::unique_ptr<CApplication> app;
  std::unique_ptr<MainWindow> window;

  explicit Program(const char* language = "en") {
    const std::string root = dir.path().toStdString();
    QDir().mkpath(dir.filePath("config"));
    // korvo.cfg sends every settings file into the temporary tree.
    std::ofstream(root + "/korvo.cfg") << "ConfigDir " << root << "/config \n"
                                       << "WorkDir " << root << " \n"
                                       << "PostDir " << root << "/config \n"
                                       << "Editor true \n";
    qputenv("TREVALON_SYSDIR", dir.path().toUtf8());
    platform = std::make_unique<QtPlatform>();
    platform->scripted = true;
    app = std::make_unique<CApplication>(*platform);
    StartOptions start;
    start.language = language;
    app->StartUp(start);
    window = std::make_unique<MainWindow>(*app, *platform);
    window->show();
  }
  ~Program() {
    window.reset();
    app.reset();
    platform.reset();
  }
};

// Appends one record.
inline void Put(CPointStore& s, int type, double x, double y, double z, int feed = 500,
                int mark = 0) {
  s.reg = PointRegister{};
  s.reg.type = type;
  s.reg.x = x, s.reg.y = y, s.reg.z = z;
  s.reg.feed = feed;
  s.reg.mark = mark;
  s.StorePoint(s.count++);
}

// Appends records written "type x y z [feed [mark]]", separated by commas; a record without a
// feed takes `feed`.
inline void AddRecords(CPointStore& s, const char* records, int feed = 0) {
  std::istringstream in(records);
  for (std::string one; std::getline(in, one, ',');) {
    std::istringstream r(one);
    int type = 0, f = feed, mark = 0;
    double x = 0, y = 0, z = 0;
    r >> type >> x >> y >> z;
    if (!(r >> f)) f = feed;
    r >> mark;
    Put(s, type, x, y, z, f, mark);
  }
}

// The top view of a width x height window at one pixel per unit, the model origin in its
// middle.
inline void TopViewOf(ViewState& view, int width, int height) {
  view.SetDirection(1);
  view.width = width, view.height = height;
  view.scale = 1.0;
  view.cu = view.cv = 0;
}

// A new 400 x 300 document holding `records` ("type x y z [feed [mark]]", separated by
// commas), in the top view at one pixel per unit with the model origin in the view's middle:
// the point (x, y) is at client (200 + x, 150 - y).
inline ToolpathView* TopView(Program& p, const char* records, bool showRapids = true) {
  ToolpathView* v = p.window->NewDocument();
  v->resize(400, 300);
  CPointStore& s = v->doc().store;
  s.Init();
  AddRecords(s, records);
  TopViewOf(v->doc().view, v->width(), v->height());
  v->doc().view.showRapids = showRapids;
  return v;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string TestFile(const char* name) {
  return std::string(TREVALON_TEST_DATA) + "/" + name;
}

// Opens `path` in a new document window (a program that is not read ends the test binary) and
// returns its view.
inline ToolpathView* Open(Program& p, const std::string& path = TestFile("pocket_ijk.nc")) {
  if (p.window->OpenFile(path) != 1) qFatal("%s was not read", path.c_str());
  return p.window->ActiveView();
}

// Flags as a string of 0 and 1: several states compared at once, each failure showing all.
inline QString Bits(std::initializer_list<bool> flags) {
  QString s;
  for (bool f : flags) s += f ? '1' : '0';
  return s;
}

// Mouse events with the given buttons held, as the window system sends them.
inline void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button,
                  Qt::MouseButtons held, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, mods);
  QApplication::sendEvent(w, &e);
}
inline void Press(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Mouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, mods);
}
inline void DragTo(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, mods);
}
inline void Hover(QWidget* w, QPoint p) {
  Mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
}
inline void Release(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, mods);
}
// A click that does not move.
inline void Tap(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Press(w, p, mods);
  Release(w, p, mods);
}
inline void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, key, mods);
  QApplication::sendEvent(w, &e);
}

// Makes the gestures of `script` on the widget `w` in order, words separated by blanks:
// "item:NAME" runs the menu item NAME; "tap:X,Y" clicks at a client position; "press:X,Y",
// "move:X,Y" (the button held), "release:X,Y" and "drag:X,Y:X2,Y2" (all three) handle the
// left button, with "+Shift" or "+Alt" after the gesture's name for a key held; "key:KEYS"
// presses keys as Qt writes them ("Return", "Shift+Delete", "F9"); "wait" lets queued events
// run.
inline void Do(Program& p, QWidget* w, const char* script) {
  for (const QString& word : QString(script).split(' ', Qt::SkipEmptyParts)) {
    const QString gesture = word.section(':', 0, 0), arg = word.section(':', 1);
    const QString kind = gesture.section('+', 0, 0), held = gesture.section('+', 1);
    const Qt::KeyboardModifiers mods = held == "Shift" ? Qt::ShiftModifier
                                       : held == "Alt" ? Qt::AltModifier
                                                       : Qt::NoModifier;
    const QStringList n = arg.split(QRegularExpression("[,:]"));
    auto at = [&n](int i) { return QPoint(n.value(i).toInt(), n.value(i + 1).toInt()); };
    if (kind == "item") {
      p.window->Action(arg)->trigger();
    } else if (kind == "tap") {
      Tap(w, at(0), mods);
    } else if (kind == "press" || kind == "drag") {
      Press(w, at(0), mods);
      if (kind == "drag") DragTo(w, at(2), mods), Release(w, at(2), mods);
    } else if (kind == "move") {
      DragTo(w, at(0), mods);
    } else if (kind == "release") {
      Release(w, at(0), mods);
    } else if (kind == "key") {
      const QKeyCombination k = QKeySequence(arg)[0];
      Key(w, k.key(), k.keyboardModifiers());
    } else if (kind == "wait") {
      QCoreApplication::processEvents();
    } else {
      qFatal("no gesture %s", qPrintable(word));
    }
  }
}

// The input the view waits for: "none", "window", "polygon", "point", "path" or "other".
inline QString Mode(ToolpathView* v) {
  InputMode* m = v->input();
  return !m                               ? "none"
         : dynamic_cast<WindowInput*>(m)  ? "window"
         : dynamic_cast<PolygonInput*>(m) ? "polygon"
         : dynamic_cast<PointPicker*>(m)  ? "point"
         : dynamic_cast<PathPicker*>(m)   ? "path"
                                          : "other";
}

// Answers the modal dialogs that open while it lives, one step per dialog in order; a dialog
// beyond the steps is cancelled.
using Step = std::function<void(QWidget*)>;
class Dialogs {
 public:
  explicit Dialogs(std::vector<Step> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w || w == last_) return;
      last_ = w;
      Step step = answered < steps_.size()
                      ? steps_[answered++]
                      : Step([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
      // Out of the timer's own call, so that a dialog the step opens is answered as well.
      QTimer::singleShot(0, w, [step, w] { step(w); });
    });
    timer_.start(5);
  }
  std::size_t answered = 0;

 private:
  std::vector<Step> steps_;
  QPointer<QWidget> last_;
  QTimer timer_;
};

template <class T>
T* Find(QWidget* w, const char* name) {
  T* child = w->findChild<T*>(name);
  if (!child) qFatal("no %s in the dialog", name);
  return child;
}
inline void Click(QWidget* dialog, const char* button) {
  Find<QAbstractButton>(dialog, button)->click();
}
inline Step Cancel() {
  return [](QWidget* w) { static_cast<QDialog*>(w)->reject(); };
}
// What to type into a dialog: a field's text, a box's state ("0", "1"), a list's, slider's or
// spin box's position, or "click" for a button.
using Fields = std::vector<std::pair<const char*, const char*>>;
inline void Fill(QWidget* d, const Fields& fields) {
  for (const auto& [name, value] : fields) {
    QWidget* w = Find<QWidget>(d, name);
    const QString v = QString::fromUtf8(value);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      // Typed as a user does: some fields act when they lose the focus.
      QFocusEvent in(QEvent::FocusIn), out(QEvent::FocusOut);
      QApplication::sendEvent(e, &in);
      e->setText(v);
      QApplication::sendEvent(e, &out);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w); b && v == "click") {
      b->click();
    } else if (b) {
      b->setChecked(v == "1");
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
      c->setCurrentIndex(v.toInt());
    } else if (auto* s = qobject_cast<QAbstractSlider*>(w)) {
      s->setValue(v.toInt());
    } else if (auto* n = qobject_cast<QSpinBox*>(w)) {
      n->setValue(v.toInt());
    }
  }
}
// Types `fields`, then OK (or Cancel).
inline Step FillAnd(Fields fields, bool ok = true) {
  return [fields, ok](QWidget* d) {
    Fill(d, fields);
    ok ? Click(d, "ok") : static_cast<QDialog*>(d)->reject();
  };
}
// The file dialog takes `path`.
inline Step ChooseFile(const std::string& path) {
  return [path](QWidget* w) {
    auto* d = qobject_cast<QFileDialog*>(w);
    if (!d) qFatal("not a file dialog");
    // Typed into the name field: selectFile leaves a field that has the focus alone.
    auto* name = d->findChild<QLineEdit*>("fileNameEdit");
    if (!name) qFatal("the file dialog has no name field");
    name->setText(QString::fromStdString(path));
    static_cast<QDialog*>(d)->accept();
  };
}

// Runs the menu item `action` with its dialogs answered by `steps`; returns how many were.
inline std::size_t Run(Program& p, const char* action, std::vector<Step> steps = {}) {
  Dialogs d(std::move(steps));
  p.window->Action(action)->trigger();
  return d.answered;
}

// The text the field `name` of the dialog of the menu item `action` opens with; the dialog is
// cancelled.
inline QString FieldShown(Program& p, const char* action, const char* name) {
  QString shown;
  Run(p, action, {[name, &shown](QWidget* d) {
        shown = Find<QLineEdit>(d, name)->text();
        static_cast<QDialog*>(d)->reject();
      }});
  return shown;
}

// Every item of the menu, submenus included.
inline void Items(QMenu* menu, std::vector<QAction*>& out) {
  for (QAction* a : menu->actions()) {
    if (a->menu())
      Items(a->menu(), out);
    else if (!a->isSeparator())
      out.push_back(a);
  }
}

}  // namespace trevalon::guitest
