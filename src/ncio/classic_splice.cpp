#include "ncio/classic_splice.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace trevalon {

namespace {

template <class T>
bool SameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool SameFanuc(const FanucModalState& a, const FanucModalState& b) {
  return SameBits(a.modalPosition, b.modalPosition) && a.modalMotion == b.modalMotion &&
         SameBits(a.blockStart, b.blockStart) && a.valid == b.valid;
}

bool SameHeidenhain(const HeidenhainModalState& a, const HeidenhainModalState& b) {
  return SameBits(a.modalPosition, b.modalPosition) && a.modalMotion == b.modalMotion &&
         SameBits(a.blockStart, b.blockStart) && SameBits(a.arcOffset, b.arcOffset) &&
         a.circleCentrePending == b.circleCentrePending && SameBits(a.centreDelta, b.centreDelta);
}

bool SameRegister(const PointRegister& a, const PointRegister& b) {
  return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z) && a.feed == b.feed &&
         a.mark == b.mark && a.type == b.type && a.plane == b.plane && SameBits(a.radius, b.radius);
}

bool SameSetup(const MachineSetup& a, const MachineSetup& b) {
  return a == b && SameBits(a.shift, b.shift);
}

// The state part of a checkpoint, taken from a read that runs.
ClassicCheckpoint Capture(const ClassicLiveState& s) {
  ClassicCheckpoint c;
  c.incremental = s.state.incremental;
  c.fanuc = s.state.fanuc;
  c.heidenhain = s.state.heidenhain;
  c.reg = s.reg;
  c.spindle = s.layer.spindle;
  c.toolNumber = s.layer.toolNumber;
  c.toolOffset = s.layer.toolOffset;
  c.programNumber = s.layer.programNumber;
  c.setup = s.layer.setup;
  c.cutRead = s.cutRead;
  c.heidenhainRead = s.heidenhain;
  c.conversational = s.conversational;
  c.differences = s.differences;
  return c;
}

// A read that runs continues from checkpoint c, whose line is `line` (lines before it).
void RestoreInto(const ClassicCheckpoint& c, long line, bool atStart, ClassicLiveState& s) {
  s.state.incremental = c.incremental;
  s.state.fanuc = c.fanuc;
  s.state.heidenhain = c.heidenhain;
  s.reg = c.reg;
  s.layer.spindle = c.spindle;
  s.layer.toolNumber = c.toolNumber;
  s.layer.toolOffset = c.toolOffset;
  s.layer.programNumber = c.programNumber;
  s.layer.setup = c.setup;
  s.cutRead = c.cutRead;
  s.conversational = c.conversational;
  s.differences = c.differences;
  s.differences.SetLine(line);
  (void)s.differences.TakeCounts();
  s.lineNumber = line;
  s.state.classicLimits.line = line;
  // The dialect switch is taken at the first line of the text; a read from further on reads
  // as the indexed one did.
  if (!atStart) {
    s.first = false;
    s.heidenhain = c.heidenhainRead;
  }
}

// Closes the stretch of `open` at the read's present place.
void CloseStretch(ClassicCheckpoint& open, const ClassicLiveState& s, std::uint64_t offset,
                  std::uint64_t openOffset, std::uint32_t openCount, std::uint64_t openComment,
                  long openLine, long openDiffLine) {
  open.bytes = offset - openOffset;
  open.lines = static_cast<std::uint32_t>(s.lineNumber - openLine);
  open.records = s.count - openCount;
  open.commentBytes = s.layer.comment.size() - openComment;
  const ClassicReadNote n = s.differences.TakeCounts();
  open.differentBlocks = n.blocks;
  open.firstDifferent = n.blocks > 0 ? n.firstLine - openDiffLine : 0;
  ExtReadReport& limits = s.state.classicLimits;
  if (!limits.passedOver.empty()) {
    auto r = std::make_shared<ExtReadReport>();
    r->passedOver = std::move(limits.passedOver);
    for (const auto& [kind, line] : limits.firstLine)
      r->firstLine[kind] = line > 0 ? line - openLine : 0;
    limits.passedOver.clear();
    limits.firstLine.clear();
    open.limits = std::move(r);
  } else {
    open.limits.reset();
  }
}

