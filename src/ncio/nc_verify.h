#pragma once
// Verify after writing: a program just written is read back with the reader that matches its
// dialect, into a store of its own, and compared move by move with the records it was written
// from. This is what lets a programmer trust the output: a block the reader takes otherwise
// than the writer meant it shows up here, not on the machine.
//
// The comparison works on moves, not records, and accepts exactly what the output's own rules
// allow:
// - a move that ends where the tool already is (within the rounding) writes no block and is
//   not looked for;
// - rapids (1, 2) and straight moves (3, 4) compare by kind, not by their first/continuing
//   type; arcs by direction and plane;
// - positions within the output's rounding (0.0005 per axis for three decimals, plus the
//   single-precision rounding of the stores); incremental output keeps the written position at
//   the sum of the rounded deltas, so the same bound holds;
// - cutting feeds must be equal; a rapid's feed is not compared;
// - an arc may come back in several pieces on the same circle (same direction and plane,
//   centres within 0.005, together turning as far as the arc) and must end where it ends; in
//   Heidenhain output, arcs (those in the ZX and YZ planes, helices, and XY arcs whose pieces
//   the reader would not rebuild closely enough) may come back as straight chords that stay
//   within 0.001 (plus the rounding) of the arc;
// - the program's own framing (start block, tool change, closing retract, the blocks between
//   layers) adds rapids: extra rapids are accepted before the first move, between layers and
//   after the last move, nowhere else, and only at or above the heights the toolpath rapids
//   at before its first cut (after the last move a rapid that only climbs passes too).
//
// One pass over both, with a look-ahead of one move on each side to tell a dropped block and
// an extra block from a changed one; nothing is allocated per move.

#include <cstdint>
#include <string>
#include <vector>

#include "model/machine_setup.h"
#include "model/point_store.h"
#include "model/record_pages.h"
#include "texts/user_texts.h"

namespace trevalon {

// One run of records that was written: the work layer in the store, or a layer's snapshot.
// Records [0, end) were written; an output stopped at the diagonal rapid question ends early.
struct NcVerifyPart {
  const CPointStore* store = nullptr;
  const RecordSnapshot* snapshot = nullptr;
  std::uint32_t end = UINT32_MAX;
  int layer = -1;  // named in the report of a layer output; -1 for the single output
  // The writer's entry (toolpath_start.h): the rapids among records [0, liftEnd) were written
  // at liftHeight, and are looked for there.
  std::uint32_t liftEnd = 0;
  double liftHeight = 0;
};

struct NcVerifyOptions {
  bool heidenhain = false;   // read back with the Heidenhain reader
  double rounding = 0.0005;  // half a unit of the last written decimal
  // Read back with extended reading (ext_reader.h): a program in the form today's controls
  // show, with FMAX rapids and signed words, which the classic readers do not take.
  bool extended = false;
  // The setup the toolpath was read with. Our rule: where it names units or an ISO work
  // offset, the program read back must say the same before its first cut; a program that
  // runs in other units or from another offset moves every point, and counts as one more
  // difference, reported first (it comes before every move).
  const MachineSetup* setup = nullptr;
};

// A move as the comparison sees it. For arcs `centre` is absolute (start + offset).
struct NcVerifyMove {
  int type = 0;  // MOVE_* of the record; 0: no move
  int plane = 0;
  double position[3] = {0, 0, 0};
  double centre[3] = {0, 0, 0};
  std::int32_t feed = 0;
};

struct NcVerifyDifference {
  int layer = -1;
  std::uint32_t sourceIndex = 0;  // record index of the expected move in its layer or store
  std::uint32_t readIndex = 0;    // record index in the program read back
  bool hasExpected = false, hasRead = false;
  NcVerifyMove expected, read;
};

enum class NcVerifyStatus { Same, Different, CannotRead };

struct NcVerifyResult {
  NcVerifyStatus status = NcVerifyStatus::Same;
  std::uint64_t differences = 0;
  std::uint64_t movesCompared = 0;
  bool partial = false;  // the output stopped early: only the part written was compared
  NcVerifyDifference first;
  // The units and work offset differ: what the toolpath had and what was read back
  // (MachineSetup::Describe of both, "" for none).
  bool setupDiffers = false;
  std::string setupExpected, setupRead;

  bool ok() const { return status == NcVerifyStatus::Same; }
};

// Reads the program at `path` back (Heidenhain reader when options.heidenhain, the ISO reader
// otherwise; no thousandths scaling, arcs kept as arcs, a reader state of its own, so nothing
// of the application changes) and compares it with `parts` in order.
NcVerifyResult VerifyNcProgram(const std::string& path, const std::vector<NcVerifyPart>& parts,
                               const NcVerifyOptions& options);

// The same for a program already read into `readBack` (record 0 on).
NcVerifyResult CompareReadBack(const CPointStore& readBack, const std::vector<NcVerifyPart>& parts,
                               const NcVerifyOptions& options);

// One move in the words of a program: "G01 X10.000 Y0.000 Z5.000 F500", an arc with its
// plane and centre ("G17 G02 X.. Y.. Z.. centre X.. Y.. Z.. F.."); language-neutral.
std::string DescribeMove(const NcVerifyMove& m);
// The first difference as a sentence in `language`: where it is, what was expected and what
// was read.
std::string DescribeFirstDifference(const NcVerifyResult& r, Language language);
// The whole report of a failed verify in `language` (count, first difference, file kept).
std::string DescribeVerifyFailure(const NcVerifyResult& r, const std::string& path,
                                  Language language);

}  // namespace trevalon
