// "Text editor": a program chosen in the file dialog opens in the configured editor; the
// dialog starts on the file chosen last.

#include "gui/command_registry.h"
#include "gui/main_window.h"
#include "gui/nc_files.h"

namespace trevalon {
namespace {

void ViewInEditor(CommandContext& c) {
  std::string& last = c.Remembered<std::string>();
  FilePick pick;
  pick.filters = NcNameFilters(c.app.settings);
  pick.start = last;
  pick.directory = c.app.settings.workDir;
  const std::string path = PickFile(c.parent(), pick);
  if (path.empty()) return;
  last = path;
  c.frame.platform().OpenInEditor(c.app.settings.editor, last);
}

CommandRegistrar registrar{{"viewInEditor", Needs::Nothing, ViewInEditor}};

}  // namespace
}  // namespace trevalon
