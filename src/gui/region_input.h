#pragma once
// How the desktop asks for the region of an editing command: the coordinate box, circle and
// Z range dialogs (each command keeps its own values while the program runs), the point-file
// picker, and the mouse window and polygon turned into a Region of the core. The command then
// hands the Region to its core operation; nothing here knows what the command does.

#include <QString>
#include <functional>
#include <string>

#include "edit/region.h"
#include "gui/input_modes.h"

class QWidget;

namespace trevalon {

class CApplication;
class ToolpathView;

struct BoxValues {
  double xMin = -50, yMin = -50, xMax = 0, yMax = 0;
};
struct CircleValues {
  double x = 0, y = 0, z = 0, radius = 70;
};
struct ZBandValues {
  double zMin = -10, zMax = 10;
};

// Each opens on `v` and writes the fields back into it on OK; false on Cancel (v unchanged).
bool AskBox(QWidget* parent, BoxValues& v);        // "XY 영역"
bool AskCircle(QWidget* parent, CircleValues& v);  // "중심좌표와 반경을 입력하시요."
bool AskZBand(QWidget* parent, ZBandValues& v);  // "변수를 입력하시요!!", Z minimum/maximum

inline Region BoxRegion(const BoxValues& v) {
  return Region::Box(v.xMin, v.yMin, v.xMax, v.yMax);
}
inline Region CircleRegion(const CircleValues& v) {
  return Region::Circle(v.x, v.y, v.z, v.radius);
}

// The open-file dialog of point files (" Select file name.", *.poi); empty when cancelled.
std::string PickPointFile(QWidget* parent, CApplication& app);

// The rubber-band window as a region (model XY in the top view, window positions elsewhere).
// `use` runs for an accepted window; a refused window (a first corner left of or above the
// client area, corners less than 2 pixels apart) or Escape ends the input. With `repeat` the
// window is asked for again after each use, until one of those ends it.
void TakeWindowRegion(ToolpathView* view, bool repeat, std::function<void(const Region&)> use,
                      const std::string& prompt = {});
// The clicked polygon as a region in window positions; `use` runs on Enter with at least
// three vertices. Escape, too few vertices or the vertex limit end it without a call.
void TakePolygonRegion(ToolpathView* view, int limit, DropRule rule, bool negativeEnds,
                       std::function<void(const Region&)> use);

}  // namespace trevalon
