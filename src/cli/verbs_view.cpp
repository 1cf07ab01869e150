// Verbs of the view: directions, window size, fit, zoom and the navigation keys.

#include <cstdio>
#include <ostream>

#include "cli/script.h"

namespace trevalon::cli {

namespace {

void View(Session& s, const Args& a) {
  a.Expect(1, 3);
  ViewState& v = s.doc->view;
  static const char* const kDirections[] = {"top", "front", "side", "iso1", "iso2", "iso3", "iso4"};
  const std::string& what = a[0];
  for (int n = 0; n < 7; ++n) {
    if (what == kDirections[n]) {
      a.Expect(1, 1);
      v.SetDirection(n + 1);
      return;
    }
  }
  if (what == "size") {
    a.Expect(3, 3);
    long w = a.Int(1, "W"), h = a.Int(2, "H");
    if (w < 1 || h < 1 || w > 100000 || h > 100000) Usage("view size: W and H lie in 1 to 100000");
    v.width = static_cast<int>(w), v.height = static_cast<int>(h);
  } else if (what == "fit") {
    a.Expect(1, 1);
    v.Fit(s.doc->store, &s.doc->layers);
  } else if (what == "zoomin") {
    a.Expect(1, 1);
    v.ZoomIn();
  } else if (what == "zoomout") {
    a.Expect(1, 1);
    v.ZoomOut();
  } else if (what == "key") {
    a.Expect(2, 2);
    static const std::pair<const char*, ViewKey> kKeys[] = {
        {"Up", ViewKey::Up},        {"Down", ViewKey::Down},     {"Left", ViewKey::Left},
        {"Right", ViewKey::Right},  {"PageUp", ViewKey::PageUp}, {"PageDown", ViewKey::PageDown},
        {"Home", ViewKey::Home},    {"End", ViewKey::End},       {"Insert", ViewKey::Insert},
        {"Delete", ViewKey::Delete}};
    for (const auto& [name, key] : kKeys) {
      if (a[1] == name) {
        v.Key(key);
        return;
      }
    }
    Usage("view key: Up, Down, Left, Right, PageUp, PageDown, Home, End, Insert or Delete");
  } else if (what == "show") {
    a.Expect(1, 1);
    char line[128];
    std::snprintf(line, sizeof line, "%d %d %d %.6f %d %d\n", v.ax, v.ay, v.az, v.scale,
                  // whole units here: only the desktop's turns about a point leave fractions
                  static_cast<int>(v.cu), static_cast<int>(v.cv));
    s.out << line;
  } else {
    Usage("view: top, front, side, iso1-iso4, size W H, fit, zoomin, zoomout, key NAME or show");
  }
}

VerbRegistrar registrar{
    {"view",
     "view top|front|side|iso1|iso2|iso3|iso4|fit|zoomin|zoomout|show, view size W H, "
     "view key NAME",
     View},
};

}  // namespace

}  // namespace trevalon::cli
