#include "app/load_commands.h"

#include <optional>

#include "model/statistics.h"
#include "ncio/nc_text_check.h"

namespace trevalon {

namespace {

// The start value of the statistics' rapid maximum: no rapid move was counted.
constexpr double kNoRapidMaximum = -10000.0;

// After a read: the retract height becomes the highest Z among the rapid moves. A toolpath
// without rapid moves has no such height, so the height in force stays (a retract to the
// statistics' start value of -10000 would plunge every later edit into the part).
void RefreshRetractHeight(CDocument& doc) {
  if (doc.store.stats.rapidMax[2] > kNoRapidMaximum)
    doc.retractHeight = doc.store.stats.rapidMax[2];
}

// Shows the message of a read that did not reach the end of the program and says what
// happened.
Outcome ReportOutcome(CApplication& app, const CDocument& doc, NcReadOutcome outcome,
                      const std::string& path) {
  switch (outcome) {
    case NcReadOutcome::CannotOpen:
      app.ShowCannotOpen();
      return Outcome::CannotOpen(path);
    case NcReadOutcome::StoreFull:
      app.Notify(Txt::PointStoreFull, Txt::KorvoMessage);
      return Outcome::Failed(
          OutcomeCode::NoMemory,
          "the point store is full; " + std::to_string(doc.store.count) + " records kept");
    default:
      return Outcome::Done();
  }
}

// Our rule: a file with binary data near its start is not an NC program, whichever reader
// the document uses. It is refused before anything changes (no undo snapshot, no title, no
// layer name, no comment or tool numbers cleared), so that choosing the wrong file never
// costs the toolpath on screen. A file that cannot be opened goes on to the reader, which
// reports it as before.
std::optional<Outcome> RefuseBinary(CApplication& app, const std::string& path) {
  if (CheckNcText(path) != NcTextCheck::NotText) return std::nullopt;
  app.Notify(Txt::NotNcProgram, Txt::ErrorMessage);
  return Outcome::Failed(OutcomeCode::Refused,
                         "'" + path + "' is not an NC program (binary data near its start)");
}

void FitAndRedraw(CDocument& doc) {
  doc.view.Fit(doc.store, &doc.layers);
  doc.Redraw();
}

}  // namespace

NcReadTarget ReadTargetOf(CApplication& app, CDocument& doc) {
  return NcReadTarget{doc.store, doc.layers[doc.layers.workLayer], doc.nc, app.ncReader};
}

void InitDocument(CApplication& app, CDocument& doc) {
  ReadNcSettings(app, doc);
}

void ReadNcSettings(CApplication& app, CDocument& doc) {
  doc.nc = NcSwitches{};
  const std::string path = NcSettingsPath(app.settings.configDir);
  const FileReadError e = ReadNcSettingsFile(path, doc.nc);
  // A missing or unreadable file quietly gives the defaults; a file of the wrong kind is said.
  if (e == FileReadError::Folder || e == FileReadError::TooLarge || e == FileReadError::NotText)
    app.Msg().ShowReadError(e, path);
}

int WriteNcSettings(CApplication& app, const CDocument& doc, bool* written, std::string* why) {
  const std::string path = NcSettingsPath(app.settings.configDir);
  std::string folder;
  int ok = 0;
  if (!MakeOwnFolderFor(app.settings, path, &folder)) {
    app.Msg().ShowFileError(Txt::CannotCreateFolder, folder);
    if (why) *why = "cannot create the folder '" + folder + "'";
  } else {
    ok = WriteNcSettingsFile(path, doc.nc);
    if (!ok) app.ShowCannotOpen();
    if (!ok && why) *why = "cannot write " + path;
  }
  if (written) *written = ok != 0;
  return 1;
}

int NcSettingsCommand(CApplication& app, CDocument& doc, const NcSwitches& chosen, bool save,
                      std::string* why) {
  doc.nc = chosen;
  if (!save) return 1;
  bool written = false;
  WriteNcSettings(app, doc, &written, why);
  return written ? 1 : 0;
}

Outcome LoadNcCommand(CApplication& app, CDocument& doc, const std::string& path) {
  if (auto refusal = RefuseBinary(app, path)) return *refusal;
  NcReadOutcome o = NcReadOutcome::Read;
  (void)LoadNcProgram(ReadTargetOf(app, doc), app.undo, path, &o);
  // A file that cannot be opened touched nothing: the toolpath, the title and the layer stay
  // as they were.
  if (o == NcReadOutcome::CannotOpen) return ReportOutcome(app, doc, o, path);
  // The result of the read is otherwise not a reason to stop: a full store keeps the points
  // read so far and they go through the same steps.
  doc.title = path;
  LayerSlot& work = doc.layers[doc.layers.workLayer];
  doc.layers.SaveLayer(doc.layers.workLayer, doc.store);
  work.fileName = path;
  // The work layer is now what the file holds (up to where a full store stopped the read:
  // the rest is still in the file). The other layers keep their own state.
  doc.NoteWorkLayerChanged();
  doc.NoteWorkLayerWritten();
  if (ComputeStatistics(doc.store)) {
    RefreshRetractHeight(doc);
    // The document's maximum feed follows the program's highest cutting feed; a program
    // without cutting moves leaves the one in force.
    if (doc.store.stats.maxFeed > 0) doc.maxFeed = doc.store.stats.maxFeed;
  }
  FitAndRedraw(doc);
  return ReportOutcome(app, doc, o, path);
}

Outcome AppendNcCommand(CApplication& app, CDocument& doc, const std::string& path) {
  if (auto refusal = RefuseBinary(app, path)) return *refusal;
  NcReadOutcome o = NcReadOutcome::Read;
  (void)AppendNcProgram(ReadTargetOf(app, doc), path, &o);
  if (o == NcReadOutcome::CannotOpen) return ReportOutcome(app, doc, o, path);
  doc.NoteWorkLayerChanged();
  // The retract height looks at the whole toolpath, the appended points included.
  if (ComputeStatistics(doc.store)) RefreshRetractHeight(doc);
  FitAndRedraw(doc);
  return ReportOutcome(app, doc, o, path);
}

}  // namespace trevalon
