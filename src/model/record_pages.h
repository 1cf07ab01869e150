#pragma once
// Pages of point records shared between the point store, the layer snapshots and the undo
// slots. A page is written only by an owner that holds it alone; an owner that wants to write
// a page others hold as well copies that page first. A snapshot of the store is therefore a
// table of page references, and saving a layer or an undo state copies no record until an edit
// touches a page.
//
// Reference counts are plain integers: the store and its snapshots live on the user-interface
// thread only.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_set>

#include "model/point_record.h"

namespace trevalon {

inline constexpr std::uint32_t kRecordsPerPage = 3270;

// A number no page has had before: see RecordPage::stamp.
std::uint64_t NextPageStamp();

struct RecordPage {
  std::uint32_t refs = 1;   // owners: the store, layer snapshots, undo slots
  std::uint32_t sound = 0;  // slots [0, sound) are known to pass the store's sanity test
  // A new one whenever the store may write the page (CPointStore::WritablePage): two looks at
  // a page with the same stamp saw the same records, so a walk that keeps results per page
  // (the statistics) measures again only the pages an edit touched.
  std::uint64_t stamp = NextPageStamp();
  // Not cleared on allocation: a slot never stored holds whatever the memory held.
  PointRecord records[kRecordsPerPage];
};

// A new page held once, or null when the memory cannot be had. Every page of the program
// comes from here so that a failed allocation is an ordinary result. Pages are cut from large
// blocks of fresh memory (platform/fresh_memory.h) that are made present when taken, so that
// a read that fills page after page does not fault on every small system page of them.
RecordPage* NewRecordPage();
// Gives back a page from NewRecordPage that no one holds any more.
void FreeRecordPage(RecordPage* page);

// Test hook: after this many further successful page allocations every allocation fails
// (negative: never). Lets tests drive the out-of-memory paths deterministically.
void FailRecordAllocationsAfter(long n);

// An owning reference to a page.
class PageRef {
 public:
  PageRef() = default;
  explicit PageRef(RecordPage* adopted) noexcept : p_(adopted) {}  // takes over one reference
  PageRef(const PageRef& o) noexcept : p_(o.p_) {
    if (p_) ++p_->refs;
  }
  PageRef(PageRef&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  PageRef& operator=(const PageRef& o) noexcept {
    if (o.p_) ++o.p_->refs;
    reset();
    p_ = o.p_;
    return *this;
  }
  PageRef& operator=(PageRef&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = o.p_;
      o.p_ = nullptr;
    }
    return *this;
  }
  ~PageRef() { reset(); }

  void reset() noexcept {
    if (p_ && --p_->refs == 0) FreeRecordPage(p_);
    p_ = nullptr;
  }
  RecordPage* get() const { return p_; }
  RecordPage* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  bool shared() const { return p_->refs > 1; }

 private:
  RecordPage* p_ = nullptr;
};

// Records [0, count) frozen as they were when the snapshot was taken, in pages shared with
// the store and other snapshots. Every page below count exists. Move-only: a second snapshot
// of the same records is made with Share, which can fail for want of memory.
class RecordSnapshot {
 public:
  RecordSnapshot() = default;
  RecordSnapshot(RecordSnapshot&&) noexcept = default;
  RecordSnapshot& operator=(RecordSnapshot&&) noexcept = default;

  std::uint32_t count() const { return count_; }
  const PointRecord& operator[](std::uint32_t i) const {
    return pages_[i / kRecordsPerPage]->records[i % kRecordsPerPage];
  }
  std::uint32_t PageCount() const { return (count_ + kRecordsPerPage - 1) / kRecordsPerPage; }
  // Calls f(const PointRecord* first, std::uint32_t n) for each page's records, in order.
  template <typename F>
  void ForEachSpan(F&& f) const {
    for (std::uint32_t base = 0; base < count_; base += kRecordsPerPage) {
      const std::uint32_t n = count_ - base < kRecordsPerPage ? count_ - base : kRecordsPerPage;
      f(static_cast<const PointRecord*>(pages_[base / kRecordsPerPage]->records), n);
    }
  }

  // This snapshot becomes a second holder of `other`'s pages. 0 when the page table cannot
  // be had; this snapshot is then empty.
  int Share(const RecordSnapshot& other);
  // This snapshot becomes `a`'s records followed by `b`'s. The whole pages of `a` are shared;
  // the records after them are copied into new pages, unless `a` ends on a page boundary and
  // `b`'s pages can be shared as well. 0 when memory cannot be had or the total does not fit
  // 32 bits; this snapshot is then empty. `a` and `b` must not be this snapshot.
  int Join(const RecordSnapshot& a, const RecordSnapshot& b);
  void Clear();

  const RecordPage* PageAt(std::uint32_t p) const { return pages_[p].get(); }

 private:
  friend class CPointStore;
  // An empty page table for n records; 0 when it cannot be had (the snapshot is then empty).
  int Reserve(std::uint32_t n);
  // Copies records [from, from + n) to dst.
  void CopyOut(std::uint32_t from, std::uint32_t n, PointRecord* dst) const;

  std::unique_ptr<PageRef[]> pages_;
  std::uint32_t count_ = 0;
};

// Counts the distinct pages behind a store, its layers and the undo ring: a page that several
// of them share counts once.
class PageTally {
 public:
  void Add(const RecordPage* p) {
    if (p) seen_.insert(p);
  }
  void Add(const RecordSnapshot& s) {
    for (std::uint32_t p = 0; p < s.PageCount(); ++p) Add(s.PageAt(p));
  }
  std::size_t Pages() const { return seen_.size(); }
  std::size_t Bytes() const { return seen_.size() * sizeof(RecordPage); }

 private:
  std::unordered_set<const RecordPage*> seen_;
};

}  // namespace trevalon
