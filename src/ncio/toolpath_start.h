#pragma once
// Where the tool enters a toolpath when a program is written: the height of the start and
// tool-change blocks and of the closing retract, shared by the fixed-format writer and the
// template conversion.

#include <cstdint>

#include "model/point_store.h"

namespace trevalon {

struct ToolpathStart {
  // Our rule: the start height is the highest of the first motion record's Z and the Z of
  // every rapid before the first cutting move. A program that has not set Z yet leaves its
  // first record at Z0, and a start block or tool change at that height would take the tool
  // across the part below the heights the toolpath itself rapids at.
  double height = 0;
  // Our rule: when the first motion record is a rapid and the rapids after it climb straight
  // up (same X and Y) before they move in X or Y, the records before the top of that climb
  // are written at its height (liftHeight). Their Z is only where the program had not set Z
  // yet: the machine that ran the program came down to that height from above, and a written
  // dip below it and back up would be a rapid plunge the program never made. Records
  // [first, liftEnd) that are rapids are lifted; liftEnd is 0 when none is.
  std::uint32_t liftEnd = 0;
  double liftHeight = 0;
};

// The start of the toolpath whose first motion record is `first`; the register holds some
// later record afterwards.
ToolpathStart FindToolpathStart(CPointStore& store, std::uint32_t first);

}  // namespace trevalon
