// "NC 프로그램 보기": shows or hides the dock with the NC program beside the view.
// "NC 프로그램 편집": switches the pane to editing the program (source_pane.h), showing the
// dock first when it is hidden.

#include <QDockWidget>

#include "gui/command_registry.h"
#include "gui/main_window.h"
#include "gui/source_pane.h"

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

void ToggleProgramEdit(CommandContext& c) {
  SourcePane* pane = c.frame.SourcePaneOf(c.view);
  if (!pane) return;
  const bool on = !pane->editing();
  if (on && c.frame.sourceDock()->isHidden()) ToggleSourcePane(c);
  c.frame.RefreshState();  // the pane shows the active window's program
  pane->SetEditing(on);
}

bool ProgramEditing(CommandContext& c) {
  const SourcePane* pane = c.frame.SourcePaneOf(c.view);
  return pane && pane->editing();
}

CommandRegistrar registrar{{"sourcePane", Needs::View, ToggleSourcePane, SourcePaneShown},
                           {"programEdit", Needs::View, ToggleProgramEdit, ProgramEditing}};

}  // namespace
}  // namespace trevalon
