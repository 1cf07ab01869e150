#include "model/point_store.h"

#include <algorithm>
#include <cstring>

#include "model/undo_ring.h"

namespace trevalon {

CPointStore::CPointStore() {
  std::fill(std::begin(pages_), std::end(pages_), nullptr);
  Init();
}

CPointStore::~CPointStore() {
  ReleasePages();
}

int CPointStore::Init() {
  ReleasePages();
  count = 0;
  return 1;
}

void CPointStore::ReleasePages() {
  for (auto& p : pages_) {
    delete[] p;
    p = nullptr;
  }
  curPage_ = nullptr;
  curBase_ = 0;
  curSize_ = 0;
  count = 0;
}

int CPointStore::EnterPage(std::uint32_t i) {
  std::uint32_t p = i / kPageSize;
  if (pages_[p] == nullptr) return 0;  // counted but never written: nothing to load
  curPage_ = pages_[p];
  curBase_ = p * kPageSize;
  curSize_ = kPageSize;
  return 1;
}

std::uint32_t CPointStore::AllocatedPages() const {
  return static_cast<std::uint32_t>(
      std::count_if(std::begin(pages_), std::end(pages_), [](auto* p) { return p != nullptr; }));
}

PointRecord* CPointStore::PageFor(std::uint32_t p) {
  if (p >= kMaxPages) return nullptr;
  if (pages_[p] == nullptr) {
    // A new page is not cleared: its slots hold whatever the memory held until stored.
    pages_[p] = AllocateRecords(kPageSize).release();
  }
  return pages_[p];
}

void CPointStore::NullRecord(PointRecord& r) {
  r.x = r.y = r.z = kSaneLimit;
  r.feed = 300;
  r.type = MOVE_NONE;
}

int CPointStore::StorePoint(std::uint32_t i) {
  std::uint32_t slot = i - curBase_;
  if (slot >= curSize_) {
    std::uint32_t p = i / kPageSize;
    PointRecord* page = PageFor(p);
    if (page == nullptr) return 0;
    curPage_ = page;
    curBase_ = p * kPageSize;
    curSize_ = kPageSize;
    slot = i - curBase_;
  }
  PointRecord& r = curPage_[slot];
  r.x = static_cast<float>(reg.x);
  r.y = static_cast<float>(reg.y);
  r.z = static_cast<float>(reg.z);
  // Only the low 16 bits are kept; a fetch sign-extends them back.
  r.feed = static_cast<std::int16_t>(static_cast<std::uint16_t>(reg.feed));
  r.mark = static_cast<std::int16_t>(static_cast<std::uint16_t>(reg.mark));
  r.type = static_cast<std::int16_t>(static_cast<std::uint16_t>(reg.type));
  return 1;
}

int CPointStore::FetchXYZ(std::uint32_t i, double p[3]) {
  if (!FetchPoint(i)) return 0;
  p[0] = reg.x;
  p[1] = reg.y;
  p[2] = reg.z;
  return 1;
}

int CPointStore::LoadFromArray(const PointRecord* a, std::uint32_t i) {
  const PointRecord& r = a[i];
  reg.x = r.x;
  reg.y = r.y;
  reg.z = r.z;
  reg.feed = r.feed;
  reg.mark = r.mark;
  reg.type = r.type;
  return 1;
}

int CPointStore::SetMotionType(std::uint32_t i, int t) {
  if (!IsMotion(i)) return 0;
  reg.type = t;
  return StorePoint(i);
}

std::uint32_t CPointStore::PrevMotion(std::uint32_t i) {
  if (i == 0) {
    FetchPoint(0);
    return 0;
  }
  for (std::uint32_t k = i; k-- > 0;) {
    if (FetchPoint(k) && IsMotionType(reg.type)) return k;
  }
  return 0;
}

std::uint32_t CPointStore::PrevMotionInArray(std::uint32_t i, const PointRecord* a) {
  if (i == 0) {
    LoadFromArray(a, 0);
    return 0;
  }
  for (std::uint32_t k = i; k-- > 0;) {
    LoadFromArray(a, k);
    if (IsMotionType(reg.type)) return k;
  }
  return 0;
}

std::uint32_t CPointStore::NextMotion(std::uint32_t i) {
  for (std::uint32_t k = i + 1; k < count; ++k) {
    if (FetchPoint(k) && IsMotionType(reg.type)) return k;
  }
  return 0;
}

int CPointStore::Segment(std::uint32_t i, std::uint32_t j, double d[4], double u[3]) {
  if (i == j) {
    d[0] = d[1] = d[2] = d[3] = 0;
    u[0] = u[1] = u[2] = 0;
    return 0;
  }
  if (!SegmentLength(i, j, d)) return 0;
  u[0] = d[0] / d[3];
  u[1] = d[1] / d[3];
  u[2] = d[2] / d[3];
  return 1;
}

int CPointStore::SegmentLength(std::uint32_t i, std::uint32_t j, double d[4]) {
  if (i == j) {
    d[0] = d[1] = d[2] = d[3] = 0;
    return 0;
  }
  FetchPoint(i);
  double px = reg.x, py = reg.y, pz = reg.z;
  FetchPoint(j);
  d[0] = px - reg.x;
  d[1] = py - reg.y;
  d[2] = pz - reg.z;
  d[3] = FlooredSqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  return d[3] != 0.0;
}

int CPointStore::Extent(double min[3], double max[3]) {
  for (int a = 0; a < 3; ++a) {
    min[a] = 10000.0;
    max[a] = -10000.0;
  }
  auto widen = [&](double x, double y, double z) {
    const double p[3] = {x, y, z};
    for (int a = 0; a < 3; ++a) {
      if (p[a] < min[a]) min[a] = p[a];
      if (p[a] > max[a]) max[a] = p[a];
    }
  };
  for (std::uint32_t k = 0; k < count; ++k) {
    if (!FetchPoint(k) || !IsLinearType(reg.type)) continue;
    widen(reg.x, reg.y, reg.z);
    if (reg.type == MOVE_LINE) {
      // The start of the first cut after another kind of move counts as well.
      std::uint32_t s = PrevMotion(k);
      if (s != 0 || IsMotionType(reg.type)) widen(reg.x, reg.y, reg.z);
    }
  }
  return count > 0;
}

namespace {
template <typename Rule>
void RewriteMarks(CPointStore& s, Rule rule) {
  for (std::uint32_t k = 0; k < s.count; ++k) {
    if (!s.FetchPoint(k) || !IsMotionType(s.reg.type)) continue;
    int m = s.reg.mark;
    int n = rule(m);
    if (n != m) {
      s.reg.mark = n;
      s.StorePoint(k);
    }
  }
}
}  // namespace

void CPointStore::InvertSelection() {
  RewriteMarks(*this, [](int m) { return m == 1 ? 0 : 1; });
}
void CPointStore::ClearSelection() {
  RewriteMarks(*this, [](int m) { return m == 1 ? 0 : m; });
}
void CPointStore::ClearMarks() {
  RewriteMarks(*this, [](int m) { return m == -1 ? 0 : m; });
}

int CPointStore::Clear(CUndoRing& undo) {
  undo.SaveUndo(*this);
  count = 0;
  reg.type = 0;
  return 1;
}

void CPointStore::CopyRecordsOut(PointRecord* dst, std::uint32_t n) const {
  for (std::uint32_t base = 0; base < n; base += kPageSize) {
    std::uint32_t len = std::min(kPageSize, n - base);
    const PointRecord* page = pages_[base / kPageSize];
    if (page) {
      std::memcpy(dst + base, page, len * sizeof(PointRecord));
    } else {
      for (std::uint32_t k = 0; k < len; ++k) {
        dst[base + k] = PointRecord{kSaneLimit, kSaneLimit, kSaneLimit, 300, 0, MOVE_NONE};
      }
    }
  }
}

int CPointStore::CopyRecordsIn(const PointRecord* src, std::uint32_t n) {
  if (n > kCapacity) return 0;
  for (std::uint32_t base = 0; base < n; base += kPageSize) {
    if (PageFor(base / kPageSize) == nullptr) return 0;
  }
  for (std::uint32_t base = 0; base < n; base += kPageSize) {
    std::uint32_t len = std::min(kPageSize, n - base);
    std::memcpy(pages_[base / kPageSize], src + base, len * sizeof(PointRecord));
  }
  count = n;
  return 1;
}

}  // namespace trevalon
