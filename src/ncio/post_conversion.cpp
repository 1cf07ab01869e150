#include "ncio/post_conversion.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/layer_table.h"
#include "ncio/nc_number.h"
#include "ncio/toolpath_start.h"
#include "platform/file_io.h"
#include "texts/messages.h"

namespace trevalon {

namespace {

constexpr std::size_t kFlushAt = 1 << 20;
// Caption of the value prompt (dialog template 137).
constexpr const char* kPromptCaption = "변수를 입력하시요!!";

// Replaces every occurrence of token, left to right, without looking into what was put in.
// Returns how many were replaced. The text is rebuilt in `scratch`, then the two swap, so
// both keep their room and a line costs no allocation.
int ReplaceAll(std::string& s, std::string& scratch, std::string_view token,
               std::string_view value) {
  std::size_t pos = s.find(token);
  if (pos == std::string::npos) return 0;
  int n = 0;
  std::size_t from = 0;
  scratch.clear();
  while (pos != std::string::npos) {
    scratch.append(s, from, pos - from);
    scratch.append(value);
    from = pos + token.size();
    pos = s.find(token, from);
    ++n;
  }
  scratch.append(s, from, std::string::npos);
  s.swap(scratch);
  return n;
}

std::string_view Fixed3(char* buf, char letter, double v) {
  char* p = buf;
  if (letter) *p++ = letter;
  p = AppendFixed3(p, v);
  return {buf, static_cast<std::size_t>(p - buf)};
}
std::string_view Int(char* buf, char letter, long v) {
  char* p = buf;
  if (letter) *p++ = letter;
  p = AppendInt(p, v);
  return {buf, static_cast<std::size_t>(p - buf)};
}

std::int32_t ClampInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<std::int32_t>(v);  // truncated toward zero
}

// Block numbers go from 0 to 9999: a counter outside that starts again at 0 before use.
void KeepBlockNumberInRange(std::int32_t& n) {
  if (n > 9999 || n < 0) n = 0;
}

const char* PlaneGWord(int plane) {
  switch (plane) {
    case PLANE_XY:
      return "G17";
    case PLANE_ZX:
      return "G18";
    case PLANE_YZ:
      return "G19";
    default:
      return "";
  }
}

// The arc end at i with the centre record after it: 1 with the offset and plane, 0 when the
// record after it is no centre record. Record i is in the register afterwards.
int ReadArc(CPointStore& store, std::uint32_t i, double ijk[3], int& plane) {
  int ok = 0;
  if (store.FetchPoint(i + 1) && IsPlaneCode(store.reg.type)) {
    ijk[0] = store.reg.x, ijk[1] = store.reg.y, ijk[2] = store.reg.z;
    plane = store.reg.type;
    ok = 1;
  }
  store.FetchPoint(i);
  return ok;
}

int ArcSection(int type, int plane, bool continuing) {
  const bool cw = type == MOVE_ARC_CW;
  int base;
  switch (plane) {
    case PLANE_XY:
      base = cw ? kSecNewXyCW : kSecNewXyCCW;
      break;
    case PLANE_ZX:
      base = cw ? kSecNewZxCW : kSecNewZxCCW;
      break;
    case PLANE_YZ:
      base = cw ? kSecNewYzCW : kSecNewYzCCW;
      break;
    default:
      return -1;
  }
  return continuing ? base + 1 : base;  // each continuing section follows its new one
}

}  // namespace

CPostProcessorDlg::CPostProcessorDlg() {
  work_.reserve(512);
  scratch_.reserve(512);
}

void CPostProcessorDlg::TakeLayerDefaults(const LayerSlot& layer) {
  spindle = layer.spindle != 0 ? layer.spindle : 1000;
  toolChange = layer.toolNumber != 0;
  toolNumber = layer.toolNumber;
  programNumber = layer.programNumber;
  programNumberOn = layer.programNumber != 0;
  lengthOffset = layer.toolOffset;
  setup = layer.setup;
}

void CPostProcessorDlg::TakeRecord(PostValues& v, const PointRegister& r, const double* ijk,
                                   int plane) {
  v.x = r.x, v.y = r.y, v.z = r.z;
  v.feed = r.feed;
  v.type = r.type;
  if (ijk) {
    v.i = ijk[0], v.j = ijk[1], v.k = ijk[2];
    v.r = std::sqrt(ijk[0] * ijk[0] + ijk[1] * ijk[1] + ijk[2] * ijk[2]);
    v.plane = plane;
  }
}

