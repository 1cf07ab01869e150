// Compaction and regeneration: the two tidy-up steps behind every editing command and the
// optimiser run.

#include "edit/regenerate.h"

#include <gtest/gtest.h>

#include <vector>

#include "edit/compaction.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;

std::vector<int> Types(CPointStore& s) {
  std::vector<int> t;
  for (std::uint32_t i = 0; i < s.count; ++i) t.push_back(s.RawRecord(i)->type);
  return t;
}

TEST(Compaction, KeepsMotionPointsAndTheCentreRecordAfterEachArc) {
  CPointStore s;
  AddPoint(s, 1, 0, 0, 5);
  AddPoint(s, 0, 9, 9, 9);  // removed point
  AddPoint(s, 3, 10, 0, 0, 100);
  AddPoint(s, PLANE_XY, 1, 1, 0);  // stray centre record after a line
  AddPoint(s, 6, 20, 10, 0, 100);
  AddPoint(s, PLANE_XY, 0, 10, 0);
  AddPoint(s, 0, 9, 9, 9);
  AddPoint(s, 4, 30, 10, 0, 100);
  ASSERT_EQ(CompactStore(s), 1);
  EXPECT_EQ(Types(s), (std::vector<int>{1, 3, 6, PLANE_XY, 4}));
  EXPECT_EQ(float{s.RawRecord(3)->y}, 10.0f);  // the arc's own centre record, offsets intact
  EXPECT_EQ(float{s.RawRecord(4)->x}, 30.0f);

  // Marking a range removes exactly that range at the next compaction.
  MarkRemoved(s, 0, 2);
  CompactStore(s);
  EXPECT_EQ(Types(s), (std::vector<int>{6, PLANE_XY, 4}));
  CPointStore empty;
  EXPECT_EQ(CompactStore(empty), 1);
  EXPECT_EQ(empty.count, 0u);
}

TEST(Regenerate, RederivesRunTypes) {
  CPointStore s;
  AddPoint(s, 4, 0, 0, 5);  // the first motion point becomes a rapid start
  AddPoint(s, 4, 10, 0, 0);
  AddPoint(s, 4, 20, 0, 0);
  AddPoint(s, 1, 20, 0, 5);
  AddPoint(s, 1, 30, 0, 5);
  AddPoint(s, 2, 30, 0, 0);
  AddPoint(s, 4, 40, 0, 0);
  AddPoint(s, 3, 50, 0, 0);
  ASSERT_EQ(Regenerate(s), 1);
  EXPECT_EQ(Types(s), (std::vector<int>{1, 3, 4, 1, 2, 2, 3, 4}));
}

TEST(Regenerate, MarksCutsOfNoLengthAndMakesArcEndsPlanar) {
  CPointStore s;
  AddPoint(s, 1, 0, 0, 5);
  AddPoint(s, 3, 0, 0, 0);
  AddPoint(s, 4, 10, 0, 0);
  AddPoint(s, 4, 10, 0, 0);  // no length after a cut: goes
  AddPoint(s, 4, 10, 0, 0);  // compared with the cut before the removed one: goes too
  AddPoint(s, 6, 20, 10, 0.5);
  AddPoint(s, PLANE_XY, 0, 10, 0);
  AddPoint(s, 8, 30, 0.7, 20);
  AddPoint(s, PLANE_ZX, 5, 0, 5);
  AddPoint(s, 1, 30, 0, 5);
  AddPoint(s, 2, 30, 0, 5);  // a rapid of no length stays: only cuts go
  Regenerate(s);
  EXPECT_EQ(Types(s), (std::vector<int>{1, 3, 4, 0, 0, 6, PLANE_XY, 8, PLANE_ZX, 1, 2}));
  EXPECT_EQ(float{s.RawRecord(5)->z}, 0.0f);   // XY arc: Z of the point before
  EXPECT_EQ(float{s.RawRecord(7)->y}, 10.0f);  // ZX arc: Y of the point before
  EXPECT_EQ(float{s.RawRecord(7)->z}, 20.0f);
  CompactStore(s);
  EXPECT_EQ(s.count, 9u);
}

}  // namespace
}  // namespace trevalon
