// The fixed-format writer's Heidenhain motion blocks: L blocks for rapids and straight moves,
// CC and C blocks for arcs in the XY plane, L chords for every other arc, with the feed word
// where it changes. The record walk keeps the position, the feeds and the time around them.
//
// Our rule for every block here: a program written in Heidenhain form reads back through
// Trevalon's Heidenhain reader as the toolpath it came from: a blank after the function word
// and between words, the feed before DR, and arcs cut into pieces that reader rebuilds.
// Why: docs/design-rules.md, "Writing Heidenhain: the spelling".
#include <cmath>
#include <vector>

#include "model/geometry.h"
#include "ncio/arc_pieces.h"
#include "ncio/nc_block_words.h"
#include "ncio/nc_writer.h"

namespace trevalon {

using namespace ncwords;

namespace {

// Our rule for XY arcs: pieces of at most 120 degrees. The reader rebuilds a piece's centre
// from 3-decimal ends and a radius measured from the 3-decimal start to the 3-decimal CC point;
// measured over random arcs (radii 0.01 to 2000), that moves the centre by at most 0.0017 for
// 90-degree pieces, 0.003 for 120, 0.005 for 135 and 0.023 for 170. 120 degrees keeps a whole
// circle to three pieces and a half circle to two.
constexpr double kMaxPieceSweep = 120.0 * kHalfTurn / 180.0;
// The re-read centre of every piece must lie this close to the arc's own centre.
constexpr double kCentreLimit = 0.005;
// The reader picks the side of the chord its centre lies on with a test that is loose for
// small radii and for chords that run nearly along an axis, and on a short arc the rounding
// of the ends turns the chord and with it the centre (by about 0.0007 divided by the sweep in
// radians). So the pieces are read back before they are written; a piece that comes back too
// far off is cut again into one, two, three or four more pieces, which moves the ends. When
// no cut reads back, the arc goes out as chords.
constexpr int kExtraCuts = 4;
constexpr int kMostPieces = 3 + kExtraCuts;  // a whole circle cut at 120 degrees, plus the extras
// Our rule for chords: every chord lies within 0.0003 of its arc, so that with its ends
// rounded to 3 decimals every written point and chord stays within 0.001 of the arc.
constexpr double kChordSagitta = 0.0003;
// More chords than this for one arc only come from absurd radii; the arc still ends where it
// should, with longer chords.
constexpr int kMostChords = 100000;

// A word after a blank: " X10.000".
char* Spaced(char* p, char letter, double v, bool sign = false) {
  *p++ = ' ';
  return sign ? SignedWord(p, letter, v) : Word(p, letter, v);
}
char* SpacedFeed(char* p, std::int32_t feed) {
  *p++ = ' ';
  return FeedWord(p, feed);
}
// Changed coordinates in the order X, Y, Z, each after a blank; true when any was written.
bool SpacedChangedWords(char*& p, const double to[3], const double from[3], bool sign = false) {
  bool any = false;
  static const char kAxis[3] = {'X', 'Y', 'Z'};
  for (int a = 0; a < 3; ++a)
    if (to[a] != from[a]) {
      p = Spaced(p, kAxis[a], to[a], sign);
      any = true;
    }
  return any;
}

// True when the reader takes every piece back as an arc about `centre` within kCentreLimit:
// the same numbers the text will give it, the same rebuilding of the centre.
bool PiecesReadBack(const double from[3], const ArcPiece* pieces, int n, const double centre[2],
                    int type) {
  double at[3] = {WrittenValue(from[0]), WrittenValue(from[1]), WrittenValue(from[2])};
  const double cc[2] = {WrittenValue(centre[0]), WrittenValue(centre[1])};
  for (int k = 0; k < n; ++k) {
    const double end[3] = {WrittenValue(pieces[k].end[0]), WrittenValue(pieces[k].end[1]), at[2]};
    // A C block that does not move is a whole circle to the reader.
    if (end[0] == at[0] && end[1] == at[1]) return false;
    // A radius of 0 makes the reader take the block as a straight move.
    const double radius = std::hypot(cc[0] - at[0], cc[1] - at[1]);
    if (!(radius > 0)) return false;
    double ijk[3];
    ArcCentreFromRadius(PLANE_XY, at, end, radius, type, ijk);
    if (!(std::hypot(at[0] + ijk[0] - centre[0], at[1] + ijk[1] - centre[1]) <= kCentreLimit))
      return false;
    at[0] = end[0], at[1] = end[1];
  }
  return true;
}

}  // namespace

// Our rule: a continuation (a rapid or a straight cut that goes on from the move before) that
// follows a move of another kind is preceded by a block holding only its feed. The reader
// takes an L after a cut as a cut and an L after an arc as the first cut of a run; the feed
// block, which does not move, tells it the kind of move, so that the continuation reads back
// as one. Returns true when the block was written.
bool CNcOutputDlg::HeidenhainKindBlock(const PointRegister& r) {
  // The TNC style names every rapid FMAX and gives a cut after a rapid its feed again.
  if (tncStyle) return false;
  const bool rapid = r.type == MOVE_RAPID_CONT;
  if (!rapid && r.type != MOVE_LINE_CONT) return false;
  if (rapid ? IsRapidType(previousType) : IsLinearType(previousType)) return false;
  char line[kLine];
  char* p = FeedWord(line, rapid ? 6000 : r.feed);
  Block(line, static_cast<std::size_t>(p - line));
  return true;
}

void CNcOutputDlg::HeidenhainRapid(const PointRegister& r, const double to[3]) {
  char line[kLine];
  if (tncStyle) {
    // FMAX holds for its block only; a rapid that does not move writes nothing.
    char* p = Put(line, "L");
    if (!SpacedChangedWords(p, to, position, true)) return;
    p = Put(p, " R0 FMAX");
    Block(line, static_cast<std::size_t>(p - line));
    return;
  }
  HeidenhainKindBlock(r);
  char* p = Put(line, "L");
  const bool any = SpacedChangedWords(p, to, position, tncStyle);
  if (any) {
    if (r.type == MOVE_RAPID) p = Put(p, " F6000");
    Block(line, static_cast<std::size_t>(p - line));
  } else if (r.type == MOVE_RAPID) {
    Block("F6000");
  }
}

void CNcOutputDlg::HeidenhainLinear(const PointRegister& r, const double to[3]) {
  char line[kLine];
  const bool isNew = r.type == MOVE_LINE;
  // Our rule: the first cut after an arc that stays where the reader already is (every
  // coordinate rounds to the arc's end) and keeps the arc's feed writes no block. The reader
  // would store nothing for it but would take it as the start of a run, and the cut after it
  // would read back as a continuation measured from before the arc.
  if (isNew && IsArcType(previousType) && r.feed == heidenhainFeed &&
      WrittenValue(to[0]) == WrittenValue(position[0]) &&
      WrittenValue(to[1]) == WrittenValue(position[1]) &&
      WrittenValue(to[2]) == WrittenValue(position[2]))
    return;
  if (tncStyle) {
    char* p = Put(line, "L");
    if (!SpacedChangedWords(p, to, position, true)) return;
    p = Put(p, " R0");
    if (r.feed != tncFeed_) p = SpacedFeed(p, r.feed);
    Block(line, static_cast<std::size_t>(p - line));
    return;
  }
  const bool sameFeed = HeidenhainKindBlock(r) || r.feed == heidenhainFeed;
  char* p = Put(line, "L");
  const bool any = SpacedChangedWords(p, to, position, tncStyle);
  if (!any && sameFeed) {
    if (isNew) {
      p = FeedWord(line, r.feed);
      Block(line, static_cast<std::size_t>(p - line));
    }
  } else {
    if (isNew || !sameFeed) p = SpacedFeed(p, r.feed);
    Block(line, static_cast<std::size_t>(p - line));
  }
}

void CNcOutputDlg::HeidenhainArc(const PointRegister& r, const double ijk[3], int plane,
                                 bool continuing, double to[3]) {
  char line[kLine];
  char* p;
  // A new arc always names its feed, a continuing one when the feed changes; the feed goes on
  // the first block that moves.
  bool feed = !continuing || r.feed != heidenhainFeed;
  // The plane of the last arc also tells a Heidenhain output which arcs continue.
  if (!continuing) previousPlane = plane;

  if (!PositionKnown()) {
    // Nothing was written before: there is no start to draw an arc from, but a straight move
    // still takes the tool to where the toolpath goes next.
    p = Put(line, "L");
    const bool any = SpacedChangedWords(p, to, position, tncStyle);
    if (feed) p = SpacedFeed(p, r.feed);
    if (any || feed) Block(line, static_cast<std::size_t>(p - line));
    return;
  }

  // An arc stays in its plane where the move along the normal does not show in 3 decimals; a
  // move that does show makes it a helix.
  const int normal = NormalAxis(plane);
  const bool helix = WrittenValue(to[normal]) != WrittenValue(position[normal]);
  if (!helix) to[normal] = position[normal];

  // Our rule: the reader rebuilds arcs in the XY plane only, and rebuilds a C block that
  // moves in Z from a chord measured through Z, which pulls the centre off the helix. XY arcs
  // go out as CC and C pieces that read back within kCentreLimit; helices and the arcs of the
  // other planes go out as chords.
  if (plane == PLANE_XY && !helix) {
    const double centre[2] = {position[0] + ijk[0], position[1] + ijk[1]};
    const int first = PiecesFor(ArcSweep(position, to, ijk, plane, r.type), kMaxPieceSweep);
    ArcPiece pieces[kMostPieces];
    for (int n = first; n <= first + kExtraCuts && n <= kMostPieces; ++n) {
      SplitArc(position, to, ijk, plane, r.type, n, pieces);
      if (!PiecesReadBack(position, pieces, n, centre, r.type)) continue;
      const double* at = position;
      for (int k = 0; k < n; ++k) {
        p = Put(line, "CC");
        p = Spaced(p, 'X', centre[0], tncStyle);
        p = Spaced(p, 'Y', centre[1], tncStyle);
        Block(line, static_cast<std::size_t>(p - line));
        p = Put(line, "C");
        SpacedChangedWords(p, pieces[k].end, at, tncStyle);
        if (feed) p = SpacedFeed(p, r.feed);
        feed = false;
        p = Put(p, r.type == MOVE_ARC_CW ? " DR-" : " DR+");
        Block(line, static_cast<std::size_t>(p - line));
        at = pieces[k].end;
      }
      return;
    }
  }

  // Chords: as many as the larger of the two radii asks for.
  const PlaneAxes ax = AxesOfPlane(plane);
  const double ca = position[ax.a] + ijk[ax.a], cb = position[ax.b] + ijk[ax.b];
  const double radius = std::fmax(std::hypot(position[ax.a] - ca, position[ax.b] - cb),
                                  std::hypot(to[ax.a] - ca, to[ax.b] - cb));
  const double sweep = ArcSweep(position, to, ijk, plane, r.type);
  int n = 1;
  if (radius > kChordSagitta && sweep > 0) {
    const double most = 2.0 * std::acos(1.0 - kChordSagitta / radius);
    n = sweep / most < kMostChords ? PiecesFor(sweep, most) : kMostChords;
  }
  std::vector<ArcPiece> chords(static_cast<std::size_t>(n));
  SplitArc(position, to, ijk, plane, r.type, n, chords.data());
  const double* at = position;
  for (const ArcPiece& chord : chords) {
    p = Put(line, "L");
    const bool any = SpacedChangedWords(p, chord.end, at, tncStyle);
    if (feed) p = SpacedFeed(p, r.feed);
    if (any || feed) Block(line, static_cast<std::size_t>(p - line));
    feed = false;
    at = chord.end;
  }
}

}  // namespace trevalon
