#include "ncio/fanuc_reader.h"

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/undo_ring.h"
#include "ncio/ext_reader.h"
#include "ncio/g_codes.h"
#include "ncio/nc_number.h"
#include "ncio/nc_text_check.h"
#include "ncio/setup_words.h"
#include "platform/system_paths.h"

namespace trevalon {

using ncnumber::IntegerPart;
using ncnumber::ReadRun;
using ncnumber::RunValue;

// ---- Fanuc-style block parser ----------------------------------------------------------------
namespace {

// Characters that decide a line before it is walked: "#" (a macro line, skipped), "(" (a
// comment line) and NUL (the end of the text held in the line buffer). The test runs eight
// characters at a time: it is made on every line of the program.
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

inline std::uint64_t ZeroBytes(std::uint64_t w) {
  return (w - kOnes) & ~w & kHighs;
}

inline bool MayHoldMark(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return (ZeroBytes(w) | ZeroBytes(w ^ (kOnes * '#')) | ZeroBytes(w ^ (kOnes * '('))) != 0;
}

// Scans the line for the marks: -1 for a "#", 1 for a "(" (none of them before a NUL), 0
// otherwise; `len` becomes the length up to a NUL.
inline int ScanLineMarks(const char* s, std::size_t& len) {
  int comment = 0;
  std::size_t i = 0;
  for (;;) {
    while (i + 8 <= len && !MayHoldMark(s + i)) i += 8;
    const std::size_t stop = i + 8 <= len ? i + 8 : len;
    for (; i < stop; ++i) {
      if (s[i] == '#') return -1;
      if (s[i] == '(') comment = 1;
      if (s[i] == '\0') {
        len = i;
        return comment;
      }
    }
    if (i >= len) return comment;
  }
}

// Beside the block, the walk notes whether the line is plain for ClassicDifferences: a line
// in which a control reads nothing otherwise than the classic rules. A letter right before
// another letter (a word of letters) or a blank (a number apart from its address), a macro or
// polar mark ('@', '^', '['), a call M97-M99, a G65 or G66 and a drilling cycle make the line
// one to look at closely; "#" and "(" lines are never plain. The values of G and M are taken
// as ClassicDifferences takes them: the digits right after the letter.
constexpr std::array<std::uint8_t, 256> kNotPlainAfterLetter = [] {
  std::array<std::uint8_t, 256> a{};
  for (int c = 'A'; c <= 'Z'; ++c) a[c] = a[c - 'A' + 'a'] = 1;
  a[' '] = a['\t'] = 1;
  return a;
}();

// The characters the walk passes over unread that may make a line not plain.
constexpr std::array<std::uint8_t, 256> kOtherMark = [] {
  std::array<std::uint8_t, 256> a{};
  for (int c = 'A'; c <= 'Z'; ++c) a[c] = a[c - 'A' + 'a'] = 1;
  a['@'] = a['^'] = a['['] = 1;
  return a;
}();

inline bool PlainAfterLetter(const char* s, std::size_t i, std::size_t len) {
  return i < len && kNotPlainAfterLetter[static_cast<unsigned char>(s[i])] == 0;
}

inline long LookValue(const char* s, std::size_t i, std::size_t len) {
  long v = 0;
  while (i < len && ncnumber::IsDigit(s[i]) && v < 10000) v = v * 10 + (s[i++] - '0');
  return v;
}

inline bool PlainG(long v) {
  const GMeaning m = MeaningOfG(v);
  return m != GMeaning::MacroCall && m != GMeaning::DrillingCycle;
}

// A character the switch of the walk does not read (at s[i - 1]).
bool PlainOther(char ch, const char* s, std::size_t i, std::size_t len) {
  if (ch == '@' || ch == '^' || ch == '[') return false;
  if (!PlainAfterLetter(s, i, len)) return false;
  const char u = ncnumber::Upper(ch);
  if (u == 'G') return PlainG(LookValue(s, i, len));
  if (u == 'M') {
    const long v = LookValue(s, i, len);
    return v < 97 || v > 99;
  }
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A comment line goes into the work layer's comment text: the line without its first
// character, without any "(" or ")", with the blanks at both ends trimmed (the line feed
// counts as a blank), followed by "\r\n".
void AddCommentLine(LayerSlot& layer, const char* s, std::size_t length) {
  std::size_t b = length > 0 ? 1 : 0, e = length;
  std::string text;
  text.reserve(e - b);
  for (std::size_t i = b; i < e; ++i) {
    if (s[i] != '(' && s[i] != ')') text += s[i];
  }
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  layer.comment.append(text, first, last - first);
  layer.comment += "\r\n";
}

// The steps of ParseFanucBlock, in order.

// The start of a block: absolute blocks start from the last position, incremental blocks
// collect their increments in the register. A block without a G word continues a linear or
// rapid motion as its continuation type and an arc as the same arc: the motion type returned.
inline int BeginIsoBlock(FanucModalState& m, PointRegister& reg, int incremental, double start[3],
                         double arcOffset[3]) {
  start[0] = m.modalPosition[0], start[1] = m.modalPosition[1], start[2] = m.modalPosition[2];
  m.blockStart[0] = start[0], m.blockStart[1] = start[1], m.blockStart[2] = start[2];
  if (incremental) {
    reg.x = reg.y = reg.z = 0.0;
  } else {
    reg.x = start[0], reg.y = start[1], reg.z = start[2];
  }
  arcOffset[0] = arcOffset[1] = arcOffset[2] = 0.0;
  int type = m.modalMotion;
  if (type == MOVE_LINE) type = MOVE_LINE_CONT;
  if (type == MOVE_RAPID) type = MOVE_RAPID_CONT;
  return type;
}

// The walk over the words of a block: where it stands, whether every word so far had its
// number (`valid`) and whether the line is still plain for ClassicDifferences.
struct IsoWordWalk {
  IsoWordWalk(const char* text, std::size_t length) : s(text), len(length) {}

  const char* s;
  std::size_t len;
  std::size_t i = 0;
  RunValue v;
  int valid = 1;
  bool plain = true;

  // The number of the word whose letter was just passed; a word without one clears `valid`
  // (the value is then 0 and v.empty tells it).
  double Number() {
    plain = plain && PlainAfterLetter(s, i, len);
    i = ReadRun<false>(s, i, len, v);
    if (v.empty) valid = 0;
    return v.value;
  }
};

// The line feed: the block is read. 1 when it is a move to store: a block that does not move
// is dropped (F-only, M-only, tool change blocks), except an arc, which is a full circle; a
// block with a word without its number is none.
inline int EndIsoBlock(FanucModalState& m, PointRegister& reg, int incremental,
                       const double start[3], int type) {
  if (!m.valid) return 0;
  const bool arc = type == MOVE_ARC_CW || type == MOVE_ARC_CCW;
  if (!incremental) {
    m.modalPosition[0] = reg.x, m.modalPosition[1] = reg.y, m.modalPosition[2] = reg.z;
    if (reg.x == start[0] && reg.y == start[1] && reg.z == start[2]) return arc ? 1 : 0;
    return 1;
  }
  if (reg.x == 0.0 && reg.y == 0.0 && reg.z == 0.0 && !arc) return 0;
  reg.x += start[0], reg.y += start[1], reg.z += start[2];
  m.modalPosition[0] = reg.x, m.modalPosition[1] = reg.y, m.modalPosition[2] = reg.z;
  return 1;
}

}  // namespace

int ParseFanucBlock(NcBlockContext& c, std::string_view line, double arcOffset[3]) {
  std::size_t len = line.size();
  c.plainIso = false;

  // A "#" anywhere skips the line; a "(" anywhere makes the whole line a comment, so a
  // motion block that carries a comment is never read as a move.
  const int marks = ScanLineMarks(line.data(), len);
  if (marks < 0) return 0;
  if (marks > 0) {
    AddCommentLine(c.layer, line.data(), len);
    return 0;
  }

  PointRegister& reg = c.reg;
  FanucModalState& m = c.state.fanuc;
  int& incremental = c.state.incremental;
  LayerSlot& layer = c.layer;
  const double scale = c.scale;
  double start[3];
  int type = BeginIsoBlock(m, reg, incremental, start, arcOffset);

  IsoWordWalk w(line.data(), len);
  while (w.i < len) {
    const char ch = w.s[w.i++];
    switch (ch) {
      case 'G': {
        w.plain = w.plain && PlainG(LookValue(w.s, w.i, len));
        const double g = w.Number();  // a bare G acts as G0
        ApplyClassicG<kIsoClassicG>(IntegerPart(g), {type, reg, incremental, arcOffset, start});
        m.modalMotion = type;
        break;
      }
      case 'X':
      case 'x':
        reg.x = w.Number() * scale;
        break;
      case 'Y':
      case 'y':
        reg.y = w.Number() * scale;
        break;
      case 'Z':
      case 'z':
        reg.z = w.Number() * scale;
        break;
      case 'I':
      case 'i':
        arcOffset[0] = w.Number() * scale;
        break;
      case 'J':
      case 'j':
        arcOffset[1] = w.Number() * scale;
        break;
      case 'K':
      case 'k':
        arcOffset[2] = w.Number() * scale;
        break;
      case 'R': {
        const double r = w.Number();
        if (w.v.empty) break;  // the radius and the offset stay as they were
        reg.radius = r * scale;
        // The centre is computed the moment R is read: an R written before the end point's
        // words sees the end as it stands at that point of the block.
        double end[3] = {reg.x, reg.y, reg.z};
        if (incremental) end[0] += start[0], end[1] += start[1], end[2] += start[2];
        ArcCentreFromRadius(reg.plane, start, end, reg.radius, type, arcOffset);
        break;
      }
      case 'F':
      case 'f':
        reg.feed = ClassicFeed(c.state, w.Number());
        break;
      case 'S':
      case 's':
        layer.spindle = IntegerPart(w.Number());
        break;
      case 'T':
      case 't':
        layer.toolNumber = layer.toolOffset = IntegerPart(w.Number());
        break;
      case 'H':
      case 'h': {
        const double h = w.Number();
        if (!w.v.empty) layer.toolOffset = IntegerPart(h);  // else the offset number stays
        break;
      }
      case 'O':
      case 'o':
        layer.programNumber = IntegerPart(w.Number());
        break;
      case 'c':  // a lower-case c ends the block at once
        reg.type = type;
        m.valid = w.valid;
        return 0;
      case '\n':
        c.plainIso = w.plain;
        reg.type = type;
        m.valid = w.valid;
        return EndIsoBlock(m, reg, incremental, start, type);
      default:  // N, M, P, Q, D, L, blanks and every other character
        if (kOtherMark[static_cast<unsigned char>(ch)] != 0)
          w.plain = w.plain && PlainOther(ch, w.s, w.i, len);
        break;
    }
  }
  // The walk passed the end of the line without a line feed: a last line without a line
  // feed, or the first 79 characters of a longer line, is not a block.
  reg.type = type;
  m.valid = w.valid;
  return 0;
}

// ---- Reading the file ------------------------------------------------------------------------
namespace {

// The line buffer of the read: every read gives at most 79 characters, up to and including
// a line feed; a longer line is split and its tail comes as the next line. The file is read
// in binary chunks and the pairs CR LF become LF as a text-mode read makes them, before the
// characters are counted, so a program written with CR LF reads exactly like one with LF.
class NcLineReader {
 public:
  // A quarter of a MiB: large enough that reading costs little beside parsing, small enough
  // that the buffer adds little to what a long program's records take.
  static constexpr std::size_t kChunk = 1 << 18;
  static constexpr std::size_t kLineChars = 79;
  // Raw bytes needed to decide one line: 79 characters, a CR and an LF.
  static constexpr std::size_t kLookAhead = kLineChars + 2;

