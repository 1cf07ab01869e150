// The fixed-format writer's object and program frame: options, output buffer and block
// numbering, header, comment, start block, tool change and footer, and the whole run. The
// motion blocks are written by the record walk (nc_writer_walk.cpp).
#include "ncio/nc_writer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "model/layer_table.h"
#include "model/point_store.h"
#include "ncio/nc_block_words.h"
#include "ncio/nc_comment.h"
#include "ncio/start_end_parts.h"
#include "ncio/toolpath_start.h"
#include "platform/file_io.h"
#include "texts/messages.h"

namespace trevalon {

using namespace ncwords;

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
std::string Trim(std::string_view s) {
  const char* ws = " \t\r\n";
  std::size_t b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(ws);
  return std::string(s.substr(b, e - b + 1));
}
// One comment block of the machining information.
std::string Parenthesised(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '(';
  out += CommentText(text);
  out += ')';
  return out;
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
  setup = layer.setup;
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
  // A conversational program of today's form numbers its BEGIN PGM block 0.
  blockCounter = heidenhain && tncStyle ? -1 : 0;
  lastBlock_.clear();
  writtenTime = 0;
  stopped = false;
  keptPartial = false;
  tncFeed_ = -1;
  setupSaid_ = MachineSetup{};
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
    // Block number, blank, function: the TNC style's blank is there whatever the text.
    if (heidenhain && tncStyle && (len == 0 || text[0] != ' ')) *p++ = ' ';
    Raw(number, static_cast<std::size_t>(p - number));
  }
  Raw(text, len);
  Raw("\n", 1);
  lastBlock_.assign(text, len);
  if (heidenhain && tncStyle) NoteTncFeed();
  // Checked after the block is written: N10000 goes out, the next block is N1. A TNC-style
  // program counts on: its controls number far beyond.
  if (blockCounter > 9999 && !(heidenhain && tncStyle)) blockCounter = 0;
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
  } else if (tncStyle) {
    TncHeader();
  } else {
    std::snprintf(line, sizeof line, " BEGIN PGM %d %s", programNumber,
                  setup.ConversationalUnits());
    Block(line);
    Block(" BLK FORM 0.1 Z X+0.000 Y+0.000 Z-100.000");
    Block(" BLK FORM 0.2 X+100.000 Y+100.000 Z+0.000");
  }
  incrementalInForce = false;
}

void CNcOutputDlg::WriteComment() {
  std::string text = Trim(comment);
  if (text.empty()) return;
  if (heidenhain) {
    // A conversational program holds its comments as blocks of their own that start with ';':
    // one block per line of the comment, numbered as every other block.
    std::size_t from = 0;
    for (;;) {
      std::size_t lf = text.find('\n', from);
      Block(" ; " + CommentText(Trim(std::string_view(text).substr(
                        from, lf == std::string::npos ? lf : lf - from))));
      if (lf == std::string::npos) break;
      from = lf + 1;
    }
    return;
  }
  std::string out = "(";
  std::size_t from = 0;
  for (;;) {
    std::size_t lf = text.find('\n', from);
    out += CommentText(
        Trim(std::string_view(text).substr(from, lf == std::string::npos ? lf : lf - from)));
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
  const ToolpathStart entry = FindToolpathStart(store, 0);
  safeHeight = entry.height;
  liftEnd_ = entry.liftEnd;
  liftHeight_ = entry.liftHeight;
  if (fileStartEnd && !startPart.empty()) {
    motionWord_ = -1;  // whatever the source program's start part left in force
    return;
  }
  if (!heidenhain) {
    WriteSetupBlock();
    Block("G90G00G17");
    motionWord_ = 0;
  } else if (tncStyle) {
    TncStart();
  } else {
    char line[kLine];
    char* p = Put(line, "L X");
    p = AppendFixed3(p, start[0]);
    p = Put(p, " Y");
    p = AppendFixed3(p, start[1]);
    p = Put(p, " Z");
    p = AppendFixed3(p, safeHeight);
    p = Put(p, " F6000");
    Block(line, static_cast<std::size_t>(p - line));
    heidenhainFeed = 6000;
  }
}

// Our rule: the units and the work offset the source said before its first move are said
// again before the start block, each when it differs from what the program said last (a
// layer output says a layer's own where it differs from the layer before). A toolpath
// without them is written as it always was.
void CNcOutputDlg::WriteSetupBlock() {
  std::string words;
  if (setup.units != MachineSetup::Units::Unknown && setup.units != setupSaid_.units) {
    words += setup.IsoUnitsWord();
    setupSaid_.units = setup.units;
  }
  const std::string offset = setup.IsoOffsetWord();
  if (!offset.empty() && offset != setupSaid_.IsoOffsetWord()) {
    words += offset;
    setupSaid_.offset = setup.offset;
    setupSaid_.offsetNumber = setup.offsetNumber;
  }
  if (!words.empty()) Block(words);
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
      motionWord_ = 0;
    }
    if (spindle != 0) {
      p = Put(line, "S");
      p = AppendInt(p, spindle);
      p = Put(p, setup.spindleDirection == 4 ? "M04" : "M03");
      Block(line, static_cast<std::size_t>(p - line));
    }
    // The source's coolant, where it turned one on before its first move.
    if (setup.coolant == 7 || setup.coolant == 8) Block(setup.coolant == 7 ? "M07" : "M08");
    return;
  }
  if (!toolChange || tncStyle) return;  // the TNC style calls the tool in its start
  std::snprintf(line, sizeof line, "TOOL DEF %d L+0.000 R+0.000", toolNumber);
  Block(line);
  std::snprintf(line, sizeof line, "TOOL CALL %d Z S%d", toolNumber, spindle);
  Block(line);
  p = Put(line, "L Z");
  p = AppendFixed3(p, safeHeight);
  p = Put(p, " F6000");
  Block(line, static_cast<std::size_t>(p - line));
  Block("M03M08");
  heidenhainFeed = 6000;
}

