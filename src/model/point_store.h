#pragma once
// CPointStore: every toolpath point of a document in pages of 3270 records, reached only
// through the current-point register. Walks are loops of FetchPoint, so the fetch of a record
// in the page of the previous access costs a subtraction and a compare, nothing more.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "model/point_record.h"
#include "model/toolpath_statistics.h"

namespace trevalon {

class CUndoRing;

class CPointStore {
 public:
  static constexpr std::uint32_t kPageSize = 3270;
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
  int LoadFromArray(const PointRecord* a, std::uint32_t i);
  int SetMotionType(std::uint32_t i, int t);

  // ---- Predicates (they leave the fetched point in the register) ----------------------
  int IsMotion(std::uint32_t i) { return FetchPoint(i) && IsMotionType(reg.type); }
  int IsMotionInArray(std::uint32_t i, const PointRecord* a) {
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
  std::uint32_t PrevMotionInArray(std::uint32_t i, const PointRecord* a);
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
  int Clear(CUndoRing& undo);

  // ---- Raw access for snapshots, undo and dumps (no sanity test) ------------------------
  // The record as stored, or null when its page was never allocated.
  const PointRecord* RawRecord(std::uint32_t i) const {
    const PointRecord* page = i < kCapacity ? pages_[i / kPageSize] : nullptr;
    return page ? page + i % kPageSize : nullptr;
  }
  // Copies records [0, n) out page by page; unallocated pages give null records.
  void CopyRecordsOut(PointRecord* dst, std::uint32_t n) const;
  // Writes records [0, n) page by page and sets count = n. 0 (count unchanged) when n is
  // beyond the capacity or a page cannot be allocated.
  int CopyRecordsIn(const PointRecord* src, std::uint32_t n);
  std::uint32_t AllocatedPages() const;
  // Releases every page (memory back to the system); count becomes 0.
  void ReleasePages();

  PointRegister reg;  // the current point
  std::uint32_t count = 0;
  double extentMin[3] = {9999, 9999, 9999};
  double extentMax[3] = {-9999, -9999, -9999};
  ToolpathStatistics stats;

 private:
  PointRecord* PageFor(std::uint32_t page);  // allocates on first use; null on failure
  // Makes the page of record i the current page for fetching; 0 when it was never written.
  int EnterPage(std::uint32_t i);
  void NullRecord(PointRecord& r);

  PointRecord* pages_[kMaxPages];
  // The page of the last access: consecutive accesses inside it skip the page table.
  std::uint32_t curBase_ = 0;
  std::uint32_t curSize_ = 0;  // kPageSize while there is a current page, else 0
  PointRecord* curPage_ = nullptr;
};

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
  PointRecord& r = curPage_[slot];
  // Sanity test on x and z only (y is not tested), on the bit patterns: |v| <= 32700 exactly
  // when the magnitude bits are at most those of 32700.0f; NaN fails it too.
  std::uint32_t bx, bz;
  std::memcpy(&bx, &r.x, sizeof bx);
  std::memcpy(&bz, &r.z, sizeof bz);
  if (((bx & 0x7fffffffu) > kSaneBits) | ((bz & 0x7fffffffu) > kSaneBits)) [[unlikely]] {
    NullRecord(r);
    return 0;
  }
  reg.x = r.x;
  reg.y = r.y;
  reg.z = r.z;
  reg.feed = r.feed;
  reg.mark = r.mark;
  reg.type = r.type;
  return reg.type != 0;
}

}  // namespace trevalon