  explicit NcLineReader(std::FILE* f) : file_(f) {}
  // Over a text held in memory, from byte `from` of it: the lines and their places are those
  // a read of a file holding the text finds from there.
  NcLineReader(std::string_view text, std::uint64_t from)
      : file_(nullptr), text_(text), taken_(from), consumed_(from), lineStart_(from) {}

  // Allocates the buffer and reads the first chunk; 0 when the memory cannot be had or the
  // stream cannot be read at all.
  int Start() {
    buffer_.reset(new (std::nothrow) char[kChunk + kLookAhead]);
    if (!buffer_) return 0;
    next_ = end_ = buffer_.get();
    Fill();
    return !(file_ && std::ferror(file_) && next_ == end_);
  }

  // The next line; false at the end of the file.
  bool Next(std::string_view& line) {
    if (static_cast<std::size_t>(end_ - next_) < kLookAhead && !eof_) Fill();
    char* p = next_;
    const std::size_t avail = static_cast<std::size_t>(end_ - p);
    if (avail == 0) return false;
    const std::size_t window = avail < kLineChars + 1 ? avail : kLineChars + 1;
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', window));
    std::size_t length, used;
    if (lf != nullptr && lf - p < static_cast<std::ptrdiff_t>(kLineChars)) {
      const std::size_t k = static_cast<std::size_t>(lf - p);
      used = k + 1;
      if (k > 0 && p[k - 1] == '\r') {
        p[k - 1] = '\n';  // CR LF reads as LF
        length = k;
      } else {
        length = k + 1;
      }
    } else if (lf != nullptr && p[kLineChars - 1] == '\r') {
      // 78 characters and CR LF: the line and its line feed fit.
      p[kLineChars - 1] = '\n';
      length = kLineChars;
      used = kLineChars + 1;
    } else {
      length = used = avail < kLineChars ? avail : kLineChars;
    }
    line = std::string_view(p, length);
    next_ = p + used;
    lineStart_ = consumed_;
    consumed_ += used;
    return true;
  }
  // Right after Start: whether the first kTextProbeBytes bytes of the stream hold a NUL byte.
  bool BinaryNearStart() const {
    const std::size_t n = static_cast<std::size_t>(end_ - next_);
    return std::memchr(next_, '\0', n < kTextProbeBytes ? n : kTextProbeBytes) != nullptr;
  }
  // Where the line Next gave last starts in the stream (bytes from where the read started).
  std::uint64_t LineStart() const { return lineStart_; }

