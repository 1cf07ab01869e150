#pragma once
// Large blocks of fresh memory for the stores that fill them in order (the point store's
// pages). Touching fresh memory a small system page at a time costs a fault per page, which in
// the read of a long program takes about as long as parsing its numbers; a block is asked of
// the system as one piece, in large pages where the system has them, and made present at once.

#include <cstddef>

namespace trevalon {

// The size and the alignment of every block: 2 MiB, one large page of the common systems.
inline constexpr std::size_t kFreshBlockBytes = std::size_t{1} << 21;

// A block of kFreshBlockBytes bytes aligned to its size, its contents unspecified; null when
// the memory cannot be had.
void* TakeFreshBlock();
// Gives a block taken with TakeFreshBlock back to the system.
void GiveBackFreshBlock(void* block);

}  // namespace trevalon
