#include "edit/cleanup_commands.h"

namespace trevalon {

Outcome RapidRebuildCommand(EditContext& ctx) {
  if (ctx.store.count == 0) return Outcome::Unchanged("the toolpath is empty");
  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdRapidRebuild);
  if (!frame.RapidRebuild())
    return frame.Rollback("the point store cannot hold the rebuilt toolpath");
  frame.Finish();
  return Outcome::Done();
}

Outcome RegenerateCommand(EditContext& ctx) {
  if (ctx.store.count == 0) return Outcome::Unchanged("the toolpath is empty");
  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdRegenerate);
  frame.Regenerate();
  // Our rule: no compaction here. The command changes as little as it can: the cuts of no
  // length it finds only get type 0, which every walk skips (the statistics, the writer, the
  // views), and the next command that compacts drops them.
  frame.Finish();
  return Outcome::Done();
}

}  // namespace trevalon
