// The PNG writer of charts: a small rasteriser for the picture's rectangles, lines and texts
// (no smoothing: a chart is flat colours), and a PNG encoder with its own deflate. A chart is
// long runs of one colour and rows much like the row above, so the deflate looks for exactly
// those two repetitions and codes them with the fixed Huffman codes: files of a few dozen
// kilobytes, made in one pass without any library.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "view/chart_picture.h"

namespace trevalon {

namespace {

// ---- Rasteriser --------------------------------------------------------------------------------

class Raster {
 public:
  Raster(int width, int height, ChartColour background)
      : w_(width), h_(height), pixels_(static_cast<std::size_t>(width) * height, 0) {
    palette_.push_back(background);
  }

  std::uint8_t Index(ChartColour c) {
    std::size_t best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
      const long dr = palette_[i].r - c.r, dg = palette_[i].g - c.g, db = palette_[i].b - c.b;
      const long d = dr * dr + dg * dg + db * db;
      if (d == 0) return static_cast<std::uint8_t>(i);
      if (bestDistance < 0 || d < bestDistance) best = i, bestDistance = d;
    }
    if (palette_.size() < 256) {
      palette_.push_back(c);
      return static_cast<std::uint8_t>(palette_.size() - 1);
    }
    return static_cast<std::uint8_t>(best);
  }

  // The pixels whose centres lie inside the rectangle.
  void Fill(double x0, double y0, double x1, double y1, std::uint8_t c) {
    if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1))) return;
    const int left = ClampX(std::ceil(std::min(x0, x1) - 0.5));
    const int right = ClampX(std::ceil(std::max(x0, x1) - 0.5));
    const int top = ClampY(std::ceil(std::min(y0, y1) - 0.5));
    const int bottom = ClampY(std::ceil(std::max(y0, y1) - 0.5));
    for (int y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + right, c);
  }

  void Polyline(const std::vector<ChartPoint>& pts, std::uint8_t c, int width) {
    width = std::clamp(width, 1, 64);
    for (std::size_t i = 1; i < pts.size(); ++i) Segment(pts[i - 1], pts[i], c, width);
    if (pts.size() == 1) Segment(pts[0], pts[0], c, width);
  }

  void Text(const ChartShape& s, std::uint8_t c) {
    if (s.points.empty()) return;
    const int scale = std::clamp(s.width, 1, 16);
    const double width = ChartTextWidth(s.text, scale);
    double left = s.points[0].x;
    if (s.anchor == ChartShape::Anchor::Middle) left -= width / 2;
    if (s.anchor == ChartShape::Anchor::End) left -= width;
    const double top = s.points[0].y - kGlyphHeight * scale;
    if (!std::isfinite(left) || !std::isfinite(top)) return;
    const double x0 = std::round(left), y0 = std::round(top);
    for (std::size_t k = 0; k < s.text.size(); ++k) {
      const std::uint8_t* columns = GlyphColumns(s.text[k]);
      for (int col = 0; col < kGlyphWidth; ++col) {
        for (int row = 0; row < kGlyphHeight; ++row) {
          if (!(columns[col] >> row & 1)) continue;
          const double x = x0 + (static_cast<double>(k) * kGlyphAdvance + col) * scale;
          const double y = y0 + row * scale;
          Fill(x, y, x + scale, y + scale, c);
        }
      }
    }
  }

  int width() const { return w_; }
  int height() const { return h_; }
  const std::vector<std::uint8_t>& pixels() const { return pixels_; }
  const std::vector<ChartColour>& palette() const { return palette_; }

 private:
  std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * w_; }
  int ClampX(double v) const { return static_cast<int>(std::clamp(v, 0.0, double(w_))); }
  int ClampY(double v) const { return static_cast<int>(std::clamp(v, 0.0, double(h_))); }

  void Stamp(long x, long y, std::uint8_t c, int width) {
    const long from = -(width - 1) / 2;
    for (long dy = from; dy < from + width; ++dy) {
      const long py = y + dy;
      if (py < 0 || py >= h_) continue;
      for (long dx = from; dx < from + width; ++dx) {
        const long px = x + dx;
        if (px >= 0 && px < w_) Row(static_cast<int>(py))[px] = c;
      }
    }
  }

  // The segment cut to the picture and a pen's width around it (Liang-Barsky), then walked
  // pixel by pixel (Bresenham) through the pixels that hold its points.
  void Segment(ChartPoint a, ChartPoint b, std::uint8_t c, int width) {
    if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y)))
      return;
    const double lo[2] = {-double(width) - 1, -double(width) - 1};
    const double hi[2] = {double(w_) + width + 1, double(h_) + width + 1};
    const double p0[2] = {a.x, a.y}, d[2] = {b.x - a.x, b.y - a.y};
    double t0 = 0, t1 = 1;
    for (int k = 0; k < 2; ++k) {
      if (d[k] == 0) {
        if (p0[k] < lo[k] || p0[k] > hi[k]) return;
        continue;
      }
      double ta = (lo[k] - p0[k]) / d[k], tb = (hi[k] - p0[k]) / d[k];
      if (ta > tb) std::swap(ta, tb);
      t0 = std::max(t0, ta);
      t1 = std::min(t1, tb);
      if (t0 > t1) return;
    }
    long x = std::lround(std::floor(p0[0] + t0 * d[0])),
         y = std::lround(std::floor(p0[1] + t0 * d[1]));
    const long x1 = std::lround(std::floor(p0[0] + t1 * d[0]));
    const long y1 = std::lround(std::floor(p0[1] + t1 * d[1]));
    const long dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
    const long sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
    long err = dx + dy;
    for (;;) {
      Stamp(x, y, c, width);
      if (x == x1 && y == y1) break;
      const long e2 = 2 * err;
      if (e2 >= dy) err += dy, x += sx;
      if (e2 <= dx) err += dx, y += sy;
    }
  }

  int w_, h_;
  std::vector<std::uint8_t> pixels_;
  std::vector<ChartColour> palette_;
};

