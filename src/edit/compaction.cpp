#include "edit/compaction.h"

#include "model/point_store.h"

namespace trevalon {

int CompactStore(CPointStore& store) {
  return CompactStore(store, nullptr);
}

int CompactStore(CPointStore& store, std::vector<std::uint32_t>* from) {
  // Without an entry per record it cannot follow them (and it never allocates): it says so by
  // an empty `from`.
  if (from && from->size() != store.count) {
    from->clear();
    from = nullptr;
  }
  std::uint32_t kept = 0;
  bool afterArc = false;
  const std::uint32_t n = store.count;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!store.FetchPoint(i)) {
      afterArc = false;
      continue;
    }
    if (!KeptInCompaction(store.reg.type, afterArc)) continue;
    if (kept != i) {
      store.StorePoint(kept);
      if (from) (*from)[kept] = (*from)[i];
    }
    ++kept;
  }
  store.count = kept;
  if (from) from->resize(kept);
  return 1;
}

bool AppendRegister(CPointStore& store) {
  if (store.count >= CPointStore::kCapacity || !store.StorePoint(store.count)) return false;
  ++store.count;
  return true;
}

void MarkRemoved(CPointStore& store, std::uint32_t from, std::uint32_t to) {
  if (to > store.count) to = store.count;
  for (std::uint32_t i = from; i < to; ++i) {
    // Records that fail the fetch are already no motion; the rest keep their values.
    if (!store.FetchPoint(i)) continue;
    store.reg.type = MOVE_NONE;
    store.StorePoint(i);
  }
}

}  // namespace trevalon
