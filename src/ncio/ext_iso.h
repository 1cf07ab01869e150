#pragma once
// The ISO interpreter of extended reading: runs Fanuc-style blocks as a control keeps its
// modal state (motion, plane, absolute or incremental, drilling cycles) and hands every move
// to an ExtMoveSink. It takes blocks whose comments are already gone; the macro runner gives
// such blocks with every expression replaced by its number, and plain programs give their
// lines through CleanIsoBlock.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/layer_table.h"
#include "ncio/ext_moves.h"

namespace trevalon {

// A line without its comments: "(...)" anywhere (an unclosed one runs to the end of the
// line) and everything after ";". With `comments`, each comment's text, trimmed, is appended
// to it followed by "\r\n", as the classic reader fills the layer's comment text.
std::string CleanIsoBlock(std::string_view line, std::string* comments);
// The same for a read that cleans line after line: a line without "(" or ";" comes back as
// it stands, any other is cleaned into `scratch`, whose capacity serves the next one; the
// result lives as long as both.
std::string_view CleanIsoBlock(std::string_view line, std::string* comments, std::string& scratch);

enum class ExtIsoStep {
  Continue,  // the block ran; read the next one
  End,       // M02 or M30: the program ends here
  Full,      // the store is full; every move before it is stored
};

class ExtIsoMachine final : public ExtMachineState {
 public:
  // `scale`: 0.001 for programs in thousandths, else 1 (lengths only, as the classic reader).
  ExtIsoMachine(ExtMoveSink& sink, ExtReadReport& report, LayerSlot& layer, double scale);

  // Runs one block: blanks and lower case allowed, no comments.
  ExtIsoStep Execute(std::string_view block);
  // The end of the program: a move held back for a corner goes out as it was written.
  bool Finish();

  // The state the macro runner's system variables read (ExtMachineState).
  bool ModalG(int group, double& code) const override;
  bool ModalWord(char address, double& value) const override;
  double Position(int axis) const override { return pos_[axis] / scale_; }

 private:
  struct Words;
  struct Pending {
    bool held = false;
    double from[3], to[3];
    std::int32_t feed;
    bool named;
    bool chamfer;  // ",C" (else ",R")
    double size;
    std::uint64_t source;  // the block it came from (ExtMoveSink::Source)
  };
  // The steps of Execute, in order.
  // Reads the block's words; false for a "%" line (nothing to run).
  bool ReadWords(std::string_view block, Words& w) const;
  // The words that only set something: feed, spindle, tool, program number.
  void SetWords(const Words& w);
  // What the block's G and M codes asked for.
  struct BlockCodes {
    bool named = false;   // a motion G code is written in the block
    bool noMove = false;  // the block makes no move of its own
    bool end = false;     // M02 or M30
  };
  void RunGCodes(const Words& w, BlockCodes& codes);
  void RunMCodes(const Words& w, BlockCodes& codes);
  // The block's move (or drilling cycle) in the motion in force.
  ExtIsoStep Move(const Words& w, bool named, ExtIsoStep done);
  bool RunCycle(const Words& w);
  bool Arc(const Words& w, const double to[3], bool clockwise);
  bool Line(const double to[3], bool named, const Words& w);
  bool Flush(bool unresolved);
  bool Corner(const double to[3], bool named);
  // Reports a block with G code `code` (in tenths, G12.1 is 121) that the reader does not run.
  void NotRun(int code);

  ExtMoveSink& sink_;
  ExtReadReport& report_;
  LayerSlot& layer_;
  double scale_;
  double pos_[3];
  int motion_ = 0;  // 0 G00, 1 G01, 2 G02, 3 G03; -1 none yet
  int plane_ = 91;
  bool incremental_ = false;
  std::int32_t feed_ = 0;
  // Drilling cycle in force (73, 74, 76, 81-89), 0 for none.
  int cycle_ = 0;
  bool returnToR_ = false;  // G99 (else G98, the default)
  double initialZ_ = 0, rLevel_ = 0, bottom_ = 0;
  bool rSet_ = false, bottomSet_ = false;
  bool polarMode_ = false;  // G16 in force (until G15)
  Pending pending_;
  // The G code in force per modal group (index 1-17), in tenths as the words keep them;
  // -1 for a group not kept. The power-on state until a block names another.
  int modal_[18] = {-1,  0,   170, 900, 220, 940, 210, 400, 490,
                    800, 980, 500, 670, 970, 540, 640, 690, 150};
};

}  // namespace trevalon
