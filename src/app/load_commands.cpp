#include "app/load_commands.h"

#include <filesystem>
#include <fstream>
#include <optional>

#include "app/source_commands.h"
#include "model/statistics.h"
#include "ncio/classic_splice.h"
#include "ncio/ext_reader.h"
#include "ncio/nc_text_check.h"
#include "platform/system_paths.h"

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
    case NcReadOutcome::NotText:
      app.Notify(Txt::NotNcProgram, Txt::ErrorMessage);
      return Outcome::Failed(OutcomeCode::Refused, "'" + path + "' is not an NC program");
    case NcReadOutcome::Binary:
      app.Notify(Txt::NotNcProgram, Txt::ErrorMessage);
      return Outcome::Failed(OutcomeCode::Refused,
                             "'" + path + "' is not an NC program (binary data near its start)");
    case NcReadOutcome::Stopped: {
      // The run of the program stopped (an alarm, a loop that never ends): the moves read
      // before it are loaded and the work layer is marked (CDocument::StopNote); the reason
      // is said where the user looks. The command fails as a load that fills the store does:
      // the toolpath is only part of the program.
      const std::string notice = ExtendedReadNotice(app, doc);
      app.Msg().platform().ShowMessage(notice, app.Text(Txt::ErrorMessage), MessageIcon::Warning,
                                       MessageButtons::Ok);
      app.Msg().Help(notice);
      return Outcome::Failed(OutcomeCode::Refused,
                             "extended reading stopped: " + doc.ncReader.lastReport.stopReason +
                                 "; the moves read before the stop are loaded (" +
                                 std::to_string(doc.store.count) + " records)");
    }
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
// costs the toolpath on screen: the reader checks it on what it reads first
// (NcReadTarget::refuseBinary, outcome Binary), so that the file is opened and read once.
// A file that cannot be opened is reported by the reader.
bool Refused(NcReadOutcome o) {
  return o == NcReadOutcome::CannotOpen || o == NcReadOutcome::NotText ||
         o == NcReadOutcome::Binary;
}

// The text of one passed-over kind; kinds without a text of their own show their key.
std::string PassedOverKind(const CApplication& app, const std::string& kind, long blocks) {
  static const std::pair<const char*, Txt> kKinds[] = {
      {"rotary", Txt::ExtPassRotary},
      {"tilted-plane", Txt::ExtPassTiltedPlane},
      {"feed-per-rev", Txt::ExtPassFeedPerRev},
      {"lathe-cycle", Txt::ExtPassLatheCycle},
      {"inch", Txt::ExtPassInch},
      {"macro", Txt::ExtPassMacro},
      {"call-not-in-file", Txt::ExtPassCallNotInFile},
      {"corner-unresolved", Txt::ExtPassUnresolvedCorner},
      {"arc-without-centre", Txt::ExtPassArcWithoutCentre},
      {"bad-arc", Txt::ExtPassBadArc},
      {"coord-transform", Txt::ExtPassCoordTransform},
      {"cycle", Txt::ExtPassCycle},
      {"datum-table", Txt::ExtPassDatumTable},
      {"fk-contour", Txt::ExtPassFkContour},
      {"formula", Txt::ExtPassFormula},
      {"machine-datum", Txt::ExtPassMachineDatum},
      {"missing-label", Txt::ExtPassMissingLabel},
      {"program-call", Txt::ExtPassProgramCall},
      {"rotation", Txt::ExtPassRotation},
      {"feed-limited", Txt::ExtPassFeedLimited},
      {"coord-limited", Txt::ExtPassCoordLimited},
      {"feed-inverse-time", Txt::ExtPassInverseTime},
      {"fn-function", Txt::ExtPassFnFunction},
  };
  const std::string count = GroupThousands(blocks);
  for (const auto& [key, id] : kKinds)
    if (kind == key) return FillText(app.Text(id), count);
  // "g-not-run:47": blocks of a G code the reader does not run, one kind per code.
  if (kind.rfind(kExtGNotRunPrefix, 0) == 0)
    return FillText(FillText(app.Text(Txt::ExtPassGNotRun),
                             kind.substr(std::string_view(kExtGNotRunPrefix).size()))
                        .c_str(),
                    count);
  return FillText(FillText(app.Text(Txt::ExtPassOther), kind).c_str(), count);
}

// One item of the list: the kind with how many blocks, and the line of the first one where
// the reader knows it, so that the user finds the place in the program.
std::string PassedOverItem(const CApplication& app, const ExtReadReport& r, const std::string& kind,
                           long blocks) {
  std::string item = PassedOverKind(app, kind, blocks);
  const auto first = r.firstLine.find(kind);
  if (first == r.firstLine.end() || first->second <= 0) return item;
  return FillText(FillText(app.Text(Txt::ExtPassFirstLine), item).c_str(),
                  GroupThousands(first->second));
}

