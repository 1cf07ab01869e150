#include "ncio/nc_writer.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "model/layer_table.h"
#include "model/statistics.h"
#include "platform/file_io.h"
#include "texts/messages.h"

namespace trevalon {

// ---- Number formats ------------------------------------------------------------------

namespace {

// The decimal digits of n with at least `minDigits` digits (leading zeros), appended.
inline char* AppendDigits(char* p, unsigned long long n, int minDigits) {
  char tmp[24];
  int k = 0;
  do {
    tmp[k++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0 || k < minDigits);
  while (k > 0) *p++ = tmp[--k];
  return p;
}

// v scaled to thousandths and rounded the way printf rounds the exact binary value: to the
// nearest, ties to even. With a 64-bit long double mantissa the product v * 1000 is exact
// (53 + 7 bits), so one rounding of it equals printf's rounding of the decimal expansion.
// False when that does not hold (huge values, NaN, a narrow long double): use printf then.
inline bool ScaledThousandths(double v, unsigned long long& n) {
  if constexpr (LDBL_MANT_DIG < 64) {
    return false;
  } else {
    if (!(std::fabs(v) < 1e15)) return false;
    long double scaled = static_cast<long double>(v) * 1000.0L;
    n = static_cast<unsigned long long>(std::fabs(std::nearbyint(scaled)));
    return true;
  }
}

inline char* Put(char* p, const char* s) {
  while (*s) *p++ = *s++;
  return p;
}

}  // namespace

char* AppendFixed3(char* p, double v) {
  unsigned long long n;
  if (!ScaledThousandths(v, n)) return p + std::snprintf(p, 400, "%.3f", v);
  if (std::signbit(v)) *p++ = '-';
  p = AppendDigits(p, n / 1000, 1);
  *p++ = '.';
  return AppendDigits(p, n % 1000, 3);
}

char* AppendInt(char* p, long v) {
  unsigned long long n = static_cast<unsigned long long>(v);
  if (v < 0) {
    *p++ = '-';
    n = 0ULL - n;
  }
  return AppendDigits(p, n, 1);
}

// " %.3f " is read back into the value and then shortened: trailing zeros go, a leading "0"
// goes, the blanks go. Built directly from the rounded thousandths, which gives the same text.
char* AppendShort3(char* p, double v, double& rounded) {
  unsigned long long n;
  if (!ScaledThousandths(v, n)) {
    char text[400];
    std::snprintf(text, sizeof text, "%.3f", v);
    rounded = std::strtod(text, nullptr);
    std::size_t len = std::strlen(text);
    while (len > 0 && text[len - 1] == '0') --len;  // never passes the decimal point
    const char* s = text;
    if (s[0] == '-' && s[1] == '0' && s[2] == '.') {
      *p++ = '-';
      s += 2;
    } else if (s[0] == '0' && s[1] == '.') {
      s += 1;
    }
    std::size_t skip = static_cast<std::size_t>(s - text);
    std::memcpy(p, s, len - skip);
    return p + (len - skip);
  }
  const bool negative = std::signbit(v);
  // n / 1000 is exact as a double for every n below 2^53: the value read back from the text.
  rounded = static_cast<double>(n) / 1000.0;
  if (negative) rounded = -rounded;
  if (negative) *p++ = '-';
  if (n >= 1000) p = AppendDigits(p, n / 1000, 1);
  *p++ = '.';
  unsigned frac = static_cast<unsigned>(n % 1000);
  if (frac != 0) {
    int digits = 3;
    while (frac % 10 == 0) frac /= 10, --digits;
    p = AppendDigits(p, frac, digits);
  }
  return p;
}

// ---- Start and end part of a source program --------------------------------------------

namespace {

// One line as the source program is read: at most 79 characters; a longer line goes on in
// the next read, and a line of exactly 79 characters leaves its line feed for an empty read.
// The line feed (with a carriage return before it) is not part of the line; `complete` tells
// whether the read reached it.
bool NextSourceLine(std::string_view data, std::size_t& pos, std::string_view& line,
                    bool& complete) {
  constexpr std::size_t kMaxChars = 79;
  if (pos >= data.size()) return false;
  std::size_t start = pos, chars = 0;
  while (pos < data.size() && chars < kMaxChars) {
    char c = data[pos++];
    if (c == '\n') {
      std::size_t end = pos - 1;
      if (end > start && data[end - 1] == '\r') --end;
      line = data.substr(start, end - start);
      complete = true;
      return true;
    }
    // A carriage return before a line feed is part of the line break, not a character.
    if (!(c == '\r' && pos < data.size() && data[pos] == '\n')) ++chars;
  }
  line = data.substr(start, pos - start);
  complete = false;
  return true;
}

bool Has(std::string_view line, std::string_view word) {
  return line.find(word) != std::string_view::npos;
}
// Comment lines with a slash (dates, "(T1/D10)") say nothing about the program's motion.
bool PassedOver(std::string_view l) {
  return Has(l, "(") && Has(l, "/");
}
bool IsRapidLine(std::string_view l) {
  return Has(l, "G00") || (Has(l, "G0") && !Has(l, "G01"));
}
bool IsCuttingLine(std::string_view l) {
  return Has(l, "G01") || Has(l, "G1") || Has(l, "G02") || Has(l, "G2") || Has(l, "G03") ||
         Has(l, "G3");
}

// A part of the source program: the lines read, separated by line feeds. The pieces of a line
// longer than 79 characters are tested one by one but join up again, so the part holds the
// program's lines as they stand.
class SourcePart {
 public:
  explicit SourcePart(std::string& text) : text_(text) { text_.clear(); }
  void Append(std::string_view line, bool complete) {
    lastStart_ = text_.size();
    if (needBreak_) text_ += '\n';
    text_.append(line);
    needBreak_ = complete;
  }
  // Takes the last line off, with the line feed in front of it.
  void DropLast() {
    text_.resize(lastStart_);
    needBreak_ = !text_.empty();
  }

