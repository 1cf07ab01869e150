// Undo and redo, deleting every path, and the selection's clear and invert: the core does the
// work and asks the view for its redraw.

#include "app/layer_commands.h"
#include "gui/command_registry.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

CommandRegistrar registrar{
    {"undo", Needs::View, [](CommandContext& c) { UndoCommand(c.app, c.view->doc()); }},
    {"redo", Needs::View, [](CommandContext& c) { RedoCommand(c.app, c.view->doc()); }},
    {"deleteAll", Needs::View, [](CommandContext& c) { ClearCommand(c.app, c.view->doc()); }},
    {"clearSelection", Needs::View,
     [](CommandContext& c) {
       c.view->doc().store.ClearSelection();
       c.view->Redraw();
     }},
    {"invertSelection", Needs::View,
     [](CommandContext& c) {
       c.view->doc().store.InvertSelection();
       c.view->Redraw();
     }},
};

}  // namespace
}  // namespace trevalon
