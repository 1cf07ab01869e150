// The table of source numbers: blocks of a fixed size that grow, shrink, move their numbers
// and are shared by copies without copying what they hold, checked against a plain vector
// through every kind of change.

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
      const std::uint32_t v = 0xABCD0000u + static_cast<std::uint32_t>(k);
      t.Set(k, v);
      want[k] = v;
      // A later text edit moves the numbers after a record, kNone staying kNone.
      const std::size_t from = rng() % n;
      const std::uint32_t shift = 1 + rng() % 1000;
      t.Set(from, 0);
      want[from] = 0;
      t.Shift(from, shift);
      for (std::size_t i = from; i < n; ++i) want[i] += want[i] == 0 ? 0 : shift;
      check(t);
    }
    SourceNumberTable copy = t;
    check(copy);
    if (n > 0) copy.Set(0, 99);
    if (n > 1) copy.Shift(1, 7);
    check(t);
  }
  // A block moved whole keeps what it adds beside its numbers: a number equal to that amount
  // must still read back as itself, not as kNone.
  SourceNumberTable u;
  u.Resize(3 * kBlock, 10);
  u.Shift(kBlock, 5);
  u.Set(kBlock + 3, 5);
  EXPECT_EQ(u[kBlock + 3], 5u);
  EXPECT_EQ(u[kBlock + 4], 15u);
  EXPECT_EQ(u[kBlock - 1], 10u);
  u.Shift(kBlock + 4, 0xFFFFFFFFu);  // minus one
  EXPECT_EQ(u[kBlock + 3], 5u);
  EXPECT_EQ(u[2 * kBlock], 14u);
}

}  // namespace
}  // namespace trevalon
