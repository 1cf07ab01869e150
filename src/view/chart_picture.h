#pragma once
// ChartPicture: a chart as a list of flat shapes in pixels (filled rectangles, polylines and
// one-line texts in the program's own small font). The SVG writer, the PNG rasteriser and the
// desktop's painter all draw this one list, so that a chart written to a file is the chart on
// the screen.
//
// Coordinates: x to the right, y downwards, in pixels from the picture's top left corner.
// A rectangle covers the pixels whose centres lie inside it; a line passes through pixel
// centres, so the layouts put 1-pixel lines on half coordinates (10.5 is the centre of pixel
// 10) and they stay sharp in every writer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

struct ChartColour {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const ChartColour&, const ChartColour&) = default;
};

struct ChartPoint {
  double x = 0, y = 0;
};

struct ChartShape {
  enum class Kind : std::uint8_t { Rect, Line, Text };
  enum class Anchor : std::uint8_t { Start, Middle, End };
  Kind kind = Kind::Rect;
  ChartColour colour;
  // Line: the pen width in pixels. Text: the font's scale (1: glyphs of 5 x 7 pixels).
  int width = 1;
  Anchor anchor = Anchor::Start;  // Text: which end of the text lies at its point
  // Rect: two opposite corners. Line: the polyline. Text: the point on its baseline.
  std::vector<ChartPoint> points;
  // Text: printable ASCII (the font has nothing else); any other byte is drawn as '?'.
  std::string text;
};

struct ChartPicture {
  int width = 0, height = 0;
  ChartColour background{255, 255, 255};
  std::vector<ChartShape> shapes;  // drawn in order, each over the ones before it

  void AddRect(double x0, double y0, double x1, double y1, ChartColour c);
  void AddLine(std::vector<ChartPoint> points, ChartColour c, int width = 1);
  void AddText(double x, double y, std::string text, ChartColour c, int scale,
               ChartShape::Anchor anchor = ChartShape::Anchor::Start);
};

// ---- The built-in font ---------------------------------------------------------------------
// Glyphs of 5 x 7 pixels in cells 6 pixels wide, everything times the text's scale. A text's
// glyphs stand on its baseline: scale x 7 rows above it.
inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = 6;
// From the left of the first glyph to the right of the last, in pixels.
int ChartTextWidth(std::string_view text, int scale);
// The glyph's 5 columns, left to right; bit 0 is the top row. '?' for a byte the font lacks.
const std::uint8_t* GlyphColumns(char c);
// The size of a font in the SVG file and on the screen whose monospaced glyphs take about the
// cells of the built-in font (an advance of 0.6 em).
inline int ChartFontPixels(int scale) {
  return 10 * scale;
}

// ---- Files -------------------------------------------------------------------------------------
// The largest picture the writers make: the rasteriser holds one byte per pixel.
inline constexpr IntRange kChartSideRange{16, 8192};

// The picture as an SVG document (UTF-8 text).
std::string ChartSvg(const ChartPicture& picture);
// The picture as PNG bytes: 8-bit indexed colour with the picture's colours as the palette
// (the first 256; any further colour is drawn as the nearest of them), compressed. Empty when
// the side lengths lie outside kChartSideRange.
std::string ChartPng(const ChartPicture& picture);
// An image given pixel by pixel as PNG bytes: indices into the palette (at most 256 colours),
// rows from the top. Empty when the sides lie outside kChartSideRange or the pixels do not
// fill them.
std::string IndexedPng(int width, int height, const std::vector<ChartColour>& palette,
                       const std::vector<std::uint8_t>& pixels);

enum class ChartFormat : std::uint8_t { None, Png, Svg };
// By the file name's extension, ".png" or ".svg" in any case; None for anything else.
ChartFormat ChartFormatOfPath(std::string_view path);
// Writes the picture in the format of the path's extension; the file is replaced only once it
// is complete. Refused for another extension or a picture outside kChartSideRange, NoMemory
// when the pixels cannot be had, CannotOpen when the file cannot be written.
Outcome WriteChartFile(const ChartPicture& picture, const std::string& path);

}  // namespace trevalon
