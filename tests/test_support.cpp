#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

namespace trevalon::testing {

TempDir::TempDir() {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() /
          ("trevalon-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

int StartInTempDir(CApplication& app, const TempDir& dir) {
  StartOptions o;
  o.systemDir = dir.path().string();
  o.language = "en";
  return app.StartUp(o);
}

AppInTempDir::AppInTempDir() {
  app.StartUp(StartOptions{dir.path().string(), "en", false});
  app.settings.configDir = dir.path().string();
  doc = &app.NewDocument();
}

std::string AppInTempDir::Write(const std::string& name, std::string_view bytes) const {
  return WriteFile(dir.file(name), bytes);
}

std::string TestData(const std::string& name) {
  return std::string(TREVALON_TEST_DATA) + "/" + name;
}

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> out;
  const char* p = text.c_str();
  for (char* end;; p = end) {
    const double v = std::strtod(p, &end);
    if (end == p) break;
    out.push_back(v);
  }
  if (p[std::strspn(p, " ")] != '\0') ADD_FAILURE() << "no number at \"" << p << "\"";
  return out;
}

Region RegionOf(const std::string& text, const ViewState& view) {
  const std::string kind = text.substr(0, text.find(' '));
  const std::vector<double> v = Numbers(text.substr(kind.size()));
  std::vector<RegionPoint> vertices;
  for (std::size_t i = 0; i + 1 < v.size(); i += 2) vertices.push_back({v[i], v[i + 1], 0});
  const std::size_t want = kind == "zband"                                         ? 2
                           : kind == "box" || kind == "circle" || kind == "window" ? 4
                                                                                   : v.size();
  if (v.size() != want || v.size() % 2 != 0) {
    ADD_FAILURE() << "cannot read the region \"" << text << "\"";
  } else if (kind == "box") {
    return Region::Box(v[0], v[1], v[2], v[3]);
  } else if (kind == "zband") {
    return Region::ZBand(v[0], v[1]);
  } else if (kind == "circle") {
    return Region::Circle(v[0], v[1], v[2], v[3]);
  } else if (kind == "window") {
    const int w = view.width / 2, h = view.height / 2;
    return Region::Window(w + int(v[0]), h - int(v[1]), w + int(v[2]), h - int(v[3]), view);
  } else if (kind == "polygon") {
    return Region::PointFilePolygon(vertices);
  } else if (kind == "window-polygon") {
    return Region::Polygon(vertices);
  } else {
    ADD_FAILURE() << "no region kind \"" << kind << "\"";
  }
  return Region::PointFilePolygon({});
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

void AddPoint(CPointStore& s, int type, double x, double y, double z, int feed, int mark) {
  s.reg.type = type;
  s.reg.x = x, s.reg.y = y, s.reg.z = z;
  s.reg.feed = feed, s.reg.mark = mark;
  s.StorePoint(s.count);
  ++s.count;
}

void AddPoints(CPointStore& s, std::string_view records) {
  std::istringstream in{std::string(records)};
  for (std::string one; std::getline(in, one, ',');) {
    std::istringstream r(one);
    int type = 0, feed = 0, mark = 0;
    double x = 0, y = 0, z = 0;
    r >> type >> x >> y >> z >> feed >> mark;  // a missing feed or mark reads as 0
    AddPoint(s, type, x, y, z, feed, mark);
  }
}

std::string Records(const CPointStore& s) {
  std::string out;
  char one[96];
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* r = s.RawRecord(i);
    if (!r) continue;
    std::snprintf(one, sizeof one, "%s%d %g %g %g", out.empty() ? "" : ", ", r->type, double{r->x},
                  double{r->y}, double{r->z});
    out += one;
  }
  return out;
}

std::string Marks(const CPointStore& s) {
  std::string m;
  for (std::uint32_t i = 0; i < s.count; ++i) m += char('0' + s.RawRecord(i)->mark);
  return m;
}

std::vector<PointRecord> CopyOfRecords(const CPointStore& s) {
  std::vector<PointRecord> records(s.count);
  s.CopyRecordsOut(records.data(), s.count);
  return records;
}

::testing::AssertionResult HoldsRecords(const CPointStore& s,
                                        const std::vector<PointRecord>& records) {
  if (s.count != records.size())
    return ::testing::AssertionFailure() << s.count << " records, not " << records.size();
  for (std::uint32_t i = 0; i < s.count; ++i)
    if (std::memcmp(s.RawRecord(i), &records[i], sizeof(PointRecord)) != 0)
      return ::testing::AssertionFailure() << "record " << i << " differs";
  return ::testing::AssertionSuccess();
}

double SegmentDistance(const double p[3], const double a[3], const double b[3], double shortest2) {
  const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double w[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  const double t = dd > 0 && dd >= shortest2
                       ? std::clamp((w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / dd, 0.0, 1.0)
                       : 0.0;
  return std::hypot(w[0] - t * d[0], w[1] - t * d[1], w[2] - t * d[2]);
}

}  // namespace trevalon::testing
