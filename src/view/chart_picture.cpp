#include "view/chart_picture.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "platform/file_io.h"

namespace trevalon {

void ChartPicture::AddRect(double x0, double y0, double x1, double y1, ChartColour c) {
  ChartShape s;
  s.kind = ChartShape::Kind::Rect;
  s.colour = c;
  s.points = {{x0, y0}, {x1, y1}};
  shapes.push_back(std::move(s));
}

void ChartPicture::AddLine(std::vector<ChartPoint> points, ChartColour c, int width) {
  ChartShape s;
  s.kind = ChartShape::Kind::Line;
  s.colour = c;
  s.width = width;
  s.points = std::move(points);
  shapes.push_back(std::move(s));
}

void ChartPicture::AddText(double x, double y, std::string text, ChartColour c, int scale,
                           ChartShape::Anchor anchor) {
  ChartShape s;
  s.kind = ChartShape::Kind::Text;
  s.colour = c;
  s.width = scale;
  s.anchor = anchor;
  s.points = {{x, y}};
  s.text = std::move(text);
  shapes.push_back(std::move(s));
}

// ---- Font --------------------------------------------------------------------------------------

namespace {

// Printable ASCII from ' ' to '~', 5 columns each, bit 0 the top row.
constexpr std::uint8_t kGlyphs[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00},  // space !
    {0x00, 0x07, 0x00, 0x07, 0x00}, {0x14, 0x7F, 0x14, 0x7F, 0x14},  // " #
    {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},  // $ %
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00},  // & '
    {0x00, 0x1C, 0x22, 0x41, 0x00}, {0x00, 0x41, 0x22, 0x1C, 0x00},  // ( )
    {0x08, 0x2A, 0x1C, 0x2A, 0x08}, {0x08, 0x08, 0x3E, 0x08, 0x08},  // * +
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08},  // , -
    {0x00, 0x60, 0x60, 0x00, 0x00}, {0x20, 0x10, 0x08, 0x04, 0x02},  // . /
    {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},  // 0 1
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31},  // 2 3
    {0x18, 0x14, 0x12, 0x7F, 0x10}, {0x27, 0x45, 0x45, 0x45, 0x39},  // 4 5
    {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},  // 6 7
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E},  // 8 9
    {0x00, 0x36, 0x36, 0x00, 0x00}, {0x00, 0x56, 0x36, 0x00, 0x00},  // : ;
    {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14},  // < =
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06},  // > ?
    {0x32, 0x49, 0x79, 0x41, 0x3E}, {0x7E, 0x11, 0x11, 0x11, 0x7E},  // @ A
    {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},  // B C
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41},  // D E
    {0x7F, 0x09, 0x09, 0x09, 0x01}, {0x3E, 0x41, 0x49, 0x49, 0x7A},  // F G
    {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},  // H I
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41},  // J K
    {0x7F, 0x40, 0x40, 0x40, 0x40}, {0x7F, 0x02, 0x0C, 0x02, 0x7F},  // L M
    {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},  // N O
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E},  // P Q
    {0x7F, 0x09, 0x19, 0x29, 0x46}, {0x46, 0x49, 0x49, 0x49, 0x31},  // R S
    {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},  // T U
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F},  // V W
    {0x63, 0x14, 0x08, 0x14, 0x63}, {0x07, 0x08, 0x70, 0x08, 0x07},  // X Y
    {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00},  // Z [
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00},  // \ ]
    {0x04, 0x02, 0x01, 0x02, 0x04}, {0x40, 0x40, 0x40, 0x40, 0x40},  // ^ _
    {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},  // ` a
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20},  // b c
    {0x38, 0x44, 0x44, 0x48, 0x7F}, {0x38, 0x54, 0x54, 0x54, 0x18},  // d e
    {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x24, 0x4A, 0x4A, 0x4A, 0x3E},  // f g
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00},  // h i
    {0x20, 0x40, 0x44, 0x3D, 0x00}, {0x7F, 0x10, 0x28, 0x44, 0x00},  // j k
    {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},  // l m
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38},  // n o
    {0x7C, 0x14, 0x14, 0x14, 0x08}, {0x08, 0x14, 0x14, 0x18, 0x7C},  // p q
    {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},  // r s
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C},  // t u
    {0x1C, 0x20, 0x40, 0x20, 0x1C}, {0x3C, 0x40, 0x30, 0x40, 0x3C},  // v w
    {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},  // x y
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00},  // z {
    {0x00, 0x00, 0x7F, 0x00, 0x00}, {0x00, 0x41, 0x36, 0x08, 0x00},  // | }
    {0x08, 0x04, 0x08, 0x10, 0x08},                                  // ~
};

bool Printable(char c) {
  return c >= ' ' && c <= '~';
}

