#include "gui/command_registry.h"

#include <algorithm>

#include "gui/main_window.h"

namespace trevalon {
namespace {

std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}

}  // namespace

QWidget* CommandContext::parent() const {
  return &frame;
}

CommandRegistrar::CommandRegistrar(std::initializer_list<Command> commands) {
  for (const Command& c : commands) Table().push_back(c);
}

const Command* FindCommand(std::string_view action) {
  for (const Command& c : Table())
    if (action == c.action) return &c;
  return nullptr;
}

std::vector<Command> AllCommands() {
  std::vector<Command> all = Table();
  std::sort(all.begin(), all.end(), [](const Command& a, const Command& b) {
    return std::string_view(a.action) < std::string_view(b.action);
  });
  return all;
}

}  // namespace trevalon