// The totals of the stretches: what a whole read reports.
void PutTotals(const ClassicReadIndex& index, NcReaderState& state) {
  ExtReadReport& limits = state.classicLimits;
  limits.passedOver.clear();
  limits.firstLine.clear();
  ClassicReadNote note;
  note.otherDialect = index.end_.differences.Note().otherDialect;
  long line = 0;
  for (const ClassicCheckpoint& c : index.stretches_) {
    if (c.differentBlocks > 0 && note.blocks == 0) note.firstLine = line + c.firstDifferent;
    note.blocks += c.differentBlocks;
    if (c.limits) {
      for (const auto& [kind, n] : c.limits->passedOver) {
        limits.passedOver[kind] += n;
        const auto f = c.limits->firstLine.find(kind);
        const long rel = f == c.limits->firstLine.end() ? 0 : f->second;
        limits.firstLine.try_emplace(kind, rel > 0 ? line + rel : 0);
      }
    }
    line += c.lines;
  }
  limits.line = line;
  state.lastClassic = note;
}

}  // namespace

bool SameReadState(const ClassicCheckpoint& a, const ClassicCheckpoint& b) {
  return a.incremental == b.incremental && SameFanuc(a.fanuc, b.fanuc) &&
         SameHeidenhain(a.heidenhain, b.heidenhain) && SameRegister(a.reg, b.reg) &&
         a.spindle == b.spindle && a.toolNumber == b.toolNumber && a.toolOffset == b.toolOffset &&
         a.programNumber == b.programNumber && SameSetup(a.setup, b.setup) &&
         a.cutRead == b.cutRead && a.heidenhainRead == b.heidenhainRead &&
         a.conversational == b.conversational && a.differences.SameState(b.differences);
}

bool ClassicReadIndex::ReadsAs(const NcSwitches& nc) const {
  return valid_ && nc.extendedReadingChk != 1 &&
         (nc.heidenhainInputChk == 1) == (heidenhainInputChk_ == 1) &&
         nc.intNcdataFlg == intNcdataFlg_ && nc.arcToCutInputChk == arcToCutInputChk_;
}

// ---- Indexing a whole read -------------------------------------------------------------------

void ClassicIndexer::Begin(ClassicLiveState& s) {
  index_.Clear();
  ended_ = false;
  open_ = Capture(s);
  (void)s.differences.TakeCounts();
  openOffset_ = s.offset;
  openCount_ = s.count;
  openComment_ = s.layer.comment.size();
  openLine_ = s.lineNumber;
  openDiffLine_ = s.differences.Line();
}

bool ClassicIndexer::Line(ClassicLiveState& s) {
  if (s.lineNumber - openLine_ < long{ClassicReadIndex::kLinesPerCheckpoint}) return true;
  try {
    CloseStretch(open_, s, s.offset, openOffset_, openCount_, openComment_, openLine_,
                 openDiffLine_);
    index_.stretches_.push_back(std::move(open_));
    open_ = Capture(s);
  } catch (const std::bad_alloc&) {
    index_.stretches_.clear();  // no index; the read goes on
  }
  openOffset_ = s.offset;
  openCount_ = s.count;
  openComment_ = s.layer.comment.size();
  openLine_ = s.lineNumber;
  openDiffLine_ = s.differences.Line();
  return true;
}

void ClassicIndexer::End(ClassicLiveState& s) {
  ended_ = true;
  // The read ends past its last byte; Finish sets the stretch's bytes from the text's size.
  CloseStretch(open_, s, openOffset_, openOffset_, openCount_, openComment_, openLine_,
               openDiffLine_);
  index_.stretches_.push_back(std::move(open_));
  index_.end_ = Capture(s);
}

void ClassicIndexer::Finish(const NcReadTarget& t, int read, std::uint64_t textSize) {
  if (read != 1 || !ended_ || index_.stretches_.empty()) {
    index_.Clear();
    return;
  }
  std::uint64_t before = 0;
  for (std::size_t i = 0; i + 1 < index_.stretches_.size(); ++i)
    before += index_.stretches_[i].bytes;
  index_.stretches_.back().bytes = textSize - before;
  index_.textSize_ = textSize;
  index_.heidenhainInputChk_ = t.nc.heidenhainInputChk;
  index_.intNcdataFlg_ = t.nc.intNcdataFlg;
  index_.arcToCutInputChk_ = t.nc.arcToCutInputChk;
  index_.valid_ = true;
  // The read's own report holds only its last stretch's counts now: the totals.
  PutTotals(index_, t.state);
}

// ---- The splice -------------------------------------------------------------------------------

namespace {

// Where each old checkpoint starts: bytes, lines, records and comment bytes before it.
struct Place {
  std::uint64_t offset = 0, comment = 0;
  std::uint32_t count = 0;
  long line = 0;
};

// Re-reads from checkpoint `from` of the old read until the old read is met again.
class SpliceReader final : public ClassicReadObserver {
 public:
  SpliceReader(const ClassicReadIndex& index, const std::vector<Place>& places, std::size_t from,
               const TextChange& change)
      : index_(index), places_(places), from_(from), change_(change), oldCp_(from + 1) {}