// The kinds a read passed over or limited, as one notice of the text `id`; "" for none.
std::string PassedOverNotice(const CApplication& app, const ExtReadReport& r, Txt id) {
  if (r.passedOver.empty()) return "";
  std::string list;
  for (const auto& [kind, blocks] : r.passedOver) {
    if (!list.empty()) list += ", ";
    list += PassedOverItem(app, r, kind, blocks);
  }
  return FillText(app.Text(id), list);
}

// After a classic read: what it had to limit, said once, as an extended read says what it
// passed over; "" when it limited nothing.
std::string ClassicLimitsNotice(const CApplication& app, const CDocument& doc) {
  return PassedOverNotice(app, doc.ncReader.classicLimits, Txt::ClassicReadLimited);
}

// Our rule: after a classic read, the user learns once when its rules read blocks of the
// program differently from a control (the reader counted them while it read), with how many
// and the first line, on the help line and in a notice that does not stop the work; and what
// the read had to limit to store it.
void ShowReadNotice(CApplication& app, const CDocument& doc) {
  if (ReadStopped(doc)) return;  // the outcome says it (ReportOutcome)
  if (!doc.ncReader.lastReadExtended) {
    const std::string notice = ClassicReadNotice(app, doc, doc.nc.heidenhainInputChk == 1);
    if (!notice.empty()) {
      app.Msg().Help(notice);
      app.Msg().platform().ShowNotice(notice);
    }
    const std::string limits = ClassicLimitsNotice(app, doc);
    if (!limits.empty()) app.Msg().Help(limits);
    return;
  }
  const std::string notice = ExtendedReadNotice(app, doc);
  if (!notice.empty()) app.Msg().Help(notice);
}

// After a read (which leaves the measuring to this): one walk of the store computes the
// statistics, and with them the extent, and takes the view's bounds; the retract height and
// the maximum feed follow the statistics, the view is fitted and redrawn. The register is left
// as a fit's own walk leaves it.
void MeasureAndFit(CDocument& doc) {
  CPointStore& store = doc.store;
  FitBounds bounds(doc.view);
  if (ComputeStatistics(store, &bounds)) {
    RefreshRetractHeight(doc);
    doc.RefreshCuttingFeed();
    store.FetchPoint(bounds.LastFetched(store.count));
  } else {
    store.Extent(store.extentMin, store.extentMax);  // an empty store: as a read measures it
  }
  doc.view.FitTo(bounds, &doc.layers);
  doc.Redraw();
}

}  // namespace

bool ReadStopped(const CDocument& doc) {
  return doc.ncReader.lastReadExtended && !doc.ncReader.lastReport.stopReason.empty();
}

