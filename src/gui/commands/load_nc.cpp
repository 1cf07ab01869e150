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
  const std::string path =
      AskNcProgram(c.app.settings, c.parent(), c.Remembered<std::string>(), /*readOnly=*/true);
  if (path.empty()) return;
  c.frame.ReadInto(view, path, append);
}

CommandRegistrar registrar{
    {"load", Needs::Nothing, [](CommandContext& c) { Read(c, false); }},
    {"append", Needs::View, [](CommandContext& c) { Read(c, true); }},
};

}  // namespace
}  // namespace trevalon
