// Extended reading: text, dialect and the dispatch to the interpreters (see ext_reader.h).
#include "ncio/ext_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "model/point_record.h"
#include "ncio/ext_heidenhain.h"
#include "ncio/ext_iso.h"
#include "ncio/ext_macro.h"
#include "ncio/g_codes.h"
#include "ncio/nc_number.h"
#include "ncio/text_scan.h"

namespace trevalon {

namespace {

using ncnumber::IsDigit;
using ncnumber::Upper;

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return i;
}

// Whether `s` holds `word` (upper case) at `i`, in any case.
bool WordAt(std::string_view s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (Upper(s[i + k]) != word[k]) return false;
  return true;
}

// Whether the word at `i` may start parameters or program flow: a '#', or one of the words of
// calls, jumps, loops and conditions, in any case.
bool MacroWordAt(std::string_view s, std::size_t i) {
  switch (Upper(s[i])) {
    case '#':
      return true;
    case 'G':
      return WordAt(s, i, "GOTO") || WordAt(s, i, "G65");
    case 'W':
      return WordAt(s, i, "WHILE");
    case 'M':
      return WordAt(s, i, "M98") || WordAt(s, i, "M97") || WordAt(s, i, "M99");
    case 'C':
      return WordAt(s, i, "CALL");
    case 'S':
      return WordAt(s, i, "SUB");
    case 'R':
      return WordAt(s, i, "REPEAT");
    case 'I':
      return WordAt(s, i, "IF");
    default:
      return false;
  }
}

// The first letters MacroWordAt looks further at, in either case.
constexpr std::array<std::uint8_t, 256> kMacroLead = [] {
  std::array<std::uint8_t, 256> a{};
  for (const char c : std::string_view("#GWMCSRI")) {
    a[static_cast<unsigned char>(c)] = 1;
    if (c >= 'A' && c <= 'Z') a[static_cast<unsigned char>(c - 'A' + 'a')] = 1;
  }
  return a;
}();

inline unsigned MacroLead(char c) {
  return kMacroLead[static_cast<unsigned char>(c)];
}

// Whether a text may hold parameters or program flow anywhere (a comment that happens to hold
// one of their words only costs the slower path, which reads plain blocks the same). None of
// the words holds a line end, so the whole text is looked at as one: a line holds one exactly
// when the text does. Eight bytes at a time, a word passes unless it holds a '#' or, folded to
// lower case, a byte from 'c' to 'w' (all the first letters, and few others in a program).
}  // namespace

bool MayHoldMacro(std::string_view s) {
  using textscan::kHighs;
  using textscan::kOnes;
  const auto word = [](std::uint64_t w) {
    const std::uint64_t lower = w | (kOnes * 0x20);
    // High bit of each byte: set when the byte is at least n (bytes below 0x80; a byte above
    // may be flagged too, which only costs a look at its word).
    const auto atLeast = [lower](unsigned n) { return ((lower | kHighs) - kOnes * n) & kHighs; };
    return textscan::AnyEqual(w, '#') | (atLeast('c') & ~atLeast('x'));
  };
  const char* p = s.data();
  const std::size_t n = s.size();
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    if (word(w) == 0) continue;
    for (std::size_t k = i; k < i + 8; ++k)
      if (MacroLead(p[k]) != 0 && MacroWordAt(s, k)) return true;
  }
  for (; i < n; ++i)
    if (MacroLead(p[i]) != 0 && MacroWordAt(s, i)) return true;
  return false;
}

namespace {

bool HoldsBeginPgm(std::string_view s) {
  static constexpr std::string_view kBegin = "BEGIN PGM";
  if (s.size() < kBegin.size()) return false;
  for (std::size_t i = 0; i + kBegin.size() <= s.size(); ++i) {
    std::size_t k = 0;
    while (k < kBegin.size() && Upper(s[i + k]) == kBegin[k]) ++k;
    if (k == kBegin.size()) return true;
  }
  return false;
}

// A Heidenhain motion block: an optional block number, then L, C, CC, CR, CT, LP or CP
// standing alone as a word.
bool IsHeidenhainMotion(std::string_view s) {
  std::size_t i = SkipBlanks(s, 0);
  const std::size_t digits = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i > digits) i = SkipBlanks(s, i);
  std::size_t e = i;
  while (e < s.size() && Upper(s[e]) >= 'A' && Upper(s[e]) <= 'Z') ++e;
  std::string word;
  for (std::size_t k = i; k < e; ++k) word += Upper(s[k]);
  if (word != "L" && word != "C" && word != "CC" && word != "CR" && word != "CT" && word != "LP" &&
      word != "CP")
    return false;
  return e == s.size() || s[e] == ' ' || s[e] == '\t' || s[e] == '*';
}