void CPostProcessorDlg::ApplyDefine() {
  N = 0;
  static const char* const kKeys[] = {"$F=", "$H=", "$I=", "$J=", "$K=", "$N=", "$O=",
                                      "$S=", "$T=", "$R=", "$X=", "$Y=", "$Z=", "$ARCPLANE="};
  const CPostSection& define = ppr[kSecDefine];
  // The lines are applied whether or not the section is defined.
  for (int k = 0; k < define.lineCount; ++k) {
    const std::string& line = define.lines[k];
    for (const char* key : kKeys) {
      std::size_t at = line.find(key);
      if (at == std::string::npos) continue;
      const char* num = line.c_str() + at + std::strlen(key);
      const double real = std::strtod(num, nullptr);
      const std::int32_t integer = ClampInt(static_cast<double>(std::strtoll(num, nullptr, 10)));
      switch (key[1]) {
        case 'F':
          current.feed = integer;
          break;
        case 'H':
          H = integer;
          break;
        case 'I':
          current.i = real;
          break;
        case 'J':
          current.j = real;
          break;
        case 'K':
          current.k = real;
          break;
        case 'N':
          N = integer;
          break;
        case 'O':
          O = integer;
          break;
        case 'S':
          S = integer;
          break;
        case 'T':
          T = integer;
          break;
        case 'R':
          current.r = real;
          break;
        case 'X':
          current.x = real;
          break;
        case 'Y':
          current.y = real;
          break;
        case 'Z':
          current.z = real;
          break;
        case 'A':
          if (std::strncmp(num, "17", 2) == 0) current.plane = PLANE_XY;
          if (std::strncmp(num, "18", 2) == 0) current.plane = PLANE_ZX;
          if (std::strncmp(num, "19", 2) == 0) current.plane = PLANE_YZ;
          break;
      }
      break;  // only the first key of a line counts
    }
  }
}

int CPostProcessorDlg::Prompt(char letter, double& value, bool integer) {
  std::string label = letter == 'J' ? "\tJ Code" : std::string(1, letter) + " Code";
  label += msg_ ? msg_->Text(Txt::EnterValue) : "";
  char shown[64];
  std::string_view text =
      integer ? Int(shown, 0, static_cast<long>(value)) : Fixed3(shown, 0, value);
  Platform* platform = prompts ? prompts : msg_ ? &msg_->platform() : nullptr;
  if (!platform) return 0;
  std::optional<std::string> answer = platform->AskValue(kPromptCaption, label, text);
  if (!answer) return 0;
  const char* b = answer->c_str();
  char* e = nullptr;
  double v = std::strtod(b, &e);
  // Text that is no number leaves the value as it was, as Cancel does.
  if (e == b || !std::isfinite(v)) return 0;
  value = integer ? static_cast<double>(ClampInt(v)) : v;
  return 1;
}

