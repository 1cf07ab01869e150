#pragma once
// The two clean-ups as commands of their own: the rapid rebuild ("급속이송 경로 걸르기") and the
// regeneration of the run types ("Ncdata 재생성"). Each records one undo snapshot, as
// every command that changes the store does.

#include "edit/command_frame.h"
#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

// The retract heights a command may be given: the Z that a point record can hold.
inline constexpr RealRange kRetractHeightRange{-32700.0, 32700.0};

// Every run of rapids becomes a retract, a traverse at the retract height and a plunge; then
// statistics and redraw. Unchanged for an empty toolpath; NoMemory (toolpath as it was) when
// the store cannot hold the result.
Outcome RapidRebuildCommand(EditContext& ctx);

// The run types rewritten and cuts of no length marked for removal; then statistics and
// redraw. Unchanged for an empty toolpath.
Outcome RegenerateCommand(EditContext& ctx);

}  // namespace trevalon
