#pragma once
// Regeneration of the run types of a toolpath after an editing command has rewritten it:
// every run of rapids starts with type 1 and continues with 2, every cutting run starts with
// 3 and continues with 4, cuts of no length go, and arc end points that stray from their arc's
// plane by rounding noise are put back in it (helices keep their climb).

namespace trevalon {

class CPointStore;

// Returns 1. Zero-length cuts are only marked with type 0: the next compaction drops them.
int Regenerate(CPointStore& store);

}  // namespace trevalon
