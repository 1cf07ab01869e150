#pragma once
// CPostProcessorDlg: the template-driven conversion ("Post Processor", dialog "NC DATA 출력").
// Each point record selects a section of the template; its lines are expanded with the
// record's values by the variable language ($X a value, [$X] a word only on change, ?X a
// value asked from the user) and written as the program.

#include <cstdint>
#include <string>

#include "model/machine_setup.h"
#include "model/point_store.h"
#include "ncio/post_template.h"
#include "platform/value_range.h"

namespace trevalon {

class Messages;
class Platform;
class ReplacingFile;
struct LayerSlot;

// The values a section is expanded with; the conversion keeps the current and the previous.
struct PostValues {
  double i = 0, j = 0, k = 0, x = 0, y = 0, z = 0, r = 0;
  std::int32_t feed = 0;
  int type = 0;
  int plane = 0;
};

class CPostProcessorDlg {
 public:
  CPostProcessorDlg();
  CPostProcessorDlg(const CPostProcessorDlg&) = delete;
  CPostProcessorDlg& operator=(const CPostProcessorDlg&) = delete;

  // ---- Options -----------------------------------------------------------------------
  CPostTemplate ppr;                      // the template, its name on "PP 파일"
  std::string outputPath = "default.nc";  // "출력 파일"
  std::int32_t spindle = 1000;            // "Spindle"
  bool toolChange = false;                // "공구번호"
  std::int32_t toolNumber = 0;
  bool programNumberOn = false;  // "프로그램 번호": shown, the output ignores it
  std::int32_t programNumber = 0;
  bool machiningInfo = true;  // "가공 정보": shown, the output ignores it
  // H when [Define] does not set it: the layer's length-offset number, which is what a
  // "G43 ... H" block of a tool change means.
  std::int32_t lengthOffset = 0;
  // The layer's setup, for the setup variables (post_template.h).
  MachineSetup setup;
  // What the dialog's number fields and the post verb accept.
  static constexpr IntRange kSpindleRange{0, 100000};
  static constexpr IntRange kToolNumberRange{0, 100000};
  static constexpr IntRange kProgramNumberRange{0, 99999999};

  // The layer's values: spindle speed (1000 when the layer has none), tool number, program
  // number, length-offset number.
  void TakeLayerDefaults(const LayerSlot& layer);

  // ---- Conversion --------------------------------------------------------------------
  // Writes the whole program of `store` into `file` (steps 6 to 10 of the command). The
  // value prompts go to `prompts` (the application's platform when null).
  void Convert(const Messages& msg, CPointStore& store, ReplacingFile& file);

  // [Define]: N becomes 0, then each line's first key sets its value.
  void ApplyDefine();
  // Expands one template line into `out` (appended).
  void ExpandLine(const std::string& line, const LineMasks& masks, std::string& out);

  Platform* prompts = nullptr;
  // The shared values every section reads and changes.
  std::int32_t N = 0, T = 0, S = 0, H = 0, O = 0;
  PostValues current, previous;

 private:
  void WriteSection(int id);
  void TakeRecord(PostValues& v, const PointRegister& r, const double* ijk, int plane);
  int Prompt(char letter, double& value, bool integer);
  void FlushOutput();

  const Messages* msg_ = nullptr;
  ReplacingFile* file_ = nullptr;
  std::string out_;            // the program text not yet handed to the file
  std::string work_;           // the line being expanded
  std::string scratch_;        // the other half of the line being expanded
  bool feedSaid_ = false;      // an F word has been written
  std::int32_t saidFeed_ = 0;  // the feed of the last F word written
};

}  // namespace trevalon
