#pragma once
// CPointStore: every toolpath point of a document in pages of 3270 records, reached only
// through the current-point register. Walks are loops of FetchPoint, so the fetch of a record
// in the page of the previous access costs a subtraction and a compare, nothing more.
//
// Pages are shared with layer snapshots and undo slots (record_pages.h): taking or restoring a
// snapshot copies page references, and a write to a page that a snapshot holds as well copies
// that one page first.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "model/point_record.h"
#include "model/record_pages.h"
#include "model/toolpath_statistics.h"
#include "texts/user_texts.h"

namespace trevalon {

class CUndoRing;

class CPointStore {
 public:
  static constexpr std::uint32_t kPageSize = kRecordsPerPage;
  static constexpr std::uint32_t kMaxPages = 4000;
  static constexpr std::uint32_t kCapacity = kPageSize * kMaxPages;  // 13,080,000 records
  // A coordinate beyond this marks a record that was counted but never written.
  static constexpr float kSaneLimit = 32700.0f;
  static constexpr std::uint32_t kSaneBits = 0x46ff7800u;  // the bit pattern of 32700.0f

  CPointStore();
  ~CPointStore();
  CPointStore(const CPointStore&) = delete;
  CPointStore& operator=(const CPointStore&) = delete;

  int Init();

  // ---- Register access ---------------------------------------------------------------
  int StorePoint(std::uint32_t i);
  inline int FetchPoint(std::uint32_t i);
  int FetchXYZ(std::uint32_t i, double p[3]);
  // Reads record i as FetchPoint would load it, into `out` instead of the register, and
  // changes nothing: not the register, not the current page, not the record. The result is
  // FetchPoint's: 1 for a point with a non-zero type, else 0. An unsound record reads as the
  // null record (32700, 32700, 32700, feed 300, type 0, its mark) with result 0; an index at or
  // beyond count, or in a page never allocated, gives 0 and leaves `out` as it was. Only x, y,
  // z, feed, mark and type of `out` are written. For look-ahead code that must not disturb
  // the point in the register.
  int Peek(std::uint32_t i, PointRegister& out) const;
  // Loads element i of a snapshot into the register, without any test.
  int LoadFromArray(const RecordSnapshot& a, std::uint32_t i);
  int SetMotionType(std::uint32_t i, int t);

  // ---- Predicates (they leave the fetched point in the register) ----------------------
  int IsMotion(std::uint32_t i) { return FetchPoint(i) && IsMotionType(reg.type); }
  int IsMotionInArray(std::uint32_t i, const RecordSnapshot& a) {
    LoadFromArray(a, i);
    return IsMotionType(reg.type);
  }
  // These test the register after the fetch whether or not it succeeded; callers pass
  // indices below count.
  int IsRapid(std::uint32_t i) { return FetchPoint(i), IsRapidType(reg.type); }
  int IsRapidStart(std::uint32_t i) { return FetchPoint(i), reg.type == MOVE_RAPID; }
  int IsLinear(std::uint32_t i) {
    if (i >= count) return 0;
    FetchPoint(i);
    return IsLinearType(reg.type);
  }
  int IsLinearStart(std::uint32_t i) { return FetchPoint(i), reg.type == MOVE_LINE; }
  int IsArc(std::uint32_t i) { return FetchPoint(i), IsArcType(reg.type); }

  // ---- Walk helpers --------------------------------------------------------------------
  std::uint32_t PrevMotion(std::uint32_t i);
  std::uint32_t PrevMotionInArray(std::uint32_t i, const RecordSnapshot& a);
  std::uint32_t NextMotion(std::uint32_t i);
  // d = P(i) - P(j) with d[3] its length, u its unit vector; 0 for a zero length.
  int Segment(std::uint32_t i, std::uint32_t j, double d[4], double u[3]);
  int SegmentLength(std::uint32_t i, std::uint32_t j, double d[4]);
  int Extent(double min[3], double max[3]);

  // ---- Selection -----------------------------------------------------------------------
  void InvertSelection();
  void ClearSelection();
  void ClearMarks();

  // Takes an undo snapshot, then empties the store.
  int Clear(CUndoRing& undo, Txt name = Txt::CmdDeleteAll);

  // ---- Snapshots (layers, undo) --------------------------------------------------------
  // `out` becomes records [0, count) as they stand, sharing the store's pages; a page below
  // count that was never allocated is given as a page of null records. 0 when memory for the
  // page table or such a page cannot be had; `out` is then empty.
  int Snapshot(RecordSnapshot& out);
  // The store becomes the snapshot's records: count = in.count(), and the snapshot's pages
  // replace the store's pages below it (shared, not copied). Pages beyond stay as they were.
  void Restore(const RecordSnapshot& in);
  // Has the effect of FetchPoint(0) ... FetchPoint(count - 1): every unsound record below
  // count becomes the null record, and the register holds the last record such a walk loads.
  // Reads only records not yet known to be sound (normally none). 0 when a page shared with a
  // snapshot could not be copied to rewrite a record in it; the record then stays unsound.
  int FetchEveryRecord();

