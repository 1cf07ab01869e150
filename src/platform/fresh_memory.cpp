#include "platform/fresh_memory.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace trevalon {

#if defined(__linux__)

void* TakeFreshBlock() {
  // Twice the size is mapped and the part before and after the aligned block given back: a
  // large page needs a block aligned to its size.
  const std::size_t n = kFreshBlockBytes;
  void* raw = mmap(nullptr, 2 * n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto at = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (at + n - 1) & ~(std::uintptr_t{n} - 1);
  if (aligned > at) munmap(raw, aligned - at);
  if (aligned + n < at + 2 * n) munmap(reinterpret_cast<void*>(aligned + n), at + n - aligned);
  void* block = reinterpret_cast<void*>(aligned);
#if defined(MADV_HUGEPAGE)
  (void)madvise(block, n, MADV_HUGEPAGE);  // a hint: without large pages the block still serves
#endif
#if defined(MADV_POPULATE_WRITE)
  (void)madvise(block, n, MADV_POPULATE_WRITE);  // present at once; older systems fault later
#endif
  return block;
}

void GiveBackFreshBlock(void* block) {
  if (block != nullptr) munmap(block, kFreshBlockBytes);
}

#else

void* TakeFreshBlock() {
  return ::operator new (kFreshBlockBytes, std::align_val_t{kFreshBlockBytes}, std::nothrow);
}

void GiveBackFreshBlock(void* block) {
  ::operator delete (block, std::align_val_t{kFreshBlockBytes});
}

#endif

}  // namespace trevalon
