#include "app/layer_commands.h"

#include <cstdio>
#include <utility>

#include "app/text_edit_commands.h"
#include "model/layer_table.h"

namespace trevalon {

namespace {

// The work layer's snapshot was just taken: its source lines go with it, so that the layer
// keeps them while another layer is the work layer (or is joined with one).
void KeepWorkLayerLines(CDocument& doc) {
  doc.layers[doc.layers.workLayer].sourceLines = doc.CurrentSourceLines();
}

}  // namespace

int SwitchLayerCommand(CDocument& doc, int j) {
  if (j < 0 || j >= CLayerTable::kUserLayers) return 0;
  const int from = doc.layers.workLayer;
  const SourceLines leaving = doc.CurrentSourceLines();
  if (!doc.layers.SwitchWorkLayer(j, doc.store)) return 0;
  doc.layers[from].sourceLines = leaving;
  // The switch changes the toolpath without a change count of its own: the lines follow.
  doc.sourceLines.Set(doc.layers[j].sourceLines, doc.edits);
  doc.NoteWorkLayerSwitched(from);
  doc.title = doc.layers[j].fileName;
  doc.Redraw();
  return 1;
}

int CopyLayerCommand(CApplication& app, CDocument& doc, int src, int dst) {
  CLayerTable& L = doc.layers;
  if (src < 0 || src >= CLayerTable::kUserLayers || dst < 0 || dst >= CLayerTable::kUserLayers)
    return 0;
  // The snapshots must hold the latest edits of the work layer.
  if (src == L.workLayer || dst == L.workLayer) {
    L.SaveLayer(L.workLayer, doc.store);
    KeepWorkLayerLines(doc);
  }
  const LayerSlot& s = L[src];
  const bool sourceEmpty = !s.snapshotAllocated || s.snapshot.count() == 0;
  if (!sourceEmpty && s.toolNumber != L[dst].toolNumber &&
      app.Ask(Txt::LayerToolMismatch, Txt::KorvoMessage) != Answer::Ok) {
    return 0;
  }
  int ok = L.AppendLayer(src, dst);
  // A failed append puts the old destination back, but counting it as changed is harmless.
  doc.NoteLayerChanged(dst);
  if (ok && dst == L.workLayer) {
    L.RestoreLayer(L.workLayer, doc.store);
    doc.sourceLines.Set(L[L.workLayer].sourceLines, doc.edits);
  }
  doc.Redraw();
  return ok;
}

void EchoLayersCommand(CDocument& doc, bool on, const std::string& list) {
  for (int l : ParseLayerList(list, 0, CLayerTable::kUserLayers - 1)) doc.layers[l].echo = on;
  doc.Redraw();
}

std::string UndoStepName(const CApplication& app, std::optional<Txt> name) {
  return app.Text(name ? *name : Txt::CmdUnnamed);
}

std::string UndoLine(const CApplication& app, const CDocument& doc) {
  if (!doc.undo.CanUndo()) return app.Text(Txt::NothingToUndo);
  return FillText(app.Text(Txt::UndoStep), UndoStepName(app, doc.undo.UndoName()));
}

std::string EditSummaryLine(const CApplication& app, const CDocument& doc,
                            std::uint32_t pointsBefore) {
  const CPointStore& s = doc.store;
  unsigned arcs = 0;
  s.ForEachSpan([&arcs](const PointRecord* r, std::uint32_t n) {
    for (std::uint32_t k = 0; k < n; ++k) arcs += IsArcType(r[k].type) ? 1 : 0;
  });
  char line[512];
  std::snprintf(line, sizeof line, app.Text(Txt::EditSummary),
                UndoStepName(app, doc.undo.UndoName()).c_str(), static_cast<unsigned>(pointsBefore),
                static_cast<unsigned>(s.count), arcs);
  return line;
}

std::string RunAndSummarise(CApplication& app, CDocument& doc,
                            const std::function<void()>& command) {
  const std::uint32_t pointsBefore = doc.store.count;
  const auto steps = [&doc] { return std::pair(doc.undo.undoPos, doc.undo.undoTop); };
  const auto before = steps();
  command();
  // A new step is the newest one: an undo moves the position back and a redo forward
  // without a new top, and neither is an edit to report.
  if (steps() == before || doc.undo.undoPos != doc.undo.undoTop || !doc.undo.CanUndo()) return {};
  // A load says what it read its own way: the title, and the reader's notices on the help
  // line, which a summary must not replace.
  if (doc.undo.UndoName() == Txt::CmdLoad) return {};
  std::string line = EditSummaryLine(app, doc, pointsBefore);
  app.Msg().Help(line);
  return line;
}

std::string UnchangedLine(const Outcome& outcome) {
  return (outcome.reason().empty() ? std::string("nothing to do") : outcome.reason()) +
         " (nothing changed)";
}

void SayIfUnchanged(const Messages& msg, const Outcome& outcome) {
  if (outcome.code() == OutcomeCode::Unchanged) msg.Help(UnchangedLine(outcome));
}

std::string RedoLine(const CApplication& app, const CDocument& doc) {
  if (!doc.undo.CanRedo()) return app.Text(Txt::NothingToRedo);
  return FillText(app.Text(Txt::RedoStep), UndoStepName(app, doc.undo.RedoName()));
}

// Undo and redo bring back the source lines of the state they restore (undo_ring.h).
// So do they the setup of a state a load replaced. The help line says what they took back or
// put back (or that there was nothing to).
int UndoCommand(CApplication& app, CDocument& doc) {
  const SourceLines current = doc.CurrentSourceLines();
  MachineSetup& setup = doc.layers[doc.layers.workLayer].setup;
  const MachineSetup currentSetup = setup;
  const std::string line = UndoLine(app, doc);
  app.Msg().Help(line);
  if (!doc.undo.Undo(doc.store)) return 0;
  doc.undo.TagNewest(current, &currentSetup);
  doc.NoteWorkLayerChanged();
  doc.sourceLines.Set(doc.undo.RestoredLines(), doc.edits);
  if (doc.undo.RestoredSetup()) setup = *doc.undo.RestoredSetup();
  RestoreTextOfUndoState(doc);
  doc.Redraw();
  return 1;
}

int RedoCommand(CApplication& app, CDocument& doc) {
  app.Msg().Help(RedoLine(app, doc));
  if (!doc.undo.Redo(doc.store)) return 0;
  doc.NoteWorkLayerChanged();
  doc.sourceLines.Set(doc.undo.RestoredLines(), doc.edits);
  if (doc.undo.RestoredSetup()) doc.layers[doc.layers.workLayer].setup = *doc.undo.RestoredSetup();
  RestoreTextOfUndoState(doc);
  doc.Redraw();
  return 1;
}

int ClearCommand(CApplication&, CDocument& doc) {
  // Our rule: an empty toolpath stays as it is and records no undo step.
  if (doc.store.count == 0) return 0;
  const SourceLines current = doc.CurrentSourceLines();
  doc.store.Clear(doc.undo);
  doc.undo.TagNewest(current);
  // Deleting every path gives the store's memory back; the undo snapshot keeps what it
  // shares.
  doc.store.ReleasePages();
  doc.NoteWorkLayerChanged();
  doc.sourceLines.Set(current.WithoutRecords(), doc.edits);
  doc.Redraw();
  return 1;
}

}  // namespace trevalon
