#include "view/status_line.h"

#include <cmath>
#include <cstdio>

#include "model/point_store.h"
#include "view/view_state.h"

namespace trevalon {
namespace {

std::string Format(Txt id, Language lang, double value) {
  char buf[96];
  std::snprintf(buf, sizeof buf, UserText(id, lang), value);
  return buf;
}

std::string FormatInt(Txt id, Language lang, int value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, UserText(id, lang), value);
  return buf;
}

}  // namespace

int ShowPoint(CPointStore& store, std::uint32_t index, Language lang, StatusPanes& panes) {
  if (!store.FetchPoint(index) || !IsMotionType(store.reg.type)) return 0;
  const double x = store.reg.x, y = store.reg.y, z = store.reg.z;
  const int type = store.reg.type;
  const int feed = store.reg.feed;
  std::string word, radius, feedText;
  if (IsRapidType(type)) {
    word = UserText(Txt::StatusG00, lang);
    feedText = UserText(Txt::StatusRapidFeed, lang);
  } else {
    feedText = FormatInt(Txt::StatusFeed, lang, feed);
    if (IsLinearType(type)) {
      word = UserText(Txt::StatusG01, lang);
    } else {
      word = UserText(type == MOVE_ARC_CW ? Txt::StatusG02 : Txt::StatusG03, lang);
      // The centre record after an arc's end point holds the offset from the arc's start;
      // its length is the radius.
      double r = 0.0;
      if (store.FetchPoint(index + 1) && IsPlaneCode(store.reg.type)) {
        r = FlooredSqrt(store.reg.x * store.reg.x + store.reg.y * store.reg.y +
                        store.reg.z * store.reg.z);
      }
      store.FetchPoint(index);
      radius = Format(Txt::StatusRadius, lang, r);
    }
  }
  panes.pane[1] = word;
  panes.pane[2] = Format(Txt::StatusX, lang, x);
  panes.pane[3] = Format(Txt::StatusY, lang, y);
  panes.pane[4] = Format(Txt::StatusZ, lang, z);
  panes.pane[5] = radius;
  panes.pane[6] = feedText;
  return 1;
}

void ShowMouse(const ViewState& view, int px, int py, Language lang, StatusPanes& panes) {
  double p[3];
  view.WindowToModel(px, py, p);
  panes.pane[1].clear();
  panes.pane[2] = Format(Txt::StatusX, lang, p[0]);
  panes.pane[3] = Format(Txt::StatusY, lang, p[1]);
  panes.pane[4] = Format(Txt::StatusZ, lang, p[2]);
  panes.pane[5].clear();
  panes.pane[6].clear();
}

std::string PickedPointText(double x, double y, double z, Language lang) {
  char buf[128];
  std::snprintf(buf, sizeof buf, UserText(Txt::PickedPoint, lang), x, y, z);
  return buf;
}

std::string HelpPaneText(const std::string& text, Language lang) {
  const std::string prefix = UserText(Txt::HelpPrefix, lang);
  if (text.empty()) return prefix + " ";
  // Prompts that already carry the prefix are shown as they stand.
  if (text.rfind(prefix, 0) == 0) return text;
  return prefix + text;
}

}  // namespace trevalon