 private:
  std::string& text_;
  std::size_t lastStart_ = 0;
  bool needBreak_ = false;
};

}  // namespace

static bool ScanStartPartImpl(std::string_view head, std::string& startPart) {
  SourcePart part(startPart);
  std::size_t pos = 0;
  std::string_view line, previous;
  bool complete = false;
  int read = 0;
  bool rapidSeen = false;
  while (NextSourceLine(head, pos, line, complete)) {
    if (++read > 50) {
      startPart.clear();
      return false;
    }
    if (PassedOver(line)) continue;
    if (!rapidSeen) {
      part.Append(line, complete);
      rapidSeen = IsRapidLine(line);
    } else if (IsCuttingLine(line)) {
      // An approach move (a Z alone) before the first cut belongs to the toolpath.
      if (!Has(previous, "X") && !Has(previous, "Y")) part.DropLast();
      return true;
    } else {
      part.Append(line, complete);
    }
    previous = line;
  }
  return true;
}

void ScanStartPart(std::string_view head, std::string& startPart, std::string& endPart) {
  if (!ScanStartPartImpl(head, startPart)) endPart.clear();
}

void ScanEndPart(std::string_view tail, std::uint64_t fileSize, std::string& endPart) {
  endPart.clear();
  if (fileSize < 500) return;
  if (tail.size() > 500) tail = tail.substr(tail.size() - 500);
  std::size_t pos = 0;
  std::string_view line;
  bool complete = false;
  NextSourceLine(tail, pos, line, complete);  // the first line is cut somewhere in the middle
  struct Piece {
    std::string_view line;
    bool complete;
  };
  std::vector<Piece> lines;
  while (NextSourceLine(tail, pos, line, complete))
    if (!PassedOver(line)) lines.push_back({line, complete});
  std::size_t from = 0;
  for (std::size_t k = lines.size(); k-- > 0;) {
    if (IsRapidLine(lines[k].line) && Has(lines[k].line, "Z")) {
      // A retract that also moves in X or Y is still part of the toolpath.
      if (Has(lines[k].line, "X") || Has(lines[k].line, "Y")) return;
      from = k;
      break;
    }
  }
  SourcePart part(endPart);
  for (std::size_t k = from; k < lines.size(); ++k) part.Append(lines[k].line, lines[k].complete);
}

void ReadStartEndParts(const std::string& path, std::string& startPart, std::string& endPart) {
  startPart.clear();
  endPart.clear();
  std::ifstream f(path, std::ios::binary);
  if (!f) return;
  // 51 lines of at most 79 characters and their line breaks fit well into the head.
  std::string head(8192, '\0');
  f.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(f.gcount()));
  f.clear();
  if (!ScanStartPartImpl(head, startPart)) return;
  f.seekg(0, std::ios::end);
  std::streamoff size = f.tellg();
  if (size < 0) return;
  std::streamoff from = size > 500 ? size - 500 : 0;
  f.seekg(from);
  std::string tail(static_cast<std::size_t>(size - from), '\0');
  f.read(tail.data(), static_cast<std::streamsize>(tail.size()));
  tail.resize(static_cast<std::size_t>(f.gcount()));
  ScanEndPart(tail, static_cast<std::uint64_t>(size), endPart);
}

// ---- The output object ---------------------------------------------------------------

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::size_t kLine = 2048;  // one motion block: a few words of at most ~60 characters
constexpr double kPi = 3.14159265358979323846;

const char* PlaneWord(int plane) {
  return plane == PLANE_ZX ? "G18" : plane == PLANE_YZ ? "G19" : "G17";
}
// The axis along a plane's normal: Z for G17, Y for G18, X for G19.
int NormalAxis(int plane) {
  return plane == PLANE_ZX ? 1 : plane == PLANE_YZ ? 0 : 2;
}
char* Word(char* p, char letter, double v) {
  *p++ = letter;
  return AppendFixed3(p, v);
}
char* FeedWord(char* p, std::int32_t feed) {
  *p++ = 'F';
  return AppendInt(p, feed);
}
// Changed coordinates in the order X, Y, Z; true when any was written.
bool ChangedWords(char*& p, const double to[3], const double from[3]) {
  bool any = false;
  static const char kAxis[3] = {'X', 'Y', 'Z'};
  for (int a = 0; a < 3; ++a)
    if (to[a] != from[a]) {
      p = Word(p, kAxis[a], to[a]);
      any = true;
    }
  return any;
}
// Incremental deltas, rounded; `to` becomes from + the rounded deltas.
bool DeltaWords(char*& p, double to[3], const double from[3]) {
  bool any = false;
  static const char kAxis[3] = {'X', 'Y', 'Z'};
  for (int a = 0; a < 3; ++a) {
    char text[420];
    double rounded;
    char* e = AppendShort3(text, to[a] - from[a], rounded);
    to[a] = from[a] + rounded;
    if (rounded != 0.0) {
      *p++ = kAxis[a];
      std::memcpy(p, text, static_cast<std::size_t>(e - text));
      p += e - text;
      any = true;
    }
  }
  return any;
}
std::string Trim(std::string_view s) {
  const char* ws = " \t\r\n";
  std::size_t b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(ws);
  return std::string(s.substr(b, e - b + 1));
}
}  // namespace

