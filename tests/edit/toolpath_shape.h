#pragma once
// The shape every editing command leaves a toolpath in, for the edit tests.

#include <gtest/gtest.h>

#include "model/point_store.h"

namespace trevalon::testing {

// The toolpath starts with a rapid; a rapid starts its run (type 1) exactly when no rapid comes
// before it, and a linear cut starts its cutting run (type 3) exactly when no linear cut does,
// so no cutting run is without its approach and no rapid run starts twice; every arc has its
// centre record behind it and nothing else is stored.
inline ::testing::AssertionResult WellFormed(const CPointStore& s) {
  int before = MOVE_NONE;
  bool afterArc = false;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const int t = s.RawRecord(i)->type;
    if (afterArc) {
      if (!IsPlaneCode(t)) return ::testing::AssertionFailure() << "arc without centre at " << i;
      afterArc = false;
      continue;
    }
    if (!IsMotionType(t)) return ::testing::AssertionFailure() << "record " << i << " type " << t;
    if (before == MOVE_NONE && t != MOVE_RAPID)
      return ::testing::AssertionFailure() << "starts with type " << t;
    if (IsRapidType(t) && (t == MOVE_RAPID) == IsRapidType(before))
      return ::testing::AssertionFailure() << "rapid run type wrong at " << i;
    if (IsLinearType(t) && (t == MOVE_LINE) == IsLinearType(before))
      return ::testing::AssertionFailure() << "cutting run type wrong at " << i;
    afterArc = IsArcType(t);
    before = t;
  }
  if (afterArc) return ::testing::AssertionFailure() << "ends with an arc without centre";
  return ::testing::AssertionSuccess();
}

}  // namespace trevalon::testing
