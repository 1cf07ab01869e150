#include "edit/command_frame.h"

#include <cstdio>

#include "edit/compaction.h"
#include "edit/rapid_rebuild.h"
#include "edit/regenerate.h"
#include "model/statistics.h"

namespace trevalon {

bool CommandFrame::Reserve(std::uint64_t total) {
  CPointStore& s = ctx_.store;
  if (total > CPointStore::kCapacity) return false;
  constexpr std::uint32_t page = CPointStore::kPageSize;
  // Storing the first record of a page allocates it; records below count are never touched
  // and the register is put back, so nothing visible changes.
  const std::uint64_t firstNew = (static_cast<std::uint64_t>(s.count) + page - 1) / page * page;
  const PointRegister saved = s.reg;
  bool ok = true;
  for (std::uint64_t at = firstNew; at < total && ok; at += page)
    ok = s.StorePoint(static_cast<std::uint32_t>(at)) != 0;
  s.reg = saved;
  return ok;
}

void CommandFrame::SaveUndo() {
  ctx_.undo.SaveUndo(ctx_.store);
  // Shares the store's pages, as the undo slot does: nothing is copied until a page changes.
  haveBefore_ = ctx_.store.Snapshot(before_) != 0;
  NoteChange();
}

bool CommandFrame::Append() {
  return AppendRegister(ctx_.store);
}

bool CommandFrame::Progress(std::uint32_t i, std::uint32_t n, const char* format,
                            std::uint32_t every) {
  if (every == 0 || i % every != 0) return false;
  char line[200];
  std::snprintf(line, sizeof line, format, i, n);
  ctx_.msg.Help(line);
  return EscapePressed();
}

void CommandFrame::RemoveOriginal() {
  MarkRemoved(ctx_.store, 0, originalCount_);
  CompactStore(ctx_.store);
}

void CommandFrame::Compact() {
  CompactStore(ctx_.store);
}

void CommandFrame::Regenerate() {
  trevalon::Regenerate(ctx_.store);
}

bool CommandFrame::RapidRebuild() {
  return trevalon::RapidRebuild(ctx_.store, ctx_.retractHeight);
}

bool CommandFrame::PlungeCleanup() {
  return trevalon::PlungeCleanup(ctx_.store, ctx_.retractHeight);
}

Outcome CommandFrame::Rollback(const std::string& why) {
  if (haveBefore_) {
    ctx_.store.Restore(before_);
  } else if (ctx_.store.count > originalCount_) {
    ctx_.store.count = originalCount_;  // only appended so far
  }
  ComputeStatistics(ctx_.store);
  ctx_.msg.Notify(Txt::StoreFull, Txt::KorvoMessage);
  return Outcome::Failed(OutcomeCode::NoMemory, why);
}

const ToolpathStatistics* CommandFrame::Finish(std::string_view helpLine) {
  NoteChange();
  const bool counted = ComputeStatistics(ctx_.store) != 0;
  if (counted && ctx_.cuttingFeed && ctx_.store.stats.maxFeed > 0)
    *ctx_.cuttingFeed = ctx_.store.stats.maxFeed;
  if (!helpLine.empty()) ctx_.msg.Help(helpLine);
  if (ctx_.redraw) ctx_.redraw();
  if (ctx_.view) ctx_.view->MarkOperationEnd(ctx_.msg.platform().TickCount());
  return counted ? &ctx_.store.stats : nullptr;
}

}  // namespace trevalon