// An ISO motion block: G0-G3 (G00-G03) or an X, Y or Z word with a number, outside comments.
bool IsIsoMotion(std::string_view line) {
  const std::string s = CleanIsoBlock(line, nullptr);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = Upper(s[i]);
    if (c != 'G' && c != 'X' && c != 'Y' && c != 'Z') continue;
    std::size_t k = SkipBlanks(s, i + 1);
    if (c != 'G') {
      if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
      if (k < s.size() && (IsDigit(s[k]) || s[k] == '.')) return true;
      continue;
    }
    std::size_t d = k;
    while (d < s.size() && s[d] == '0') ++d;
    if (d < s.size() && s[d] >= '1' && s[d] <= '3' && (d + 1 == s.size() || !IsDigit(s[d + 1])))
      return true;
    if (d > k && (d == s.size() || !IsDigit(s[d]))) return true;  // G0, G00
  }
  return false;
}

// The dialect one line shows: Unknown when it shows none (a comment line, no motion).
NcDialect LineDialect(std::string_view line) {
  const std::size_t first = SkipBlanks(line, 0);
  if (first < line.size() && (line[first] == ';' || line[first] == '*')) return NcDialect::Unknown;
  if (HoldsBeginPgm(line) || IsHeidenhainMotion(line)) return NcDialect::Heidenhain;
  if (IsIsoMotion(line)) return NcDialect::Iso;
  return NcDialect::Unknown;
}

// The lines SplitNcLines gives, one after the other, for the reads that need no line table.
// Each line comes with whether it holds "(" or ";", found in the same scan as its end, so that
// a line without a comment is not looked at again for one.
class NcLineWalk {
 public:
  explicit NcLineWalk(std::string_view text) : text_(text) {}

  bool Next(std::string_view& line, bool& comment) {
    const std::size_t n = text_.size();
    if (at_ >= n) return false;
    const auto endOrComment = [](std::uint64_t w) {
      return textscan::AnyEqual(w, '\n') | textscan::AnyEqual(w, '\r') |
             textscan::AnyEqual(w, '(') | textscan::AnyEqual(w, ';');
    };
    const auto endOrCommentByte = [](char c) {
      return c == '\n' || c == '\r' || c == '(' || c == ';';
    };
    std::size_t i = textscan::FindFirstExact(text_, at_, endOrComment, endOrCommentByte);
    comment = i < n && (text_[i] == '(' || text_[i] == ';');
    if (comment) i = textscan::FindFirstExact(text_, i, EndWord, EndByte);
    line = text_.substr(at_, i - at_);
    if (i == n) {
      at_ = n;
      return true;
    }
    if (text_[i] == '\r' && i + 1 < n && text_[i + 1] == '\n') ++i;
    at_ = i + 1;
    return true;
  }

