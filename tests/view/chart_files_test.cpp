// Chart files: the PNG is a valid file (signature, chunk checksums, a zlib stream that inflates
// to every row, Adler-32) whose pixels are the shapes as drawn, and the SVG is a well-formed
// document with the same shapes. Both checked by readers written here, not by the writers' code.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>

#include "feed/feed_chart.h"
#include "test_support.h"
#include "view/chart_picture.h"

namespace trevalon::testing {
namespace {

// ---- A small PNG reader ------------------------------------------------------------------------

std::uint32_t Crc(const std::string& bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

std::uint32_t Be32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(s[at + k]);
  return v;
}

// Deflate's stored and fixed-code blocks (what a writer without code tables can make).
class Inflater {
 public:
  explicit Inflater(const std::string& in) : in_(in) {}
  std::optional<std::vector<std::uint8_t>> Run() {
    std::vector<std::uint8_t> out;
    bool last = false;
    while (!last) {
      last = Bit();
      const int type = Bits(2);
      if (type == 0) {
        pos_ = (pos_ + 7) / 8 * 8;
        const int len = Bits(16), nlen = Bits(16);
        if ((len ^ 0xFFFF) != nlen) return std::nullopt;
        for (int k = 0; k < len; ++k) out.push_back(static_cast<std::uint8_t>(Bits(8)));
      } else if (type == 1) {
        for (;;) {
          const int sym = Symbol();
          if (sym < 0 || sym > 285) return std::nullopt;
          if (sym < 256) {
            out.push_back(static_cast<std::uint8_t>(sym));
            continue;
          }
          if (sym == 256) break;
          static const int lb[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                   31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
          static const int le[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
          static const int db[] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
          static const int de[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                   6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
          const int length = lb[sym - 257] + Bits(le[sym - 257]);
          const int dcode = Msb(5);
          if (dcode > 29) return std::nullopt;
          const std::size_t distance = static_cast<std::size_t>(db[dcode] + Bits(de[dcode]));
          if (distance > out.size()) return std::nullopt;
          for (int k = 0; k < length; ++k) out.push_back(out[out.size() - distance]);
        }
      } else {
        return std::nullopt;
      }
      if (pos_ > in_.size() * 8) return std::nullopt;
    }
    end_ = (pos_ + 7) / 8;
    return out;
  }
  std::size_t end() const { return end_; }

 private:
  bool Bit() {
    if (pos_ >= in_.size() * 8) {
      ++pos_;
      return false;
    }
    const bool b = static_cast<unsigned char>(in_[pos_ / 8]) >> (pos_ % 8) & 1;
    ++pos_;
    return b;
  }
  int Bits(int n) {
    int v = 0;
    for (int k = 0; k < n; ++k) v |= Bit() << k;
    return v;
  }
  int Msb(int n) {
    int v = 0;
    for (int k = 0; k < n; ++k) v = v << 1 | Bit();
    return v;
  }
  int Symbol() {
    int code = Msb(7);
    if (code <= 23) return 256 + code;
    code = code << 1 | Bit();
    if (code >= 48 && code <= 191) return code - 48;
    if (code >= 192 && code <= 199) return 280 + code - 192;
    code = code << 1 | Bit();
    return code >= 400 ? 144 + code - 400 : -1;
  }
  const std::string& in_;
  std::size_t pos_ = 0, end_ = 0;
};

struct Png {
  std::string error;
  int width = 0, height = 0;
  std::vector<ChartColour> palette;
  std::vector<std::uint8_t> rows;  // filter byte and indices, row by row
  ChartColour At(int x, int y) const {
    return palette.at(rows.at(static_cast<std::size_t>(y) * (width + 1) + 1 + x));
  }
};

Png Fail(std::string why) {
  Png p;
  p.error = std::move(why);
  return p;
}

Png ReadPng(const std::string& f) {
  Png png;
  if (f.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return Fail("no PNG signature");
  std::string idat;
  std::vector<std::string> order;
  for (std::size_t at = 8; at < f.size();) {
    if (at + 12 > f.size()) return Fail("a chunk runs past the end");
    const std::uint32_t n = Be32(f, at);
    if (at + 12 + n > f.size()) return Fail("a chunk runs past the end");
    const std::string typed = f.substr(at + 4, 4 + n);
    if (Crc(typed) != Be32(f, at + 8 + n)) return Fail("bad CRC in " + typed.substr(0, 4));
    const std::string type = typed.substr(0, 4), body = typed.substr(4);
    order.push_back(type);
    if (type == "IHDR") {
      png.width = static_cast<int>(Be32(body, 0));
      png.height = static_cast<int>(Be32(body, 4));
      if (body.substr(8) != std::string("\x08\x03\0\0\0", 5)) return Fail("not 8-bit indexed");
    } else if (type == "PLTE") {
      for (std::size_t k = 0; k + 2 < body.size(); k += 3)
        png.palette.push_back({static_cast<std::uint8_t>(body[k]),
                               static_cast<std::uint8_t>(body[k + 1]),
                               static_cast<std::uint8_t>(body[k + 2])});
    } else if (type == "IDAT") {
      idat += body;
    }
    at += 12 + n;
  }
  if (order.empty() || order.front() != "IHDR" || order.back() != "IEND")
    return Fail("IHDR must come first and IEND last");
  if (idat.size() < 6 ||
      (static_cast<unsigned char>(idat[0]) * 256 + static_cast<unsigned char>(idat[1])) % 31 != 0)
    return Fail("no zlib header");
  const std::string stream = idat.substr(2);
  Inflater inflate(stream);
  auto raw = inflate.Run();
  if (!raw) return Fail("the deflate stream is broken");
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t v : *raw) a = (a + v) % 65521, b = (b + a) % 65521;
  if (inflate.end() + 4 != stream.size() || Be32(stream, inflate.end()) != (b << 16 | a))
    return Fail("bad Adler-32");
  if (raw->size() != static_cast<std::size_t>(png.width + 1) * png.height)
    return Fail("the pixel data is not one row per line");
  for (int y = 0; y < png.height; ++y)
    if ((*raw)[static_cast<std::size_t>(y) * (png.width + 1)] != 0) return Fail("unknown filter");
  for (std::uint8_t v : *raw)
    if (v >= png.palette.size() && v != 0) return Fail("an index beyond the palette");
  png.rows = std::move(*raw);
  return png;
}

constexpr ChartColour kWhite{255, 255, 255}, kRed{220, 20, 20}, kBlue{20, 20, 220},
    kGreen{20, 160, 20}, kBlack{0, 0, 0};

TEST(ChartPng, PixelsAreTheShapesAsDrawn) {
  ChartPicture p;
  p.width = 40;
  p.height = 30;
  p.background = kWhite;
  p.AddRect(15, 10, 5, 5, kRed);                        // corners in any order
  p.AddLine({{2.5, 20.5}, {30.5, 20.5}}, kBlue);        // through pixel centres
  p.AddLine({{35.5, 2.5}, {35.5, 27.5}}, kGreen, 3);    // three pixels wide
  p.AddLine({{-1e300, 0}, {std::nan(""), 5}}, kBlack);  // nothing to draw, no harm
  p.AddText(20, 15, "1", kBlack, 1);
  const Png png = ReadPng(ChartPng(p));
  ASSERT_EQ(std::tuple(png.error, png.width, png.height), std::tuple("", 40, 30));
  // Rectangles of pixels {x0, y0, x1, y1} of one colour: the rectangle and just beside it,
  // the lines and just beside them, and "1", whose middle column stands on the baseline,
  // 7 pixels high.
  const struct {
    int x0, y0, x1, y1;
    ChartColour colour;
  } areas[] = {{5, 5, 14, 9, kRed},      {15, 5, 15, 5, kWhite},  {4, 5, 4, 5, kWhite},
               {5, 10, 5, 10, kWhite},   {2, 20, 30, 20, kBlue},  {31, 20, 31, 20, kWhite},
               {2, 19, 2, 19, kWhite},   {34, 2, 36, 27, kGreen}, {33, 10, 33, 10, kWhite},
               {37, 10, 37, 10, kWhite}, {22, 8, 22, 14, kBlack}, {22, 15, 22, 15, kWhite},
               {22, 7, 22, 7, kWhite},   {20, 11, 20, 11, kWhite}};
  for (const auto& a : areas)
    for (int y = a.y0; y <= a.y1; ++y)
      for (int x = a.x0; x <= a.x1; ++x) EXPECT_EQ(png.At(x, y), a.colour) << x << "," << y;
}

TEST(ChartPng, LargeAndManyColouredPicturesStayValid) {
  // A large flat picture: long runs and rows like the row above, compressed far below its
  // raw size.
  ChartPicture big;
  big.width = 2000;
  big.height = 1500;
  big.AddRect(100, 100, 1900, 1400, kBlue);
  big.AddLine({{0.5, 0.5}, {1999.5, 1499.5}}, kRed, 2);
  const std::string bytes = ChartPng(big);
  const Png png = ReadPng(bytes);
  ASSERT_EQ(png.error, "");
  // (1000, 750) lies on the diagonal.
  EXPECT_EQ(std::tuple(png.At(1000, 200), png.At(1000, 750), png.At(1000, 760)),
            std::tuple(kBlue, kRed, kBlue));
  EXPECT_LT(bytes.size(), 60000u);

  // More colours than a palette holds: the later ones take the nearest of the first 256.
  ChartPicture many;
  many.width = 300;
  many.height = 16;
  for (int i = 0; i < 300; ++i)
    many.AddRect(i, 0, i + 1, 16,
                 {static_cast<std::uint8_t>(i % 256), static_cast<std::uint8_t>(i / 256 * 100), 7});
  const Png m = ReadPng(ChartPng(many));
  ASSERT_EQ(m.error, "");
  // 43, 100, 7: the nearest is 43, 0, 7.
  EXPECT_EQ(std::tuple(m.palette.size(), m.At(254, 2), m.At(299, 2)),
            std::tuple(256u, ChartColour{254, 0, 7}, ChartColour{43, 0, 7}));

  ChartPicture none;
  none.width = 1;
  none.height = 10;
  EXPECT_EQ(ChartPng(none), "");  // outside the sizes a chart may have
}

// ---- A small XML reader ------------------------------------------------------------------------

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;
};

// Elements in document order; `error` says where the text is not well-formed XML.
std::vector<Element> ParseXml(const std::string& x, std::string& error) {
  std::vector<Element> all;
  std::vector<std::size_t> open;
  std::size_t i = 0;
  const auto fail = [&](const std::string& why) {
    error = why + " at " + std::to_string(i);
    return all;
  };
  const auto entities = [](std::string s, std::string& err) {
    std::string out;
    for (std::size_t k = 0; k < s.size(); ++k) {
      if (s[k] == '<') err = "a bare <";
      if (s[k] != '&') {
        out += s[k];
        continue;
      }
      const std::size_t end = s.find(';', k);
      const std::string e = end == std::string::npos ? "" : s.substr(k, end - k + 1);
      static const std::map<std::string, char> known = {
          {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
      if (!known.count(e)) err = "an unknown entity";
      if (!e.empty()) out += known.count(e) ? known.at(e) : '?', k = end;
    }
    return out;
  };
  if (x.compare(0, 5, "<?xml") == 0) i = x.find("?>") + 2;
  while (i < x.size()) {
    if (x[i] != '<') {
      const std::size_t next = std::min(x.find('<', i), x.size());
      const std::string text = entities(x.substr(i, next - i), error);
      if (!error.empty()) return fail(error);
      if (open.empty() && text.find_first_not_of(" \n") != std::string::npos)
        return fail("text outside the root");
      if (!open.empty()) all[open.back()].text += text;
      i = next;
      continue;
    }
    const std::size_t close = x.find('>', i);
    if (close == std::string::npos) return fail("an unclosed tag");
    std::string tag = x.substr(i + 1, close - i - 1);
    i = close + 1;
    if (tag[0] == '/') {
      if (open.empty() || all[open.back()].name != tag.substr(1)) return fail("a stray end tag");
      open.pop_back();
      continue;
    }
    const bool empty = !tag.empty() && tag.back() == '/';
    if (empty) tag.pop_back();
    Element e;
    std::size_t k = tag.find_first_of(" \n");
    e.name = tag.substr(0, k);
    while (k != std::string::npos && k < tag.size()) {
      k = tag.find_first_not_of(" \n", k);
      if (k == std::string::npos) break;
      const std::size_t eq = tag.find('=', k);
      if (eq == std::string::npos || eq + 1 >= tag.size() || tag[eq + 1] != '"')
        return fail("an attribute without a quoted value");
      const std::size_t end = tag.find('"', eq + 2);
      if (end == std::string::npos) return fail("an unterminated attribute");
      const std::string key = tag.substr(k, eq - k);
      if (e.attributes.count(key)) return fail("an attribute given twice");
      e.attributes[key] = entities(tag.substr(eq + 2, end - eq - 2), error);
      if (!error.empty()) return fail(error);
      k = end + 1;
    }
    if (open.empty() && !all.empty()) return fail("a second root");
    all.push_back(e);
    if (!empty) open.push_back(all.size() - 1);
  }
  if (!open.empty()) return fail("unclosed elements");
  return all;
}

TEST(ChartSvg, WellFormedWithTheChartsShapes) {
  FeedProfile after, before;
  after.hasSlopes = true;
  for (int i = 0; i < 5000; ++i) {
    after.moves.push_back(
        {(i + 1) * 1.0, std::uint32_t(i), std::int16_t(500 + i % 300), std::int16_t(i % 90)});
    before.moves.push_back({(i + 1) * 1.0, std::uint32_t(i), 1000, 0});
  }
  FeedChartOptions options;
  options.width = 800;
  options.height = 360;
  FeedChart chart = LayOutFeedChart(after, &before, options);
  chart.picture.AddText(10, 10, "a<b&c>\"\x01\xC3", kBlack, 1);
  std::string error;
  const std::vector<Element> svg = ParseXml(ChartSvg(chart.picture), error);
  ASSERT_EQ(error, "");
  ASSERT_FALSE(svg.empty());
  EXPECT_EQ(std::tuple(svg[0].name, svg[0].attributes.at("width"), svg[0].attributes.at("viewBox")),
            std::tuple("svg", "800", "0 0 800 360"));
  int series = 0;
  std::vector<std::string> texts;
  for (const Element& e : svg) {
    if (e.name == "text") texts.push_back(e.text);
    if (e.name != "polyline") continue;
    const std::string stroke = e.attributes.at("stroke");
    if (stroke == "#1e5ac8" || stroke == "#eb8228" || stroke == "#3ca050") ++series;
    std::istringstream in(e.attributes.at("points"));
    for (std::string xy; in >> xy;) {
      double x = -1, y = -1;
      char comma = 0;
      std::istringstream one(xy);
      one >> x >> comma >> y;
      EXPECT_TRUE(comma == ',' && x >= 0 && x <= 800 && y >= 0 && y <= 360) << xy;
    }
  }
  // The three series and their legend lines.
  EXPECT_EQ(series, 6);
  for (const char* expected : {"feed", "feed before", "material slope", "slope (deg)"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
  // Markup in a text stays text; what the font cannot draw becomes '?'.
  EXPECT_EQ(texts.back(), "a<b&c>\"??");
}

TEST(ChartFiles, FormatByExtensionAndSafeWrites) {
  EXPECT_EQ(std::tuple(ChartFormatOfPath("chart.png"), ChartFormatOfPath("dir/CHART.Svg")),
            std::tuple(ChartFormat::Png, ChartFormat::Svg));
  for (const char* bad : {"chart.pngx", ".png", "dir/.svg", "png", "chart.jpg", ""})
    EXPECT_EQ(ChartFormatOfPath(bad), ChartFormat::None) << bad;

  TempDir dir;
  ChartPicture p;
  p.width = 64;
  p.height = 32;
  p.AddRect(0, 0, 10, 10, kRed);
  const std::string png = dir.file("c.PNG"), svg = dir.file("c.svg");
  ASSERT_TRUE(WriteChartFile(p, png).ok());
  EXPECT_EQ(ReadPng(ReadAll(png)).error, "");
  ASSERT_TRUE(WriteChartFile(p, svg).ok());
  EXPECT_EQ(ReadAll(svg).rfind("<?xml", 0), 0u);

  // Refused before anything is written: another extension, a picture of no size, a folder.
  EXPECT_EQ(WriteChartFile(p, dir.file("c.txt")).code(), OutcomeCode::Refused);
  EXPECT_FALSE(std::filesystem::exists(dir.file("c.txt")));
  p.width = 0;
  EXPECT_EQ(WriteChartFile(p, svg).code(), OutcomeCode::Refused);
  EXPECT_EQ(ReadAll(svg).rfind("<?xml", 0), 0u);  // the old file stays
  p.width = 64;
  std::filesystem::create_directory(dir.file("d.png"));
  EXPECT_EQ(WriteChartFile(p, dir.file("d.png")).code(), OutcomeCode::CannotOpen);
}

}  // namespace
}  // namespace trevalon::testing
