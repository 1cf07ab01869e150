#pragma once
// Helpers shared by the tests: temporary directories, files and building toolpaths.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "app/application.h"
#include "edit/region.h"
#include "model/point_store.h"

namespace trevalon::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A test with a temporary directory of its own.
struct TempDirTest : ::testing::Test {
  TempDir dir;
};

// Starts the application in English with korvo.cfg in dir, never in the user's home.
int StartInTempDir(CApplication& app, const TempDir& dir);

// An application started in a temporary directory (korvo.cfg and the settings there) with
// one document; messages are collected, not shown.
struct AppInTempDir {
  TempDir dir;
  std::ostringstream messages;
  HeadlessPlatform platform{&messages};
  CApplication app{platform};
  CDocument* doc;
  AppInTempDir();
  // Writes the file `name` in the directory and gives its path.
  std::string Write(const std::string& name, std::string_view bytes) const;
};

// A test of one document: `a` the application started in a temporary directory, `d` its
// document.
struct DocumentTest : ::testing::Test {
  AppInTempDir a;
  CDocument& d = *a.doc;
};

// What an editing command works on, for the fixtures of the edit tests: an empty store, the
// undo ring, a view, the retract height (50 unless the fixture sets another), messages in
// English collected in `messages`, and the redraws counted.
struct EditParts {
  std::ostringstream messages;
  HeadlessPlatform platform{&messages};
  CPointStore store;
  CUndoRing undo;
  ViewState view;
  double retract = 50;
  int redraws = 0;
  EditContext ctx{
      store, undo, retract, Messages(platform, Language::English), &view, [this] { ++redraws; }};
  // The top view of a w x h window at one pixel per unit, the model origin in its middle.
  void TopView(int w, int h) {
    view.SetDirection(1);
    view.width = w, view.height = h, view.scale = 1.0, view.cu = view.cv = 0;
  }
};

// A file of the tests' data folder.
std::string TestData(const std::string& name);

// The numbers of a data-table field separated by blanks, as strtod reads them ("inf", "nan" and
// "-inf" included); an unreadable word fails the test and ends the list.
std::vector<double> Numbers(const std::string& text);

// A region as the data tables write it: "box XMIN YMIN XMAX YMAX", "zband ZMIN ZMAX", "circle CX
// CY CZ R", "polygon X Y X Y ..." (a point-file polygon at z 0), "window-polygon X Y ..." (window
// positions) or "window X1 Y1 X2 Y2" (the window between those model corners in the top view at
// one pixel per unit, the model origin in the window's middle). A wrong count of numbers or an
// unknown kind fails the test and gives an empty polygon.
Region RegionOf(const std::string& text, const ViewState& view);

// The whole file as bytes ("" when it cannot be read).
std::string ReadAll(const std::string& path);
// Writes the bytes as the whole file (made or replaced) and gives its path.
std::string WriteFile(const std::string& path, std::string_view bytes);

// Appends one record through the register.
void AddPoint(CPointStore& s, int type, double x, double y, double z, int feed = 0, int mark = 0);
// Appends records written as `dump` prints them without the index, separated by commas:
// "1 0 0 5, 3 0 0 0 100" (feed and mark may be left out).
void AddPoints(CPointStore& s, std::string_view records);
// The store's records as AddPoints takes them ("type x y z" with %g, feed and mark left out),
// for comparing a whole toolpath in one line.
std::string Records(const CPointStore& s);
// The marks of the store's records, one digit each.
std::string Marks(const CPointStore& s);
// Every record of the store, byte for byte, to check later that nothing of it changed.
std::vector<PointRecord> CopyOfRecords(const CPointStore& s);
// Whether the store holds exactly these records, byte for byte (names the first difference).
::testing::AssertionResult HoldsRecords(const CPointStore& s,
                                        const std::vector<PointRecord>& records);

// The distance of p from the segment a-b: from the nearer end for a point beyond it, from a
// alone for a segment whose squared length is below `shortest2` (or zero).
double SegmentDistance(const double p[3], const double a[3], const double b[3],
                       double shortest2 = 0);
// The same for points, records and vertices that name their coordinates x, y and z.
template <class P>
requires(!std::is_array_v<P>) double SegmentDistance(const P& p, const P& a, const P& b,
                                                     double shortest2 = 0) {
  const double q[3] = {p.x, p.y, p.z}, s[3] = {a.x, a.y, a.z}, e[3] = {b.x, b.y, b.z};
  return SegmentDistance(q, s, e, shortest2);
}

}  // namespace trevalon::testing