  static std::uint64_t EndWord(std::uint64_t w) {
    return textscan::AnyEqual(w, '\n') | textscan::AnyEqual(w, '\r');
  }
  static bool EndByte(char c) { return c == '\n' || c == '\r'; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

NcDialect DetectTextDialect(std::string_view text) {
  NcLineWalk walk(text);
  std::string_view line;
  bool comment;
  while (walk.Next(line, comment)) {
    const NcDialect d = LineDialect(line);
    if (d != NcDialect::Unknown) return d;
  }
  return NcDialect::Unknown;
}

namespace {

// Where a read starts: the last motion record of the store when it holds one. Our rule: a
// program whose first move leaves an axis unknown starts from there, or from the origin in an
// empty store; the statistics measure no length before record 0 either way.
void StartPosition(const CPointStore& store, double start[3]) {
  start[0] = start[1] = start[2] = 0.0;
  for (std::uint32_t k = store.count, tries = 0; k > 0 && tries < 4; --k, ++tries) {
    const PointRecord* r = store.RawRecord(k - 1);
    if (r == nullptr || !IsMotionType(r->type)) continue;
    start[0] = r->x, start[1] = r->y, start[2] = r->z;
    return;
  }
}

}  // namespace

std::vector<std::string_view> SplitNcLines(std::string_view text) {
  // The table is made to its size at once (a line per LF, or per CR in a text without LF),
  // so that a long program does not hold a table and its copy at twice the size while it
  // grows.
  std::size_t ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  if (ends == 0) ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
  std::vector<std::string_view> lines;
  lines.reserve(ends + 1);
  std::size_t b = 0;
  for (;;) {
    std::size_t i = textscan::FindFirstExact(text, b, NcLineWalk::EndWord, NcLineWalk::EndByte);
    if (i == text.size()) break;
    lines.push_back(text.substr(b, i - b));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    b = i + 1;
  }
  if (b < text.size()) lines.push_back(text.substr(b));
  return lines;
}

bool IsNcText(std::string_view text) {
  const auto bad = [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20) return false;
    if (c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') return false;
    if ((c >= 0x11 && c <= 0x14) || c == 0x1A) return false;
    return true;
  };
  // Every line end is a control character, so a word that holds one is tested exactly, all
  // eight bytes at once: the high bit of each byte set when it is a control character that no
  // NC program holds.
  using textscan::kHighs;
  using textscan::kOnes;
  const auto badBytes = [](std::uint64_t w) {
    const std::uint64_t high = w | kHighs;
    // Exact for bytes below 0x80: their high bit stays set when the byte is at least n.
    const auto atLeast = [high](unsigned n) { return (high - kOnes * n) & kHighs; };
    const std::uint64_t control = ~atLeast(0x20) & ~w & kHighs;
    const std::uint64_t allowed = (atLeast(0x09) & ~atLeast(0x0E)) |
                                  (atLeast(0x11) & ~atLeast(0x15)) |
                                  (atLeast(0x1A) & ~atLeast(0x1B));
    return control & ~allowed;
  };
  const char* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    if (textscan::AnyBelow(w, 0x20) != 0 && badBytes(w) != 0) return false;
  }
  for (; i < n; ++i)
    if (bad(p[i])) return false;
  return true;
}

NcDialect DetectNcDialect(const std::vector<std::string_view>& lines, std::size_t maxLines) {
  std::size_t seen = 0;
  for (const std::string_view line : lines) {
    if (seen++ >= maxLines) break;
    const NcDialect d = LineDialect(line);
    if (d != NcDialect::Unknown) return d;
  }
  return NcDialect::Unknown;
}

namespace {

// What every extended read clears first.
void StartExtendedRead(const NcReadTarget& t) {
  t.state.incremental = 0;
  t.store.reg.mark = 0;
  t.store.reg.plane = PLANE_XY;
  LayerSlot& layer = t.workLayer;
  layer.comment.clear();
  layer.spindle = layer.toolNumber = layer.toolOffset = layer.programNumber = 0;
  layer.setup = MachineSetup{};
}

// How every extended read ends: the extent, and what the read gave.
int EndExtendedRead(const NcReadTarget& t, bool full, const ExtMoveSink& sink,
                    const ExtReadReport& report, NcReadOutcome* outcome) {
  if (t.measureExtent) t.store.Extent(t.store.extentMin, t.store.extentMax);
  if (full || sink.Full()) {
    if (outcome) *outcome = NcReadOutcome::StoreFull;
    return 0;
  }
  if (outcome) *outcome = NcReadOutcome::Read;
  return report.stopReason.empty() ? 1 : 0;
}

}  // namespace

NcDialect ExtendedReadDialect(NcDialect detected, const NcSwitches& nc) {
  if (detected != NcDialect::Unknown) return detected;
  return nc.heidenhainInputChk == 1 ? NcDialect::Heidenhain : NcDialect::Iso;
}

ExtPlainIsoRead::ExtPlainIsoRead(const NcReadTarget& t, ExtReadReport& report)
    : t_(t), report_(report), sink_(t.store, t.nc.arcToCutInputChk == 1) {
  sink_.NoteSourcesIn(t.sources);
  sink_.ReportLimitsTo(&report);
  StartExtendedRead(t);
  report.dialect = "ISO";
  double start[3];
  StartPosition(t.store, start);
  sink_.SetPosition(start);
  machine_.emplace(sink_, report, t.workLayer, t.nc.intNcdataFlg == 1 ? 0.001 : 1.0);
}

bool ExtPlainIsoRead::Feed(std::string_view piece) {
  NcLineWalk walk(piece);
  std::string_view line;
  bool comment;
  sink_.SourceText(piece.data(), fed_);
  fed_ += piece.size();
  while (!ended_ && walk.Next(line, comment)) {
    sink_.SourceAt(line.data());
    report_.line = ++lines_;
    const ExtIsoStep step =
        machine_->Execute(comment ? CleanIsoBlock(line, &t_.workLayer.comment, scratch_) : line);
    if (step == ExtIsoStep::Full) full_ = true;
    ended_ = step != ExtIsoStep::Continue;
  }
  return !ended_;
}

int ExtPlainIsoRead::Finish(NcReadOutcome* outcome) {
  if (!full_ && !machine_->Finish()) full_ = true;
  return EndExtendedRead(t_, full_, sink_, report_, outcome);
}

int ReadNcExtended(const NcReadTarget& t, std::string_view text, ExtReadReport& report,
                   NcReadOutcome* outcome) {
  const NcDialect dialect = ExtendedReadDialect(DetectTextDialect(text), t.nc);
  // Plain programs give their lines directly as the text is walked; programs with
  // parameters or program flow (#, IF, WHILE, GOTO, M98/M97/G65, o-words) go through the
  // macro runner, which hands ExtIsoMachine::Execute its blocks over the line table.
  if (dialect == NcDialect::Iso && !MayHoldMacro(text)) {
    ExtPlainIsoRead read(t, report);
    read.Feed(text);
    return read.Finish(outcome);
  }
  CPointStore& store = t.store;
  LayerSlot& layer = t.workLayer;
  StartExtendedRead(t);
  report.dialect = dialect == NcDialect::Heidenhain ? "Heidenhain" : "ISO";

  double start[3];
  StartPosition(store, start);
  ExtMoveSink sink(store, t.nc.arcToCutInputChk == 1);
  sink.SetPosition(start);
  sink.NoteSourcesIn(t.sources);
  sink.ReportLimitsTo(&report);
  sink.SourceText(text.data(), 0);
  bool full = false;
  const std::vector<std::string_view> lines = SplitNcLines(text);
  if (dialect == NcDialect::Heidenhain) {
    ExtProgramInfo info;
    full = ReadHeidenhainExtended(lines, sink, report, start, &info) == 0 && sink.Full();
    // TOOL CALL gives the tool and with it its length offset, as a T word does.
    layer.toolNumber = layer.toolOffset = info.tool;
    layer.spindle = info.spindle;
    layer.programNumber = info.program;
    layer.setup = info.setup;
  } else {
    const double scale = t.nc.intNcdataFlg == 1 ? 0.001 : 1.0;
    ExtIsoMachine machine(sink, report, layer, scale);
    auto run = [&](std::string_view block) {
      const ExtIsoStep step = machine.Execute(block);
      if (step == ExtIsoStep::Full) full = true;
      return step == ExtIsoStep::Continue;
    };
    std::string scratch;
    // The runner drops comments with everything else it does not hand on: the layer's
    // comment lines are taken from the text as it stands.
    for (const std::string_view line : lines) (void)CleanIsoBlock(line, &layer.comment, scratch);
    ExtMacroOptions options;
    options.maxBlocks = ExtBlockLimit();
    // 400 characters per block beyond one pass: 2e9 at the default limit.
    options.maxChars = static_cast<long long>(ExtBlockLimit()) * 400;
    options.language = report.language;
    ExtMacroRunner runner(lines, report, options);
    runner.SetMachine(&machine);
    std::string block;
    while (runner.Next(block)) {
      sink.SourceAt(lines[runner.LineIndex()].data());
      report.line = static_cast<long>(runner.LineIndex()) + 1;
      if (!run(CleanIsoBlock(block, nullptr, scratch))) break;
    }
    if (!full && !machine.Finish()) full = true;
  }
  return EndExtendedRead(t, full, sink, report, outcome);
}

namespace {

bool IsLetter(char c) {
  return ncnumber::IsAlpha(c);
}

// One ISO line as the classic reader and a control see it. `differs`: the classic rules read
// it otherwise than a control: a macro variable, expression or polar word ('#', '[', '@',
// '^'), a word of letters (IF, WHILE, GOTO, o-word keywords, a comment after ';'), a call
// (M97-M99, G65, G66), a drilling cycle, or a blank between an address and its number (the
// classic reader drops that block). `motion`: the line holds an axis word or G0-G3 outside
// its comments. A line with "(" is dropped whole by the classic reader: it differs when it
// moves.
struct IsoLook {
  bool differs = false, motion = false;
};

// The characters LookIso looks at further: letters, "(" and the macro and polar marks. Digits,
// signs, points and blanks, most of every line, are passed over by one table look-up each.
constexpr std::array<std::uint8_t, 256> kIsoLookAt = [] {
  std::array<std::uint8_t, 256> a{};
  for (int c = 'A'; c <= 'Z'; ++c) a[c] = a[c - 'A' + 'a'] = 1;
  for (const char c : std::string_view("(#@^[")) a[static_cast<unsigned char>(c)] = 1;
  return a;
}();

IsoLook LookIso(std::string_view s, bool& cycle) {
  IsoLook look;
  bool paren = false, axis = false, comment = false;
  const std::size_t n = s.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (!comment) {
      while (i < n && kIsoLookAt[static_cast<unsigned char>(s[i])] == 0) ++i;
      if (i == n) break;
    }
    const char c = s[i];
    if (comment) {
      comment = c != ')';
      continue;
    }
    if (c == '(') {
      paren = comment = true;
      continue;
    }
    if (c == '#' || c == '@' || c == '^' || c == '[') look.differs = true;
    if (!IsLetter(c)) continue;
    if (i + 1 < n && IsLetter(s[i + 1])) {
      look.differs = true;
      while (i + 1 < n && IsLetter(s[i + 1])) ++i;
      continue;
    }
    const char u = Upper(c);
    std::size_t j = SkipBlanks(s, i + 1);
    if (j >= n || !(IsDigit(s[j]) || s[j] == '-' || s[j] == '+' || s[j] == '.')) continue;
    if (j > i + 1 && std::string_view("GXYZIJKRF").find(u) != std::string_view::npos)
      look.differs = true;
    if (u == 'X' || u == 'Y' || u == 'Z') axis = true;
    if (u == 'G' || u == 'M') {
      long v = 0;
      while (j < n && IsDigit(s[j]) && v < 10000) v = v * 10 + (s[j++] - '0');
      if (u == 'G') {
        const GMeaning g = MeaningOfG(v);
        if (MotionOfG(g) >= 0) look.motion = true, cycle = false;
        if (g == GMeaning::CycleCancel) cycle = false;
        if (g == GMeaning::DrillingCycle) cycle = look.differs = true;
        if (g == GMeaning::MacroCall) look.differs = true;
      } else if (v >= 97 && v <= 99) {
        look.differs = true;
      }
      i = j - 1;
    }
  }
  look.motion = look.motion || axis;
  if (paren && look.motion) look.differs = true;
  if (cycle && axis) look.differs = true;  // each position of a cycle is a hole drilled there
  return look;
}

// Whether the classic Heidenhain rules read a line otherwise than a control: F MAX (the
// classic reader takes MAX's X for X0 and keeps the motion of the block before), Q parameters
// and FN, labels and calls, cycles and transformations, polar, tangential, approach and
// corner blocks, FK, incremental words (read as absolute), FU/FZ, a blank between an address
// and its value, a decimal comma, a comment after ';' or '*' holding a letter the classic
// reader acts on, and a motion block with "(" (dropped whole).
bool HeidenhainLineDiffers(std::string_view s) {
  static constexpr std::string_view kWords[] = {
      "FN", "LBL", "CALL", "CYCL",  "TCH",  "PLANE",   "TRANS",  "LP",  "CP",
      "PA", "PR",  "IPA",  "IPR",   "APPR", "DEP",     "RND",    "CHF", "CT",
      "FL", "FLT", "FC",   "FCT",   "FPOL", "FSELECT", "FSTART", "IF",  "IX",
      "IY", "IZ",  "FMAX", "FAUTO", "FU",   "FZ",      "QL",     "QR",  "Q"};
  const std::size_t n = s.size();
  std::size_t i = SkipBlanks(s, 0);
  while (i < n && IsDigit(s[i])) ++i;  // the block number
  bool first = true, motionBlock = false;
  for (; i < n; ++i) {
    const char c = s[i];
    if (c == '(') return motionBlock;
    if (c == ';' || c == '*') {
      return s.substr(i + 1).find_first_of("XYZxyzFfGLDRc") != std::string_view::npos;
    }
    if (c == ',' && i > 0 && IsDigit(s[i - 1]) && i + 1 < n && IsDigit(s[i + 1])) return true;
    if (!IsLetter(c)) continue;
    std::size_t e = i;
    std::string word;
    while (e < n && IsLetter(s[e])) word += Upper(s[e++]);
    if (first) {
      if (word == "BEGIN" || word == "END" || word == "BLK" || word == "TOOL") return false;
      motionBlock = word == "L" || word == "C" || word == "CC" || word == "CR";
      first = false;
    }
    for (const std::string_view w : kWords)
      if (word == w) return true;
    const std::size_t q = word.find('Q');
    if (q != std::string::npos && q + 1 == word.size() && e < n && IsDigit(s[e])) return true;
    const std::size_t j = SkipBlanks(s, e);
    if (word == "F" && j < n && (WordAt(s, j, "MAX") || WordAt(s, j, "AUTO"))) return true;
    if (j > e && word.size() == 1 && std::string_view("XYZFR").find(word[0]) != std::string::npos &&
        j < n && (s[j] == '+' || s[j] == '-' || IsDigit(s[j]) || Upper(s[j]) == 'Q'))
      return true;
    i = e - 1;
  }
  return false;
}

}  // namespace

