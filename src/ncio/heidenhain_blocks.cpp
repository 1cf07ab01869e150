// The fixed-format writer's Heidenhain motion blocks: L blocks for rapids, straight moves
// and arcs (which go out as straight moves to their end points), with the feed word where it
// changes. The record walk keeps the position, the feeds and the time around them.
#include "ncio/nc_block_words.h"
#include "ncio/nc_writer.h"

namespace trevalon {

using namespace ncwords;

void CNcOutputDlg::HeidenhainRapid(const PointRegister& r, const double to[3]) {
  char line[kLine];
  char* p = line;
  *p++ = 'L';
  const bool any = ChangedWords(p, to, position);
  if (any) {
    if (r.type == MOVE_RAPID) p = Put(p, "F6000");
    Block(line, static_cast<std::size_t>(p - line));
  } else if (r.type == MOVE_RAPID) {
    Block("F6000");
  }
}

void CNcOutputDlg::HeidenhainLinear(const PointRegister& r, const double to[3]) {
  char line[kLine];
  char* p = line;
  const bool isNew = r.type == MOVE_LINE;
  const bool sameFeed = r.feed == heidenhainFeed;
  *p++ = 'L';
  const bool any = ChangedWords(p, to, position);
  if (!any && sameFeed) {
    if (isNew) {
      p = FeedWord(line, r.feed);
      Block(line, static_cast<std::size_t>(p - line));
    }
  } else {
    if (isNew || !sameFeed) p = FeedWord(p, r.feed);
    Block(line, static_cast<std::size_t>(p - line));
  }
}

void CNcOutputDlg::HeidenhainArc(const PointRegister& r, int plane, bool continuing, double to[3]) {
  const int normal = NormalAxis(plane);
  char line[kLine];
  char* p = line;
  // Arcs go out as straight moves to their end points.
  const bool sameFeed = r.feed == heidenhainFeed;
  *p++ = 'L';
  if (!continuing) {
    to[normal] = position[normal];
    ChangedWords(p, to, position);
    p = FeedWord(p, r.feed);
    Block(line, static_cast<std::size_t>(p - line));
    // The plane of the last arc also tells a Heidenhain output which arcs continue.
    previousPlane = plane;
  } else {
    const bool any = ChangedWords(p, to, position);
    if (!sameFeed) p = FeedWord(p, r.feed);
    if (any || !sameFeed) Block(line, static_cast<std::size_t>(p - line));
  }
}

}  // namespace trevalon