CNcOutputDlg::CNcOutputDlg() {
  lastBlock_.reserve(256);
}
CNcOutputDlg::~CNcOutputDlg() {
  delete[] buf_;
}

void CNcOutputDlg::TakeLayerDefaults(const LayerSlot& layer, int heidenhainOutChk) {
  sourcePath = layer.fileName;
  spindle = layer.spindle != 0 ? layer.spindle : 0;
  toolChange = layer.toolNumber != 0;
  toolNumber = layer.toolNumber;
  toolOffset = layer.toolNumber != 0 ? layer.toolOffset : 0;
  programNumberOn = layer.programNumber != 0;
  programNumber = layer.programNumber;
  heidenhain = heidenhainOutChk != 0;
  comment = layer.comment;
}

int CNcOutputDlg::TickHeidenhain(const Messages& msg) {
  if (incremental) {
    msg.Notify(Txt::CannotOutputIncrementalAsHeidenhain, Txt::Message);
    heidenhain = false;
    return 0;
  }
  heidenhain = true;
  return 1;
}

int CNcOutputDlg::TickIncremental(const Messages& msg) {
  if (heidenhain) {
    msg.Notify(Txt::CannotOutputIncrementalAsHeidenhain, Txt::Message);
    incremental = false;
    return 0;
  }
  incremental = true;
  return 1;
}

