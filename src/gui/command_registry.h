#pragma once
// The desktop's commands by the name of their menu action. A command file registers its
// handlers with a static CommandRegistrar under the QAction objectNames the menu already
// has ("saveNc", "feedOptimizer", ...); the frame wires each action to the handler of its
// name, and an action without one stays in the menu, disabled. Adding a command is one file.

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "gui/dialog_kit.h"

namespace trevalon {

class CApplication;
class MainWindow;
class ToolpathView;

// What a handler works with.
struct CommandContext {
  CApplication& app;
  MainWindow& frame;
  // The active document window's view; never null for a command that needs a view.
  ToolpathView* view;
  DialogMemory& memory;  // the dialogs' remembered values
  const char* action;    // the name the command was run under

  QWidget* parent() const;
  // The values a dialog keeps while the program runs, under the command's own name (or under
  // `key` when several commands share one dialog); `start` the first time.
  template <class Values>
  Values& Remembered(Values start = {});
  template <class Values>
  Values& Remembered(std::string_view key, Values start);
};

enum class Needs {
  Nothing,  // always available
  View,     // enabled only while a document window is open
};

using CommandHandler = void (*)(CommandContext&);
using CommandState = bool (*)(CommandContext&);

struct Command {
  const char* action;  // the QAction's objectName
  Needs needs;
  CommandHandler run;
  // For a checkable item: whether its tick shows, asked whenever the frame refreshes.
  CommandState checked = nullptr;
};

struct CommandRegistrar {
  CommandRegistrar(std::initializer_list<Command> commands);
};

const Command* FindCommand(std::string_view action);
// Every registered command, by name.
std::vector<Command> AllCommands();

template <class Values>
Values& CommandContext::Remembered(Values start) {
  return memory.Get<Values>(action, std::move(start));
}
template <class Values>
Values& CommandContext::Remembered(std::string_view key, Values start) {
  return memory.Get<Values>(key, std::move(start));
}

}  // namespace trevalon