  // ---- Raw access for drawing, dumps and tests (no sanity test) ------------------------
  // The record as stored, or null when its page was never allocated.
  const PointRecord* RawRecord(std::uint32_t i) const {
    const RecordPage* page = i < kCapacity ? pages_[i / kPageSize].get() : nullptr;
    return page ? page->records + i % kPageSize : nullptr;
  }
  // Calls f(const PointRecord* first, std::uint32_t n) for the records below count, a page's
  // run at a time and in order, as stored (no sanity test); a page never allocated is left
  // out. For walks that only read records and need nothing of the register.
  template <typename F>
  void ForEachSpan(F&& f) const {
    for (std::uint32_t base = 0; base < count && base < kCapacity; base += kPageSize) {
      if (const RecordPage* page = pages_[base / kPageSize].get())
        f(static_cast<const PointRecord*>(page->records), std::min(count - base, kPageSize));
    }
  }
  // Copies records [0, n) out page by page; unallocated pages give null records.
  void CopyRecordsOut(PointRecord* dst, std::uint32_t n) const;
  // Writes records [0, n) page by page and sets count = n. 0 (count unchanged) when n is
  // beyond the capacity or a page cannot be allocated.
  int CopyRecordsIn(const PointRecord* src, std::uint32_t n);
  // Records [at, at + removed) give way to the n records of src; the records after them move
  // to follow. 0 (nothing changed) when the result is beyond the capacity or a page cannot be
  // had.
  int SpliceRecords(std::uint32_t at, std::uint32_t removed, const PointRecord* src,
                    std::uint32_t n);
  // Record i can be stored without memory: its page exists and no snapshot shares it. A run
  // of stores that failed for want of memory stopped at the first page where this is false.
  bool WritableInPlace(std::uint32_t i) const {
    return i < kCapacity && pages_[i / kPageSize] && !pages_[i / kPageSize].shared();
  }
  // Pages the store holds, shared ones included.
  std::uint32_t AllocatedPages() const;
  void TallyPages(PageTally& tally) const;
  // Gives up every page (memory back to the system unless a snapshot holds it); count
  // becomes 0.
  void ReleasePages();

  // The stamp of page p (record_pages.h), 0 for a page never allocated.
  std::uint64_t PageStamp(std::uint32_t p) const {
    return p < kMaxPages && pages_[p] ? pages_[p]->stamp : 0;
  }
  // Ends the run of in-place writes to the current page: the next store goes through
  // WritablePage and stamps the page anew. For a walk that keeps results by page stamp.
  void SealPages() { curWriteSize_ = 0; }

  PointRegister reg;  // the current point
  std::uint32_t count = 0;
  double extentMin[3] = {9999, 9999, 9999};
  double extentMax[3] = {-9999, -9999, -9999};
  ToolpathStatistics stats;
  std::vector<StatisticsPart> statisticsParts;  // ComputeStatistics' measures by page

 private:
  // The page made the current page and the store's alone: allocated on first use, copied when
  // a snapshot holds it too. Null when the memory cannot be had or p is beyond the last page.
  RecordPage* WritablePage(std::uint32_t p);
  // Makes the page of record i the current page for fetching; 0 when it was never written.
  int EnterPage(std::uint32_t i);
  // FetchPoint's rewrite of the unsound record i, out of the hot path.
  void NullUnsound(std::uint32_t i);
  void ForgetCurrentPage() {
    cur_ = nullptr;
    curBase_ = curSize_ = curWriteSize_ = 0;
  }

  PageRef pages_[kMaxPages];
  // The page of the last access: consecutive accesses inside it skip the page table.
  RecordPage* cur_ = nullptr;
  std::uint32_t curBase_ = 0;
  std::uint32_t curSize_ = 0;       // kPageSize while there is a current page, else 0
  std::uint32_t curWriteSize_ = 0;  // kPageSize while the current page is the store's alone
};

// The store's sanity test on x and z only (y is not tested), on the bit patterns: |v| <= 32700
// exactly when the magnitude bits are at most those of 32700.0f; NaN fails it too.
inline bool IsUnsoundRecord(const PointRecord& r) {
  std::uint32_t bx, bz;
  std::memcpy(&bx, &r.x, sizeof bx);
  std::memcpy(&bz, &r.z, sizeof bz);
  // Shifting out the sign bit leaves the magnitude bits; one compare for both.
  const std::uint32_t mx = bx << 1, mz = bz << 1;
  return (mx > mz ? mx : mz) > (CPointStore::kSaneBits << 1);
}

// x, y, z widened, feed, mark and type sign-extended: what a fetch loads.
inline void LoadRecord(const PointRecord& r, PointRegister& reg) {
  reg.x = r.x;
  reg.y = r.y;
  reg.z = r.z;
  reg.feed = r.feed;
  reg.mark = r.mark;
  reg.type = r.type;
}

// A square root that treats any argument below 1e-9 (negative ones too) as zero, so that
// lengths of vanishing segments are exactly 0 everywhere in the program.
inline double FlooredSqrt(double sq) {
  return sq < 1e-9 ? 0.0 : std::sqrt(sq);
}

inline int CPointStore::FetchPoint(std::uint32_t i) {
  if (i >= count) return 0;
  std::uint32_t slot = i - curBase_;
  if (slot >= curSize_) [[unlikely]] {  // another page than the last access (0 before any)
    if (!EnterPage(i)) return 0;
    slot = i - curBase_;
  }
  const PointRecord& r = cur_->records[slot];
  if (IsUnsoundRecord(r)) [[unlikely]] {
    NullUnsound(i);
    return 0;
  }
  LoadRecord(r, reg);
  return reg.type != 0;
}

}  // namespace trevalon