void CPostProcessorDlg::ExpandLine(const std::string& line, const LineMasks& masks,
                                   std::string& out) {
  work_.assign(line);
  char buf[448];

  // Pass 0: the named variables, before any letter's token can take their first letter.
  if (masks.plain & kNamedBit) {
    const std::string said[] = {setup.IsoUnitsWord(),
                                setup.IsoOffsetWord(),
                                setup.plane ? AddressWord("G", setup.plane) : "",
                                setup.coolant ? AddressWord("M0", setup.coolant) : "",
                                setup.spindleDirection == 4 ? "M04" : "M03",
                                setup.ConversationalUnits(),
                                std::string(Fixed3(buf, 0, previous.x + current.i)),
                                std::string(Fixed3(buf, 0, previous.y + current.j)),
                                std::string(Fixed3(buf, 0, previous.z + current.k))};
    for (std::size_t k = 0; k < std::size(kNamedVariables); ++k)
      ReplaceAll(work_, scratch_, kNamedVariables[k], said[k]);
    // Our rule: a line that held nothing but setup variables the source did not say is left
    // out, not written as an empty block.
    if (work_.find_first_not_of(" \t\r\n") == std::string::npos) return;
  }

  // Pass 1: words that appear only on change.
  if (const std::uint32_t b = masks.bracket) {
    // Our rule: the feed word appears when the feed differs from the one the program last
    // said, not from the record before: a rapid or an arc whose section says no feed leaves
    // the reader with the feed written last, and the cut after it must say its own.
    if (b & LetterBit('F')) {
      const bool say = !feedSaid_ || current.feed != saidFeed_;
      ReplaceAll(work_, scratch_, "[$F]", say ? Int(buf, 'F', current.feed) : std::string_view());
      if (say) feedSaid_ = true, saidFeed_ = current.feed;
    }
    if (b & LetterBit('H')) ReplaceAll(work_, scratch_, "[$H]", Int(buf, 'H', H));
    // A coordinate or offset word is written only when its value changed.
    auto onChange = [&](char letter, const char* token, double now, double before) {
      if (b & LetterBit(letter))
        ReplaceAll(work_, scratch_, token, now != before ? Fixed3(buf, letter, now) : "");
    };
    onChange('I', "[$I]", current.i, previous.i);
    onChange('J', "[$J]", current.j, previous.j);
    onChange('K', "[$K]", current.k, previous.k);
    if (b & LetterBit('N')) {
      KeepBlockNumberInRange(N);
      // Every "[$N]" of one line gets the same number; the line counts as one block.
      if (ReplaceAll(work_, scratch_, "[$N]", Int(buf, 'N', N)) && ++N > 9999) N = 1;
    }
    onChange('R', "[$R]", current.r, previous.r);
    onChange('X', "[$X]", current.x, previous.x);
    onChange('Y', "[$Y]", current.y, previous.y);
    onChange('Z', "[$Z]", current.z, previous.z);
    if (b & kArcPlaneBit)
      ReplaceAll(work_, scratch_, "[$ARCPLANE]",
                 current.plane != previous.plane ? PlaneGWord(current.plane) : "");
  }

  // Pass 2: plain values.
  if (const std::uint32_t p = masks.plain) {
    if (p & LetterBit('F')) {
      ReplaceAll(work_, scratch_, "$F", Int(buf, 0, current.feed));
      feedSaid_ = true, saidFeed_ = current.feed;
    }
    if (p & LetterBit('H')) ReplaceAll(work_, scratch_, "$H", Int(buf, 0, H));
    if (p & LetterBit('I')) ReplaceAll(work_, scratch_, "$I", Fixed3(buf, 0, current.i));
    if (p & LetterBit('J')) ReplaceAll(work_, scratch_, "$J", Fixed3(buf, 0, current.j));
    if (p & LetterBit('K')) ReplaceAll(work_, scratch_, "$K", Fixed3(buf, 0, current.k));
    if (p & LetterBit('N')) {
      KeepBlockNumberInRange(N);
      // Unlike "[$N]", "$N" starts again at 0 after 9999.
      if (ReplaceAll(work_, scratch_, "$N", Int(buf, 0, N)) && ++N > 9999) N = 0;
    }
    if (p & LetterBit('O')) ReplaceAll(work_, scratch_, "$O", Int(buf, 0, O));
    if (p & LetterBit('R')) ReplaceAll(work_, scratch_, "$R", Fixed3(buf, 0, current.r));
    if (p & LetterBit('S')) ReplaceAll(work_, scratch_, "$S", Int(buf, 0, S));
    if (p & LetterBit('T')) ReplaceAll(work_, scratch_, "$T", Int(buf, 0, T));
    if (p & LetterBit('X')) ReplaceAll(work_, scratch_, "$X", Fixed3(buf, 0, current.x));
    if (p & LetterBit('Y')) ReplaceAll(work_, scratch_, "$Y", Fixed3(buf, 0, current.y));
    if (p & LetterBit('Z')) ReplaceAll(work_, scratch_, "$Z", Fixed3(buf, 0, current.z));
  }

  // Pass 3: the written program has line feeds only.
  ReplaceAll(work_, scratch_, "\r\n", "\n");

  // Pass 4: values asked from the user, each time a line with the token is expanded.
  if (const std::uint32_t q = masks.prompt) {
    struct PromptSlot {
      char letter;
      std::int32_t* integer;  // F, H, N, O, S, T: whole numbers
      double* real;           // I, J, K, X, Y, Z
    };
    const PromptSlot order[] = {{'F', &current.feed, nullptr},
                                {'H', &H, nullptr},
                                {'I', nullptr, &current.i},
                                {'J', nullptr, &current.j},
                                {'K', nullptr, &current.k},
                                {'N', &N, nullptr},
                                {'O', &O, nullptr},
                                {'S', &S, nullptr},
                                {'T', &T, nullptr},
                                {'X', nullptr, &current.x},
                                {'Y', nullptr, &current.y},
                                {'Z', nullptr, &current.z}};
    for (const PromptSlot& slot : order) {
      if (!(q & LetterBit(slot.letter))) continue;
      const char token[3] = {'?', slot.letter, '\0'};
      if (work_.find(token) == std::string::npos) continue;
      double value = slot.integer ? *slot.integer : *slot.real;
      if (Prompt(slot.letter, value, slot.integer != nullptr)) {
        if (slot.integer)
          *slot.integer = ClampInt(value);
        else
          *slot.real = value;
      }
      // The offsets I, J, K are written like the coordinates, with three decimals.
      ReplaceAll(work_, scratch_, token,
                 slot.integer ? Int(buf, 0, *slot.integer) : Fixed3(buf, 0, *slot.real));
      if (slot.letter == 'N' && N < INT32_MAX) ++N;
      if (slot.letter == 'F') feedSaid_ = true, saidFeed_ = current.feed;
    }
  }

  // Pass 5: once more, for line breaks a prompt may have brought.
  ReplaceAll(work_, scratch_, "\r\n", "\n");
  out += work_;
}

