#include "app/text_edit_commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "app/output_commands.h"
#include "app/source_commands.h"
#include "model/statistics.h"
#include "ncio/classic_splice.h"
#include "ncio/ext_reader.h"
#include "platform/file_io.h"

namespace trevalon {

namespace {

// The bytes a text taken up for editing can grow by before it moves (a string that outgrows
// its memory copies itself whole).
constexpr std::size_t kEditRoom = std::size_t{4} << 20;

std::string NoText() {
  return "no program text: load a program first";
}

// The state a whole read of the text starts from: the one the indexed read started from, so
// that a whole read and a spliced one agree (the reader's modal state otherwise carries over
// from the document's last read).
void StartLikeIndexedRead(CDocument& doc) {
  const ClassicReadIndex* index = doc.text.index.get();
  if (index == nullptr || index->stretches_.empty()) return;
  const ClassicCheckpoint& c = index->stretches_.front();
  doc.ncReader.fanuc = c.fanuc;
  doc.ncReader.heidenhain = c.heidenhain;
  doc.store.reg = c.reg;
}

// The whole text read into the work layer, as a load reads a file: the classic read makes
// the checkpoints of later edits.
void ReadWholeText(CApplication& app, CDocument& doc, SourceLines& lines) {
  EditedText& et = doc.text;
  CPointStore& store = doc.store;
  StartLikeIndexedRead(doc);
  store.count = 0;
  store.reg.type = MOVE_NONE;
  store.reg.feed = 0;
  SourceFile file = DescribeSourceFile(et.path);
  file.size = et.text.size();
  lines = SourceLines{};
  lines.BeginFile(file);
  NcReadTarget t = ReadTargetOf(app, doc);
  t.sources = &lines;
  t.measureExtent = false;
  NcReadOutcome o = NcReadOutcome::Read;
  if (doc.nc.extendedReadingChk == 1) {
    doc.ncReader.lastReadExtended = true;
    doc.ncReader.lastClassic = ClassicReadNote{};
    doc.ncReader.lastReport = ExtReadReport{};
    doc.ncReader.lastReport.language = doc.ncReader.language;
    (void)ReadNcExtended(t, et.text, doc.ncReader.lastReport, &o);
    et.index.reset();
  } else {
    auto made = std::make_shared<ClassicReadIndex>();
    ClassicIndexer indexer(*made);
    t.observer = &indexer;
    const int r = ReadClassicText(t, et.text, 0, &o);
    indexer.Finish(t, r, et.text.size());
    et.index = made->Valid() ? std::move(made) : nullptr;
  }
  lines.Fit(store.count);
}

// After the toolpath was read from the text: the document's measures follow.
void Measure(CDocument& doc) {
  if (ComputeStatistics(doc.store)) {
    if (doc.store.stats.rapidMax[2] > -10000.0) doc.retractHeight = doc.store.stats.rapidMax[2];
    doc.RefreshCuttingFeed();
  }
  doc.Redraw();
}

}  // namespace

std::string LineEndOf(const std::string& text) {
  const std::size_t lf = text.find('\n');
  if (lf != std::string::npos) return lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
  return text.find('\r') != std::string::npos ? "\r" : "\n";
}

Outcome OpenProgramText(CApplication&, CDocument& doc) {
  EditedText& et = doc.text;
  if (et.open) return Outcome::Done();
  if (et.path.empty()) return Outcome::Failed(OutcomeCode::Refused, NoText());
  std::string text;
  // Room for the edits to come, so that typing does not move the whole text to new memory.
  if (ReadBoundedFile(et.path, NcTextLines::kMaxText, text, false, kEditRoom) !=
      FileReadError::None)
    return Outcome::CannotOpen(et.path);
  // Our rule: a file changed since it was read no longer holds the program the toolpath was
  // read from: its text is taken, but as one that no longer describes the toolpath.
  const SourceLines lines = doc.CurrentSourceLines();
  const bool same = lines.Files().size() == 1 && SourceFileUnchanged(lines.Files()[0]) &&
                    (!et.index || et.index->TextSize() == text.size());
  if (!same) {
    et.describesAt.reset();
    et.index.reset();
  }
  et.text = std::move(text);
  et.lines.Index(et.text);
  et.open = true;
  et.savedVersion = et.version;
  return Outcome::Done();
}

Outcome ChangeProgramText(CApplication& app, CDocument& doc, std::uint64_t begin, std::uint64_t end,
                          const std::string& with, Txt name) {
  if (Outcome o = OpenProgramText(app, doc); !o.ok()) return o;
  EditedText& et = doc.text;
  if (begin > end || end > et.text.size())
    return Outcome::Failed(OutcomeCode::Refused, "the change lies beyond the text");
  if (et.text.size() - (end - begin) + with.size() > NcTextLines::kMaxText)
    return Outcome::Failed(OutcomeCode::Refused, "the text would be too long");
  const SourceLines current = doc.CurrentSourceLines();
  const MachineSetup setup = doc.layers[doc.layers.workLayer].setup;
  const bool describes = et.Describes(doc.edits);
  doc.undo.SaveUndo(doc.store, name);  // the text's version goes with it (CDocument)
  doc.undo.TagNewest(current, &setup);
  et.Apply(begin, end, with);
  et.lines.Update(et.text, begin, end, begin + with.size());
  const TextChange change{begin, end, begin + with.size()};
  SourceLines lines = current;
  bool spliced = false;
  SpliceResult r;
  if (describes && et.index && et.index->ReadsAs(doc.nc)) {
    auto mine = std::make_shared<ClassicReadIndex>(*et.index);
    NcReadTarget t = ReadTargetOf(app, doc);
    t.sources = &lines;
    t.measureExtent = false;
    if (SpliceClassicRead(t, *mine, et.text, change, &r)) {
      spliced = true;
      et.index = std::move(mine);
      doc.ncReader.lastReadExtended = false;
    }
  }
  if (!spliced) {
    // Our rule: what cannot be spliced (extended reading, a text that no longer described the
    // toolpath, other switches) is read whole; the toolpath then is what the text reads as.
    lines = current;
    ReadWholeText(app, doc, lines);
    r.first = 0;
    r.added = doc.store.count;
  }
  et.changedFirst = r.first;
  et.changedCount = r.added;
  doc.NoteWorkLayerChanged();
  doc.sourceLines.Set(std::move(lines), doc.edits);
  et.describesAt = doc.edits;
  Measure(doc);
  return Outcome::Done();
}

Outcome EditTextLine(CApplication& app, CDocument& doc, std::size_t line, const std::string& with) {
  if (Outcome o = OpenProgramText(app, doc); !o.ok()) return o;
  const EditedText& et = doc.text;
  if (with.find_first_of("\r\n") != std::string::npos)
    return Outcome::Failed(OutcomeCode::Refused, "a line holds no line end");
  if (line < 1 || line > et.lines.Count())
    return Outcome::Failed(OutcomeCode::Refused, "no line " + std::to_string(line) +
                                                     " (the text has " +
                                                     std::to_string(et.lines.Count()) + ")");
  const std::uint64_t b = et.lines.Start(line - 1);
  const std::uint64_t e = b + et.lines.Line(et.text, line - 1).size();
  return ChangeProgramText(app, doc, b, e, with, Txt::CmdEditText);
}

Outcome DeleteTextLines(CApplication& app, CDocument& doc, std::size_t from, std::size_t to) {
  if (Outcome o = OpenProgramText(app, doc); !o.ok()) return o;
  const EditedText& et = doc.text;
  if (from < 1 || to < from || to > et.lines.Count())
    return Outcome::Failed(OutcomeCode::Refused, "no lines " + std::to_string(from) + " to " +
                                                     std::to_string(to) + " (the text has " +
                                                     std::to_string(et.lines.Count()) + ")");
  return ChangeProgramText(app, doc, et.lines.Start(from - 1), et.lines.End(to - 1), "",
                           Txt::CmdEditText);
}

Outcome InsertTextLine(CApplication& app, CDocument& doc, std::size_t line,
                       const std::string& with) {
  if (Outcome o = OpenProgramText(app, doc); !o.ok()) return o;
  const EditedText& et = doc.text;
  if (with.find_first_of("\r\n") != std::string::npos)
    return Outcome::Failed(OutcomeCode::Refused, "a line holds no line end");
  const std::size_t count = et.lines.Count();
  if (line < 1 || line > count + 1)
    return Outcome::Failed(OutcomeCode::Refused, "no line " + std::to_string(line) +
                                                     " to insert before (the text has " +
                                                     std::to_string(count) + ")");
  const std::string end = LineEndOf(et.text);
  if (line <= count)
    return ChangeProgramText(app, doc, et.lines.Start(line - 1), et.lines.Start(line - 1),
                             with + end, Txt::CmdEditText);
  // At the end: a last line without a line end gets one first.
  const std::uint64_t size = et.text.size();
  const bool ended = size == 0 || et.text.back() == '\n' || et.text.back() == '\r';
  return ChangeProgramText(app, doc, size, size, (ended ? "" : end) + with + end, Txt::CmdEditText);
}

namespace {

bool Digit(char c) {
  return c >= '0' && c <= '9';
}

// One line renumbered (numbered: it got a number, `n` then moves on).
std::string RenumberedLine(std::string_view line, bool heidenhain, const RenumberOptions& o,
                           long& n, bool& numbered) {
  numbered = false;
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  const std::string_view rest = line.substr(i);
  if (rest.empty()) return std::string(line);
  std::string out(line.substr(0, i));
  if (heidenhain) {
    std::size_t k = 0;
    while (k < rest.size() && Digit(rest[k])) ++k;
    if (k == 0) return std::string(line);
    numbered = true;
    return out + std::to_string(n) + std::string(rest.substr(k));
  }
  if ((rest[0] == 'N' || rest[0] == 'n') && rest.size() > 1 && Digit(rest[1])) {
    std::size_t k = 1;
    while (k < rest.size() && Digit(rest[k])) ++k;
    numbered = true;
    return out + rest[0] + std::to_string(n) + std::string(rest.substr(k));
  }
  // Our rule: a block is a line that is no comment, no tape mark and no program number.
  const char c = rest[0];
  if (!o.every || c == '%' || c == '(' || c == ';' || c == 'O' || c == 'o' || c == ':' || c == '/')
    return std::string(line);
  numbered = true;
  return out + "N" + std::to_string(n) + " " + std::string(rest);
}

}  // namespace

Outcome RenumberBlocks(CApplication& app, CDocument& doc, const RenumberOptions& options) {
  if (Outcome o = OpenProgramText(app, doc); !o.ok()) return o;
  if (!kRenumberStart.Contains(options.start) || !kRenumberStep.Contains(options.step))
    return Outcome::Failed(OutcomeCode::Refused,
                           "start must be 0 or more and step 1 or more (at most 99999999)");
  const EditedText& et = doc.text;
  const bool heidenhain = doc.nc.heidenhainInputChk == 1;
  std::string made;
  made.reserve(et.text.size() + et.text.size() / 8);
  long n = options.start;
  for (std::size_t i = 0; i < et.lines.Count(); ++i) {
    const std::string_view line = et.lines.Line(et.text, i);
    bool numbered = false;
    made += RenumberedLine(line, heidenhain, options, n, numbered);
    if (numbered) {
      if (n > 99999999 - options.step)
        return Outcome::Failed(OutcomeCode::Refused, "the block numbers would pass 99999999");
      n += options.step;
    }
    const std::uint64_t lineEnd = et.lines.Start(i) + line.size();
    made.append(et.text, lineEnd, et.lines.End(i) - lineEnd);
  }
  // Only the bytes that differ are changed.
  std::size_t b = 0;
  while (b < made.size() && b < et.text.size() && made[b] == et.text[b]) ++b;
  if (b == made.size() && b == et.text.size())
    return Outcome::Unchanged("the blocks are numbered so already");
  std::size_t tail = 0;
  while (tail < made.size() - b && tail < et.text.size() - b &&
         made[made.size() - 1 - tail] == et.text[et.text.size() - 1 - tail])
    ++tail;
  return ChangeProgramText(app, doc, b, et.text.size() - tail,
                           made.substr(b, made.size() - tail - b), Txt::CmdRenumber);
}

Outcome SaveProgramText(CApplication& app, CDocument& doc, const std::string& path) {
  if (Outcome o = OpenProgramText(app, doc); !o.ok()) return o;
  EditedText& et = doc.text;
  std::string why;
  if (!WriteFileReplacing(path, et.text, &why)) {
    app.ShowCannotOpen();
    return Outcome::CannotCreate(path, why);
  }
  et.savedVersion = et.version;
  // The file now holds the text: when the toolpath is what the text reads as, the work layer
  // is written too, and the source lines point at the file as it now is.
  if (et.Describes(doc.edits)) {
    SourceLines lines = doc.CurrentSourceLines();
    et.path = DescribeSourceFile(path).path;
    doc.layers[doc.layers.workLayer].fileName = path;
    doc.title = path;
    SourceLines moved = lines.WithFile(DescribeSourceFile(path));
    doc.sourceLines.Set(std::move(moved), doc.edits);
    doc.NoteWorkLayerWritten();
  }
  return Outcome::Done();
}

std::string TextNoLongerDescribes(const CApplication& app, const CDocument& doc) {
  const EditedText& et = doc.text;
  if (et.path.empty() || et.Describes(doc.edits)) return "";
  return FillText(app.Text(Txt::TextNoLongerToolpath), UndoStepName(app, doc.undo.UndoName()));
}

Outcome TextFromToolpath(CApplication& app, CDocument& doc, const std::string& path) {
  if (doc.store.count == 0) return Outcome::Failed(OutcomeCode::Refused, "the toolpath is empty");
  // The text as it stands is what the undo step brings back.
  (void)OpenProgramText(app, doc);
  CNcOutputDlg dlg;
  dlg.outputPath = path;
  dlg.TakeLayerDefaults(doc.layers[doc.layers.workLayer], doc.nc.heidenhainOutChk);
  dlg.openInEditor = false;
  dlg.heidenhain = false;
  if (doc.nc.heidenhainOutChk == 1) dlg.TickHeidenhain(app.Msg());
  NcVerifyResult verified;
  const Outcome written = SaveNcCommand(app, doc, dlg, doc.nc.heidenhainOutChk, &verified);
  if (!written.ok()) return written;
  std::string text;
  if (ReadBoundedFile(path, NcTextLines::kMaxText, text, false) != FileReadError::None)
    return Outcome::CannotOpen(path);
  // The whole text as one change: one undo step brings back the old text and toolpath.
  EditedText& et = doc.text;
  et.path = DescribeSourceFile(path).path;
  if (!et.open) {  // no program text before: the written one is the first
    et.text.clear();
    et.lines.Index(et.text);
    et.open = true;
  }
  et.describesAt.reset();  // the whole text is read again
  const Outcome o = ChangeProgramText(app, doc, 0, et.text.size(), text, Txt::CmdTextFromToolpath);
  if (o.ok()) {
    et.savedVersion = et.version;
    doc.NoteWorkLayerWritten();
  }
  return o;
}

void RestoreTextOfUndoState(CDocument& doc) {
  EditedText& et = doc.text;
  const auto* v = dynamic_cast<const TextVersion*>(doc.undo.RestoredPayload().get());
  if (v == nullptr || !et.GoTo(v->version)) {
    et.describesAt.reset();
    et.index.reset();
  } else {
    if (v->describes)
      et.describesAt = doc.edits;
    else
      et.describesAt.reset();
    et.index = v->index;
  }
  if (et.open) et.lines.Index(et.text);
  et.changedFirst = et.changedCount = 0;
}

}  // namespace trevalon
