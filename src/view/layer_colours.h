#pragma once
// Layer colours: the sixteen named colours, the colour of each layer, and color.par, the file
// in the configuration directory that keeps the colour of layers 0 to 9.

#include <array>
#include <cstdint>
#include <string>

namespace trevalon {

struct NamedColour {
  const char* name;
  std::uint8_t red, green, blue;
};

// The colour list, in the order of the indices stored in color.par and shown in the dialog.
inline constexpr int kColourCount = 16;
extern const std::array<NamedColour, kColourCount> kColourList;
inline constexpr int kColourWhite = 0;
inline constexpr int kColourGreen = 2;
inline constexpr int kColourBlack = 15;

// One colour index per layer 0 to 9, plus the entry that layer 10 (and every layer that maps
// to it) reads. color.par and the dialog know only the first ten.
struct LayerColourTable {
  static constexpr int kFileLayers = 10;
  // Layer i starts with colour index i. The eleventh entry, which nothing can set, is fixed
  // at index 10 ("DarkCyan"): layer 10 then continues the default sequence, so the layers of
  // an untouched program run through eleven distinct colours before they repeat.
  std::array<int, kFileLayers + 1> index{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
};

// The table entry that draws a layer: layers 0 to 10 their own entry, a layer above 10 the
// entry of layer - 10 * ((layer - 1) / 10), so that 11 to 20 repeat 1 to 10. -1 (no layer)
// draws green. Returns a colour index 0 to 15.
int LayerColour(const LayerColourTable& table, int layer);

// A colour of the list as it is drawn: with a reversed background white and black swap.
NamedColour DrawnColour(int index, bool reversedBackground = false);

// Reads ten decimal integers from ConfigDir/color.par. A missing file keeps the defaults
// (layer i colour i); reading stops at the first word that is not a number, and a number
// outside 0 to 15 leaves that layer's colour as it was, so the table always names a colour
// of the list. Returns 1 when the file was read.
int ReadLayerColours(const std::string& configDir, LayerColourTable& table);
// Writes the ten indices, "%d \n" each; 0 when the file cannot be created (old file stays).
int WriteLayerColours(const std::string& configDir, const LayerColourTable& table);
std::string LayerColourPath(const std::string& configDir);

}  // namespace trevalon
