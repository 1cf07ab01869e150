#pragma once
// Compaction of the point store: the editing commands append their result behind the old
// points, give the old points motion type 0 and then squeeze the store in one pass.

#include <cstdint>
#include <vector>

#include "model/point_record.h"

namespace trevalon {

class CPointStore;

// The compaction's rule for one record of a walk in store order: true when it stays. A motion
// point stays, and an arc centre record right behind a kept arc point. `afterArc` carries the
// walk's state from one record to the next (start it false; a record that cannot be read sets
// it false).
inline bool KeptInCompaction(int type, bool& afterArc) {
  const bool motion = IsMotionType(type);
  const bool keep = motion || (afterArc && IsPlaneCode(type));
  afterArc = motion && IsArcType(type);
  return keep;
}

// Keeps, in order, only the motion points and the arc centre record that follows each kept
// arc point; everything else (type 0, stray centre records, records that fail the store's
// sanity test) goes. The count becomes the number kept. Returns 1.
int CompactStore(CPointStore& store);
// The same, and `from` follows the records: on entry from[i] says what record i stands for
// (an index of the records before the command, or anything else for a record the command
// made), on return from[k] says it for kept record k. A `from` without one entry per record
// comes back empty. How the command frame carries source lines through a command.
int CompactStore(CPointStore& store, std::vector<std::uint32_t>* from);

// Stores the register behind the last point and raises the count: how every editing command
// writes its result. False when the store is full or the page cannot be had: nothing is
// stored and the count stays.
bool AppendRegister(CPointStore& store);

// Gives the points [from, to) motion type 0, so that the next compaction drops them.
void MarkRemoved(CPointStore& store, std::uint32_t from, std::uint32_t to);

}  // namespace trevalon