// ---- Output buffer and block writer ----------------------------------------------------

void CNcOutputDlg::BeginOutput(ReplacingFile& file) {
  file_ = &file;
  if (!buf_) buf_ = new char[kBufferSize];
  used_ = 0;
  blockCounter = 0;
  lastBlock_.clear();
  writtenTime = 0;
  stopped = false;
}

void CNcOutputDlg::Flush() {
  if (file_ && used_) file_->Write(std::string_view(buf_, used_));
  used_ = 0;
}

void CNcOutputDlg::EndOutput() {
  Flush();
}

void CNcOutputDlg::Raw(const char* text, std::size_t len) {
  if (used_ + len > kBufferSize) {
    Flush();
    if (len > kBufferSize) {
      if (file_) file_->Write(std::string_view(text, len));
      return;
    }
  }
  std::memcpy(buf_ + used_, text, len);
  used_ += len;
}

void CNcOutputDlg::Block(const char* text, std::size_t len) {
  if (heidenhain || blockNumbers) {
    char number[24];
    char* p = number;
    if (!heidenhain) *p++ = 'N';
    p = AppendInt(p, ++blockCounter);
    Raw(number, static_cast<std::size_t>(p - number));
  }
  Raw(text, len);
  Raw("\n", 1);
  lastBlock_.assign(text, len);
  // Checked after the block is written: N10000 goes out, the next block is N1.
  if (blockCounter > 9999) blockCounter = 0;
}

// ---- Header, comment, start block, tool change, footer ---------------------------------

void CNcOutputDlg::WriteHeader() {
  if (fileStartEnd) ReadStartEndParts(sourcePath, startPart, endPart);
  char line[128];
  if (!heidenhain) {
    if (!startPart.empty()) {
      Raw(startPart);
      Raw("\n", 1);
    } else {
      Raw("%\n", 2);
      if (programNumberOn) {
        char* p = Put(line, "O");
        p = AppendInt(p, programNumber);
        *p++ = '\n';
        Raw(line, static_cast<std::size_t>(p - line));
      }
    }
  } else if (!startPart.empty()) {
    Block(startPart + "\n");
  } else {
    std::snprintf(line, sizeof line, " BEGIN PGM %d MM", programNumber);
    Block(line);
    Block(" BLK FORM 0.1 Z X+0.000 Y+0.000 Z-100.000");
    Block(" BLK FORM 0.2 X+100.000 Y+100.000 Z+0.000");
  }
  incrementalInForce = false;
}

void CNcOutputDlg::WriteComment() {
  if (heidenhain) return;
  std::string text = Trim(comment);
  if (text.empty()) return;
  std::string out = "(";
  std::size_t from = 0;
  for (;;) {
    std::size_t lf = text.find('\n', from);
    out += Trim(std::string_view(text).substr(from, lf == std::string::npos ? lf : lf - from));
    if (lf == std::string::npos) break;
    out += ")\r\n(";
    from = lf + 1;
  }
  out += ")\n";
  Raw(out);
}

