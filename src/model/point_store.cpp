#include "model/point_store.h"

#include <algorithm>
#include <cstring>

#include "model/undo_ring.h"

namespace trevalon {

CPointStore::CPointStore() {
  Init();
}

CPointStore::~CPointStore() = default;

int CPointStore::Init() {
  ReleasePages();
  count = 0;
  return 1;
}

void CPointStore::ReleasePages() {
  for (auto& p : pages_) p.reset();
  ForgetCurrentPage();
  count = 0;
}

int CPointStore::EnterPage(std::uint32_t i) {
  std::uint32_t p = i / kPageSize;
  if (p >= kMaxPages || !pages_[p]) return 0;  // counted but never written: nothing to load
  cur_ = pages_[p].get();
  curBase_ = p * kPageSize;
  curSize_ = kPageSize;
  // A fetch does not open the page for writing: the first store into it goes through
  // WritablePage, which gives it a new stamp.
  curWriteSize_ = 0;
  return 1;
}

std::uint32_t CPointStore::AllocatedPages() const {
  return static_cast<std::uint32_t>(std::count_if(std::begin(pages_), std::end(pages_),
                                                  [](const PageRef& p) { return bool(p); }));
}

void CPointStore::TallyPages(PageTally& tally) const {
  for (const PageRef& p : pages_) tally.Add(p.get());
}

RecordPage* CPointStore::WritablePage(std::uint32_t p) {
  if (p >= kMaxPages) return nullptr;
  PageRef& ref = pages_[p];
  if (!ref) {
    RecordPage* fresh = NewRecordPage();
    if (fresh == nullptr) return nullptr;
    ref = PageRef(fresh);
  } else if (ref.shared()) {
    // A snapshot holds this page too: from now on the store writes its own copy.
    RecordPage* copy = NewRecordPage();
    if (copy == nullptr) return nullptr;
    copy->sound = ref->sound;
    std::memcpy(copy->records, ref->records, sizeof copy->records);
    ref = PageRef(copy);
  } else {
    ref->stamp = NextPageStamp();
  }
  cur_ = ref.get();
  curBase_ = p * kPageSize;
  curSize_ = curWriteSize_ = kPageSize;
  return cur_;
}

namespace {
void MakeNull(PointRecord& r) {
  r.x = r.y = r.z = CPointStore::kSaneLimit;
  r.feed = 300;
  r.type = MOVE_NONE;
}
}  // namespace

void CPointStore::NullUnsound(std::uint32_t i) {
  // Without memory for a copy of a shared page the record stays as it is; the next fetch
  // finds it unsound again and gives 0 just the same.
  if (RecordPage* page = WritablePage(i / kPageSize)) MakeNull(page->records[i % kPageSize]);
}

int CPointStore::StorePoint(std::uint32_t i) {
  std::uint32_t slot = i - curBase_;
  if (slot >= curWriteSize_) {
    if (WritablePage(i / kPageSize) == nullptr) return 0;
    slot = i - curBase_;
  }
  RecordPage& page = *cur_;
  PointRecord& r = page.records[slot];
  r.x = static_cast<float>(reg.x);
  r.y = static_cast<float>(reg.y);
  r.z = static_cast<float>(reg.z);
  // Only the low 16 bits are kept; a fetch sign-extends them back.
  r.feed = static_cast<std::int16_t>(static_cast<std::uint16_t>(reg.feed));
  r.mark = static_cast<std::int16_t>(static_cast<std::uint16_t>(reg.mark));
  r.type = static_cast<std::int16_t>(static_cast<std::uint16_t>(reg.type));
  // The sound prefix grows with records appended in order, so that saving a layer finds
  // nothing to test after a read.
  if (IsUnsoundRecord(r)) [[unlikely]] {
    if (slot < page.sound) page.sound = slot;
  } else if (slot == page.sound) {
    page.sound = slot + 1;
  }
  return 1;
}

int CPointStore::Peek(std::uint32_t i, PointRegister& out) const {
  if (i >= count || i >= kCapacity) return 0;
  const RecordPage* page = pages_[i / kPageSize].get();
  if (page == nullptr) return 0;
  const PointRecord& r = page->records[i % kPageSize];
  if (IsUnsoundRecord(r)) {
    PointRecord null = r;
    MakeNull(null);
    LoadRecord(null, out);
    return 0;
  }
  LoadRecord(r, out);
  return out.type != 0;
}

int CPointStore::FetchXYZ(std::uint32_t i, double p[3]) {
  if (!FetchPoint(i)) return 0;
  p[0] = reg.x;
  p[1] = reg.y;
  p[2] = reg.z;
  return 1;
}

int CPointStore::LoadFromArray(const RecordSnapshot& a, std::uint32_t i) {
  LoadRecord(a[i], reg);
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

std::uint32_t CPointStore::PrevMotionInArray(std::uint32_t i, const RecordSnapshot& a) {
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

int CPointStore::Clear(CUndoRing& undo, Txt name) {
  undo.SaveUndo(*this, name);
  count = 0;
  reg.type = 0;
  return 1;
}

void CPointStore::CopyRecordsOut(PointRecord* dst, std::uint32_t n) const {
  for (std::uint32_t base = 0; base < n; base += kPageSize) {
    std::uint32_t len = std::min(kPageSize, n - base);
    const RecordPage* page = pages_[base / kPageSize].get();
    if (page) {
      std::memcpy(dst + base, page->records, len * sizeof(PointRecord));
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
    if (WritablePage(base / kPageSize) == nullptr) return 0;
  }
  for (std::uint32_t base = 0; base < n; base += kPageSize) {
    std::uint32_t len = std::min(kPageSize, n - base);
    RecordPage& page = *pages_[base / kPageSize].get();
    std::memcpy(page.records, src + base, len * sizeof(PointRecord));
    page.sound = 0;  // nothing is known about the records written
  }
  count = n;
  return 1;
}

int CPointStore::SpliceRecords(std::uint32_t at, std::uint32_t removed, const PointRecord* src,
                               std::uint32_t n) {
  if (at > count || removed > count - at) return 0;
  const std::uint64_t total = std::uint64_t{count} - removed + n;
  if (total > kCapacity) return 0;
  const std::uint32_t newCount = static_cast<std::uint32_t>(total);
  // Every page written is the store's own before anything moves. When as many records come
  // as go, nothing after them moves and only their own pages are written.
  const std::uint32_t lastWritten = removed == n ? at + n : std::max(newCount, count);
  for (std::uint32_t p = at / kPageSize; p * kPageSize < lastWritten; ++p)
    if (WritablePage(p) == nullptr) return 0;
  const auto rec = [this](std::uint32_t i) -> PointRecord& {
    return pages_[i / kPageSize]->records[i % kPageSize];
  };
  // Copies records [from, from + len) to [to, to + len), a page's run at a time, from the
  // end when they move up.
  const auto move = [&](std::uint32_t from, std::uint32_t to, std::uint32_t len) {
    if (from == to || len == 0) return;
    if (to < from) {
      for (std::uint32_t k = 0; k < len;) {
        const std::uint32_t run = std::min(
            {len - k, kPageSize - (from + k) % kPageSize, kPageSize - (to + k) % kPageSize});
        std::memmove(&rec(to + k), &rec(from + k), run * sizeof(PointRecord));
        k += run;
      }
    } else {
      for (std::uint32_t k = len; k > 0;) {
        const std::uint32_t run =
            std::min({k, (from + k - 1) % kPageSize + 1, (to + k - 1) % kPageSize + 1});
        k -= run;
        std::memmove(&rec(to + k), &rec(from + k), run * sizeof(PointRecord));
      }
    }
  };
  move(at + removed, at + n, count - at - removed);
  for (std::uint32_t k = 0; k < n;) {
    const std::uint32_t run = std::min(n - k, kPageSize - (at + k) % kPageSize);
    std::memcpy(&rec(at + k), src + k, run * sizeof(PointRecord));
    k += run;
  }
  // Nothing is known about the records written.
  const std::uint32_t firstPage = at / kPageSize;
  for (std::uint32_t p = firstPage; p * kPageSize < lastWritten; ++p) {
    RecordPage& page = *pages_[p].get();
    const std::uint32_t from = p == firstPage ? at % kPageSize : 0;
    if (page.sound > from) page.sound = from;
  }
  count = newCount;
  ForgetCurrentPage();
  return 1;
}

int CPointStore::Snapshot(RecordSnapshot& out) {
  if (count > kCapacity || !out.Reserve(count)) {
    out.Clear();
    return 0;
  }
  for (std::uint32_t p = 0; p < out.PageCount(); ++p) {
    if (pages_[p]) {
      out.pages_[p] = pages_[p];
      continue;
    }
    // Counted but never written: the snapshot holds null records there, the store keeps
    // the page unallocated.
    RecordPage* page = NewRecordPage();
    if (page == nullptr) {
      out.Clear();
      return 0;
    }
    PointRecord null{};
    MakeNull(null);
    std::fill(std::begin(page->records), std::end(page->records), null);
    page->sound = kPageSize;
    out.pages_[p] = PageRef(page);
  }
  // Every page of the store below count is shared now: the next write copies it.
  curWriteSize_ = 0;
  return 1;
}

void CPointStore::Restore(const RecordSnapshot& in) {
  for (std::uint32_t p = 0; p < in.PageCount(); ++p) pages_[p] = in.pages_[p];
  count = in.count();
  ForgetCurrentPage();
}

int CPointStore::FetchEveryRecord() {
  // The register: the last sound record in an allocated page, the last one a walk loads.
  for (std::uint32_t end = count; end > 0;) {
    const std::uint32_t base = (end - 1) / kPageSize * kPageSize;
    if (const RecordPage* page = pages_[base / kPageSize].get()) {
      std::uint32_t k = end - base;
      while (k-- > 0 && IsUnsoundRecord(page->records[k])) {
      }
      if (k < end - base) {
        LoadRecord(page->records[k], reg);
        break;
      }
    }
    end = base;
  }
  // The rewrite of every unsound record, skipping the sound prefix of each page.
  for (std::uint32_t base = 0; base < count; base += kPageSize) {
    const std::uint32_t p = base / kPageSize;
    if (!pages_[p]) continue;
    const std::uint32_t end = std::min(kPageSize, count - base);
    for (std::uint32_t k = pages_[p]->sound; k < end; ++k) {
      if (!IsUnsoundRecord(pages_[p]->records[k])) continue;
      RecordPage* page = WritablePage(p);
      if (page == nullptr) return 0;
      MakeNull(page->records[k]);
    }
    if (pages_[p]->sound < end) pages_[p]->sound = end;
  }
  return 1;
}

}  // namespace trevalon
