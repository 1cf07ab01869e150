// Compaction and regeneration: the two tidy-up steps behind every editing command and the
// optimiser run.

#include "edit/regenerate.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "edit/compaction.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;

std::vector<int> Types(CPointStore& s) {
  std::vector<int> t;
  for (std::uint32_t i = 0; i < s.count; ++i) t.push_back(s.RawRecord(i)->type);
  return t;
}

TEST(Compaction, KeepsMotionPointsAndTheCentreRecordAfterEachArc) {
  // Removed points (type 0) and a stray centre record after a line go; the arc's own centre
  // record stays with its offsets.
  CPointStore s;
  AddPoints(s,
            "1 0 0 5, 0 9 9 9, 3 10 0 0 100, 91 1 1 0, 6 20 10 0 100, 91 0 10 0, 0 9 9 9, "
            "4 30 10 0 100");
  ASSERT_EQ(CompactStore(s), 1);
  EXPECT_EQ(Types(s), (std::vector<int>{1, 3, 6, PLANE_XY, 4}));
  EXPECT_EQ(std::tuple(float{s.RawRecord(3)->y}, float{s.RawRecord(4)->x}),
            std::tuple(10.0f, 30.0f));
  // Marking a range removes exactly that range at the next compaction.
  MarkRemoved(s, 0, 2);
  CompactStore(s);
  EXPECT_EQ(Types(s), (std::vector<int>{6, PLANE_XY, 4}));
  CPointStore empty;
  EXPECT_EQ(std::tuple(CompactStore(empty), empty.count), std::tuple(1, 0u));
}

TEST(Regenerate, RederivesRunTypesMarksCutsOfNoLengthAndMakesArcEndsPlanar) {
  // The first motion point becomes a rapid start.
  CPointStore s;
  AddPoints(s, "4 0 0 5, 4 10 0 0, 4 20 0 0, 1 20 0 5, 1 30 0 5, 2 30 0 0, 4 40 0 0, 3 50 0 0");
  ASSERT_EQ(Regenerate(s), 1);
  EXPECT_EQ(Types(s), (std::vector<int>{1, 3, 4, 1, 2, 2, 3, 4}));
  // A cut of no length after a cut goes, and so does the next one, compared with the cut
  // before the removed one; a rapid of no length stays. An XY arc whose end strays from the
  // plane by rounding noise takes the Z of the point before, a ZX arc its Y; a helix (the
  // ZX arc climbing 0.7 along Y) keeps its climb.
  CPointStore t;
  AddPoints(t,
            "1 0 0 5, 3 0 0 0, 4 10 0 0, 4 10 0 0, 4 10 0 0, 6 20 10 0.0004, 91 0 10 0, "
            "8 30 0.7 20, 92 5 0 5, 1 30 0 5, 2 30 0 5");
  Regenerate(t);
  EXPECT_EQ(Types(t), (std::vector<int>{1, 3, 4, 0, 0, 6, PLANE_XY, 8, PLANE_ZX, 1, 2}));
  EXPECT_EQ(
      std::tuple(float{t.RawRecord(5)->z}, float{t.RawRecord(7)->y}, float{t.RawRecord(7)->z}),
      std::tuple(0.0f, 0.7f, 20.0f));
  CompactStore(t);
  EXPECT_EQ(t.count, 9u);
}

}  // namespace
}  // namespace trevalon
