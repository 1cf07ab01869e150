#pragma once
// CNcOutputDlg: the options of "Ncdata로 저장" and the state of the fixed-format NC writer
// (ISO absolute or incremental, Heidenhain conversational) for one output run, independent of
// any window toolkit: the desktop dialog fills the options, the writer walks the point store.
// Also the single output and the layer output commands, and the number formats the writers
// share.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/point_store.h"

namespace trevalon {

class Messages;
class ReplacingFile;
struct LayerSlot;

// ---- Number formats ------------------------------------------------------------------
// Appends v exactly as printf("%.3f") spells it (same rounding, "-0.000" for small negative
// values) and returns the end. Coordinates are written millions of times per program, so the
// common case avoids printf; the caller leaves at least 400 bytes of room.
char* AppendFixed3(char* p, double v);
// Appends a decimal integer ("%d").
char* AppendInt(char* p, long v);
// The short-number format of incremental deltas: v rounded to 3 decimals as " %.3f " spells
// it, trailing zeros, a leading "0" and the blanks dropped (1.5, 10., .25, -.25, 100.05).
// Appends the text and returns the end; `rounded` receives the value that text stands for.
char* AppendShort3(char* p, double v, double& rounded);

// The start and end parts that the "file start and end" option copies from a source program.
// `head` is the beginning of the file (enough for 51 lines of 79 characters), `tail` its
// last 500 bytes or less, `fileSize` the whole file's size. Both parts are lines joined by
// line feeds, without a final one.
void ScanStartPart(std::string_view head, std::string& startPart, std::string& endPart);
void ScanEndPart(std::string_view tail, std::uint64_t fileSize, std::string& endPart);
// Reads the source file; a file that cannot be opened gives two empty parts.
void ReadStartEndParts(const std::string& path, std::string& startPart, std::string& endPart);

// ---- The output object ---------------------------------------------------------------
class CNcOutputDlg {
 public:
  CNcOutputDlg();
  ~CNcOutputDlg();
  CNcOutputDlg(const CNcOutputDlg&) = delete;
  CNcOutputDlg& operator=(const CNcOutputDlg&) = delete;

  // ---- Options (the controls of the single output's dialog) ---------------------------
  std::string outputPath;
  std::string sourcePath;            // "원본 파일"
  std::int32_t spindle = 0;          // "Spindle", 0 to 100000
  bool blockNumbers = false;         // "N번호 출력"
  bool toolChange = false;           // "공구번호"
  std::int32_t toolNumber = 0;       //
  std::int32_t toolOffset = 0;       // "공구 장보정", 0 to 100000
  bool machiningInfo = false;        // "가공 정보"
  bool programNumberOn = false;      // "프로그램 번호"
  std::int32_t programNumber = 0;    //
  bool heidenhain = false;           // "하이덴하인"
  bool ijkToR = true;                // "IJK -> R"
  bool incremental = false;          // "Incremental (G91)"
  bool diagonalRapidCheck = true;    // "사선 급속이송"
  std::string comment;               // "<< 주석문 >>"
  bool fileStartEnd = false;         // "화일 시작, 종료부"
  bool openInEditor = true;          // "파일 생성후 편집기"
  double startPoint[3] = {0, 0, 0};  // "시작점(X, Y, Z)": kept, not used by the writer

  // The dialog's initial values from the work layer's attributes and HeidenhainOutChk.
  void TakeLayerDefaults(const LayerSlot& layer, int heidenhainOutChk);
  // The two check boxes that exclude each other: ticking one while the other is ticked shows
  // the refusal and leaves the box clear. 1 when the box is ticked.
  int TickHeidenhain(const Messages& msg);
  int TickIncremental(const Messages& msg);

  // ---- Writer (one output run) --------------------------------------------------------
  // Writes the store as one program into `file` (already open): header, comment, start
  // block, tool change, every record, footer. Returns 1 when complete, 0 when the user
  // stopped at the diagonal rapid question (the blocks so far are written, no footer).
  int WriteProgram(const Messages& msg, CPointStore& store, ReplacingFile& file);

  // The parts of a run, used by the single and the layer output.
  void BeginOutput(ReplacingFile& file);
  void WriteHeader();
  void WriteComment();
  void WriteStartBlock(CPointStore& store);
  void WriteToolChange();
  void ResetMotionState();
  int WriteRecords(const Messages& msg, CPointStore& store);  // 0: stopped by the user
  void WriteFooter();
  void EndOutput();  // flushes what is buffered into the file

  // Machining information copied from the statistics before the run.
  double cuttingMin[3] = {0, 0, 0}, cuttingMax[3] = {0, 0, 0};
  double statisticsCuttingTime = 0;  // minutes, from the statistics walk
  double writtenTime = 0;            // minutes, accumulated from the blocks as written
  std::string startPart, endPart;
  bool stopped = false;  // the user chose to stop at the diagonal rapid question

  // Writer state, public for the tests that check it after a run.
  int blockCounter = 0;
  double position[3] = {9999.0, 9999.0, 9999.0};
  std::int32_t modalFeed = 0;
  std::int32_t heidenhainFeed = 50000;
  int previousType = 0;
  int previousPlane = 0;
  bool incrementalInForce = false;
  double safeHeight = 0;
  static constexpr double kRapidRate = 5000.0;

 private:
  void Block(const char* text, std::size_t len);
  void Block(std::string_view text) { Block(text.data(), text.size()); }
  void Raw(const char* text, std::size_t len);
  void Raw(std::string_view text) { Raw(text.data(), text.size()); }
  void Flush();
  bool PositionKnown() const {
    return !(position[0] == 9999.0 && position[1] == 9999.0 && position[2] == 9999.0);
  }
  int RapidBlock(const Messages& msg, const PointRegister& r);  // 0: stop
  void LinearBlock(const PointRegister& r);
  void ArcBlock(const PointRegister& r, const double ijk[3], int plane);
  void AccumulateLine(const double from[3], const double to[3], double rate);
  void AccumulateArc(const double from[3], const double to[3], const double ijk[3], int plane,
                     int type, std::int32_t feed);

  ReplacingFile* file_ = nullptr;
  char* buf_ = nullptr;  // output buffer, flushed into the file when nearly full
  std::size_t used_ = 0;
  std::string lastBlock_;              // text of the last block written
  double recordStart_[3] = {0, 0, 0};  // record 0 of the points being written
};

}  // namespace trevalon
