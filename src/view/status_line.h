#pragma once
// The texts of the status line's panes: the data of a toolpath point (ShowPoint), the model
// position under the mouse (ShowMouse) and the point a click picked. Pure functions of the
// store and the view so that the desktop only has to put the texts in place.

#include <array>
#include <cstdint>
#include <string>

#include "texts/user_texts.h"

namespace trevalon {

class CPointStore;
class ViewState;

// Pane 0 help, 1 motion word, 2 X, 3 Y, 4 Z, 5 radius, 6 feed, 7 picked point.
struct StatusPanes {
  static constexpr int kCount = 8;
  std::array<std::string, kCount> pane;
};

// Fills panes 1 to 6 from point `index`; 1 when it is a motion point. Other records leave the
// panes unchanged (0). The radius of an arc is the length of its centre record's offset.
int ShowPoint(CPointStore& store, std::uint32_t index, Language lang, StatusPanes& panes);
// Panes 2 to 4 from the mouse position (client pixels from the top-left corner); panes 1, 5
// and 6 are emptied. Outside the top, front and side views the values are 0.000.
void ShowMouse(const ViewState& view, int px, int py, Language lang, StatusPanes& panes);
// Pane 7: " X%6.3f Y%6.3f Z%6.3f".
std::string PickedPointText(double x, double y, double z, Language lang);
// Pane 0: "Help: " followed by the text; an empty text gives "Help: " and one blank, the
// state the pane returns to when an interactive input ends.
std::string HelpPaneText(const std::string& text, Language lang);

}  // namespace trevalon
