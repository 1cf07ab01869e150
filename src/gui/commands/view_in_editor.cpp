// "Text editor": a program chosen in the file dialog opens in the configured editor; the
// dialog starts on the file chosen last.

#include "app/output_commands.h"
#include "gui/command_registry.h"
#include "gui/main_window.h"
#include "gui/nc_files.h"

namespace trevalon {
namespace {

void ViewInEditor(CommandContext& c) {
  const std::string path = AskNcProgram(c.app.settings, c.parent(), c.Remembered<std::string>());
  if (path.empty()) return;
  (void)OpenInEditor(c.app, path);
}

CommandRegistrar registrar{{"viewInEditor", Needs::Nothing, ViewInEditor}};

}  // namespace
}  // namespace trevalon
