// "NC 프로그램 보기": shows or hides the dock with the NC program beside the view.

#include <QDockWidget>

#include "gui/command_registry.h"
#include "gui/main_window.h"

namespace trevalon {
namespace {

void ToggleSourcePane(CommandContext& c) {
  QDockWidget* dock = c.frame.sourceDock();
  // The pane takes room from the views: opening it fits them again to what is left, once
  // their windows have settled (as after a read).
  if (dock->isHidden())
    for (ToolpathView* v : c.frame.Views()) v->FitWhenSized();
  dock->setVisible(dock->isHidden());
}

bool SourcePaneShown(CommandContext& c) {
  return !c.frame.sourceDock()->isHidden();
}

CommandRegistrar registrar{{"sourcePane", Needs::View, ToggleSourcePane, SourcePaneShown}};

}  // namespace
}  // namespace trevalon
