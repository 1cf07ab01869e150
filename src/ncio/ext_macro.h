#pragma once
// Parameters and program flow of ISO programs for the extended reader: the runner walks a
// program as a control executes it (variables, expressions, IF/WHILE/GOTO, subprogram and
// macro calls, o-word subroutines and loops) and hands out the blocks that remain, with every
// expression replaced by its number, for the ISO interpreter to move by.
//
// Our rules where controls differ or leave it open: assignments on a line take effect after
// it; a vacant address word is left out; M99 in the main program ends it (M99 P<n> jumps to
// N<n>); an expression followed by text that cannot start a word stops the run; "/" block
// delete is off; M98, M97, M99, M30 and M02 leave the block, whose rest is handed out first;
// system variables (#1000 up) read as a control standing ready without offsets answers them.
// Why: docs/design-rules.md, "Extended reading: the ISO program runner".
//
// Bounds: the block limit counts executed blocks beyond one pass over the file; calls nest at
// most `maxCallDepth` deep; a call of a program the file does not hold is passed over and
// counted as "call-not-in-file". Errors (an expression that cannot be read, a missing label, a
// #3000 alarm) stop the run: the report's stopReason says why and where.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ncio/ext_expression.h"
#include "ncio/ext_moves.h"
#include "texts/user_texts.h"

namespace trevalon {

struct ExtMacroOptions {
  Language language = Language::English;  // of the stop reason
  long maxBlocks = 5'000'000;             // executed blocks beyond one pass over the file
  int maxCallDepth = 10;                  // nested subprogram and macro calls
  // Characters of executed lines beyond one pass over the file: bounds the time a loop over
  // very long lines takes before the block limit is reached.
  long long maxChars = 2'000'000'000;
};

class ExtMacroRunner {
 public:
  // The whole program's lines (line ends already removed); they must outlive the runner.
  ExtMacroRunner(const std::vector<std::string_view>& lines, ExtReadReport& report,
                 ExtMacroOptions options = {});
  // The next block to execute, comments removed and every expression replaced by its number;
  // false at the end of the program or when the run stopped (report.stopReason set).
  bool Next(std::string& block);
  // The line (an index into the lines) of the block Next gave last.
  std::size_t LineIndex() const { return line_; }

  ExtVariables& Variables() { return vars_; }
  // The machine that runs the blocks handed out: the modal state and position the system
  // variables read. Without it those read vacant.
  void SetMachine(const ExtMachineState* machine) { machine_ = machine; }

 private:
  enum class Kw {
    Sub,
    EndSub,
    Call,
    Do,
    While,
    WhileOfDo,
    EndWhile,
    If,
    ElseIf,
    Else,
    EndIf,
    Repeat,
    EndRepeat,
    Return,
    Break,
    Continue,
    None
  };
  struct OWord {
    std::size_t line;
    std::string name;
    Kw kw;
    int match = -1;  // the partner: sub/endsub, while/endwhile, do/while, repeat/endrepeat
    int next = -1;   // if chains: the following elseif, else or endif
    int end = -1;    // if chains: the endif
    int last = -1;   // on the if: its last branch so far (while scanning)
  };
  struct Frame {
    std::size_t returnLine = 0;
    std::size_t progStart = 0, progEnd = 0;  // the running program's lines (labels, end)
    std::size_t bodyStart = 0;               // where a repeat starts again
    long repeats = 1;
    bool locals = false;  // a call level of its own (G65, o-word call)
    bool oword = false;
    std::size_t loopBase = 0, repBase = 0;
  };
  struct Loop {
    long id;
    std::size_t line;
  };
  struct Rep {
    int entry;
    long left;
  };
  struct Word {
    char letter;
    ExtValue v;
    std::size_t b, e;  // its text in the output
    int digits;        // digits before the point when written as a plain number
    bool remove;
  };
  struct Assign {
    ExtVarRef ref;
    ExtValue v;
  };

  void PreScan();
  int Strip(std::string_view line, std::string& out);
  bool Execute(std::string& out);
  bool Block(std::string_view t, std::size_t p, std::string& out);
  bool OLine(std::string_view t, std::size_t p);
  bool Call(std::size_t bodyStart, std::size_t progStart, std::size_t progEnd, long repeats,
            bool locals, bool oword);
  void Return();
  bool Jump(long label, const Frame& in, std::size_t& line);
  bool FindEnd(long id, std::size_t& line) const;
  // A DO loop starts at this line: an open loop of the same number in this call level is
  // left first; more than 32 open loops stop the run.
  void EnterLoop(long id);
  bool Branch(int entry);
  bool Condition(std::string_view t, std::size_t& p, bool& truth);
  bool Integer(std::string_view t, std::size_t& p, long& out);
  void Stop(Txt text, std::string_view value);
  bool SystemVariable(long number, ExtValue& out) const;
  // After an expression at `p`: true when what follows cannot start the next word.
  bool Junk(std::string_view t, std::size_t p) const;
  void ExprStop(const ExtExpression& e, std::string_view t);
  std::size_t ProgramEnd(std::size_t header) const;

  const std::vector<std::string_view>& lines_;
  ExtReadReport& report_;
  ExtMacroOptions opt_;
  ExtVariables vars_;

  std::vector<std::pair<std::size_t, long>> programs_;  // O-number headers: line, number
  std::unordered_map<long, std::size_t> programByNumber_;
  std::vector<OWord> owords_;
  std::unordered_map<std::string, int> subs_;
  std::unordered_map<unsigned long long, std::size_t> labels_;
  mutable std::unordered_map<std::size_t, std::size_t> whileEnds_;  // WHILE line -> END line

  std::vector<Frame> frames_;
  std::vector<Loop> loops_;
  std::vector<Rep> reps_;
  std::size_t cur_ = 0, line_ = 0;
  unsigned long long executed_ = 0, budget_ = 0;
  unsigned long long executedChars_ = 0, charBudget_ = 0;
  bool ended_ = false;
  bool branchPending_ = false;  // the next line is an elseif/else reached by a false branch

  std::string clean_, scratch_, name_;
  std::vector<Word> words_;
  std::vector<Assign> assigns_;
  std::string_view comment_;  // the first comment of the line (the text of a #3000 alarm)

  const ExtMachineState* machine_ = nullptr;
  // The clocks #3001 (milliseconds) and #3002 (hours): the value set last and the executed
  // block count when it was set.
  double clockMs_ = 0, clockHours_ = 0;
  unsigned long long clockMsAt_ = 0, clockHoursAt_ = 0;
};

}  // namespace trevalon