// ---- Checksums ---------------------------------------------------------------------------------

std::uint32_t Crc32(const std::uint8_t* data, std::size_t n, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1, b = 0;
  std::size_t i = 0;
  while (i < data.size()) {
    // 5552 bytes at most between the reductions keep b within 32 bits.
    const std::size_t end = std::min(data.size(), i + 5552);
    for (; i < end; ++i) {
      a += data[i];
      b += a;
    }
    a %= 65521;
    b %= 65521;
  }
  return b << 16 | a;
}

// ---- Deflate -----------------------------------------------------------------------------------

class BitWriter {
 public:
  explicit BitWriter(std::string& out) : out_(out) {}
  // The low `n` bits of v, least significant first (the order of deflate's extra bits).
  void Bits(std::uint32_t v, int n) {
    acc_ |= static_cast<std::uint64_t>(v & ((1u << n) - 1)) << count_;
    count_ += n;
    while (count_ >= 8) {
      out_ += static_cast<char>(acc_ & 0xFF);
      acc_ >>= 8;
      count_ -= 8;
    }
  }
  // A Huffman code of n bits, most significant bit first.
  void Code(std::uint32_t code, int n) {
    std::uint32_t reversed = 0;
    for (int k = 0; k < n; ++k) reversed |= (code >> k & 1) << (n - 1 - k);
    Bits(reversed, n);
  }
  void Flush() {
    if (count_ > 0) out_ += static_cast<char>(acc_ & 0xFF);
    acc_ = 0;
    count_ = 0;
  }

 private:
  std::string& out_;
  std::uint64_t acc_ = 0;
  int count_ = 0;
};

