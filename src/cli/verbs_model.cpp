// Verbs of the toolpath model: building and dumping records, statistics, layers, undo and
// selection.

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <ostream>

#include "app/layer_commands.h"
#include "app/machine_settings.h"
#include "cli/output.h"
#include "cli/script.h"

namespace trevalon::cli {

namespace {

void Add(Session& s, const Args& a) {
  a.Expect(5, 6);
  long type = a.Int(0, "TYPE");
  if (type != 0 && !IsMotionType(static_cast<int>(type)) && !IsPlaneCode(static_cast<int>(type)))
    Usage("add: TYPE must be a motion type (0 1 2 3 4 6 8) or a plane code (91 92 93)");
  CPointStore& st = s.doc->store;
  if (st.count >= CPointStore::kCapacity) Failure("add: the point store is full");
  st.reg.type = static_cast<int>(type);
  // Our rule: add stores any record a record can hold, also one the store's own test nulls
  // when it is read (a coordinate beyond 32700), but never a number that single precision
  // turns into an infinity, nor a feed or mark beyond the record's 16 bits.
  constexpr RealRange kSingle{-std::numeric_limits<float>::max(),
                              std::numeric_limits<float>::max()};
  auto sixteen = [&](std::size_t i, const char* what) {
    const long v = a.Int(i, what);
    if (v < std::numeric_limits<std::int16_t>::min() ||
        v > std::numeric_limits<std::int16_t>::max())
      Usage(std::string("add: ") + what + " must lie in -32768 to 32767");
    return static_cast<std::int32_t>(v);
  };
  const double x = a.Real(1, "X", kSingle), y = a.Real(2, "Y", kSingle),
               z = a.Real(3, "Z", kSingle);
  const std::int32_t feed = sixteen(4, "FEED"), mark = a.size() > 5 ? sixteen(5, "MARK") : 0;
  st.reg.x = x, st.reg.y = y, st.reg.z = z;
  st.reg.feed = feed;
  st.reg.mark = mark;
  if (IsPlaneCode(st.reg.type)) st.reg.plane = st.reg.type;
  if (!st.StorePoint(st.count)) Failure("add: the point store is full");
  ++st.count;
}

void Dump(Session& s, const Args& a) {
  a.Expect(0, 2);
  CPointStore& st = s.doc->store;
  // The words are checked whether or not there is anything to print.
  long from = a.size() > 0 ? a.Int(0, "FROM") : 0;
  long to = a.size() > 1 ? a.Int(1, "TO") : static_cast<long>(st.count) - 1;
  if (from < 0) Usage("dump: FROM must not be negative");
  if (st.count == 0) return;
  if (to >= static_cast<long>(st.count)) to = static_cast<long>(st.count) - 1;
  char line[160];
  for (long i = from; i <= to; ++i) {
    const PointRecord* r = st.RawRecord(static_cast<std::uint32_t>(i));
    PointRecord rec = r ? *r : PointRecord{32700.0f, 32700.0f, 32700.0f, 300, 0, MOVE_NONE};
    std::snprintf(line, sizeof line, "%u %d %.4f %.4f %.4f %d %d\n", static_cast<unsigned>(i),
                  rec.type, static_cast<double>(rec.x), static_cast<double>(rec.y),
                  static_cast<double>(rec.z), rec.feed, rec.mark);
    s.out << line;
  }
}

void Info(Session& s, const Args& a) {
  a.Expect(0, 0);
  PrintStatisticsJson(s.out, s.doc->store, ReadMachineSettings(s.app));
}

void ClearVerb(Session& s, const Args& a) {
  a.Expect(0, 0);
  ClearCommand(s.app, *s.doc);
}
// Undo and redo say on the error stream what they took back or put back, as the desktop's
// help line does.
void UndoVerb(Session& s, const Args& a) {
  a.Expect(0, 0);
  UndoCommand(s.app, *s.doc);
  s.err << s.platform.helpText << "\n";
}
void RedoVerb(Session& s, const Args& a) {
  a.Expect(0, 0);
  RedoCommand(s.app, *s.doc);
  s.err << s.platform.helpText << "\n";
}

int LayerNumber(const Args& a, std::size_t i, const char* what) {
  long n = a.Int(i, what);
  if (n < 0 || n >= CLayerTable::kUserLayers) Usage(std::string(what) + " must lie in 0 to 99");
  return static_cast<int>(n);
}

void Layer(Session& s, const Args& a) {
  a.Expect(1, 1);
  SwitchLayerCommand(*s.doc, LayerNumber(a, 0, "N"));
}

void CopyLayerVerb(Session& s, const Args& a) {
  a.Expect(2, 2);
  int src = LayerNumber(a, 0, "SRC"), dst = LayerNumber(a, 1, "DST");
  CopyLayerCommand(s.app, *s.doc, src, dst);
}

void Echo(Session& s, const Args& a) {
  a.Expect(2, 1000);
  bool on;
  if (a[0] == "on")
    on = true;
  else if (a[0] == "off")
    on = false;
  else
    Usage("echo: the first word is on or off");
  std::string list;
  for (std::size_t i = 1; i < a.size(); ++i) list += a[i] + " ";
  EchoLayersCommand(*s.doc, on, list);
}

void LayerInfo(Session& s, const Args& a) {
  a.Expect(1, 1, {"name", "file", "program", "tool", "offset", "spindle", "comment"});
  LayerSlot& l = s.doc->layers[LayerNumber(a, 0, "N")];
  if (a.options().empty()) {
    s.out << "name=" << QuoteWord(l.name) << "\nfile=" << QuoteWord(l.fileName)
          << "\nprogram=" << l.programNumber << "\ntool=" << l.toolNumber
          << "\noffset=" << l.toolOffset << "\nspindle=" << l.spindle
          << "\ncomment=" << QuoteWord(l.comment) << "\necho=" << (l.echo ? 1 : 0)
          << "\npoints=" << (l.snapshotAllocated ? l.snapshot.count() : 0) << '\n';
    // What the program read into it said before its first move, when it said anything.
    if (!l.setup.Empty()) s.out << "setup=" << QuoteWord(l.setup.Describe()) << '\n';
    return;
  }
  // All values are checked before any is written, so a bad one changes nothing.
  auto number = [&](const char* key, std::int32_t current) -> std::int32_t {
    long v = a.IntOption(key, current);
    const IntRange range = LayerSlot::kNumberRange;
    if (!range.Contains(v))
      Usage(std::string("layerinfo: ") + key + " must lie in " + std::to_string(range.lo) + " to " +
            std::to_string(range.hi));
    return static_cast<std::int32_t>(v);
  };
  std::int32_t program = number("program", l.programNumber), tool = number("tool", l.toolNumber),
               offset = number("offset", l.toolOffset), spindle = number("spindle", l.spindle);
  if (const std::string* v = a.Option("name")) l.name = *v;
  if (const std::string* v = a.Option("file")) l.fileName = *v;
  if (const std::string* v = a.Option("comment")) l.comment = *v;
  l.programNumber = program, l.toolNumber = tool, l.toolOffset = offset, l.spindle = spindle;
  if (LayerNumber(a, 0, "N") == s.doc->layers.workLayer) s.doc->title = l.fileName;
}

void Select(Session& s, const Args& a) {
  a.Expect(5, 6);
  if (a[0] != "rect") Usage("select: only 'select rect X1 Y1 X2 Y2 [shift]'");
  bool shift = false;
  if (a.size() == 6) {
    if (a[5] != "shift") Usage("select: the last word may only be shift");
    shift = true;
  }
  auto px = [&](std::size_t i, const char* what) {
    long v = a.Int(i, what);
    if (v < -1000000 || v > 1000000) Usage(std::string(what) + " is outside the window");
    return static_cast<int>(v);
  };
  WindowRect r{px(1, "X1"), px(2, "Y1"), px(3, "X2"), px(4, "Y2")};
  if (shift)
    SelectInRectangle(s.doc->store, s.doc->view, r);
  else
    TogglePathsInRectangle(s.doc->store, s.doc->view, r);
}

void Selection(Session& s, const Args& a) {
  a.Expect(1, 1);
  CPointStore& st = s.doc->store;
  if (a[0] == "clear")
    st.ClearSelection();
  else if (a[0] == "invert")
    st.InvertSelection();
  else if (a[0] == "clearmarks")
    st.ClearMarks();
  else
    Usage("selection: clear, invert or clearmarks");
}

VerbRegistrar registrar{
    {"add", "add TYPE X Y Z FEED [MARK]   append one record", Add},
    {"dump", "dump [FROM [TO]]   print records as stored", Dump},
    {"info", "info   toolpath statistics and machine time as JSON", Info},
    {"clear", "clear   empty the point store (undoable)", ClearVerb},
    {"undo", "undo", UndoVerb},
    {"redo", "redo", RedoVerb},
    {"layer", "layer N   switch the work layer", Layer},
    {"copylayer", "copylayer SRC DST   append the toolpaths of SRC to DST", CopyLayerVerb},
    {"echo", "echo on|off LIST   echo layers, e.g. echo on 3 7-12 20", Echo},
    {"layerinfo", "layerinfo N [name=] [file=] [program=] [tool=] [offset=] [spindle=] [comment=]",
     LayerInfo},
    {"select", "select rect X1 Y1 X2 Y2 [shift]   toggle paths (or select moves with shift)",
     Select},
    {"selection", "selection clear|invert|clearmarks", Selection},
};

}  // namespace

}  // namespace trevalon::cli
