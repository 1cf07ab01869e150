#pragma once
// The stored form of one toolpath point, the current-point register that every access goes
// through, and the motion type codes.

#include <cstdint>

namespace trevalon {

// ---- Motion types --------------------------------------------------------------------
enum MotionType : int {
  MOVE_NONE = 0,
  MOVE_RAPID = 1,       // G00 starting a run of rapids
  MOVE_RAPID_CONT = 2,  // rapid continuing a rapid
  MOVE_LINE = 3,        // G01 after a move of another kind
  MOVE_LINE_CONT = 4,   // G01 after a G01
  MOVE_ARC_CCW = 6,     // G03 end point
  MOVE_ARC_CW = 8,      // G02 end point
  PLANE_XY = 91,        // arc centre record, G17
  PLANE_ZX = 92,        // arc centre record, G18
  PLANE_YZ = 93,        // arc centre record, G19
};

inline bool IsMotionType(int t) {
  return t == MOVE_RAPID || t == MOVE_RAPID_CONT || t == MOVE_LINE || t == MOVE_LINE_CONT ||
         t == MOVE_ARC_CCW || t == MOVE_ARC_CW;
}
inline bool IsRapidType(int t) {
  return t == MOVE_RAPID || t == MOVE_RAPID_CONT;
}
inline bool IsLinearType(int t) {
  return t == MOVE_LINE || t == MOVE_LINE_CONT;
}
inline bool IsArcType(int t) {
  return t == MOVE_ARC_CCW || t == MOVE_ARC_CW;
}
inline bool IsPlaneCode(int t) {
  return t == PLANE_XY || t == PLANE_ZX || t == PLANE_YZ;
}

// ---- Stored record -------------------------------------------------------------------
// Single-precision coordinates and 16-bit feed, mark and type: 18 bytes, packed so that a
// page of 3270 records stays just under 64 KiB and ten million points take 180 MB.
#pragma pack(push, 2)
struct PointRecord {
  float x, y, z;
  std::int16_t feed;
  std::int16_t mark;  // 0 none, 1 selected, -1 marked
  std::int16_t type;
};
#pragma pack(pop)
static_assert(sizeof(PointRecord) == 18, "a point record is 18 bytes");

// ---- Current-point register ----------------------------------------------------------
struct PointRegister {
  double x = 0, y = 0, z = 0;
  std::int32_t feed = 0;
  std::int32_t mark = 0;
  std::int32_t type = 0;
  std::int32_t plane = PLANE_XY;  // plane of the arc being stored; other values mean XY
  double radius = 0;              // the last R word read
};

}  // namespace trevalon
