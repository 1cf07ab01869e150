#pragma once
// CNcOutputDlg: the options of "Ncdata로 저장" and the state of the fixed-format NC writer
// (ISO absolute or incremental, Heidenhain conversational) for one output run, independent of
// any window toolkit: the desktop dialog fills the options, the writer walks the point store.
// Its number formats are in nc_number.h, the start and end parts it copies from a source
// program in start_end_parts.h.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/machine_setup.h"
#include "model/point_store.h"
#include "platform/value_range.h"

namespace trevalon {

class Messages;
class ReplacingFile;
struct LayerSlot;

// The first cutting move (a straight move or an arc end) of records [first, store.count)
// whose feed is 0 or below, or store.count when every cut has a feed. A control refuses such
// a cut or stands still on it, so no writer puts one into a program: the output commands
// refuse the whole program and name the move. The register is left as the walk leaves it.
std::uint32_t FindCutWithoutFeed(CPointStore& store, std::uint32_t first = 0);

// ---- The output object ---------------------------------------------------------------
class CNcOutputDlg {
 public:
  CNcOutputDlg();
  ~CNcOutputDlg();
  CNcOutputDlg(const CNcOutputDlg&) = delete;
  CNcOutputDlg& operator=(const CNcOutputDlg&) = delete;

  // ---- Options (the controls of the single output's dialog) ---------------------------
  std::string outputPath;
  std::string sourcePath;          // "원본 파일"
  std::int32_t spindle = 0;        // "Spindle", 0 to 100000
  bool blockNumbers = false;       // "N번호 출력"
  bool toolChange = false;         // "공구번호"
  std::int32_t toolNumber = 0;     //
  std::int32_t toolOffset = 0;     // "공구 장보정", 0 to 100000
  bool machiningInfo = false;      // "가공 정보"
  bool programNumberOn = false;    // "프로그램 번호"
  std::int32_t programNumber = 0;  //
  bool heidenhain = false;         // "하이덴하인"
  // The Heidenhain style (save option hstyle=tnc): false writes the classic form (numbers
  // glued to the function, unsigned coordinates, F6000 rapids, a fixed blank), true the form
  // today's conversational controls show (tnc_blocks in heidenhain_blocks.cpp).
  bool tncStyle = false;
  bool ijkToR = true;                // "IJK -> R"
  bool incremental = false;          // "Incremental (G91)"
  bool diagonalRapidCheck = true;    // "사선 급속이송"
  std::string comment;               // "<< 주석문 >>"
  bool fileStartEnd = false;         // "화일 시작, 종료부"
  bool openInEditor = true;          // "파일 생성후 편집기"
  double startPoint[3] = {0, 0, 0};  // "시작점(X, Y, Z)": kept, not used by the writer
  // The setup the toolpath was read with (the layer's): units and work offset go out before
  // the first move, the coolant and spindle direction with the spindle start.
  MachineSetup setup;

  // What the dialog's number fields and the save verb accept. A program number is written
  // as "O" and its digits ("BEGIN PGM n MM" in Heidenhain), so any eight digits will do.
  static constexpr IntRange kSpindleRange{0, 100000};
  static constexpr IntRange kToolNumberRange{0, 100000};
  static constexpr IntRange kToolOffsetRange{0, 100000};
  static constexpr IntRange kProgramNumberRange{0, 99999999};

  // The dialog's initial values from the work layer's attributes and HeidenhainOutChk.
  void TakeLayerDefaults(const LayerSlot& layer, int heidenhainOutChk);
  // The two check boxes that exclude each other: ticking one while the other is ticked shows
  // the refusal and leaves the box clear. 1 when the box is ticked.
  int TickHeidenhain(const Messages& msg);
  int TickIncremental(const Messages& msg);

  // ---- Writer (one output run) --------------------------------------------------------
  // Writes the store as one program into `file` (already open): header, comment, start
  // block, tool change, every record, footer. Returns 1 when complete, 0 when the user
  // stopped at the diagonal rapid question. After a stop the user is asked whether to keep
  // the blocks so far (keptPartial): they are then closed by the stop note and the footer;
  // otherwise the caller abandons the file and the old one stays.
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
  // After a stop: whether the user keeps the blocks so far (the question KeepPartialOutput);
  // when kept, the comment that says where the program stopped and the footer are written.
  bool ClosePartial(const Messages& msg);
  void EndOutput();  // flushes what is buffered into the file

