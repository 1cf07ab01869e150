#pragma once
// CDocument: the toolpaths of one job and everything its view owns: the point store with the
// work layer, the other layers, the view state, its undo history and the NC reader's modal
// state.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/edited_text.h"
#include "feed/master_model.h"
#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/source_lines.h"
#include "model/undo_ring.h"
#include "ncio/fanuc_reader.h"
#include "ncio/nc_settings.h"
#include "sim/simulation.h"
#include "view/layer_colours.h"
#include "view/view_state.h"

namespace trevalon {

class CDocument {
 public:
  // Every state the undo ring records carries the program text's version with it.
  CDocument() {
    undo.payloadOf = [this] { return text.Payload(edits); };
  }
  CDocument(const CDocument&) = delete;
  CDocument& operator=(const CDocument&) = delete;

  // Asks the desktop to repaint the view (nothing happens headless).
  void Redraw() {
    if (onRedraw) onRedraw();
  }

  CPointStore store;
  CLayerTable layers;
  ViewState view;
  NcSwitches nc;  // how this document reads and writes NC programs (from korvo.par)
  // Our rule: the undo history and the reader's modal state belong to the document, not to
  // the whole program. One ring shared by every window would let an undo in one window
  // restore the state another window recorded into this one's store (its own program gone).
  // Each document keeps its own ring (the same ten steps, the same copy-on-write snapshots),
  // and its first read starts from the reader's initial modal state; within the document the
  // modal state carries over from one read to the next, as it always has.
  CUndoRing undo;
  NcReaderState ncReader;
  // The Z of the retracts, traverses and plunges that editing creates: the highest rapid Z
  // of the last program read, 100.0 until a program has set it.
  double retractHeight = 100.0;
  // The document's cutting feed (its "maximum feed"): the feed that commands give to the
  // moves they make or restore. One rule keeps it: it is the highest feed among the cutting
  // moves of the work layer, taken from the statistics after every load and append and at
  // the end of every editing command (the command frame refreshes it through the edit
  // context), and the change-feed command sets it. A toolpath without cutting moves leaves
  // the feed in force; 300 until a toolpath has set it.
  std::int32_t maxFeed = 300;
  void RefreshCuttingFeed() {
    if (store.stats.maxFeed > 0) maxFeed = store.stats.maxFeed;
  }
  // Where the work layer's records came from (source_lines.h): filled by load and append,
  // carried through editing commands by the command frame, brought back by undo and redo
  // with the state they belong to, and kept by each layer while it is not the work layer.
  // Valid while `edits` has not moved past them (TrackedSourceLines).
  TrackedSourceLines sourceLines;
  SourceLines CurrentSourceLines() { return sourceLines.Current(edits); }
  // The work layer's program text as the program pane edits it (edited_text.h).
  EditedText text;
  LayerColourTable colours;  // from color.par when the view is made
  MasterModel master;        // the stock mesh the feed optimiser consults
  std::string title;         // the window's title: the work layer's file name
  std::function<void()> onRedraw;
  // The work layer as the last feed optimiser run found it, the feed chart's "before" series,
  // and the layer it ran on (-1: no run since the work layer was last loaded). It shares its
  // pages with the undo ring, so it costs memory only once the ring has let go of that state.
  RecordSnapshot beforeOptimizer;
  int beforeOptimizerLayer = -1;
  // The cutting simulation's stock, tool, cell size and dogleg check, as the `stock`, `tool`
  // and `simulate` commands last set them (the rapid rates and threads are taken at each run).
  // Until a tool is given (`simToolGiven`), the simulation cuts with a ball of the current
  // cutting conditions' tool diameter.
  SimulationOptions simulation;
  bool simToolGiven = false;

  // ---- Changes not yet written -------------------------------------------------------------
  // Every change of the work layer's toolpath raises `edits`: the command frame (through the
  // edit context), undo and redo, clear, append, and a load before it is noted as written.
  // The work layer holds unwritten changes while `edits` differs from the count when it was
  // last read or written. The other layers keep a flag each: switching the work layer hands
  // the count over to the layer it leaves, and copying toolpaths into a layer sets its flag.
  // Our rule: when in doubt a layer counts as changed; asking once too often loses nothing.
  std::uint64_t edits = 0;

  void NoteWorkLayerChanged() { ++edits; }
  void NoteLayerChanged(int layer) {
    if (InTable(layer)) layerChanged_[static_cast<std::size_t>(layer)] = true;
  }
  // The work layer's toolpath is now what a file holds (read from it, or written to it
  // completely).
  void NoteWorkLayerWritten() {
    writtenEdits_ = edits;
    NoteLayerWritten(layers.workLayer);
  }
  void NoteLayerWritten(int layer) {
    if (layer == layers.workLayer) writtenEdits_ = edits;
    if (InTable(layer)) layerChanged_[static_cast<std::size_t>(layer)] = false;
  }
  // After the work layer changed from `from` to the current one.
  void NoteWorkLayerSwitched(int from) {
    if (edits != writtenEdits_) NoteLayerChanged(from);
    writtenEdits_ = edits;
  }
  bool LayerModified(int layer) const {
    if (layer == layers.workLayer && edits != writtenEdits_) return true;
    return InTable(layer) && layerChanged_[static_cast<std::size_t>(layer)];
  }
  // Whether any toolpath of the document, or its program text as edited, holds changes that
  // were not written.
  bool Modified() const {
    if (edits != writtenEdits_ || text.Unsaved()) return true;
    for (bool changed : layerChanged_)
      if (changed) return true;
    return false;
  }

  // ---- A program that stopped --------------------------------------------------------------
  // Per layer: set when the program read into it stopped before its end (an alarm, a loop
  // that never ends), why in the user's words; "" otherwise. Writing the layer out says it
  // again; a later load into the layer clears it.
  std::string& StopNote(int layer) { return stopNotes_[InTable(layer) ? layer : 0]; }
  const std::string& StopNote(int layer) const { return stopNotes_[InTable(layer) ? layer : 0]; }

 private:
  static bool InTable(int layer) { return layer >= 0 && layer < CLayerTable::kSlots; }
  std::uint64_t writtenEdits_ = 0;
  std::array<bool, CLayerTable::kSlots> layerChanged_{};
  std::array<std::string, CLayerTable::kSlots> stopNotes_{};
};

}  // namespace trevalon