void CNcOutputDlg::WriteStartBlock(CPointStore& store) {
  double start[3] = {0, 0, 0};
  if (store.count) {
    // Record 0 as the register holds it after the fetch.
    store.FetchPoint(0);
    start[0] = store.reg.x, start[1] = store.reg.y, start[2] = store.reg.z;
  }
  for (int a = 0; a < 3; ++a) recordStart_[a] = start[a];
  safeHeight = start[2];
  if (fileStartEnd && !startPart.empty()) return;
  if (!heidenhain) {
    Block("G90G00G17");
  } else {
    char line[kLine];
    char* p = Put(line, "LX");
    p = AppendFixed3(p, start[0]);
    p = Word(p, 'Y', start[1]);
    p = Word(p, 'Z', start[2]);
    p = Put(p, "F6000");
    Block(line, static_cast<std::size_t>(p - line));
    heidenhainFeed = 6000;
  }
}

void CNcOutputDlg::WriteToolChange() {
  char line[kLine];
  char* p;
  if (!heidenhain) {
    if (toolChange) {
      p = Word(line, 'Z', safeHeight);
      Block(line, static_cast<std::size_t>(p - line));
      Block("G49");
      p = Put(line, "G28G91Z0.0T");
      p = AppendInt(p, toolNumber);
      p = Put(p, "M06");
      Block(line, static_cast<std::size_t>(p - line));
      Block("G90");
      p = Put(line, "G43");
      p = Word(p, 'Z', safeHeight);
      *p++ = 'H';
      p = AppendInt(p, toolOffset);
      Block(line, static_cast<std::size_t>(p - line));
      p = Put(line, "G00");
      p = Word(p, 'X', recordStart_[0]);
      p = Word(p, 'Y', recordStart_[1]);
      Block(line, static_cast<std::size_t>(p - line));
    }
    if (spindle != 0) {
      p = Put(line, "S");
      p = AppendInt(p, spindle);
      p = Put(p, "M03");
      Block(line, static_cast<std::size_t>(p - line));
    }
    return;
  }
  if (!toolChange) return;
  safeHeight = recordStart_[2];
  std::snprintf(line, sizeof line, "TOOL DEF %d L+0.000 R+0.000", toolNumber);
  Block(line);
  std::snprintf(line, sizeof line, "TOOL CALL %d Z S%d", toolNumber, spindle);
  Block(line);
  p = Put(line, "LZ");
  p = AppendFixed3(p, safeHeight);
  p = Put(p, "F6000");
  Block(line, static_cast<std::size_t>(p - line));
  Block("M03M08");
  heidenhainFeed = 6000;
}

void CNcOutputDlg::ResetMotionState() {
  position[0] = position[1] = position[2] = 9999.0;
  modalFeed = 0;
  heidenhainFeed = 50000;
  previousType = 0;
  previousPlane = 0;
}

void CNcOutputDlg::WriteFooter() {
  if (fileStartEnd && !endPart.empty()) {
    Raw(endPart);
    Raw("\n", 1);
    return;
  }
  char line[512];
  if (heidenhain) {
    std::string last = lastBlock_;
    Block(last);
    std::snprintf(line, sizeof line, " END PGM %d MM", programNumber);
    Block(line);
    return;
  }
  // The closing retract goes at least to the safe height, higher when the tool already is.
  if (position[2] != safeHeight) {
    if (position[2] > safeHeight) safeHeight = position[2];
    char* p = Put(line, "G00");
    p = Word(p, 'Z', safeHeight);
    Block(line, static_cast<std::size_t>(p - line));
  }
  Block("M09");
  Block("M30");
  Block("%");
  if (!machiningInfo) return;
  static const char* const kExtent[3] = {"(MIN X = %f      MAX X = %f )",
                                         "(MIN Y = %f      MAX Y = %f )",
                                         "(MIN Z = %f      MAX Z = %f )"};
  for (int a = 0; a < 3; ++a) {
    std::snprintf(line, sizeof line, kExtent[a], cuttingMin[a], cuttingMax[a]);
    Block(line);
  }
  // The estimate printed is the time of the program as written: every written move at its
  // feed (arcs along the arc, full circles included) and the rapids at the rapid rate. The
  // statistics' cutting time leaves the arcs and the rapids out, so it says less about how
  // long the machine will run this program.
  std::snprintf(line, sizeof line, "(CUTTING TIME = %.2f MIN)", writtenTime);
  Block(line);
}

