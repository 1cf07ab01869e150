#include "edit/command_frame.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "edit/compaction.h"
#include "edit/rapid_rebuild.h"
#include "edit/regenerate.h"
#include "model/statistics.h"

namespace trevalon {

CommandFrame::CommandFrame(EditContext& ctx)
    : ctx_(ctx), originalCount_(ctx.store.count), expected_(ctx.store.count) {
  if (ctx_.sources && ctx_.edits) {
    if (const SourceLines* valid = ctx_.sources->Valid(*ctx_.edits)) {
      lines_ = *valid;
      sourced_ = following_ = true;
    }
  }
}

void CommandFrame::MakeFrom() {
  const std::uint32_t n = store().count;
  try {
    if (!fromMade_) {
      from_.resize(n);
      for (std::uint32_t i = 0; i < n; ++i)
        from_[i] = i < originalCount_ ? i : SourceLines::kNoRecord;
      fromMade_ = true;
    }
    from_.resize(n, SourceLines::kNoRecord);  // records appended since
  } catch (const std::bad_alloc&) {
    StopFollowing();
  }
}

void CommandFrame::StopFollowing() {
  following_ = false;
  std::vector<std::uint32_t>().swap(from_);
}

void CommandFrame::CompactFollowing() {
  CheckCount();
  if (following_) MakeFrom();
  CompactStore(ctx_.store, following_ ? &from_ : nullptr);
  if (following_ && from_.size() != store().count) StopFollowing();
  expected_ = store().count;
}

namespace {
// What the position test tells apart besides the position: a rapid, a cut, an arc centre.
int KindOf(int type) {
  return IsPlaneCode(type) ? 2 : IsRapidType(type) ? 1 : 0;
}
}  // namespace

SourceLines CommandFrame::ResultLines() {
  if (following_) MakeFrom();
  if (!following_) return lines_.WithoutRecords();
  // The position test: a record whose original stood elsewhere, or was another kind of record
  // (a rapid where it is a cut, a point where it is a centre record), is the command's own.
  if (haveBefore_) {
    for (std::uint32_t k = 0; k < from_.size(); ++k) {
      const std::uint32_t o = from_[k];
      if (o == SourceLines::kNoRecord) continue;
      const PointRecord* now = ctx_.store.RawRecord(k);
      bool same = now && o < before_.count();
      if (same) {
        const PointRecord& was = before_[o];
        same = now->x == was.x && now->y == was.y && now->z == was.z &&
               KindOf(now->type) == KindOf(was.type);
      }
      if (!same) from_[k] = SourceLines::kNoRecord;
    }
  }
  return lines_.Remapped(from_);
}

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

void CommandFrame::SaveUndo(Txt name) {
  ctx_.undo.SaveUndo(ctx_.store, name);
  if (sourced_) ctx_.undo.TagNewest(lines_);
  // Shares the store's pages, as the undo slot does: nothing is copied until a page changes.
  haveBefore_ = ctx_.store.Snapshot(before_) != 0;
  recorded_ = true;
  NoteChange();
}

bool CommandFrame::Append() {
  CheckCount();
  const bool ok = AppendRegister(ctx_.store);
  if (ok) ++expected_;
  return ok;
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
  CompactFollowing();
}

void CommandFrame::Compact() {
  CompactFollowing();
}

void CommandFrame::Regenerate() {
  CheckCount();
  trevalon::Regenerate(ctx_.store);
}

bool CommandFrame::RebuildStep(bool (*step)(CPointStore&, double, std::vector<std::uint32_t>*)) {
  CheckCount();
  if (following_) MakeFrom();
  // What the step says each of its records is, in terms of the store before it (nothing when
  // it could not say it for every record).
  std::vector<std::uint32_t> made;
  const bool ok = step(ctx_.store, ctx_.retractHeight, following_ ? &made : nullptr);
  // When the step failed the store is as it was before it.
  if (ok && following_) {
    if (made.size() != store().count) {
      StopFollowing();
    } else {
      for (std::uint32_t& m : made) m = m < from_.size() ? from_[m] : SourceLines::kNoRecord;
      from_.swap(made);
    }
  }
  expected_ = store().count;
  return ok;
}

std::vector<std::uint32_t>* CommandFrame::OriginNote() {
  note_.clear();
  return following_ ? &note_ : nullptr;
}

void CommandFrame::Rewritten() {
  const std::vector<std::uint32_t> from = std::move(note_);
  note_.clear();
  const std::uint32_t n = store().count;
  if (following_ && from.size() == n) {
    try {
      std::vector<std::uint32_t> now(n, SourceLines::kNoRecord);
      for (std::uint32_t k = 0; k < n; ++k) {
        const std::uint32_t o = from[k];
        if (o == SourceLines::kNoRecord) continue;
        if (fromMade_)
          now[k] = o < from_.size() ? from_[o] : SourceLines::kNoRecord;
        else
          now[k] = o < originalCount_ ? o : SourceLines::kNoRecord;
      }
      from_.swap(now);
      fromMade_ = true;
    } catch (const std::bad_alloc&) {
      StopFollowing();
    }
  } else {
    StopFollowing();
  }
  expected_ = n;
}

void CommandFrame::Appended() {
  const std::vector<std::uint32_t> origin = std::move(note_);
  note_.clear();
  const std::uint32_t n = store().count, before = expected_;
  if (following_ && n >= before && origin.size() == n - before) {
    MakeFrom();  // as long as the store, the appended records new for now
    if (following_) {
      for (std::uint32_t k = 0; k < origin.size(); ++k) {
        const std::uint32_t o = origin[k];
        from_[before + k] = o < before ? from_[o] : SourceLines::kNoRecord;
      }
    }
  } else {
    StopFollowing();
  }
  expected_ = n;
}

bool CommandFrame::RapidRebuild() {
  return RebuildStep(trevalon::RapidRebuild);
}

bool CommandFrame::PlungeCleanup() {
  return RebuildStep(trevalon::PlungeCleanup);
}

Outcome CommandFrame::Rollback(const std::string& why) {
  return Rollback(why, Txt::StoreFull, OutcomeCode::NoMemory);
}

Outcome CommandFrame::Rollback(const std::string& why, Txt notice, OutcomeCode code) {
  if (haveBefore_) {
    ctx_.store.Restore(before_);
  } else if (ctx_.store.count > originalCount_) {
    ctx_.store.count = originalCount_;  // only appended so far
  }
  // The store is as the command found it, and so are its source lines.
  if (sourced_ && (haveBefore_ || following_)) ctx_.sources->Set(lines_, *ctx_.edits);
  ComputeStatistics(ctx_.store);
  ctx_.msg.Notify(notice, Txt::KorvoMessage);
  return Outcome::Failed(code, why);
}

bool CommandFrame::Unchanged() {
  if (!haveBefore_ || store().count != before_.count()) return false;
  for (std::uint32_t i = 0; i < before_.count(); ++i) {
    const PointRecord* now = ctx_.store.RawRecord(i);
    const PointRecord& was = before_[i];
    if (!now || std::memcmp(now, &was, sizeof was) != 0) return false;
  }
  return true;
}

Outcome CommandFrame::FinishAppendedRewrite(bool written, Rebuild rebuild) {
  if (!written) return Rollback("the toolpath does not fit into the point store");
  Appended();
  RemoveOriginal();
  if (rebuild == Rebuild::Plunges) {
    Regenerate();
    Compact();
    if (!PlungeCleanup() || !RapidRebuild())
      return Rollback("no room for the plunge clean-up and the rapid rebuild");
  } else {
    const int passes = rebuild == Rebuild::RapidsTwice ? 2 : 1;
    for (int k = 0; k < passes; ++k)
      if (!RapidRebuild()) return Rollback("no room for the rapid rebuild");
  }
  Finish();
  return Outcome::Done();
}

const ToolpathStatistics* CommandFrame::Finish(std::string_view helpLine) {
  CheckCount();
  // Our rule: a command that recorded its undo step but left every record as it was takes
  // the step back, so that undo never takes back a command that did nothing.
  if (recorded_ && Unchanged()) {
    ctx_.undo.DropNewest();
    recorded_ = false;
    if (ctx_.edits) --*ctx_.edits;  // the change counted when the step was recorded
    if (sourced_) ctx_.sources->Set(lines_, *ctx_.edits);
    ComputeStatistics(ctx_.store);
    if (!helpLine.empty()) ctx_.msg.Help(helpLine);
    if (ctx_.redraw) ctx_.redraw();
    return ctx_.store.count ? &ctx_.store.stats : nullptr;
  }
  NoteChange();
  if (sourced_) ctx_.sources->Set(ResultLines(), *ctx_.edits);
  const bool counted = ComputeStatistics(ctx_.store) != 0;
  if (counted && ctx_.cuttingFeed && ctx_.store.stats.maxFeed > 0)
    *ctx_.cuttingFeed = ctx_.store.stats.maxFeed;
  if (!helpLine.empty()) ctx_.msg.Help(helpLine);
  if (ctx_.redraw) ctx_.redraw();
  if (ctx_.view) ctx_.view->MarkOperationEnd(ctx_.msg.platform().TickCount());
  return counted ? &ctx_.store.stats : nullptr;
}

}  // namespace trevalon