  // Machining information copied from the statistics before the run.
  double cuttingMin[3] = {0, 0, 0}, cuttingMax[3] = {0, 0, 0};
  double statisticsCuttingTime = 0;  // minutes, from the statistics walk
  double writtenTime = 0;            // minutes, accumulated from the blocks as written
  std::string startPart, endPart;
  bool stopped = false;         // the user chose to stop at the diagonal rapid question
  std::uint32_t stoppedAt = 0;  // the record of that rapid: records before it were written
  bool keptPartial = false;     // the user kept the output so far, closed where it stopped

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
  static constexpr double kTncBlankMargin = 1.0;  // in the program's units

 private:
  void Block(const char* text, std::size_t len);
  void Block(std::string_view text) { Block(text.data(), text.size()); }
  void Raw(const char* text, std::size_t len);
  void Raw(std::string_view text) { Raw(text.data(), text.size()); }
  void Flush();
  void WriteSetupBlock();
  // The TNC style's program frame: the program's name, the blank from the toolpath's extent.
  std::string TncProgramName() const;
  void TncBlank(CPointStore& store);
  void TncHeader();
  void TncStart();
  void TncFooter();
  void NoteTncFeed();  // the F word of the block just written, if any
  bool PositionKnown() const {
    return !(position[0] == 9999.0 && position[1] == 9999.0 && position[2] == 9999.0);
  }
  // The record walk (nc_writer_walk.cpp): one block per record in the chosen format, then
  // the position, the modal feeds and the time written.
  int RapidBlock(const Messages& msg, const PointRegister& r);  // 0: stop
  void LinearBlock(const PointRegister& r);
  void DeltasFromWrittenRapid();
  void ArcBlock(const PointRegister& r, const double ijk[3], int plane);
  void AccumulateLine(const double from[3], const double to[3], double rate);
  void AccumulateArc(const double from[3], const double to[3], const double ijk[3], int plane,
                     int type, std::int32_t feed);
  // The blocks of one move ending at `to` (iso_blocks.cpp, heidenhain_blocks.cpp); where a
  // block writes the move's end elsewhere (an arc held in its plane, rounded incremental
  // deltas) `to` becomes that end. `continuing`: an arc of the same kind and plane as before.
  void IsoRapid(const PointRegister& r, const double to[3]);
  void IsoLinear(const PointRegister& r, double to[3]);
  void IsoArc(const PointRegister& r, const double ijk[3], int plane, bool continuing,
              double to[3]);
  bool HeidenhainKindBlock(const PointRegister& r);
  void HeidenhainRapid(const PointRegister& r, const double to[3]);
  void HeidenhainLinear(const PointRegister& r, const double to[3]);
  void HeidenhainArc(const PointRegister& r, const double ijk[3], int plane, bool continuing,
                     double to[3]);

  ReplacingFile* file_ = nullptr;
  char* buf_ = nullptr;  // output buffer, flushed into the file when nearly full
  std::size_t used_ = 0;
  std::string lastBlock_;              // text of the last block written
  double recordStart_[3] = {0, 0, 0};  // record 0 of the points being written
  // Where the toolpath itself stands before the record being written (the last motion
  // record's position as stored, not as rounded into the program): an arc's centre offsets
  // are taken from there.
  double recordFrom_[3] = {9999.0, 9999.0, 9999.0};
  // The motion in force in the ISO program as written: 0 to 3 for G00 to G03, -1 when the
  // program's own start part leaves it unknown. A block without a G word moves by it.
  int motionWord_ = -1;
  // The leading rapids written at the height of their climb (toolpath_start.h).
  std::uint32_t liftEnd_ = 0;
  double liftHeight_ = 0;
  // The TNC style's blank: the cutting moves' extent with kTncBlankMargin on every side.
  double tncBlankMin_[3] = {0, 0, 0}, tncBlankMax_[3] = {0, 0, 0};
  // The feed the TNC-style program has in force: the F of the last block that said one (an
  // FMAX block leaves it), -1 before any.
  std::int32_t tncFeed_ = -1;
  // The units and work offset the program as written has said so far.
  MachineSetup setupSaid_;
};

}  // namespace trevalon
