// The output commands of a document: the fixed-format writer for the work layer and for a
// list of layers, and the template-driven conversion.

#include "app/output_commands.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "model/statistics.h"
#include "ncio/ext_reader.h"
#include "ncio/shipped_templates.h"
#include "ncio/toolpath_start.h"
#include "platform/file_io.h"
#include "platform/system_paths.h"
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
               const MachineSetup& setup, NcVerifyResult& result, bool extended = false) {
  NcVerifyOptions options;
  options.heidenhain = heidenhain;
  options.extended = extended;
  options.setup = &setup;
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

// Our rule: a program is never written with a cut of feed 0 or below (a control refuses it
// or stands still on it); the whole output is refused, naming the first such move, and
// nothing is written. The move is found by FindCutWithoutFeed.
std::optional<Outcome> RefuseCutWithoutFeed(CApplication& app, CPointStore& store) {
  const std::uint32_t i = FindCutWithoutFeed(store);
  if (i >= store.count) return std::nullopt;
  store.FetchPoint(i);
  const PointRegister& r = store.reg;
  char where[128];
  std::snprintf(where, sizeof where, "X%.3f Y%.3f Z%.3f", r.x, r.y, r.z);
  const std::string feed = std::to_string(r.feed), record = std::to_string(i);
  std::string text = FillText(app.Text(Txt::CutFeedNotWritable), feed);
  text = FillText(FillText(text.c_str(), record).c_str(), where);
  app.Msg().platform().ShowMessage(text, app.Text(Txt::ErrorMessage), MessageIcon::Information,
                                   MessageButtons::Ok);
  return Outcome::Failed(OutcomeCode::Refused, "the cutting move at record " + record + " (" +
                                                   where + ") has feed " + feed +
                                                   "; a cut needs a feed above 0; nothing written");
}

// The user stopped the output and did not keep what was written: the temporary file goes,
// the old file (if any) stays as it was.
Outcome StoppedOutput(ReplacingFile& file, const std::string& path, std::uint32_t stoppedAt) {
  file.Abandon();
  return Outcome::Cancelled("stopped before the diagonal rapid of record " +
                            std::to_string(stoppedAt) + "; '" + path + "' left as it was");
}

// Our rule: a layer whose program stopped before its end is written as it is (the moves a
// control ran up to the stop), after the message of the stop is said again as a warning: a
// message box in the desktop (before anything is written), standard error in the
// command-line tool, and the help line.
void WarnStoppedRead(CApplication& app, const CDocument& doc, int layer) {
  const std::string& note = doc.StopNote(layer);
  if (note.empty()) return;
  const std::string text = FillText(app.Text(Txt::ExtReadStopped), note);
  app.Msg().platform().ShowMessage(text, app.Text(Txt::KorvoMessage), MessageIcon::Warning,
                                   MessageButtons::Ok);
  app.Msg().Help(text);
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

// The refusal of an output without a move: said in a message box as the other refusals of an
// output are (the desktop has no other place to say it), and returned for the script's line.
Outcome RefuseNoMoves(CApplication& app) {
  app.Notify(Txt::NothingToWrite, Txt::ErrorMessage);
  return Outcome::Failed(OutcomeCode::Refused, "the toolpath holds no moves; nothing written");
}

}  // namespace

Outcome SaveNcCommand(CApplication& app, CDocument& doc, CNcOutputDlg& dlg, int& heidenhainOutChk,
                      NcVerifyResult* verified) {
  if (!HoldsMoves(doc.store)) return RefuseNoMoves(app);
  if (auto refusal = RefuseCutWithoutFeed(app, doc.store)) return *refusal;
  LayerSlot& layer = doc.layers[doc.layers.workLayer];
  WarnStoppedRead(app, doc, doc.layers.workLayer);
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
  if (dlg.heidenhain) doc.nc.heidenhainStyleChk = dlg.tncStyle ? 1 : 0;
  if (Outcome made = app.MakeFolderFor(dlg.outputPath); !made) return made;
  ReplacingFile file;
  if (!file.Open(dlg.outputPath)) {
    app.ShowCannotOpen();
    return Outcome::CannotCreate(dlg.outputPath, file.refusal());
  }
  const int complete = dlg.WriteProgram(app.Msg(), doc.store, file);
  if (!complete && !dlg.keptPartial) return StoppedOutput(file, dlg.outputPath, dlg.stoppedAt);
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
    // The TNC style's FMAX rapids and signed words are read by the extended reader.
    outcome = Verify(dlg.outputPath, {part}, dlg.heidenhain, dlg.setup, *verified,
                     dlg.heidenhain && dlg.tncStyle);
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
  for (int k : picked) WarnStoppedRead(app, doc, k);

  layers.SaveLayer(layers.workLayer, doc.store);
  bool anyMoves = false;
  for (int k : picked) {
    layers.RestoreLayer(k, doc.store);
    anyMoves = anyMoves || HoldsMoves(doc.store);
    std::optional<Outcome> refusal = RefuseCutWithoutFeed(app, doc.store);
    if (!refusal) continue;
    layers.RestoreLayer(layers.workLayer, doc.store);
    return *refusal;
  }
  layers.RestoreLayer(layers.workLayer, doc.store);
  if (!anyMoves) return RefuseNoMoves(app);
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
    dlg.setup = l.setup;
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
  if (!complete && !dlg.ClosePartial(app.Msg())) {
    layers.RestoreLayer(layers.workLayer, doc.store);
    return StoppedOutput(file, path, dlg.stoppedAt);
  }
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
  // The program's own setup is the first layer's (the others say theirs where they differ).
  if (verified) return Verify(path, written, false, layers[picked.front()].setup, *verified);
  return Outcome::Done();
}

void InstallPostTemplates(CApplication& app) {
  const TemplateInstall done = InstallShippedTemplates(app.settings.postDir);
  if (done.written.empty()) return;
  std::string names;
  for (const std::string& n : done.written) names += (names.empty() ? "" : ", ") + n;
  app.Msg().Help(app.settings.postDir + ": " + names);
}

std::string ResolveTemplatePath(const CApplication& app, const std::string& name) {
  std::error_code ec;
  if (name.empty() || std::filesystem::exists(NativePath(name), ec) ||
      std::filesystem::exists(NativePath(name + ".ppr"), ec) || name.find('/') != std::string::npos)
    return name;
  return app.settings.postDir + "/" + name;
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
    // A file that is not there is said to be missing, not to define nothing.
    const bool missing = t.loadError == FileReadError::Missing;
    if (refusedFile) {
      app.Msg().ShowReadError(t.loadError, shownPath);
    } else {
      app.Msg().ShowFileError(missing ? Txt::TemplateMissing : Txt::TemplateDefinesNone, shownPath);
    }
    std::string why =
        t.loadError == FileReadError::None ? "the template '" + shownPath + "' defines no section"
        : missing
            ? "the template '" + shownPath + "' does not exist"
            : "template: " + DescribeReadError(t.loadError, shownPath, CPostTemplate::kFileLimit);
    return Outcome::Failed(OutcomeCode::Refused, why + "; nothing written");
  }
  if (!HoldsMoves(doc.store)) return RefuseNoMoves(app);
  if (auto refusal = RefuseCutWithoutFeed(app, doc.store)) return *refusal;
  LayerSlot& layer = doc.layers[doc.layers.workLayer];
  WarnStoppedRead(app, doc, doc.layers.workLayer);
  layer.fileName = dlg.outputPath;
  doc.title = dlg.outputPath;
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
  // The program is read back in the dialect the template wrote: a conversational one with the
  // extended Heidenhain reader (its rapids are FMAX blocks), anything else with the ISO reader.
  if (verified) {
    std::uint32_t first = 0;
    if (doc.store.count && !doc.store.IsMotion(0)) first = doc.store.NextMotion(0);
    std::string head;
    BoundedInput in;
    if (in.Open(dlg.outputPath) == FileReadError::None) (void)in.Append(1u << 16, head);
    const bool conversational = DetectTextDialect(head) == NcDialect::Heidenhain;
    return Verify(dlg.outputPath, {WrittenFrom(doc.store, first)}, conversational, dlg.setup,
                  *verified, conversational);
  }
  return Outcome::Done();
}

}  // namespace trevalon
