#include "model/record_pages.h"

#include <cstring>
#include <new>

namespace trevalon {

namespace {
long g_allocationsLeft = -1;
}

RecordPage* NewRecordPage() {
  if (g_allocationsLeft == 0) return nullptr;
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  return new (std::nothrow) RecordPage;
}

void FailRecordAllocationsAfter(long n) {
  g_allocationsLeft = n;
}

void RecordSnapshot::Clear() {
  pages_.reset();
  count_ = 0;
}

int RecordSnapshot::Reserve(std::uint32_t n) {
  Clear();
  const std::uint32_t pages = (n + kRecordsPerPage - 1) / kRecordsPerPage;
  if (pages > 0) {
    pages_.reset(new (std::nothrow) PageRef[pages]);
    if (!pages_) return 0;
  }
  count_ = n;
  return 1;
}

int RecordSnapshot::Share(const RecordSnapshot& other) {
  if (&other == this) return 1;
  if (!Reserve(other.count_)) return 0;
  for (std::uint32_t p = 0; p < PageCount(); ++p) pages_[p] = other.pages_[p];
  return 1;
}

void RecordSnapshot::CopyOut(std::uint32_t from, std::uint32_t n, PointRecord* dst) const {
  while (n > 0) {
    const std::uint32_t slot = from % kRecordsPerPage;
    const std::uint32_t len = n < kRecordsPerPage - slot ? n : kRecordsPerPage - slot;
    std::memcpy(dst, pages_[from / kRecordsPerPage]->records + slot, len * sizeof(PointRecord));
    dst += len;
    from += len;
    n -= len;
  }
}

int RecordSnapshot::Join(const RecordSnapshot& a, const RecordSnapshot& b) {
  const std::uint64_t total = std::uint64_t{a.count_} + b.count_;
  RecordSnapshot out;
  if (total > UINT32_MAX || !out.Reserve(static_cast<std::uint32_t>(total))) {
    Clear();
    return 0;
  }
  const std::uint32_t whole = a.count_ / kRecordsPerPage;
  for (std::uint32_t p = 0; p < whole; ++p) out.pages_[p] = a.pages_[p];
  if (a.count_ % kRecordsPerPage == 0) {
    for (std::uint32_t p = 0; p < b.PageCount(); ++p) out.pages_[whole + p] = b.pages_[p];
  } else {
    for (std::uint32_t p = whole; p < out.PageCount(); ++p) {
      RecordPage* page = NewRecordPage();
      if (page == nullptr) {
        Clear();
        return 0;
      }
      out.pages_[p] = PageRef(page);
      const std::uint32_t base = p * kRecordsPerPage;
      const std::uint32_t end =
          out.count_ - base < kRecordsPerPage ? out.count_ : base + kRecordsPerPage;
      PointRecord* dst = page->records;
      if (base < a.count_) {
        a.CopyOut(base, a.count_ - base, dst);
        dst += a.count_ - base;
      }
      const std::uint32_t fromB = base > a.count_ ? base - a.count_ : 0;
      b.CopyOut(fromB, end - a.count_ - fromB, dst);
    }
  }
  *this = std::move(out);
  return 1;
}

}  // namespace trevalon
