// "NC 프로그램 보기": shows or hides the dock with the NC program beside the view.

#include <QDockWidget>

#include "gui/command_registry.h"
#include "gui/main_window.h"

namespace trevalon {
namespace {

void ToggleSourcePane(CommandContext& c) {
  QDockWidget* dock = c.frame.sourceDock();
  dock->setVisible(dock->isHidden());
}

bool SourcePaneShown(CommandContext& c) {
  return !c.frame.sourceDock()->isHidden();
}

CommandRegistrar registrar{{"sourcePane", Needs::View, ToggleSourcePane, SourcePaneShown}};

}  // namespace
}  // namespace trevalon
