// "급속이송 경로 걸르기" and "Ncdata 재생성": the rapid rebuild and the regeneration of the run
// types on the document's toolpath, then the redraw; each is one undo step.

#include "edit/cleanup_commands.h"

#include "app/layer_commands.h"
#include "gui/command_registry.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

void RapidRebuild(CommandContext& c) {
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, RapidRebuildCommand(ctx));
}

void Regenerate(CommandContext& c) {
  EditContext ctx = MakeEditContext(c.app, c.view->doc());
  SayIfUnchanged(ctx.msg, RegenerateCommand(ctx));
}

CommandRegistrar registrar{
    {"rapidRebuild", Needs::View, RapidRebuild},
    {"regenerate", Needs::View, Regenerate},
};

}  // namespace
}  // namespace trevalon