 private:
  void Fill() {
    const std::size_t keep = static_cast<std::size_t>(end_ - next_);
    if (next_ != buffer_.get() && keep > 0) std::memmove(buffer_.get(), next_, keep);
    next_ = buffer_.get();
    end_ = next_ + keep;
    while (!eof_ && static_cast<std::size_t>(end_ - next_) < kLookAhead) {
      const std::size_t room = kChunk + kLookAhead - static_cast<std::size_t>(end_ - next_);
      if (file_ == nullptr) {  // a text in memory
        const std::size_t got = std::min<std::size_t>(room, text_.size() - taken_);
        std::memcpy(end_, text_.data() + taken_, got);
        taken_ += got;
        end_ += got;
        if (taken_ >= text_.size()) eof_ = true;
        continue;
      }
      const std::size_t got = std::fread(end_, 1, room, file_);
      end_ += got;
      // A read error ends the file where it happened, as a line read does.
      if (got == 0 || std::feof(file_) || std::ferror(file_)) eof_ = true;
    }
  }

  std::FILE* file_;
  std::string_view text_;  // without a file: the text, of which taken_ bytes went in
  std::size_t taken_ = 0;
  std::unique_ptr<char[]> buffer_;
  char* next_ = nullptr;
  char* end_ = nullptr;
  bool eof_ = false;
  std::uint64_t consumed_ = 0, lineStart_ = 0;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A path that names a directory opens on some systems but reads as nothing; it counts as a
// file that cannot be opened.
FileHandle OpenProgram(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(NativePath(path), ec)) return nullptr;
  return FileHandle(OpenFile(path, "rb"));
}

// After ArcToChords failed: the chord points went in order from `from` on until a page could
// not be had (a missing page, or one still shared with a snapshot that could not be copied),
// so the records stored are exactly those below the first such page.
std::uint32_t StoredUpTo(const CPointStore& store, std::uint32_t from) {
  std::uint32_t k = from;
  while (k < CPointStore::kCapacity && store.WritableInPlace(k))
    k = (k / CPointStore::kPageSize + 1) * CPointStore::kPageSize;
  return k < CPointStore::kCapacity ? k : CPointStore::kCapacity;
}

// Limits the move in the register (and the arc's centre offset) to what a record holds and
// counts the block in the classic read's limits.
void LimitClassicMove(NcReaderState& state, PointRegister& reg, double* arcOffset) {
  double p[3] = {reg.x, reg.y, reg.z};
  bool limited = LimitToRecord(p);
  reg.x = p[0], reg.y = p[1], reg.z = p[2];
  if (arcOffset && LimitToRecord(arcOffset)) limited = true;
  if (limited) state.classicLimits.Pass("coord-limited");
}

// The read proper, over a reader that has its first chunk.
int ReadLines(const NcReadTarget& t, NcLineReader& lines, NcReadOutcome* outcome) {
  CPointStore& store = t.store;
  PointRegister& reg = store.reg;
  LayerSlot& layer = t.workLayer;

  t.state.incremental = 0;
  t.state.classicLimits = ExtReadReport{};
  t.state.classicLimits.language = t.state.language;
  reg.mark = 0;
  reg.plane = PLANE_XY;
  layer.comment.clear();
  layer.spindle = layer.toolNumber = layer.toolOffset = layer.programNumber = 0;
  layer.setup = MachineSetup{};
  // The setup is what the blocks up to the read's first cut said (setup_words.h): the
  // approach rapids are part of it.
  bool cutRead = false;
  ConversationalSetupScan conversationalSetup;

  // The switches cannot change while a read runs, so they are taken once.
  NcBlockContext c{reg, t.state, layer, t.nc.intNcdataFlg == 1 ? 0.001 : 1.0};
  const bool arcsAsChords = t.nc.arcToCutInputChk == 1;
  bool heidenhain = false;
  bool first = true;

  // The records of a line come from where the line starts; they are noted when the next line
  // begins, and at the end.
  std::uint64_t at = 0;
  const auto note = [&] {
    if (t.sources) t.sources->Reach(store.count, at);
  };
  // Beside the read, the lines its rules read differently from a control are counted, so that
  // the user learns of them; the read itself does not change.
  ClassicDifferences differences(t.nc.heidenhainInputChk == 1);
  auto storeFull = [&] {
    note();
    t.state.lastClassic = differences.Note();
    if (outcome) *outcome = NcReadOutcome::StoreFull;
    return 0;
  };
  std::string_view line;
  double arcOffset[3];
  // The line of the program the piece read comes from (a line longer than the buffer comes
  // in several pieces), for what the read reports.
  long lineNumber = 0;
  bool lineEnded = true;
  ClassicLiveState live{reg,         t.state,    layer, cutRead,   conversationalSetup,
                        differences, lineNumber, first, heidenhain};
  if (t.observer) [[unlikely]] {
    live.count = store.count;
    live.offset = lines.LineStart();
    t.observer->Begin(live);
  }
  while (lines.Next(line)) {
    note();
    if (t.observer && lineEnded) [[unlikely]] {
      live.count = store.count;
      live.offset = lines.LineStart();
      if (!t.observer->Line(live)) break;
    }
    at = lines.LineStart();
    if (lineEnded) t.state.classicLimits.line = ++lineNumber;
    lineEnded = !line.empty() && line.back() == '\n';
    if (first) {
      // Any value other than 1 is reset to 0 when the first block is read.
      if (t.nc.heidenhainInputChk != 1) t.nc.heidenhainInputChk = 0;
      heidenhain = t.nc.heidenhainInputChk == 1;
      first = false;
    }
    if (!cutRead) {
      if (heidenhain)
        conversationalSetup.Block(layer.setup, line);
      else
        NoteIsoSetupBlock(layer.setup, line);
    }
    const int move =
        heidenhain ? ParseHeidenhainBlock(c, line, arcOffset) : ParseFanucBlock(c, line, arcOffset);
    differences.Take(line, !heidenhain && c.plainIso);
    if (!move || reg.type == MOVE_NONE) continue;
    const int type = reg.type;
    const bool arcMove = type == MOVE_ARC_CW || type == MOVE_ARC_CCW;
    // The centre's component along the plane's normal is never stored (both arc paths below
    // drop it), so it is not a value to limit either.
    if (arcMove) arcOffset[reg.plane == PLANE_ZX ? 1 : reg.plane == PLANE_YZ ? 0 : 2] = 0.0;
    // Our rule: a coordinate (end point or centre offset) a record cannot hold is stored
    // limited to what it holds and reported, as extended reading does; the parser's own
    // position keeps the value as written, so the blocks after it read as they always have.
    if (!(std::fabs(reg.x) <= kRecordCoordLimit && std::fabs(reg.y) <= kRecordCoordLimit &&
          std::fabs(reg.z) <= kRecordCoordLimit) ||
        (arcMove && !RecordHolds(arcOffset))) [[unlikely]]
      LimitClassicMove(t.state, reg, arcMove ? arcOffset : nullptr);
    cutRead = cutRead || !IsRapidType(type);
    if (type == MOVE_ARC_CW || type == MOVE_ARC_CCW) {
      if (arcsAsChords) {
        const std::uint32_t next =
            ArcToChords(store, store.count, type, arcOffset, kReaderChordTolerance);
        if (next == 0) {
          store.count = StoredUpTo(store, store.count);
          return storeFull();
        }
        store.count = next;
        continue;
      }
      if (!store.StorePoint(store.count)) return storeFull();
      ++store.count;
      // The centre record: the offset from the arc's start, without the component along
      // the plane's normal, with the plane code as its type and the arc's feed and mark.
      if (reg.plane != PLANE_ZX && reg.plane != PLANE_YZ) reg.plane = PLANE_XY;
      arcOffset[reg.plane == PLANE_XY ? 2 : reg.plane == PLANE_ZX ? 1 : 0] = 0.0;
      reg.x = arcOffset[0], reg.y = arcOffset[1], reg.z = arcOffset[2];
      reg.type = reg.plane;
      if (!store.StorePoint(store.count)) return storeFull();
      ++store.count;
      continue;
    }
    if (!store.StorePoint(store.count)) return storeFull();
    ++store.count;
  }
  note();
  t.state.lastClassic = differences.Note();
  if (t.observer) [[unlikely]] {
    live.count = store.count;
    live.offset = lines.LineStart();
    t.observer->End(live);
  }
  if (t.measureExtent) store.Extent(store.extentMin, store.extentMax);
  if (outcome) *outcome = NcReadOutcome::Read;
  return 1;
}

// Extended reading of programs with program flow, Heidenhain programs and streams that cannot
// seek takes the whole text at once: flow jumps back and forth, and the Heidenhain reader
// works on the line table (plain ISO programs from a file are read in pieces, see
// ReadExtendedStream). false when the stream cannot be read.
// A stream that can seek (a file) tells its size first, and the text is made to it at once:
// a long program is then never held twice while the text grows.
bool ReadWholeStream(std::FILE* file, std::string& text) {
  const long at = std::ftell(file);
  if (at >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
    const long end = std::ftell(file);
    if (std::fseek(file, at, SEEK_SET) != 0) return false;  // not where the text starts
    if (end > at) text.reserve(static_cast<std::size_t>(end - at));
  }
  char chunk[1 << 16];
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    text.append(chunk, got);
    if (got < sizeof chunk) break;
  }
  return !(std::ferror(file) && text.empty());
}

// What an extended read may change, kept so that a load's undo step can go back to it.
struct ExtReadStart {
  RecordSnapshot records;
  bool kept = false;
  PointRegister reg;
  double extentMin[3], extentMax[3];
  std::string comment;
  std::int32_t spindle, toolNumber, toolOffset, programNumber;
  MachineSetup setup;

