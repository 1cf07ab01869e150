// The document windows: a new one, closing the active one, quitting, and their arrangement;
// the help (the user's own help files, else the manual in the help window) and the program's
// description.

#include <QMdiArea>
#include <QMessageBox>

#include "gui/command_registry.h"
#include "gui/help_window.h"
#include "gui/main_window.h"

namespace trevalon {
namespace {

CommandRegistrar registrar{
    {"newWindow", Needs::Nothing, [](CommandContext& c) { c.frame.NewDocument(); }},
    {"closeWindow", Needs::View, [](CommandContext& c) { c.frame.mdi()->closeActiveSubWindow(); }},
    {"exit", Needs::Nothing, [](CommandContext& c) { c.frame.close(); }},
    {"cascade", Needs::View, [](CommandContext& c) { c.frame.mdi()->cascadeSubWindows(); }},
    {"tile", Needs::View, [](CommandContext& c) { c.frame.mdi()->tileSubWindows(); }},
    {"nextWindow", Needs::View, [](CommandContext& c) { c.frame.mdi()->activateNextSubWindow(); }},
    {"help", Needs::Nothing, [](CommandContext& c) { ShowHelp(c.app, c.frame, false); }},
    {"tutorial", Needs::Nothing, [](CommandContext& c) { ShowHelp(c.app, c.frame, true); }},
    {"about", Needs::Nothing,
     [](CommandContext& c) {
       QMessageBox::about(c.parent(), c.app.Text(Txt::AppTitle),
                          L("TREVALON 0.1\nCNC toolpath workbench: view, edit, optimise and "
                            "write NC programs."));
     }},
};

}  // namespace
}  // namespace trevalon