void CNcOutputDlg::ResetMotionState() {
  position[0] = position[1] = position[2] = 9999.0;
  recordFrom_[0] = recordFrom_[1] = recordFrom_[2] = 9999.0;
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
  if (heidenhain && tncStyle) {
    TncFooter();
    return;
  }
  if (heidenhain) {
    std::string last = lastBlock_;
    // Our rule: a C block said again would be read as a whole circle about its end, so after
    // an arc the last position is said again as a straight block that does not move.
    if (last.compare(0, 2, "C ") == 0) {
      char again[kLine];
      char* p = Put(again, "L X");
      p = AppendFixed3(p, position[0]);
      p = Put(p, " Y");
      p = AppendFixed3(p, position[1]);
      p = Put(p, " Z");
      p = AppendFixed3(p, position[2]);
      last.assign(again, static_cast<std::size_t>(p - again));
    }
    Block(last);
    std::snprintf(line, sizeof line, " END PGM %d %s", programNumber, setup.ConversationalUnits());
    Block(line);
    return;
  }
  // The closing retract goes at least to the safe height, higher when the tool already is.
  if (position[2] != safeHeight) {
    if (position[2] > safeHeight) safeHeight = position[2];
    // The retract names an absolute height: after the incremental cuts a bare Z word would be
    // read as a step from where the tool stands, which takes it down when that Z is negative.
    char* p = Put(line, incremental && incrementalInForce ? "G90G00" : "G00");
    p = Word(p, 'Z', safeHeight);
    Block(line, static_cast<std::size_t>(p - line));
    if (incremental) incrementalInForce = false;
    motionWord_ = 0;
  } else if (motionWord_ == 2 || motionWord_ == 3) {
    // Our rule: a reader takes a block without a motion word while an arc is in force as a
    // whole circle about where it stands, so a program that ends on an arc at the safe height
    // leaves the arc with a G00 block that does not move before M09.
    Block("G00");
    motionWord_ = 0;
  }
  Block("M09");
  Block("M30");
  Block("%");
  if (!machiningInfo) return;
  static const char* const kExtent[3] = {
      "MIN X = %f      MAX X = %f ", "MIN Y = %f      MAX Y = %f ", "MIN Z = %f      MAX Z = %f "};
  for (int a = 0; a < 3; ++a) {
    std::snprintf(line, sizeof line, kExtent[a], cuttingMin[a], cuttingMax[a]);
    Block(Parenthesised(line));
  }
  // The estimate printed is the time of the program as written: every written move at its
  // feed (arcs along the arc, full circles included) and the rapids at the rapid rate. The
  // statistics' cutting time leaves the arcs and the rapids out, so it says less about how
  // long the machine will run this program.
  std::snprintf(line, sizeof line, "CUTTING TIME = %.2f MIN", writtenTime);
  Block(Parenthesised(line));
}

// Our rule: a program stopped at the diagonal rapid question is never left without its end.
// Either the user keeps it, and it ends like a complete one after a comment that names the
// record where it stopped, or the caller drops the temporary file and the old file stays.
bool CNcOutputDlg::ClosePartial(const Messages& msg) {
  keptPartial = msg.Ask(Txt::KeepPartialOutput, Txt::KorvoMessage) == Answer::Ok;
  if (!keptPartial) return false;
  char line[128];
  std::snprintf(line, sizeof line, "STOPPED BEFORE RECORD %u: DIAGONAL RAPID NOT WRITTEN",
                static_cast<unsigned>(stoppedAt));
  if (heidenhain)
    Block(std::string("; ") + line);
  else
    Block(Parenthesised(line));
  WriteFooter();
  return true;
}

int CNcOutputDlg::WriteProgram(const Messages& msg, CPointStore& store, ReplacingFile& file) {
  if (heidenhain && tncStyle) TncBlank(store);
  BeginOutput(file);
  WriteHeader();
  WriteComment();
  WriteStartBlock(store);
  WriteToolChange();
  ResetMotionState();
  if (!WriteRecords(msg, store)) {
    stopped = true;
    ClosePartial(msg);
    EndOutput();
    return 0;
  }
  WriteFooter();
  EndOutput();
  return 1;
}

}  // namespace trevalon
