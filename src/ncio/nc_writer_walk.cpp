// The fixed-format writer's walk over the records: every rapid, straight move and arc of the
// store becomes a block of the chosen format (iso_blocks.cpp, heidenhain_blocks.cpp), with the
// diagonal rapid question, the position and modal feeds, and the time of the moves written.
#include <cmath>

#include "model/point_store.h"
#include "ncio/nc_block_words.h"
#include "ncio/nc_writer.h"
#include "platform/platform.h"
#include "texts/messages.h"

namespace trevalon {

using namespace ncwords;

namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

void CNcOutputDlg::AccumulateLine(const double from[3], const double to[3], double rate) {
  if (rate <= 0) return;  // a move without a feed cannot be timed
  const double dx = to[0] - from[0], dy = to[1] - from[1], dz = to[2] - from[2];
  writtenTime += FlooredSqrt(dx * dx + dy * dy + dz * dz) / rate;
}

void CNcOutputDlg::AccumulateArc(const double from[3], const double to[3], const double ijk[3],
                                 int plane, int type, std::int32_t feed) {
  if (feed <= 0) return;
  const int n = NormalAxis(plane);
  const int a = plane == PLANE_ZX ? 2 : plane == PLANE_YZ ? 1 : 0;
  const int b = plane == PLANE_ZX ? 0 : plane == PLANE_YZ ? 2 : 1;
  const double sa = -ijk[a], sb = -ijk[b];
  const double ea = to[a] - (from[a] + ijk[a]), eb = to[b] - (from[b] + ijk[b]);
  const double a0 = std::atan2(sb, sa), a1 = std::atan2(eb, ea);
  double sweep = type == MOVE_ARC_CCW ? a1 - a0 : a0 - a1;
  while (sweep < 0) sweep += 2 * kPi;
  if (sweep < 1e-9) sweep = 2 * kPi;  // the end on the start: a full circle
  const double r = std::sqrt(sa * sa + sb * sb);
  writtenTime += std::hypot(r * sweep, to[n] - from[n]) / feed;
}

int CNcOutputDlg::RapidBlock(const Messages& msg, const PointRegister& r) {
  const double to[3] = {r.x, r.y, r.z};
  if (diagonalRapidCheck && PositionKnown()) {
    const double dx = std::fabs(to[0] - position[0]), dy = std::fabs(to[1] - position[1]),
                 dz = std::fabs(to[2] - position[2]);
    if (dz > 0.001 && (dx > 0.001 || dy > 0.001)) {
      const char* caption = msg.Text(Txt::KorvoMessage);
      msg.platform().ShowMessage(msg.Text(Txt::DiagonalRapidFound), caption,
                                 MessageIcon::Information, MessageButtons::Ok);
      if (msg.platform().ShowMessage(msg.Text(Txt::ConfirmStop), caption, MessageIcon::Information,
                                     MessageButtons::OkCancel) == Answer::Ok)
        return 0;
      diagonalRapidCheck = false;
    }
  }
  if (!heidenhain)
    IsoRapid(r, to);
  else
    HeidenhainRapid(r, to);
  if (machiningInfo && PositionKnown()) AccumulateLine(position, to, kRapidRate);
  position[0] = to[0], position[1] = to[1], position[2] = to[2];
  heidenhainFeed = 50000;
  previousType = r.type;
  return 1;
}

// Our rule: in incremental output the deltas after a rapid (always absolute) start from the
// rapid's end as written, rounded to a thousandth, which is where a reader adds them to; from
// the toolpath's unrounded point they would drift by up to a thousandth.
void CNcOutputDlg::DeltasFromWrittenRapid() {
  if (incremental && !heidenhain && IsRapidType(previousType))
    for (double& v : position) v = WrittenValue(v);
}

void CNcOutputDlg::LinearBlock(const PointRegister& r) {
  DeltasFromWrittenRapid();
  double to[3] = {r.x, r.y, r.z};
  if (heidenhain)
    HeidenhainLinear(r, to);
  else
    IsoLinear(r, to);  // incremental: `to` becomes where the rounded deltas lead
  if (machiningInfo && PositionKnown()) AccumulateLine(position, to, r.feed);
  position[0] = to[0], position[1] = to[1], position[2] = to[2];
  modalFeed = heidenhainFeed = r.feed;
  previousType = r.type;
}

void CNcOutputDlg::ArcBlock(const PointRegister& r, const double ijk[3], int plane) {
  const bool continuing = previousType == r.type && previousPlane == plane;
  DeltasFromWrittenRapid();
  const double from[3] = {position[0], position[1], position[2]};
  double to[3] = {r.x, r.y, r.z};
  if (heidenhain)
    HeidenhainArc(r, ijk, plane, continuing, to);
  else
    IsoArc(r, ijk, plane, continuing, to);
  if (machiningInfo && from[0] != 9999.0) AccumulateArc(from, to, ijk, plane, r.type, r.feed);
  position[0] = to[0], position[1] = to[1], position[2] = to[2];
  modalFeed = heidenhainFeed = r.feed;
  previousType = r.type;
}

std::uint32_t FindCutWithoutFeed(CPointStore& store, std::uint32_t first) {
  const PointRegister& reg = store.reg;
  for (std::uint32_t i = first; i < store.count; ++i) {
    if (!store.FetchPoint(i)) continue;
    if ((IsLinearType(reg.type) || IsArcType(reg.type)) && reg.feed <= 0) return i;
  }
  return store.count;
}

int CNcOutputDlg::WriteRecords(const Messages& msg, CPointStore& store) {
  PointRegister& reg = store.reg;
  const std::uint32_t n = store.count;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!store.FetchPoint(i)) continue;
    if (i < liftEnd_ && IsRapidType(reg.type)) reg.z = liftHeight_;  // toolpath_start.h
    switch (reg.type) {
      case MOVE_RAPID:
      case MOVE_RAPID_CONT:
        if (!RapidBlock(msg, reg)) {
          stoppedAt = i;
          return 0;
        }
        break;
      case MOVE_LINE:
      case MOVE_LINE_CONT:
        LinearBlock(reg);
        break;
      case MOVE_ARC_CCW:
      case MOVE_ARC_CW: {
        double ijk[3] = {0, 0, 0};
        int plane = 0;
        if (store.FetchPoint(i + 1) && IsPlaneCode(reg.type)) {
          ijk[0] = reg.x, ijk[1] = reg.y, ijk[2] = reg.z;
          plane = reg.type;
        }
        store.FetchPoint(i);
        if (plane) {
          ArcBlock(reg, ijk, plane);
        } else {
          // An arc end whose centre record is missing cannot be written as an arc; a
          // straight move still takes the tool to where the toolpath goes next.
          PointRegister line = reg;
          line.type = MOVE_LINE;
          LinearBlock(line);
        }
        break;
      }
      default:
        continue;
    }
    recordFrom_[0] = reg.x, recordFrom_[1] = reg.y, recordFrom_[2] = reg.z;
  }
  return 1;
}

}  // namespace trevalon