  ExtReadStart(const NcReadTarget& t) : kept(t.store.Snapshot(records) != 0), reg(t.store.reg) {
    for (int a = 0; a < 3; ++a)
      extentMin[a] = t.store.extentMin[a], extentMax[a] = t.store.extentMax[a];
    const LayerSlot& l = t.workLayer;
    comment = l.comment;
    spindle = l.spindle, toolNumber = l.toolNumber, toolOffset = l.toolOffset;
    programNumber = l.programNumber;
    setup = l.setup;
  }
  void Restore(const NcReadTarget& t) const {
    t.store.Restore(records);
    t.store.reg = reg;
    for (int a = 0; a < 3; ++a)
      t.store.extentMin[a] = extentMin[a], t.store.extentMax[a] = extentMax[a];
    LayerSlot& l = t.workLayer;
    l.comment = comment;
    l.spindle = spindle, l.toolNumber = toolNumber, l.toolOffset = toolOffset;
    l.programNumber = programNumber;
    l.setup = setup;
  }
};

// A program whose run stops (an alarm, a loop that never ends, calls nested too deep) keeps
// the moves read before the stop, as a control has run them up to there; the outcome
// (Stopped) and the report's stopReason say so. `undo` (a load) gets the snapshot of the
// toolpath before the read.
// `read(report, outcome)` is the read itself, as ReadNcExtended.
template <class Read>
int ReadExtendedWith(const NcReadTarget& t, NcReadOutcome* outcome, CUndoRing* undo, Read read) {
  const ExtReadStart start(t);
  if (undo && !start.kept)
    undo->SaveUndo(t.store, Txt::CmdLoad);  // no snapshot to go back to: as before
  if (undo) {
    t.store.count = 0;
    t.store.reg.type = MOVE_NONE;
    t.store.reg.feed = 0;
  }
  t.state.lastReport = ExtReadReport{};
  t.state.lastReport.language = t.state.language;
  NcReadOutcome o = NcReadOutcome::Read;
  const int r = read(t.state.lastReport, &o);
  if (r == 0 && o == NcReadOutcome::Read) o = NcReadOutcome::Stopped;
  if (undo && start.kept) {
    // The load's undo step holds the toolpath as it was before the read.
    RecordSnapshot read;
    if (t.store.Snapshot(read)) {
      const PointRegister reg = t.store.reg;
      t.store.Restore(start.records);
      undo->SaveUndo(t.store, Txt::CmdLoad);
      t.store.Restore(read);
      t.store.reg = reg;
    }
  }
  if (outcome) *outcome = o;
  return r;
}

int ReadExtendedText(const NcReadTarget& t, std::string_view text, NcReadOutcome* outcome,
                     CUndoRing* undo) {
  return ReadExtendedWith(t, outcome, undo, [&](ExtReadReport& report, NcReadOutcome* o) {
    return ReadNcExtended(t, text, report, o);
  });
}

// The start of an extended read: the whole text, refused when it is not an NC program.
// false, with the outcome set, when nothing may change.
bool TakeExtendedText(std::FILE* file, std::string& text, NcReadOutcome* outcome) {
  if (file == nullptr || !ReadWholeStream(file, text)) {
    if (outcome) *outcome = NcReadOutcome::CannotOpen;
    return false;
  }
  if (!IsNcText(text)) {
    if (outcome) *outcome = NcReadOutcome::NotText;
    return false;
  }
  return true;
}

// A stream read a piece at a time into one buffer that serves every piece: each piece ends
// at a line end (a CR is kept back until the byte after it is known, for a CR LF), the last
// one where the stream ends. A line longer than the buffer makes it grow.
class NcPieceReader {
 public:
  explicit NcPieceReader(std::FILE* file) : file_(file), buffer_(kPiece) {}

