#include "model/layer_table.h"

#include <algorithm>
#include <charconv>

#include "model/point_store.h"

namespace trevalon {

CLayerTable::CLayerTable() {
  for (int i = 0; i < kSlots; ++i) {
    layers_[i].name = "Layer " + std::to_string(i);
    layers_[i].fileName = layers_[i].name;
  }
}

void CLayerTable::Release(LayerSlot& s) {
  s.snapshot.Clear();
  s.snapshotAllocated = false;
  s.sourceLines = SourceLines{};
}

int CLayerTable::SaveLayer(int i, CPointStore& store) {
  if (!Valid(i)) return 0;
  LayerSlot& s = layers_[i];
  Release(s);
  // Fetching every record applies the store's sanity test, so a snapshot never carries a
  // broken record; the snapshot then shares the store's pages.
  if (!store.FetchEveryRecord() || !store.Snapshot(s.snapshot)) return 0;
  s.snapshotAllocated = true;
  return 1;
}

int CLayerTable::RestoreLayer(int i, CPointStore& store) {
  if (!Valid(i)) return 0;
  LayerSlot& s = layers_[i];
  if (!s.snapshotAllocated) {
    store.count = 0;
    return 0;
  }
  store.Restore(s.snapshot);
  return 1;
}

int CLayerTable::CopyLayer(int src, int dst) {
  if (!Valid(src) || !Valid(dst)) return 0;
  if (src == dst) return 1;
  LayerSlot& s = layers_[src];
  LayerSlot& d = layers_[dst];
  Release(d);
  if (!d.snapshot.Share(s.snapshot)) return 0;
  d.fileName = s.fileName;
  d.comment = s.comment;
  d.spindle = s.spindle;
  d.toolNumber = s.toolNumber;
  d.toolOffset = s.toolOffset;
  d.programNumber = s.programNumber;
  d.setup = s.setup;
  d.snapshotAllocated = true;
  d.sourceLines = s.sourceLines;
  return 1;
}

int CLayerTable::AppendLayer(int src, int dst) {
  if (!Valid(src) || !Valid(dst)) return 0;
  LayerSlot& s = layers_[src];
  LayerSlot& d = layers_[dst];
  if (!s.snapshotAllocated || s.snapshot.count() == 0 || !d.snapshotAllocated) {
    CopyLayer(src, dst);
    return 1;
  }
  if (src == dst || src == kScratch || dst == kScratch) return 0;  // would lose its own points
  // The old destination waits in the scratch slot while the combined snapshot is built. Its
  // points are moved there rather than copied, so putting them back can never fail.
  LayerSlot& scratch = layers_[kScratch];
  Release(scratch);
  scratch.snapshot = std::move(d.snapshot);
  scratch.snapshotAllocated = true;
  scratch.sourceLines = d.sourceLines;
  Release(d);
  auto putBack = [&] {
    d.snapshot = std::move(scratch.snapshot);
    d.snapshotAllocated = true;
    d.sourceLines = scratch.sourceLines;
    Release(scratch);
  };
  const std::uint64_t total = std::uint64_t{s.snapshot.count()} + scratch.snapshot.count();
  if (total > CPointStore::kCapacity || !d.snapshot.Join(scratch.snapshot, s.snapshot)) {
    putBack();
    return 0;
  }
  d.snapshotAllocated = true;
  d.sourceLines = SourceLines::Joined(scratch.sourceLines, scratch.snapshot.count(), s.sourceLines);
  Release(scratch);
  return 1;
}

int CLayerTable::SwitchWorkLayer(int j, CPointStore& store) {
  if (!Valid(j) || j == workLayer) return 0;
  SaveLayer(workLayer, store);
  workLayer = j;
  RestoreLayer(j, store);
  return 1;
}

std::vector<int> ParseLayerList(std::string_view text, int lo, int hi) {
  std::vector<int> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == ',' ||
                                 text[pos] == '\r' || text[pos] == '\n'))
      ++pos;
    std::size_t end = pos;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ',' &&
           text[end] != '\r' && text[end] != '\n')
      ++end;
    std::string_view word = text.substr(pos, end - pos);
    pos = end;
    if (word.empty()) continue;
    long a = 0, b = 0;
    const char* p = word.data();
    const char* e = word.data() + word.size();
    auto r1 = std::from_chars(p, e, a);
    if (r1.ec != std::errc()) continue;
    if (r1.ptr == e) {
      b = a;
    } else if (*r1.ptr == '-') {
      auto r2 = std::from_chars(r1.ptr + 1, e, b);
      if (r2.ec != std::errc() || r2.ptr != e) continue;
    } else {
      continue;
    }
    for (long k = std::max<long>(a, lo); k <= b && k <= hi; ++k) out.push_back(static_cast<int>(k));
  }
  return out;
}

}  // namespace trevalon
