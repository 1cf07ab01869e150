// The document windows: a new one, closing the active one, quitting, and their arrangement;
// and the help documents and the program's description.

#include <QMdiArea>
#include <QMessageBox>

#include "gui/command_registry.h"
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
    {"help", Needs::Nothing,
     [](CommandContext& c) { c.frame.platform().OpenDocument(c.app.settings.helpFileName); }},
    {"tutorial", Needs::Nothing,
     [](CommandContext& c) { c.frame.platform().OpenDocument(c.app.settings.trainingHelpName); }},
    {"about", Needs::Nothing,
     [](CommandContext& c) {
       QMessageBox::about(c.parent(), c.app.Text(Txt::AppTitle),
                          "TREVALON 0.1\nCNC toolpath workbench: view, edit, optimise and write "
                          "NC programs.");
     }},
};

}  // namespace
}  // namespace trevalon