  void Begin(ClassicLiveState& s) override {
    const Place& p = places_[from_];
    RestoreInto(index_.stretches_[from_], p.line, p.offset == 0, s);
    Open(s, p.offset);
    open_ = index_.stretches_[from_];
  }

  bool Line(ClassicLiveState& s) override {
    ++linesRead_;
    if (s.offset >= change_.newEnd) {
      // The same place of the old text, and the old checkpoint there, if any.
      const std::uint64_t old = s.offset - change_.newEnd + change_.oldEnd;
      while (oldCp_ < places_.size() && places_[oldCp_].offset < old) ++oldCp_;
      if (oldCp_ < places_.size() && places_[oldCp_].offset == old &&
          SameReadState(Capture(s), index_.stretches_[oldCp_])) {
        Close(s);
        met_ = oldCp_;
        return false;
      }
    }
    if (s.lineNumber - openLine_ >= long{ClassicReadIndex::kLinesPerCheckpoint}) {
      Close(s);
      open_ = Capture(s);
      Open(s, s.offset);
    }
    return true;
  }

  void End(ClassicLiveState& s) override {
    if (met_) return;
    Close(s);
    end_ = Capture(s);
  }

  // The checkpoint of the old read that the read met (0: it ran to the end).
  std::size_t Met() const { return met_; }
  std::vector<ClassicCheckpoint>& Stretches() { return stretches_; }
  const ClassicCheckpoint& EndState() const { return end_; }
  std::uint64_t LinesRead() const { return linesRead_; }
  // The bytes of the new text up to where the read stopped (the end for a read to the end).
  std::uint64_t stopOffset = 0;

 private:
  void Open(const ClassicLiveState& s, std::uint64_t offset) {
    openOffset_ = offset;
    openCount_ = s.count;
    openComment_ = s.layer.comment.size();
    openLine_ = s.lineNumber;
    openDiffLine_ = s.differences.Line();
  }
  void Close(ClassicLiveState& s) {
    CloseStretch(open_, s, s.offset, openOffset_, openCount_, openComment_, openLine_,
                 openDiffLine_);
    stretches_.push_back(std::move(open_));
    stopOffset = s.offset;
  }

  const ClassicReadIndex& index_;
  const std::vector<Place>& places_;
  std::size_t from_;
  TextChange change_;
  std::size_t oldCp_;
  std::size_t met_ = 0;
  std::uint64_t linesRead_ = 0;
  ClassicCheckpoint open_, end_;
  std::vector<ClassicCheckpoint> stretches_;
  std::uint64_t openOffset_ = 0, openComment_ = 0;
  std::uint32_t openCount_ = 0;
  long openLine_ = 0, openDiffLine_ = 0;
};

// The record a re-read needs from before its start: the motion record the first arc read as
// chords starts from (ArcToChords looks back for it).
std::uint32_t ContextRecord(CPointStore& store, std::uint32_t before) {
  const PointRegister keep = store.reg;
  const std::uint32_t k = store.PrevMotion(before);
  store.reg = keep;
  return k;
}

}  // namespace

