#pragma once
// Comparing two toolpaths move by move: which points moved, which feeds and kinds of motion
// changed, which moves were added or removed. What the comparison sees is the sequence of
// motion records (rapids, lines, arcs with their centres); arc centre records, layers and
// everything else a program holds besides its moves are not compared.
//
// Alignment: moves whose end points lie within the tolerance pair up; where they stop pairing
// the walk finds the nearest place (within kResyncReach skipped moves) where kResyncConfirm
// pair again, and the moves skipped are changed, removed or added. Linear in the moves.
// How: docs/design-rules.md, "Toolpath comparison: alignment".
//
// A pair of moves differs in:
//  - Moved: the end points lie farther apart than the tolerance (Euclidean distance), or two
//    arcs turn about centres farther apart than the tolerance or in different planes;
//  - Feed: two cutting moves (lines and arcs) with different feeds (rapids carry none);
//  - Motion: the kind of motion differs (rapid, line, counter-clockwise or clockwise arc; a
//    start and a continuation of the same kind are one kind).
// A pair may differ in more than one of them; each is counted and listed.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/point_store.h"

namespace trevalon {

inline constexpr std::size_t kResyncReach = 64;
inline constexpr std::size_t kResyncConfirm = 3;

enum class DifferenceType : std::uint8_t { Moved, Feed, Motion, Added, Removed };

// The side of one difference in one toolpath: the record index as `dump` shows it, -1 when
// the move is not in that toolpath (added or removed).
struct DifferenceSide {
  std::int64_t index = -1;
  double pos[3] = {0, 0, 0};
  int feed = 0;
  int type = 0;  // the stored motion type
};

struct ToolpathDifference {
  DifferenceType type = DifferenceType::Moved;
  DifferenceSide a, b;
};

struct ToolpathComparison {
  std::uint64_t movesA = 0, movesB = 0;
  std::uint64_t moved = 0, feeds = 0, motions = 0, added = 0, removed = 0;
  // The differences in order along the toolpaths, at most the number asked for; `truncated`
  // tells that there were more (the counts above count them all).
  std::vector<ToolpathDifference> details;
  bool truncated = false;
  // False when the memory for the comparison could not be had; nothing else is then set.
  bool complete = true;

  bool Same() const { return moved + feeds + motions + added + removed == 0; }
};

// Compares the toolpaths of two stores (read through their registers) with the tolerance in
// mm, keeping at most maxDetails differences.
ToolpathComparison CompareToolpaths(CPointStore& a, CPointStore& b, double tolerance,
                                    std::size_t maxDetails);

}  // namespace trevalon