// ---- Motion blocks -------------------------------------------------------------------

void CNcOutputDlg::AccumulateLine(const double from[3], const double to[3], double rate) {
  if (rate <= 0) return;  // a move without a feed cannot be timed
  const double dx = to[0] - from[0], dy = to[1] - from[1], dz = to[2] - from[2];
  writtenTime += FlooredSqrt(dx * dx + dy * dy + dz * dz) / rate;
}

void CNcOutputDlg::AccumulateArc(const double from[3], const double to[3], const double ijk[3],
                                 int plane, int type, std::int32_t feed) {
  if (feed <= 0) return;
  const int n = NormalAxis(plane);
  const int a = plane == PLANE_ZX ? 2 : plane == PLANE_YZ ? 1 : 0;
  const int b = plane == PLANE_ZX ? 0 : plane == PLANE_YZ ? 2 : 1;
  const double sa = -ijk[a], sb = -ijk[b];
  const double ea = to[a] - (from[a] + ijk[a]), eb = to[b] - (from[b] + ijk[b]);
  const double a0 = std::atan2(sb, sa), a1 = std::atan2(eb, ea);
  double sweep = type == MOVE_ARC_CCW ? a1 - a0 : a0 - a1;
  while (sweep < 0) sweep += 2 * kPi;
  if (sweep < 1e-9) sweep = 2 * kPi;  // the end on the start: a full circle
  const double r = std::sqrt(sa * sa + sb * sb);
  writtenTime += std::hypot(r * sweep, to[n] - from[n]) / feed;
}

int CNcOutputDlg::RapidBlock(const Messages& msg, const PointRegister& r) {
  const double to[3] = {r.x, r.y, r.z};
  if (diagonalRapidCheck && PositionKnown()) {
    const double dx = std::fabs(to[0] - position[0]), dy = std::fabs(to[1] - position[1]),
                 dz = std::fabs(to[2] - position[2]);
    if (dz > 0.001 && (dx > 0.001 || dy > 0.001)) {
      const char* caption = msg.Text(Txt::KorvoMessage);
      msg.platform().ShowMessage(msg.Text(Txt::DiagonalRapidFound), caption,
                                 MessageIcon::Information, MessageButtons::Ok);
      if (msg.platform().ShowMessage(msg.Text(Txt::ConfirmStop), caption, MessageIcon::Information,
                                     MessageButtons::OkCancel) == Answer::Ok)
        return 0;
      diagonalRapidCheck = false;
    }
  }
  char line[kLine];
  char* p = line;
  if (!heidenhain) {
    const bool g90 = incremental && incrementalInForce;
    if (g90) p = Put(p, "G90");
    if (r.type == MOVE_RAPID) p = Put(p, "G00");
    const bool any = ChangedWords(p, to, position);
    if (any || r.type == MOVE_RAPID) {
      Block(line, static_cast<std::size_t>(p - line));
      if (g90) incrementalInForce = false;
    }
  } else {
    *p++ = 'L';
    const bool any = ChangedWords(p, to, position);
    if (any) {
      if (r.type == MOVE_RAPID) p = Put(p, "F6000");
      Block(line, static_cast<std::size_t>(p - line));
    } else if (r.type == MOVE_RAPID) {
      Block("F6000");
    }
  }
  if (machiningInfo && PositionKnown()) AccumulateLine(position, to, kRapidRate);
  position[0] = to[0], position[1] = to[1], position[2] = to[2];
  heidenhainFeed = 50000;
  previousType = r.type;
  return 1;
}