// The fixed literal/length code of a symbol 0-287.
void FixedSymbol(BitWriter& w, int symbol) {
  if (symbol < 144)
    w.Code(0x30 + symbol, 8);
  else if (symbol < 256)
    w.Code(0x190 + symbol - 144, 9);
  else if (symbol < 280)
    w.Code(symbol - 256, 7);
  else
    w.Code(0xC0 + symbol - 280, 8);
}

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void Match(BitWriter& w, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  FixedSymbol(w, 257 + l);
  w.Bits(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  w.Code(static_cast<std::uint32_t>(d), 5);
  w.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

// A zlib stream of the data in one block of fixed codes. The only repetitions looked for are
// the byte before (a run of one colour) and the byte one row above (`stride` back), which is
// where nearly all of a chart's repetition lies; the longer one is taken (the run when they
// are equal: its distance costs fewer bits).
std::string ZlibStream(const std::vector<std::uint8_t>& data, std::size_t stride) {
  std::string out;
  out.reserve(data.size() / 16 + 64);
  out += '\x78';
  out += '\x01';
  BitWriter w(out);
  w.Bits(1, 1);  // the final block
  w.Bits(1, 2);  // fixed Huffman codes
  const std::size_t n = data.size();
  auto length = [&](std::size_t i, std::size_t distance) -> std::size_t {
    if (distance == 0 || distance > 32768 || distance > i) return 0;
    std::size_t l = 0;
    while (l < 258 && i + l < n && data[i + l] == data[i + l - distance]) ++l;
    return l;
  };
  std::size_t i = 0;
  while (i < n) {
    const std::size_t run = length(i, 1), above = length(i, stride);
    const std::size_t best = std::max(run, above);
    if (best >= 3) {
      Match(w, static_cast<int>(best), static_cast<int>(above > run ? stride : 1));
      i += best;
    } else {
      FixedSymbol(w, data[i]);
      ++i;
    }
  }
  FixedSymbol(w, 256);  // end of block
  w.Flush();
  const std::uint32_t adler = Adler32(data);
  for (int k = 3; k >= 0; --k) out += static_cast<char>(adler >> (8 * k) & 0xFF);
  return out;
}

void Chunk(std::string& png, const char* type, const std::string& body) {
  const std::uint32_t n = static_cast<std::uint32_t>(body.size());
  for (int k = 3; k >= 0; --k) png += static_cast<char>(n >> (8 * k) & 0xFF);
  std::string typed = std::string(type, 4) + body;
  png += typed;
  const std::uint32_t crc =
      Crc32(reinterpret_cast<const std::uint8_t*>(typed.data()), typed.size());
  for (int k = 3; k >= 0; --k) png += static_cast<char>(crc >> (8 * k) & 0xFF);
}

void BigEndian(std::string& out, std::uint32_t v) {
  for (int k = 3; k >= 0; --k) out += static_cast<char>(v >> (8 * k) & 0xFF);
}

}  // namespace

std::string IndexedPng(int width, int height, const std::vector<ChartColour>& palette,
                       const std::vector<std::uint8_t>& pixels) {
  if (!kChartSideRange.Contains(width) || !kChartSideRange.Contains(height) || palette.empty() ||
      palette.size() > 256 ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    return {};
  // Every row starts with filter type 0: the rows as drawn.
  const std::size_t stride = static_cast<std::size_t>(width) + 1;
  std::vector<std::uint8_t> raw(stride * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
    std::copy(row, row + width, raw.begin() + static_cast<std::ptrdiff_t>(y * stride + 1));
  }

  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  BigEndian(header, static_cast<std::uint32_t>(width));
  BigEndian(header, static_cast<std::uint32_t>(height));
  header += '\x08';                // 8 bits per pixel
  header += '\x03';                // indexed colour
  header += std::string(3, '\0');  // deflate, adaptive filtering, no interlace
  Chunk(png, "IHDR", header);
  std::string plte;
  for (const ChartColour& c : palette) {
    plte += static_cast<char>(c.r);
    plte += static_cast<char>(c.g);
    plte += static_cast<char>(c.b);
  }
  Chunk(png, "PLTE", plte);
  Chunk(png, "IDAT", ZlibStream(raw, stride));
  Chunk(png, "IEND", "");
  return png;
}

std::string ChartPng(const ChartPicture& picture) {
  if (!kChartSideRange.Contains(picture.width) || !kChartSideRange.Contains(picture.height))
    return {};
  Raster r(picture.width, picture.height, picture.background);
  for (const ChartShape& s : picture.shapes) {
    const std::uint8_t c = r.Index(s.colour);
    switch (s.kind) {
      case ChartShape::Kind::Rect:
        if (s.points.size() == 2)
          r.Fill(s.points[0].x, s.points[0].y, s.points[1].x, s.points[1].y, c);
        break;
      case ChartShape::Kind::Line:
        r.Polyline(s.points, c, s.width);
        break;
      case ChartShape::Kind::Text:
        r.Text(s, c);
        break;
    }
  }
  return IndexedPng(r.width(), r.height(), r.palette(), r.pixels());
}

}  // namespace trevalon