std::string GroupThousands(long n) {
  if (n < 0) return std::to_string(n);
  const std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string ExtendedReadNotice(const CApplication& app, const CDocument& doc) {
  if (!doc.ncReader.lastReadExtended) return ClassicLimitsNotice(app, doc);
  const ExtReadReport& r = doc.ncReader.lastReport;
  if (!r.stopReason.empty()) return FillText(app.Text(Txt::ExtReadStopped), r.stopReason);
  return PassedOverNotice(app, r, Txt::ExtReadPassedOver);
}

std::string ClassicReadNotice(const CApplication& app, const CDocument& doc,
                              bool readAsHeidenhain) {
  if (doc.ncReader.lastReadExtended) return "";
  const ClassicReadNote& n = doc.ncReader.lastClassic;
  if (n.blocks <= 0) return "";
  const Txt text = !n.otherDialect    ? Txt::ClassicReadsDifferently
                   : readAsHeidenhain ? Txt::ClassicLooksIso
                                      : Txt::ClassicLooksHeidenhain;
  return FillText(FillText(app.Text(text), GroupThousands(n.blocks)).c_str(),
                  GroupThousands(n.firstLine));
}

NcReadTarget ReadTargetOf(CApplication& app, CDocument& doc) {
  doc.ncReader.language = app.language;  // what a read says is said in the user's language
  return NcReadTarget{doc.store, doc.layers[doc.layers.workLayer], doc.nc, doc.ncReader};
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
  doc.ncReader.lastReadExtended = false;  // a refused file leaves no notice of an older read
  doc.ncReader.classicLimits = ExtReadReport{};
  // Our rule: an empty file (a save that never happened, a copy cut short) holds no moves;
  // loading it would silently empty the work layer, so it is refused and the layer stays.
  {
    std::error_code ec;
    if (std::filesystem::is_regular_file(NativePath(path), ec) &&
        std::filesystem::file_size(NativePath(path), ec) == 0 && !ec) {
      app.Msg().ShowFileError(Txt::FileHoldsNoMoves, path);
      const std::string why = "'" + path + "' is empty: it holds no moves; the layer is kept";
      return Outcome::Failed(OutcomeCode::Refused, why);
    }
  }
  NcReadOutcome o = NcReadOutcome::Read;
  // The program's source lines: a map of this one file, kept only when the read is.
  const SourceLines before = doc.CurrentSourceLines();
  const MachineSetup setupBefore = doc.layers[doc.layers.workLayer].setup;
  SourceLines lines;
  lines.BeginFile(DescribeSourceFile(path));
  NcReadTarget target = ReadTargetOf(app, doc);
  target.sources = &lines;
  target.measureExtent = false;  // MeasureAndFit
  target.refuseBinary = true;
  // The checkpoints of a classic read, so that an edit of the program's text is read again
  // only where it changes something (classic_splice.h).
  auto index = std::make_shared<ClassicReadIndex>();
  ClassicIndexer indexer(*index);
  target.observer = &indexer;
  const std::uint32_t undoPos = doc.undo.undoPos;
  const int read = LoadNcProgram(target, doc.undo, path, &o);
  // A file that cannot be opened (or that is refused as not text) touched nothing: the
  // toolpath, the title and the layer stay as they were.
  if (Refused(o)) return ReportOutcome(app, doc, o, path);
  // The undo state of the toolpath before the load, when the load recorded one, keeps its lines.
  if (doc.undo.undoPos != undoPos) doc.undo.TagNewest(before, &setupBefore);
  lines.Fit(doc.store.count);
  // The result of the read is otherwise not a reason to stop: a full store keeps the points
  // read so far and they go through the same steps.
  doc.title = path;
  // The toolpath before an optimiser run belongs to the program that was there.
  doc.beforeOptimizer.Clear();
  doc.beforeOptimizerLayer = -1;
  LayerSlot& work = doc.layers[doc.layers.workLayer];
  doc.layers.SaveLayer(doc.layers.workLayer, doc.store);
  work.fileName = path;
  // A new toolpath: the mark of a stopped read is this read's alone.
  doc.StopNote(doc.layers.workLayer) =
      o == NcReadOutcome::Stopped ? doc.ncReader.lastReport.stopReason : "";
  // The work layer is now what the file holds (up to where a full store stopped the read:
  // the rest is still in the file). The other layers keep their own state.
  doc.NoteWorkLayerChanged();
  if (!doc.ncReader.lastReadExtended && !lines.Files().empty())
    indexer.Finish(target, read, lines.Files()[0].size);
  doc.sourceLines.Set(std::move(lines), doc.edits);
  doc.NoteWorkLayerWritten();
  // The program's text is taken when it is first edited; the toolpath is what it reads as.
  doc.text.Reset(path, index->Valid() ? index : nullptr, doc.edits);
  if (!doc.sourceLines.lines.Files().empty()) doc.text.path = doc.sourceLines.lines.Files()[0].path;
  MeasureAndFit(doc);
  ShowReadNotice(app, doc);
  return ReportOutcome(app, doc, o, path);
}

Outcome AppendNcCommand(CApplication& app, CDocument& doc, const std::string& path) {
  doc.ncReader.lastReadExtended = false;  // a refused file leaves no notice of an older read
  doc.ncReader.classicLimits = ExtReadReport{};
  NcReadOutcome o = NcReadOutcome::Read;
  // Our rule: the appended file joins the work layer's source lines, so that each record
  // keeps the file it came from (the records before it that have none keep none).
  SourceLines lines = doc.CurrentSourceLines();
  lines.Fit(doc.store.count);
  lines.BeginFile(DescribeSourceFile(path));
  NcReadTarget target = ReadTargetOf(app, doc);
  target.sources = &lines;
  target.measureExtent = false;  // MeasureAndFit
  target.refuseBinary = true;
  // Our rule: the toolpath's setup is what its first program said before its first move; a
  // program appended behind moves keeps that one (an empty toolpath takes the appended one's).
  MachineSetup& setup = doc.layers[doc.layers.workLayer].setup;
  const MachineSetup setupBefore = setup;
  const bool hadMoves = doc.store.count != 0;
  (void)AppendNcProgram(target, path, &o);
  if (hadMoves) setup = setupBefore;
  if (Refused(o)) return ReportOutcome(app, doc, o, path);
  // The toolpath now holds part of a program: marked as a load's would be (a mark of the
  // program before it stays, that part is still what it was).
  if (o == NcReadOutcome::Stopped)
    doc.StopNote(doc.layers.workLayer) = doc.ncReader.lastReport.stopReason;
  lines.Fit(doc.store.count);
  doc.NoteWorkLayerChanged();
  doc.sourceLines.Set(std::move(lines), doc.edits);
  // The retract height looks at the whole toolpath, the appended points included.
  MeasureAndFit(doc);
  ShowReadNotice(app, doc);
  return ReportOutcome(app, doc, o, path);
}

}  // namespace trevalon