void ClassicDifferences::Take(std::string_view piece, bool plainIso) {
  // A plain ISO line read as ISO, outside a drilling cycle, once the dialect is known or no
  // longer looked for: LookIso would find nothing and change no cycle state.
  if (plainIso && !heidenhain_ && !midLine_ && !cycle_ && !note_.otherDialect &&
      (dialect_ != NcDialect::Unknown || looked_ >= 200)) {
    ++line_;
    lineCounted_ = false;
    return;
  }
  if (!midLine_) ++line_, lineCounted_ = false;
  const bool lineFeed = !piece.empty() && piece.back() == '\n';
  std::string_view text = piece;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  if (dialect_ == NcDialect::Unknown && looked_ < 200 && !midLine_) {
    ++looked_;
    dialect_ = LineDialect(text);
    if (dialect_ != NcDialect::Unknown)
      note_.otherDialect =
          heidenhain_ ? dialect_ == NcDialect::Iso : dialect_ == NcDialect::Heidenhain;
  }
  bool differs;
  if (heidenhain_) {
    if (note_.otherDialect) {
      const IsoLook look = LookIso(text, cycle_);
      differs = look.differs || look.motion;
    } else {
      differs = HeidenhainLineDiffers(text);
    }
    if (!lineFeed && !differs) differs = IsHeidenhainMotion(text);
  } else {
    const IsoLook look = LookIso(text, cycle_);
    differs = look.differs || (!lineFeed && look.motion) ||
              (note_.otherDialect && (IsHeidenhainMotion(text) || HoldsBeginPgm(text)));
  }
  midLine_ = !lineFeed;
  if (!differs || lineCounted_) return;
  lineCounted_ = true;
  if (note_.blocks++ == 0) note_.firstLine = line_;
}

ClassicReadNote CountClassicDifferences(std::string_view text, bool readAsHeidenhain) {
  ClassicDifferences count(readAsHeidenhain);
  std::size_t b = 0;
  while (b < text.size()) {
    std::size_t e = text.find('\n', b);
    e = e == std::string_view::npos ? text.size() : e + 1;
    count.Take(text.substr(b, e - b));
    b = e;
  }
  return count.Note();
}

}  // namespace trevalon
