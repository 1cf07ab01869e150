#pragma once
// A desktop program for the tests: a temporary system and configuration directory, the Qt
// platform answering from scripts, the frame, and mouse and key events sent straight to a
// view.

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "app/application.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"

namespace trevalon::guitest {

struct Program {
  QTemporaryDir dir;
  std::unique_ptr<QtPlatform> platform;
  std::unique_ptr<CApplication> app;
  std::unique_ptr<MainWindow> window;

  Program() {
    const std::string root = dir.path().toStdString();
    QDir().mkpath(dir.filePath("config"));
    // korvo.cfg sends every settings file into the temporary tree.
    std::ofstream(root + "/korvo.cfg") << "ConfigDir " << root << "/config \n"
                                       << "WorkDir " << root << " \n"
                                       << "PostDir " << root << "/config \n";
    qputenv("TREVALON_SYSDIR", dir.path().toUtf8());
    platform = std::make_unique<QtPlatform>();
    platform->scripted = true;
    app = std::make_unique<CApplication>(*platform);
    StartOptions start;
    start.language = "en";
    app->StartUp(start);
    window = std::make_unique<MainWindow>(*app, *platform);
    window->show();
  }
  ~Program() {
    window.reset();
    app.reset();
    platform.reset();
  }
  std::string ConfigFile(const char* name) const {
    return dir.filePath(QString("config/") + name).toStdString();
  }
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string TestFile(const char* name) {
  return std::string(TREVALON_TEST_DATA) + "/" + name;
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
inline void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, key, mods);
  QApplication::sendEvent(w, &e);
}

// Runs `act` on the modal dialog that the next call opens.
inline void OnModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    if (QWidget* w = QApplication::activeModalWidget()) act(w);
  });
}

}  // namespace trevalon::guitest