  // false once the stream has given everything.
  bool Next(std::string_view& piece) {
    std::memmove(buffer_.data(), buffer_.data() + taken_, size_ - taken_);
    size_ -= taken_;
    taken_ = 0;
    for (;;) {
      if (!end_) {
        if (size_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
        const std::size_t want = buffer_.size() - size_;
        const std::size_t got = std::fread(buffer_.data() + size_, 1, want, file_);
        size_ += got;
        if (got < want) {
          end_ = true;
          failed_ = std::ferror(file_) != 0;
        }
      }
      std::size_t k = size_;
      if (!end_) {
        while (k > 0 && buffer_[k - 1] != '\n' && !(buffer_[k - 1] == '\r' && k < size_)) --k;
        if (k == 0) continue;  // no whole line yet
      } else if (k == 0) {
        return false;
      }
      piece = std::string_view(buffer_.data(), k);
      taken_ = k;
      return true;
    }
  }
  bool Failed() const { return failed_; }

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 16;
  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t size_ = 0, taken_ = 0;
  bool end_ = false, failed_ = false;
};

// An extended read of a stream. A plain ISO program, the common long one, is read twice a
// piece at a time from a stream that can seek: once to check the text and tell its dialect and
// whether it holds program flow, once to run it; so that the whole text is never held, which
// for a long program costs more in fresh memory than a second read of the file does. Every
// other program, a stream that cannot seek, and a stream that fails on the way are read whole.
int ReadExtendedStream(const NcReadTarget& t, std::FILE* file, NcReadOutcome* outcome,
                       CUndoRing* undo) {
  const auto whole = [&] {
    std::string text;
    if (!TakeExtendedText(file, text, outcome)) return 0;
    return ReadExtendedText(t, text, outcome, undo);
  };
  const long at = file == nullptr ? -1 : std::ftell(file);
  if (at < 0 || std::fseek(file, at, SEEK_SET) != 0) return whole();
  NcDialect dialect = NcDialect::Unknown;
  bool macro = false, failed = false;
  {
    NcPieceReader pieces(file);
    std::string_view piece;
    while (pieces.Next(piece)) {
      if (!IsNcText(piece)) {
        if (outcome) *outcome = NcReadOutcome::NotText;
        return 0;
      }
      if (!macro) macro = MayHoldMacro(piece);
      if (dialect == NcDialect::Unknown) dialect = DetectTextDialect(piece);
    }
    failed = pieces.Failed();
  }
  if (std::fseek(file, at, SEEK_SET) != 0) {
    if (outcome) *outcome = NcReadOutcome::CannotOpen;
    return 0;
  }
  if (failed || macro || ExtendedReadDialect(dialect, t.nc) != NcDialect::Iso) return whole();
  return ReadExtendedWith(t, outcome, undo, [&](ExtReadReport& report, NcReadOutcome* o) {
    ExtPlainIsoRead read(t, report);
    NcPieceReader pieces(file);
    std::string_view piece;
    while (pieces.Next(piece) && read.Feed(piece)) {
    }
    return read.Finish(o);
  });
}

}  // namespace

namespace {

// A read that refuses binary files, refused: nothing has changed.
int RefusedAsBinary(NcReadOutcome* outcome) {
  if (outcome) *outcome = NcReadOutcome::Binary;
  return 0;
}

// Extended reading takes its text apart from the classic line buffer: its binary check is
// CheckNcText's own.
bool ExtendedRefusesBinary(const NcReadTarget& t, const std::string& path) {
  return t.refuseBinary && t.nc.extendedReadingChk == 1 &&
         CheckNcText(path) == NcTextCheck::NotText;
}

}  // namespace

int AppendNcStream(const NcReadTarget& t, std::FILE* file, NcReadOutcome* outcome) {
  const auto begin = [&t] {
    t.state.lastReadExtended = t.nc.extendedReadingChk == 1;
    t.state.lastClassic = ClassicReadNote{};
  };
  if (t.nc.extendedReadingChk == 1) {
    begin();
    return ReadExtendedStream(t, file, outcome, nullptr);
  }
  NcLineReader lines(file);
  const bool started = lines.Start();
  if (started && t.refuseBinary && lines.BinaryNearStart()) return RefusedAsBinary(outcome);
  begin();
  if (!started) {
    if (outcome) *outcome = NcReadOutcome::CannotOpen;
    return 0;
  }
  return ReadLines(t, lines, outcome);
}

int AppendNcProgram(const NcReadTarget& t, const std::string& path, NcReadOutcome* outcome) {
  if (ExtendedRefusesBinary(t, path)) return RefusedAsBinary(outcome);
  FileHandle f = OpenProgram(path);
  if (!f) {
    if (outcome) *outcome = NcReadOutcome::CannotOpen;
    return 0;
  }
  return AppendNcStream(t, f.get(), outcome);
}

int ReadClassicText(const NcReadTarget& t, std::string_view text, std::uint64_t from,
                    NcReadOutcome* outcome) {
  NcLineReader lines(text, from);
  if (!lines.Start()) {
    if (outcome) *outcome = NcReadOutcome::StoreFull;  // no memory for the line buffer
    return 0;
  }
  t.state.lastReadExtended = false;
  t.state.lastClassic = ClassicReadNote{};
  return ReadLines(t, lines, outcome);
}

int LoadNcProgram(const NcReadTarget& t, CUndoRing& undo, const std::string& path,
                  NcReadOutcome* outcome) {
  // The file is opened and its first chunk read before anything changes: a program that
  // cannot be opened leaves the store, the register and the undo ring as they were.
  if (ExtendedRefusesBinary(t, path)) return RefusedAsBinary(outcome);
  FileHandle f = OpenProgram(path);
  NcLineReader lines(f.get());
  const bool started = t.nc.extendedReadingChk != 1 && f && lines.Start();
  if (started && t.refuseBinary && lines.BinaryNearStart()) return RefusedAsBinary(outcome);
  t.state.lastReadExtended = t.nc.extendedReadingChk == 1;
  t.state.lastClassic = ClassicReadNote{};
  if (t.state.lastReadExtended) return ReadExtendedStream(t, f.get(), outcome, &undo);
  if (!started) {
    if (outcome) *outcome = NcReadOutcome::CannotOpen;
    return 0;
  }
  undo.SaveUndo(t.store, Txt::CmdLoad);
  t.store.count = 0;
  t.store.reg.type = MOVE_NONE;
  t.store.reg.feed = 0;
  return ReadLines(t, lines, outcome);
}

}  // namespace trevalon