void CPostProcessorDlg::WriteSection(int id) {
  const CPostSection& s = ppr[id];
  if (!s.defined) return;  // a section not defined writes nothing, whatever it shows
  for (int k = 0; k < s.lineCount; ++k) ExpandLine(s.lines[k], s.masks[k], out_);
  if (out_.size() >= kFlushAt) FlushOutput();
}

void CPostProcessorDlg::FlushOutput() {
  if (file_ && !out_.empty()) file_->Write(out_);
  out_.clear();
}

void CPostProcessorDlg::Convert(const Messages& msg, CPointStore& store, ReplacingFile& file) {
  msg_ = &msg;
  file_ = &file;
  out_.clear();
  out_.reserve(kFlushAt + 4096);
  feedSaid_ = false;
  T = toolNumber;
  S = spindle;
  O = programNumber;
  H = lengthOffset;

  std::uint32_t start = 0;
  if (store.count && !store.IsMotion(0)) start = store.NextMotion(0);
  ApplyDefine();

  // [Start] with every coordinate word written: the previous position is one no program has.
  double ijk[3] = {0, 0, 0};
  int plane = 0;
  bool startIsArc = false;
  const ToolpathStart entry = FindToolpathStart(store, start);
  if (store.count) {
    store.FetchPoint(start);
    if (IsArcType(store.reg.type)) startIsArc = ReadArc(store, start, ijk, plane);
    store.reg.z = entry.height;  // never below the rapids before the first cut
    TakeRecord(current, store.reg, startIsArc ? ijk : nullptr, plane);
  }
  const PointRegister startRecord = store.reg;
  previous.x = previous.y = previous.z = 999.0;
  WriteSection(kSecStart);
  if (store.count) TakeRecord(previous, startRecord, startIsArc ? ijk : nullptr, plane);
  if (toolChange) WriteSection(kSecTool);
  WriteSection(kSecSpindle);

  // Our rule: a record that continues a motion is written with the section of a new one
  // ([NewRapid], [NewCut], an arc's new section) when the motion before it was of another
  // kind, or when [Start] comes before it (a template's start says nothing a reader can rely
  // on): the continuing sections carry no motion word, and a reader would move the record as
  // the motion before it. A continuing section is kept where the new one is not defined.
  int kind = 0;  // the motion written last: MOVE_RAPID, MOVE_LINE, the arc's type; 0 none
  auto newWhereNeeded = [&](int kindNow, int continuing, int fresh) {
    const bool other = kind != kindNow;
    kind = kindNow;
    return other && ppr[fresh].defined ? fresh : continuing;
  };
  PointRegister& reg = store.reg;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i)) continue;
    if (i < entry.liftEnd && IsRapidType(reg.type))
      reg.z = entry.liftHeight;  // see FindToolpathStart
    int id;
    switch (reg.type) {
      case MOVE_RAPID:
        id = kSecNewRapid;
        kind = MOVE_RAPID;
        break;
      case MOVE_RAPID_CONT:
        id = newWhereNeeded(MOVE_RAPID, kSecRapid, kSecNewRapid);
        break;
      case MOVE_LINE:
        id = kSecNewCut;
        kind = MOVE_LINE;
        break;
      case MOVE_LINE_CONT:
        id = newWhereNeeded(MOVE_LINE, kSecCut, kSecNewCut);
        break;
      case MOVE_ARC_CW:
      case MOVE_ARC_CCW: {
        if (!ReadArc(store, i, ijk, plane)) continue;
        const bool continuing =
            kind == reg.type && previous.type == reg.type && previous.plane == plane;
        id = ArcSection(reg.type, plane, continuing);
        if (id < 0) continue;  // an unknown plane writes nothing and changes nothing
        kind = reg.type;
        TakeRecord(current, reg, ijk, plane);
        WriteSection(id);
        TakeRecord(previous, reg, ijk, plane);
        continue;
      }
      default:
        continue;
    }
    TakeRecord(current, reg, nullptr, 0);
    WriteSection(id);
    TakeRecord(previous, reg, nullptr, 0);
  }
  WriteSection(kSecTerm);
  FlushOutput();
  file_ = nullptr;
  msg_ = nullptr;
}

}  // namespace trevalon
