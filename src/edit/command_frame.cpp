#include "edit/command_frame.h"

#include <cstdio>

#include "edit/compaction.h"
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

bool CommandFrame::Append() {
  CPointStore& s = ctx_.store;
  if (s.count >= CPointStore::kCapacity || !s.StorePoint(s.count)) return false;
  ++s.count;
  return true;
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

const ToolpathStatistics* CommandFrame::Finish(std::string_view helpLine) {
  NoteChange();
  const bool counted = ComputeStatistics(ctx_.store) != 0;
  if (!helpLine.empty()) ctx_.msg.Help(helpLine);
  if (ctx_.redraw) ctx_.redraw();
  if (ctx_.view) ctx_.view->MarkOperationEnd(ctx_.msg.platform().TickCount());
  return counted ? &ctx_.store.stats : nullptr;
}

}  // namespace trevalon
