#pragma once
// CLayerTable: the layers of a document. Only the work layer lives in the point store; every
// other layer is a snapshot with the layer's attributes, sharing pages with the store until
// one side writes. Slot 255 is scratch space.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/machine_setup.h"
#include "model/record_pages.h"
#include "model/source_lines.h"
#include "platform/value_range.h"

namespace trevalon {

class CPointStore;

struct LayerSlot {
  std::string name;      // display name, "Layer %d" at first
  std::string fileName;  // the NC program loaded into it, "Layer %d" at first
  std::string comment;   // comment lines of the program, each ending "\r\n"
  std::int32_t spindle = 1000;
  std::int32_t toolNumber = 1;
  std::int32_t toolOffset = 1;
  std::int32_t programNumber = 0;
  // What the layer dialog's number fields and `layerinfo` take for the four numbers above.
  static constexpr IntRange kNumberRange{0, 100000};
  // What the program read into the layer said up to its first cut (units, work offset,
  // ...): the writers say it again, so the output runs where the source ran.
  MachineSetup setup;
  bool echo = true;                // drawn behind the work layer
  RecordSnapshot snapshot;         // the layer's points, in store order
  bool snapshotAllocated = false;  // a snapshot was taken, possibly of no points
  // Where the snapshot's records came from while the layer is not the work layer (the
  // document keeps the work layer's own); copied and joined with the snapshot.
  SourceLines sourceLines;
};

class CLayerTable {
 public:
  static constexpr int kSlots = 256;
  static constexpr int kUserLayers = 100;  // layers 0 to 99 are reachable by the user
  static constexpr int kScratch = 255;

  CLayerTable();

  int SaveLayer(int i, CPointStore& store);
  int RestoreLayer(int i, CPointStore& store);
  int CopyLayer(int src, int dst);
  int AppendLayer(int src, int dst);
  // Makes layer j the work layer; 1 when it changed (the caller updates title and redraws).
  int SwitchWorkLayer(int j, CPointStore& store);

  void TallyPages(PageTally& tally) const {
    for (const LayerSlot& s : layers_) tally.Add(s.snapshot);
  }

  static bool Valid(int i) { return i >= 0 && i < kSlots; }
  LayerSlot& operator[](int i) { return layers_[static_cast<std::size_t>(i)]; }
  const LayerSlot& operator[](int i) const { return layers_[static_cast<std::size_t>(i)]; }

  int workLayer = 0;

 private:
  static void Release(LayerSlot& s);
  std::array<LayerSlot, kSlots> layers_;
};

// Parses a list of layer numbers and ranges separated by blanks ("3 7-12 20"), in the order
// written. Numbers outside [lo, hi] are dropped, a range whose end is below its start
// ("5-2") gives nothing, and words that are not numbers or ranges are skipped.
std::vector<int> ParseLayerList(std::string_view text, int lo = 0, int hi = 99);

}  // namespace trevalon
