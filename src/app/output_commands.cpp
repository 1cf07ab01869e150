// The output commands of a document: the fixed-format writer for the work layer and for a
// list of layers, and the template-driven conversion.

#include "app/output_commands.h"

#include <vector>

#include "model/statistics.h"
#include "ncio/toolpath_start.h"
#include "platform/file_io.h"
#include "platform/write_failure.h"

namespace trevalon {

bool OpenInEditor(CApplication& app, const std::string& path) {
  if (app.platform.OpenInEditor(app.settings.editor, path)) return true;
  app.Msg().Help(FillText(app.Text(Txt::EditorNotStarted), path));
  return false;
}

namespace {

// The records of `store` as the writers walk them, from the entry they write (the rapids of
// the initial climb lifted to its top).
NcVerifyPart WrittenFrom(CPointStore& store, std::uint32_t first) {
  NcVerifyPart part;
  part.store = &store;
  const ToolpathStart entry = FindToolpathStart(store, first);
  part.liftEnd = entry.liftEnd;
  part.liftHeight = entry.liftHeight;
  return part;
}

// Reads the program at `path` back and turns a difference into the outcome of the command.
Outcome Verify(const std::string& path, const std::vector<NcVerifyPart>& parts, bool heidenhain,
               NcVerifyResult& result) {
  NcVerifyOptions options;
  options.heidenhain = heidenhain;
  result = VerifyNcProgram(path, parts, options);
  if (result.ok()) return Outcome::Done();
  std::string reason = DescribeVerifyFailure(result, path, Language::English);
  // The reason is one line in a script's log.
  for (char& c : reason)
    if (c == '\n') c = ' ';
  std::size_t b = reason.find_first_not_of(' ');
  reason.erase(0, b == std::string::npos ? reason.size() : b);
  return Outcome::Failed(OutcomeCode::Refused, reason);
}

// A program created but not written to the end: the system's reason when there is one (a
// full disk says "no space left on device").
Outcome CannotWrite(const std::string& path) {
  const std::string& why = LastWriteFailure();
  if (why.empty()) return Outcome::CannotCreate(path);
  return Outcome::Failed(OutcomeCode::CannotOpen, "cannot write '" + path + "': " + why);
}

// Our rule: a toolpath without a single move is not written. Its program would be nothing but
// framing (a tool change at Z0, a retract to the placeholder height) and would replace a good
// program on disk without a word.
bool HoldsMoves(CPointStore& store) {
  return store.count != 0 && (store.IsMotion(0) || store.NextMotion(0) != 0);
}

const char* const kNoMoves = "the toolpath holds no moves; nothing written";

}  // namespace

Outcome SaveNcCommand(CApplication& app, CDocument& doc, CNcOutputDlg& dlg, int& heidenhainOutChk,
                      NcVerifyResult* verified) {
  if (!HoldsMoves(doc.store)) {
    return Outcome::Failed(OutcomeCode::Refused, kNoMoves);
  }
  LayerSlot& layer = doc.layers[doc.layers.workLayer];
  layer.fileName = dlg.outputPath;
  doc.title = dlg.outputPath;
  if (dlg.machiningInfo) {
    ComputeStatistics(doc.store);
    for (int a = 0; a < 3; ++a) {
      dlg.cuttingMin[a] = doc.store.stats.cuttingMin[a];
      dlg.cuttingMax[a] = doc.store.stats.cuttingMax[a];
    }
    dlg.statisticsCuttingTime = doc.store.stats.cuttingTime;
  }
  heidenhainOutChk = dlg.heidenhain ? 1 : 0;
  if (Outcome made = app.MakeFolderFor(dlg.outputPath); !made) return made;
  ReplacingFile file;
  if (!file.Open(dlg.outputPath)) {
    app.ShowCannotOpen();
    return Outcome::CannotCreate(dlg.outputPath, file.refusal());
  }
  const int complete = dlg.WriteProgram(app.Msg(), doc.store, file);
  // A program that could not be written to the end leaves the old file in place; the user
  // hears about it as about a file that cannot be created.
  if (!file.Commit()) {
    app.ShowCannotOpen();
    return CannotWrite(dlg.outputPath);
  }
  if (complete) doc.NoteWorkLayerWritten();
  // The file is complete (or as far as the user let it go) whatever its reading back finds.
  Outcome outcome = Outcome::Done();
  if (verified) {
    NcVerifyPart part = WrittenFrom(doc.store, 0);
    if (!complete) part.end = dlg.stoppedAt;
    outcome = Verify(dlg.outputPath, {part}, dlg.heidenhain, *verified);
  }
  if (complete && dlg.openInEditor) OpenInEditor(app, dlg.outputPath);
  return outcome;
}

Outcome SaveLayersCommand(CApplication& app, CDocument& doc, const std::string& path,
                          std::string_view layerList, int& heidenhainOutChk,
                          NcVerifyResult* verified) {
  CLayerTable& layers = doc.layers;
  std::vector<int> typed = ParseLayerList(layerList, 0, CLayerTable::kSlots - 1);
  if (typed.size() > 256) typed.resize(256);
  std::vector<int> picked;
  for (int k : typed) {
    // A layer that never held points (nothing read into it, never saved) is not a layer of
    // the document; the work layer always is, it is saved below.
    if (k >= CLayerTable::kUserLayers) continue;
    if (k != layers.workLayer && !layers[k].snapshotAllocated) continue;
    picked.push_back(k);
  }
  if (picked.empty())
    return Outcome::Unchanged("no layer of the document in '" + std::string(layerList) + "'");
  const LayerSlot& work = layers[layers.workLayer];
  if (work.fileName.find("Layer") == std::string::npos) doc.title = work.fileName;

  layers.SaveLayer(layers.workLayer, doc.store);
  bool anyMoves = false;
  for (int k : picked) {
    layers.RestoreLayer(k, doc.store);
    if ((anyMoves = HoldsMoves(doc.store))) break;
  }
  layers.RestoreLayer(layers.workLayer, doc.store);
  if (!anyMoves) return Outcome::Failed(OutcomeCode::Refused, kNoMoves);
  CNcOutputDlg dlg;
  dlg.heidenhain = false;
  heidenhainOutChk = 0;
  dlg.programNumberOn = layers[0].programNumber != 0;
  dlg.programNumber = layers[0].programNumber;

  if (Outcome made = app.MakeFolderFor(path); !made) return made;
  ReplacingFile file;
  if (!file.Open(path)) {
    app.ShowCannotOpen();
    return Outcome::CannotCreate(path, file.refusal());
  }
  dlg.BeginOutput(file);
  layers.RestoreLayer(picked.front(), doc.store);
  dlg.WriteHeader();
  dlg.ResetMotionState();
  bool complete = true;
  std::vector<NcVerifyPart> written;
  for (int k : picked) {
    const LayerSlot& l = layers[k];
    layers.RestoreLayer(k, doc.store);
    dlg.comment = l.comment;
    dlg.toolChange = l.toolNumber != 0;
    dlg.toolNumber = l.toolNumber;
    dlg.toolOffset = l.toolNumber != 0 ? l.toolOffset : 0;
    if (l.spindle != 0) dlg.spindle = l.spindle;
    dlg.WriteComment();
    dlg.WriteStartBlock(doc.store);
    dlg.WriteToolChange();
    dlg.previousType = 0;
    dlg.previousPlane = 0;
    NcVerifyPart part = WrittenFrom(doc.store, 0);
    part.store = nullptr;
    part.snapshot = &l.snapshot;
    part.layer = k;
    written.push_back(part);
    if (!dlg.WriteRecords(app.Msg(), doc.store)) {
      written.back().end = dlg.stoppedAt;
      complete = false;
      dlg.stopped = true;
      break;
    }
  }
  if (complete) dlg.WriteFooter();
  dlg.EndOutput();
  const int committed = file.Commit();
  layers.RestoreLayer(layers.workLayer, doc.store);
  if (!committed) {
    app.ShowCannotOpen();
    return CannotWrite(path);
  }
  if (complete)
    for (int k : picked) doc.NoteLayerWritten(k);
  // The layers as written: the work layer was saved into its slot before the output.
  if (verified) return Verify(path, written, false, *verified);
  return Outcome::Done();
}

Outcome PostProcessCommand(CApplication& app, CDocument& doc, CPostProcessorDlg& dlg,
                           NcVerifyResult* verified) {
  // Our rule: a template that defines no section (none found, empty, or refused on reading)
  // would write an empty program in place of the toolpath; nothing is written instead.
  if (!dlg.ppr.DefinesAnySection()) {
    const CPostTemplate& t = dlg.ppr;
    const bool refusedFile = t.loadError == FileReadError::Folder ||
                             t.loadError == FileReadError::TooLarge ||
                             t.loadError == FileReadError::NotText;
    const std::string& shownPath = t.loadError != FileReadError::None ? t.loadPath : t.name;
    if (refusedFile) {
      app.Msg().ShowReadError(t.loadError, shownPath);
    } else {
      app.Msg().ShowFileError(Txt::TemplateDefinesNone, shownPath);
    }
    std::string why =
        t.loadError == FileReadError::None
            ? "the template '" + shownPath + "' defines no section"
            : "template: " + DescribeReadError(t.loadError, shownPath, CPostTemplate::kFileLimit);
    return Outcome::Failed(OutcomeCode::Refused, why + "; nothing written");
  }
  LayerSlot& layer = doc.layers[doc.layers.workLayer];
  layer.fileName = dlg.outputPath;
  doc.title = dlg.outputPath;
  if (!HoldsMoves(doc.store)) {
    return Outcome::Failed(OutcomeCode::Refused, kNoMoves);
  }
  if (Outcome made = app.MakeFolderFor(dlg.outputPath); !made) return made;
  ReplacingFile file;
  if (!file.Open(dlg.outputPath)) {
    app.ShowCannotOpen();
    return Outcome::CannotCreate(dlg.outputPath, file.refusal());
  }
  dlg.Convert(app.Msg(), doc.store, file);
  if (!file.Commit()) {
    app.ShowCannotOpen();
    return CannotWrite(dlg.outputPath);
  }
  doc.NoteWorkLayerWritten();
  // A template writes ISO-style blocks: the ISO reader reads them back.
  if (verified) {
    std::uint32_t first = 0;
    if (doc.store.count && !doc.store.IsMotion(0)) first = doc.store.NextMotion(0);
    return Verify(dlg.outputPath, {WrittenFrom(doc.store, first)}, false, *verified);
  }
  return Outcome::Done();
}

}  // namespace trevalon
