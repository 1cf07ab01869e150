#include "view/layer_colours.h"

#include <cstdio>
#include <fstream>

#include "platform/file_io.h"
#include "platform/system_paths.h"

namespace trevalon {

const std::array<NamedColour, kColourCount> kColourList{{
    {"White", 255, 255, 255},
    {"Blue", 0, 0, 255},
    {"Green", 0, 255, 0},
    {"Cyan", 0, 255, 255},
    {"Red", 255, 0, 0},
    {"Magenta", 255, 0, 255},
    {"Yellow", 255, 255, 0},
    {"Gray", 192, 192, 192},
    {"DarkBlue", 0, 0, 128},
    {"DarkGreen", 0, 128, 0},
    {"DarkCyan", 0, 128, 128},
    {"DarkRed", 128, 0, 0},
    {"DarkMagenta", 128, 0, 128},
    {"DarkYellow", 128, 128, 0},
    {"DarkGray", 128, 128, 128},
    {"Black", 0, 0, 0},
}};

int LayerColour(const LayerColourTable& table, int layer) {
  if (layer < 0) return kColourGreen;
  int entry = layer;
  if (layer > 10) entry = layer - 10 * ((layer - 1) / 10);
  const int index = table.index[static_cast<std::size_t>(entry)];
  return index >= 0 && index < kColourCount ? index : kColourWhite;
}

NamedColour DrawnColour(int index, bool reversedBackground) {
  if (index < 0 || index >= kColourCount) index = kColourWhite;
  if (reversedBackground && index == kColourWhite)
    index = kColourBlack;
  else if (reversedBackground && index == kColourBlack)
    index = kColourWhite;
  return kColourList[static_cast<std::size_t>(index)];
}

std::string LayerColourPath(const std::string& configDir) {
  return configDir + "/color.par";
}

int ReadLayerColours(const std::string& configDir, LayerColourTable& table) {
  std::ifstream in(NativePath(LayerColourPath(configDir)));
  if (!in) return 0;
  for (int i = 0; i < LayerColourTable::kFileLayers; ++i) {
    long value = 0;
    if (!(in >> value)) break;
    if (value >= 0 && value < kColourCount)
      table.index[static_cast<std::size_t>(i)] = static_cast<int>(value);
  }
  return 1;
}

int WriteLayerColours(const std::string& configDir, const LayerColourTable& table) {
  std::string text;
  char line[32];
  for (int i = 0; i < LayerColourTable::kFileLayers; ++i) {
    std::snprintf(line, sizeof line, "%d \n", table.index[static_cast<std::size_t>(i)]);
    text += line;
  }
  return WriteFileReplacing(LayerColourPath(configDir), text);
}

}  // namespace trevalon
