// The table of source numbers: blocks of a fixed size that grow and shrink without copying
// what they hold, checked against a plain vector through every kind of change.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "model/source_lines.h"

namespace trevalon {
namespace {

TEST(SourceNumberTable, FollowsAPlainVectorAcrossBlocks) {
  constexpr std::size_t kBlock = SourceNumberTable::kBlock;
  SourceNumberTable t;
  std::vector<std::uint32_t> want;
  std::mt19937 rng(7);
  const auto check = [&](const SourceNumberTable& got) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); i += 1 + i / 7) ASSERT_EQ(got[i], want[i]) << i;
    if (!want.empty()) {
      ASSERT_EQ(got[want.size() - 1], want.back());
    }
  };
  // Growing by one and by runs over block edges, shrinking into a block and to nothing, and a
  // copy that must not share what it holds.
  const std::size_t sizes[] = {1,          2,          kBlock - 1, kBlock + 3, kBlock + 3,
                               2 * kBlock, kBlock / 2, 0,          3 * kBlock, kBlock + 1};
  std::uint32_t fill = 1;
  for (const std::size_t n : sizes) {
    ++fill;
    while (want.size() + 1 < n && rng() % 2 == 0) {
      t.PushBack(fill);
      want.push_back(fill);
    }
    t.Resize(n, fill);
    want.resize(n, fill);
    check(t);
    if (n > 0) {
      const std::size_t k = rng() % n;
      t[k] = want[k] = 0xABCD0000u + static_cast<std::uint32_t>(k);
    }
    SourceNumberTable copy = t;
    check(copy);
    if (n > 0) copy[0] = 99;
    check(t);
  }
}

}  // namespace
}  // namespace trevalon