int SpliceClassicRead(const NcReadTarget& t, ClassicReadIndex& index, std::string_view text,
                      const TextChange& change, SpliceResult* result) {
  if (!index.ReadsAs(t.nc) || change.begin > change.oldEnd || change.begin > change.newEnd ||
      change.oldEnd > index.textSize_ ||
      text.size() !=
          index.textSize_ - (change.oldEnd - change.begin) + (change.newEnd - change.begin))
    return 0;
  SourceLines* sources = t.sources;
  if (sources && (sources->Lost() || sources->Files().size() != 1 ||
                  sources->Files()[0].base != 0 || sources->Size() != t.store.count))
    return 0;
  try {
    // Where every old checkpoint stands.
    std::vector<Place> places(index.stretches_.size());
    {
      Place p;
      for (std::size_t i = 0; i < places.size(); ++i) {
        places[i] = p;
        const ClassicCheckpoint& c = index.stretches_[i];
        p.offset += c.bytes;
        p.comment += c.commentBytes;
        p.count += c.records;
        p.line += c.lines;
      }
      if (p.count != t.store.count || p.offset != index.textSize_ ||
          p.comment != t.workLayer.comment.size())
        return 0;  // the store is not the indexed read's
    }
    // The last checkpoint at or before the change's first byte.
    std::size_t from = 0;
    while (from + 1 < places.size() && places[from + 1].offset <= change.begin) ++from;
    const Place start = places[from];

    // The re-read goes into a store of its own, behind the record it may look back at.
    CPointStore scratch;
    std::uint32_t seed = 0;
    if (start.count > 0) {
      const std::uint32_t k = ContextRecord(t.store, start.count);
      const PointRecord* r = t.store.RawRecord(k);
      if (r == nullptr || !scratch.CopyRecordsIn(r, 1)) return 0;
      seed = 1;
    }
    LayerSlot layer;
    SourceLines lines;
    lines.BeginFile(SourceFile{});
    lines.Reach(seed, 0);
    const NcReaderState stateBefore = t.state;
    const PointRegister regBefore = t.store.reg;
    SpliceReader reader(index, places, from, change);
    NcReadTarget rt{scratch, layer, t.nc, t.state};
    rt.sources = &lines;
    rt.measureExtent = false;
    rt.observer = &reader;
    NcReadOutcome outcome = NcReadOutcome::Read;
    const int read = ReadClassicText(rt, text, start.offset, &outcome);
    if (read != 1 || lines.Lost()) {
      t.state = stateBefore;
      t.store.reg = regBefore;
      return 0;
    }
    const std::size_t met = reader.Met();
    const std::uint32_t oldEndCount = met ? places[met].count : t.store.count;
    const std::uint64_t oldEndComment = met ? places[met].comment : t.workLayer.comment.size();
    const std::uint32_t removed = oldEndCount - start.count;
    const std::uint32_t added = scratch.count - seed;

    // The records: the old ones between the checkpoints give way to the new.
    std::vector<PointRecord> fresh(added);
    if (added > 0) {
      std::vector<PointRecord> all(scratch.count);
      scratch.CopyRecordsOut(all.data(), scratch.count);
      std::copy(all.begin() + seed, all.end(), fresh.begin());
    }
    if (!t.store.SpliceRecords(start.count, removed, fresh.data(), added)) {
      t.state = stateBefore;
      t.store.reg = regBefore;
      return 0;
    }
    // Their places: the new records' from the re-read, those after them moved with their
    // bytes.
    if (sources) {
      std::vector<std::uint32_t> numbers(added);
      const std::uint32_t kNone = SourceLines::kNone;
      for (std::uint32_t i = 0; i < added; ++i) {
        const auto place = lines.Find(seed + i);
        numbers[i] = place && place->offset < 0xFFFFFFFFu
                         ? static_cast<std::uint32_t>(place->offset + 1)
                         : kNone;
      }
      const std::int64_t shift =
          static_cast<std::int64_t>(change.newEnd) - static_cast<std::int64_t>(change.oldEnd);
      sources->Splice(start.count, removed, numbers, shift, text.size());
    }
    // The comment text.
    std::string& comment = t.workLayer.comment;
    comment.replace(start.comment, oldEndComment - start.comment, layer.comment);

    // The index: the stretches read replace the old ones between the checkpoints.
    std::vector<ClassicCheckpoint>& mid = reader.Stretches();
    std::vector<ClassicCheckpoint> next;
    next.reserve(from + mid.size() + (met ? index.stretches_.size() - met : 0));
    for (std::size_t i = 0; i < from; ++i) next.push_back(std::move(index.stretches_[i]));
    for (ClassicCheckpoint& c : mid) next.push_back(std::move(c));
    if (met) {
      for (std::size_t i = met; i < index.stretches_.size(); ++i)
        next.push_back(std::move(index.stretches_[i]));
    } else {
      // The last stretch ends with the text.
      next.back().bytes = text.size() - (reader.stopOffset - next.back().bytes);
      index.end_ = reader.EndState();
    }
    index.stretches_ = std::move(next);
    index.textSize_ = text.size();

    if (met) {
      // The rest of the program reads as before: the read ends as the old one ended.
      t.state = stateBefore;
      t.store.reg = regBefore;
    } else {
      t.store.reg = scratch.reg;
      LayerSlot& work = t.workLayer;
      work.spindle = layer.spindle;
      work.toolNumber = layer.toolNumber;
      work.toolOffset = layer.toolOffset;
      work.programNumber = layer.programNumber;
      work.setup = layer.setup;
    }
    PutTotals(index, t.state);
    if (result) {
      result->first = start.count;
      result->removed = removed;
      result->added = added;
      result->linesRead = reader.LinesRead();
      result->toEnd = met == 0;
    }
    return 1;
  } catch (const std::bad_alloc&) {
    index.Clear();
    return 0;
  }
}

}  // namespace trevalon