void CNcOutputDlg::LinearBlock(const PointRegister& r) {
  double to[3] = {r.x, r.y, r.z};
  char line[kLine];
  char* p = line;
  const bool isNew = r.type == MOVE_LINE;
  if (heidenhain) {
    const bool sameFeed = r.feed == heidenhainFeed;
    *p++ = 'L';
    const bool any = ChangedWords(p, to, position);
    if (!any && sameFeed) {
      if (isNew) {
        p = FeedWord(line, r.feed);
        Block(line, static_cast<std::size_t>(p - line));
      }
    } else {
      if (isNew || !sameFeed) p = FeedWord(p, r.feed);
      Block(line, static_cast<std::size_t>(p - line));
    }
  } else if (!incremental) {
    const bool sameFeed = r.feed == modalFeed;
    if (isNew) p = Put(p, "G01");
    const bool any = ChangedWords(p, to, position);
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (isNew || any || !sameFeed) Block(line, static_cast<std::size_t>(p - line));
  } else {
    const bool sameFeed = r.feed == modalFeed;
    const bool g91 = !incrementalInForce;
    if (g91) p = Put(p, "G91");
    if (isNew) p = Put(p, "G01");
    const bool any = DeltaWords(p, to, position);
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (isNew || any || !sameFeed) {
      Block(line, static_cast<std::size_t>(p - line));
      if (g91) incrementalInForce = true;
    }
  }
  if (machiningInfo && PositionKnown()) AccumulateLine(position, to, r.feed);
  position[0] = to[0], position[1] = to[1], position[2] = to[2];
  modalFeed = heidenhainFeed = r.feed;
  previousType = r.type;
}

void CNcOutputDlg::ArcBlock(const PointRegister& r, const double ijk[3], int plane) {
  const bool continuing = previousType == r.type && previousPlane == plane;
  const double radius = std::sqrt(ijk[0] * ijk[0] + ijk[1] * ijk[1] + ijk[2] * ijk[2]);
  const int normal = NormalAxis(plane);
  const char* motion = r.type == MOVE_ARC_CW ? "G02" : "G03";
  const double from[3] = {position[0], position[1], position[2]};
  double to[3] = {r.x, r.y, r.z};
  char line[kLine];
  char* p = line;
  // The radius word: the radius rounded up by half a thousandth, always positive.
  auto radiusWord = [&](char* q) { return Word(q, 'R', radius + 0.0005); };

  if (heidenhain) {
    // Arcs go out as straight moves to their end points.
    const bool sameFeed = r.feed == heidenhainFeed;
    *p++ = 'L';
    if (!continuing) {
      to[normal] = position[normal];
      ChangedWords(p, to, position);
      p = FeedWord(p, r.feed);
      Block(line, static_cast<std::size_t>(p - line));
      // The plane of the last arc also tells a Heidenhain output which arcs continue.
      previousPlane = plane;
    } else {
      const bool any = ChangedWords(p, to, position);
      if (!sameFeed) p = FeedWord(p, r.feed);
      if (any || !sameFeed) Block(line, static_cast<std::size_t>(p - line));
    }
  } else if (!incremental) {
    const bool sameFeed = r.feed == modalFeed;
    to[normal] = position[normal];  // the arc stays in its plane
    const bool fullCircle = !continuing && ijkToR && std::fabs(to[0] - position[0]) <= 0.0001 &&
                            std::fabs(to[1] - position[1]) <= 0.0001 &&
                            std::fabs(to[2] - position[2]) <= 0.0001;
    if (fullCircle) {
      // A radius cannot say which way round a whole circle goes: two halves through the
      // opposite point. The modal feed changes only after the arc, so a new feed goes out in
      // both halves.
      const double q[3] = {position[0] + 2 * ijk[0], position[1] + 2 * ijk[1],
                           position[2] + 2 * ijk[2]};
      if (plane != previousPlane) p = Put(p, PlaneWord(plane));
      previousPlane = plane;
      p = Put(p, motion);
      ChangedWords(p, q, position);
      p = radiusWord(p);
      if (!sameFeed) p = FeedWord(p, r.feed);
      Block(line, static_cast<std::size_t>(p - line));
      position[0] = q[0], position[1] = q[1], position[2] = q[2];
      p = line;
      ChangedWords(p, to, q);
      p = radiusWord(p);
      if (!sameFeed) p = FeedWord(p, r.feed);
      Block(line, static_cast<std::size_t>(p - line));
    } else {
      if (!continuing) {
        if (plane != previousPlane) p = Put(p, PlaneWord(plane));
        previousPlane = plane;
        p = Put(p, motion);
      }
      ChangedWords(p, to, position);
      if (ijkToR) {
        p = radiusWord(p);
      } else {
        static const char kCentre[3] = {'I', 'J', 'K'};
        for (int a = 0; a < 3; ++a)
          if (std::fabs(ijk[a]) >= 0.001) p = Word(p, kCentre[a], ijk[a]);
      }
      if (!sameFeed) p = FeedWord(p, r.feed);
      // A continuing arc that changes nothing and has no centre word left has nothing to say.
      if (p != line) Block(line, static_cast<std::size_t>(p - line));
    }
  } else {
    const bool sameFeed = r.feed == modalFeed;
    const bool g91 = !incrementalInForce;
    if (g91) p = Put(p, "G91");
    if (!continuing) {
      if (plane != previousPlane) p = Put(p, PlaneWord(plane));
      previousPlane = plane;
      p = Put(p, motion);
    }
    DeltaWords(p, to, position);  // helical arcs pass through: no plane hold
    if (ijkToR) {
      p = radiusWord(p);
    } else {
      static const char kCentre[3] = {'I', 'J', 'K'};
      for (int a = 0; a < 3; ++a)
        if (std::fabs(ijk[a]) >= 0.001) p += std::snprintf(p, 400, "%c%f", kCentre[a], ijk[a]);
    }
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (p != line) {
      Block(line, static_cast<std::size_t>(p - line));
      if (g91) incrementalInForce = true;
    }
  }
  if (machiningInfo && from[0] != 9999.0) AccumulateArc(from, to, ijk, plane, r.type, r.feed);
  position[0] = to[0], position[1] = to[1], position[2] = to[2];
  modalFeed = heidenhainFeed = r.feed;
  previousType = r.type;
}

