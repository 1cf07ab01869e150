// Arbitrary point records as the toolpath a master model is built from: creation must end
// (built, refused or cleared) without a crash, and a built mesh must be consistent and answer
// queries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "feed/master_model.h"
#include "model/point_store.h"
#include "model/undo_ring.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace trevalon;
  if (size < 2) return 0;
  // The first byte picks the tolerance (0.05 to 12.8), the rest are 18-byte records.
  const double tolerance = 0.05 * (1 + data[0]);
  std::vector<PointRecord> records((size - 1) / sizeof(PointRecord));
  if (!records.empty()) std::memcpy(records.data(), data + 1, records.size() * sizeof(PointRecord));
  CPointStore store;
  if (!store.CopyRecordsIn(records.data(), static_cast<std::uint32_t>(records.size()))) return 0;
  CUndoRing undo;
  MasterModel m;
  m.tolerance = tolerance;
  int r = m.Create(store, undo);
  if (r == 1) {
    const MeshHeader& h = m.header;
    if (!m.Exists() || h.cellCount != h.columns * h.rows || h.cellSize != tolerance) std::abort();
    if (store.count != 0) std::abort();
    for (std::uint32_t i = 0; i < m.CellCount(); ++i)
      if (m.Cells()[i].slope < 0 || m.Cells()[i].slope > 90) std::abort();
    m.MaxSlopeAbove(h.originX + h.highX * 0.5, h.originY + h.highY * 0.5, h.lowZ, 3 * tolerance);
  } else if (r == 0 && store.count != records.size()) {
    std::abort();  // nothing happened, so the toolpath is still there
  }
  return 0;
}
