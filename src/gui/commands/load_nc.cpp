// "Ncdata 불러오기" and "Ncdata 추가하기": an NC program into the active document (a new one
// when no window is open), replacing or following the work layer's toolpath. Each dialog
// starts on the file it took last.

#include "gui/command_registry.h"
#include "gui/main_window.h"
#include "gui/nc_files.h"

namespace trevalon {
namespace {

void Read(CommandContext& c, bool append) {
  ToolpathView* view = c.view ? c.view : c.frame.NewDocument();
  std::string& last = c.Remembered<std::string>();
  FilePick pick;
  pick.mode = FilePick::Mode::Open;
  pick.readOnly = true;
  pick.filters = NcNameFilters(c.app.settings);
  pick.start = last;
  pick.directory = c.app.settings.workDir;
  const std::string path = PickFile(c.parent(), pick);
  if (path.empty()) return;
  last = path;
  c.frame.ReadInto(view, path, append);
}

CommandRegistrar registrar{
    {"load", Needs::Nothing, [](CommandContext& c) { Read(c, false); }},
    {"append", Needs::View, [](CommandContext& c) { Read(c, true); }},
};

}  // namespace
}  // namespace trevalon