int CNcOutputDlg::WriteRecords(const Messages& msg, CPointStore& store) {
  PointRegister& reg = store.reg;
  const std::uint32_t n = store.count;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!store.FetchPoint(i)) continue;
    switch (reg.type) {
      case MOVE_RAPID:
      case MOVE_RAPID_CONT:
        if (!RapidBlock(msg, reg)) return 0;
        break;
      case MOVE_LINE:
      case MOVE_LINE_CONT:
        LinearBlock(reg);
        break;
      case MOVE_ARC_CCW:
      case MOVE_ARC_CW: {
        double ijk[3] = {0, 0, 0};
        int plane = 0;
        if (store.FetchPoint(i + 1) && IsPlaneCode(reg.type)) {
          ijk[0] = reg.x, ijk[1] = reg.y, ijk[2] = reg.z;
          plane = reg.type;
        }
        store.FetchPoint(i);
        if (plane) {
          ArcBlock(reg, ijk, plane);
        } else {
          // An arc end whose centre record is missing cannot be written as an arc; a
          // straight move still takes the tool to where the toolpath goes next.
          PointRegister line = reg;
          line.type = MOVE_LINE;
          LinearBlock(line);
        }
        break;
      }
      default:
        break;
    }
  }
  return 1;
}

int CNcOutputDlg::WriteProgram(const Messages& msg, CPointStore& store, ReplacingFile& file) {
  BeginOutput(file);
  WriteHeader();
  WriteComment();
  WriteStartBlock(store);
  WriteToolChange();
  ResetMotionState();
  if (!WriteRecords(msg, store)) {
    stopped = true;
    EndOutput();
    return 0;
  }
  WriteFooter();
  EndOutput();
  return 1;
}

}  // namespace trevalon
