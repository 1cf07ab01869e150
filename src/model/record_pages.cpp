#include "model/record_pages.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/fresh_memory.h"

namespace trevalon {

namespace {
long g_allocationsLeft = -1;
std::atomic<std::uint64_t> g_lastStamp{0};

// A block of fresh memory cut into pages: this header at its start, the pages after it. The
// pages are handed out in the order they lie, so that a read fills the block from its start;
// a page given back goes on the block's own free list and is handed out first.
struct PageBlock {
  PageBlock* prev = nullptr;  // the blocks that have a page to hand out, in a list
  PageBlock* next = nullptr;
  bool listed = false;
  RecordPage* free = nullptr;   // pages given back, linked through their first bytes
  std::uint32_t live = 0;       // pages handed out and not given back
  std::uint32_t untouched = 0;  // pages [untouched, kPagesPerBlock) were never handed out
};

constexpr std::size_t kBlockHeader = 64;
static_assert(sizeof(PageBlock) <= kBlockHeader);
static_assert(kBlockHeader % alignof(RecordPage) == 0 && alignof(PageBlock) <= kBlockHeader);
constexpr std::uint32_t kPagesPerBlock =
    static_cast<std::uint32_t>((kFreshBlockBytes - kBlockHeader) / sizeof(RecordPage));
static_assert(kPagesPerBlock > 0);

// The pool of every page of the program. Pages are normally taken and given back on the
// user-interface thread, but the pool is guarded so that no other thread can break it.
std::mutex g_poolLock;
PageBlock* g_open = nullptr;   // blocks with a page to hand out
PageBlock* g_spare = nullptr;  // one block without a page handed out, kept for the next page

void Link(PageBlock* b) {
  b->prev = nullptr;
  b->next = g_open;
  if (g_open) g_open->prev = b;
  g_open = b;
  b->listed = true;
}

void Unlink(PageBlock* b) {
  if (b->prev) b->prev->next = b->next;
  if (b->next) b->next->prev = b->prev;
  if (g_open == b) g_open = b->next;
  b->prev = b->next = nullptr;
  b->listed = false;
}

RecordPage* PageSlot(PageBlock* b, std::uint32_t k) {
  return reinterpret_cast<RecordPage*>(reinterpret_cast<char*>(b) + kBlockHeader +
                                       std::size_t{k} * sizeof(RecordPage));
}

PageBlock* BlockOf(RecordPage* page) {
  return reinterpret_cast<PageBlock*>(reinterpret_cast<std::uintptr_t>(page) &
                                      ~(std::uintptr_t{kFreshBlockBytes} - 1));
}

RecordPage* NextFree(RecordPage* page) {
  RecordPage* next;
  std::memcpy(&next, static_cast<void*>(page), sizeof next);
  return next;
}

}  // namespace

std::uint64_t NextPageStamp() {
  return g_lastStamp.fetch_add(1, std::memory_order_relaxed) + 1;
}

RecordPage* NewRecordPage() {
  if (g_allocationsLeft == 0) return nullptr;
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  void* slot = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_poolLock);
    PageBlock* b = g_open;
    if (b == nullptr) {
      void* memory = TakeFreshBlock();
      if (memory == nullptr) return nullptr;
      b = new (memory) PageBlock;
      Link(b);
    }
    if (b == g_spare) g_spare = nullptr;
    if (b->free != nullptr) {
      slot = b->free;
      b->free = NextFree(b->free);
    } else {
      slot = PageSlot(b, b->untouched++);
    }
    ++b->live;
    if (b->free == nullptr && b->untouched == kPagesPerBlock) Unlink(b);
  }
  return new (slot) RecordPage;
}

void FreeRecordPage(RecordPage* page) {
  if (page == nullptr) return;
  page->~RecordPage();
  std::lock_guard<std::mutex> lock(g_poolLock);
  PageBlock* b = BlockOf(page);
  --b->live;
  if (b->live == 0) {
    // An empty block starts afresh, its pages handed out in order again; one is kept for the
    // next page, the others go back to the system.
    b->free = nullptr;
    b->untouched = 0;
    if (g_spare != nullptr) {
      if (b->listed) Unlink(b);
      GiveBackFreshBlock(b);
      return;
    }
    g_spare = b;
    if (!b->listed) Link(b);
    return;
  }
  std::memcpy(static_cast<void*>(page), &b->free, sizeof b->free);
  b->free = page;
  if (!b->listed) Link(b);
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