// ---- SVG ---------------------------------------------------------------------------------------

// A coordinate with at most two decimals and no trailing zeros; a value that is not a finite
// number (a broken layout) is written as 0 so that the file stays a valid document.
void Number(std::string& out, double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  out += s;
}

void Colour(std::string& out, ChartColour c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
  out += buf;
}

void Escaped(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += Printable(c) ? c : '?';
  }
}

}  // namespace

int ChartTextWidth(std::string_view text, int scale) {
  if (text.empty()) return 0;
  return (static_cast<int>(text.size()) * kGlyphAdvance - 1) * scale;
}

const std::uint8_t* GlyphColumns(char c) {
  if (!Printable(c)) c = '?';
  return kGlyphs[c - ' '];
}

std::string ChartSvg(const ChartPicture& p) {
  std::string out;
  out.reserve(4096);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
  out += " width=\"" + std::to_string(p.width) + "\" height=\"" + std::to_string(p.height) +
         "\" viewBox=\"0 0 " + std::to_string(p.width) + " " + std::to_string(p.height) + "\">\n";
  out += "<rect x=\"0\" y=\"0\" width=\"" + std::to_string(p.width) + "\" height=\"" +
         std::to_string(p.height) + "\" fill=\"";
  Colour(out, p.background);
  out += "\"/>\n";
  for (const ChartShape& s : p.shapes) {
    switch (s.kind) {
      case ChartShape::Kind::Rect: {
        if (s.points.size() != 2) break;
        const ChartPoint a = s.points[0], b = s.points[1];
        out += "<rect x=\"";
        Number(out, std::min(a.x, b.x));
        out += "\" y=\"";
        Number(out, std::min(a.y, b.y));
        out += "\" width=\"";
        Number(out, std::abs(b.x - a.x));
        out += "\" height=\"";
        Number(out, std::abs(b.y - a.y));
        out += "\" fill=\"";
        Colour(out, s.colour);
        out += "\" shape-rendering=\"crispEdges\"/>\n";
        break;
      }
      case ChartShape::Kind::Line: {
        if (s.points.size() < 2) break;
        out += "<polyline fill=\"none\" stroke=\"";
        Colour(out, s.colour);
        out += "\" stroke-width=\"" + std::to_string(s.width) +
               "\" stroke-linejoin=\"round\" points=\"";
        for (std::size_t i = 0; i < s.points.size(); ++i) {
          if (i) out += ' ';
          Number(out, s.points[i].x);
          out += ',';
          Number(out, s.points[i].y);
        }
        out += "\"/>\n";
        break;
      }
      case ChartShape::Kind::Text: {
        if (s.points.empty() || s.text.empty()) break;
        out += "<text x=\"";
        Number(out, s.points[0].x);
        out += "\" y=\"";
        Number(out, s.points[0].y);
        out += "\" font-family=\"monospace\" font-size=\"" +
               std::to_string(ChartFontPixels(s.width)) + "\" text-anchor=\"";
        out += s.anchor == ChartShape::Anchor::Start    ? "start"
               : s.anchor == ChartShape::Anchor::Middle ? "middle"
                                                        : "end";
        out += "\" fill=\"";
        Colour(out, s.colour);
        out += "\">";
        Escaped(out, s.text);
        out += "</text>\n";
        break;
      }
    }
  }
  out += "</svg>\n";
  return out;
}

ChartFormat ChartFormatOfPath(std::string_view path) {
  if (path.size() < 5) return ChartFormat::None;  // a name before the extension
  std::string ext(path.substr(path.size() - 4));
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const char before = path[path.size() - 5];
  if (before == '/') return ChartFormat::None;  // ".png" alone is a hidden file's name
  if (ext == ".png") return ChartFormat::Png;
  if (ext == ".svg") return ChartFormat::Svg;
  return ChartFormat::None;
}

Outcome WriteChartFile(const ChartPicture& picture, const std::string& path) {
  const ChartFormat format = ChartFormatOfPath(path);
  if (format == ChartFormat::None)
    return Outcome::Failed(OutcomeCode::Refused,
                           "'" + path + "' is neither a .png nor a .svg file name");
  if (!kChartSideRange.Contains(picture.width) || !kChartSideRange.Contains(picture.height))
    return Outcome::Failed(OutcomeCode::Refused,
                           "a chart is " + std::to_string(kChartSideRange.lo) + " to " +
                               std::to_string(kChartSideRange.hi) + " pixels wide and high");
  std::string bytes;
  try {
    bytes = format == ChartFormat::Png ? ChartPng(picture) : ChartSvg(picture);
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory to draw the chart");
  }
  std::string why;
  if (!WriteFileReplacing(path, bytes, &why)) return Outcome::CannotCreate(path, why);
  return Outcome::Done();
}

}  // namespace trevalon
