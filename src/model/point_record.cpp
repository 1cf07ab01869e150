#include "model/point_record.h"

#include <new>

namespace trevalon {

namespace {
long g_allocationsLeft = -1;
}

RecordArray AllocateRecords(std::size_t n) {
  if (g_allocationsLeft == 0) return nullptr;
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  // Default-initialised: the records are not cleared, as pages and snapshots never need it.
  return RecordArray(new (std::nothrow) PointRecord[n == 0 ? 1 : n]);
}

void FailRecordAllocationsAfter(long n) {
  g_allocationsLeft = n;
}

}  // namespace trevalon
