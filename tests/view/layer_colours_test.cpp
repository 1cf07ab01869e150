#include "view/layer_colours.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_support.h"

namespace trevalon {
namespace {

TEST(LayerColours, LayersAboveTenRepeatOneToTen) {
  LayerColourTable t;
  t.index = {15, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14};
  for (auto [layer, same] : {std::pair(13, 3), {20, 10}, {21, 1}, {99, 9}, {255, 5}})
    EXPECT_EQ(LayerColour(t, layer), LayerColour(t, same)) << layer;
  EXPECT_EQ(std::tuple(LayerColour(t, 10), LayerColour(t, -1)), std::tuple(14, kColourGreen));
  // The fixed eleventh entry continues the default sequence.
  EXPECT_EQ(LayerColour(LayerColourTable{}, 10), 10);
  // Reversed background swaps only white and black.
  EXPECT_EQ(std::tuple(DrawnColour(0, true).red, DrawnColour(15, true).red,
                       DrawnColour(4, true).red, DrawnColour(4, true).green),
            std::tuple(0, 255, 255, 0));
  EXPECT_STREQ(DrawnColour(99).name, "White");
}

TEST(LayerColours, FileRoundTripsAndABadFileKeepsEveryLayerOnTheList) {
  testing::TempDir dir;
  const std::string d = dir.path().string();
  LayerColourTable t;
  EXPECT_EQ(ReadLayerColours(d, t), 0);  // no file: layer number as colour
  EXPECT_EQ(std::tuple(LayerColour(t, 3), LayerColour(t, 0)), std::tuple(3, 0));
  t.index = {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 10};
  ASSERT_EQ(WriteLayerColours(d, t), 1);
  EXPECT_EQ(testing::ReadAll(LayerColourPath(d)), "15 \n14 \n13 \n12 \n11 \n10 \n9 \n8 \n7 \n6 \n");
  LayerColourTable back;
  ASSERT_EQ(ReadLayerColours(d, back), 1);
  EXPECT_EQ(back.index, t.index);
  EXPECT_EQ(WriteLayerColours("/nonexistent-dir/for/colours", t), 0);
  // Out of range: the default kept; reading stops at "blue". CR LF line ends and an empty line
  // read as line feeds do.
  const std::pair<const char*, std::array<int, 11>> files[] = {
      {"5 99 -3 6\nblue 7 7 7\n", {5, 1, 2, 6, 4, 5, 6, 7, 8, 9, 10}},
      {"15 \r\n14 \r\n13\r\n12\r\n\r\n11 \r\n", {15, 14, 13, 12, 11, 5, 6, 7, 8, 9, 10}}};
  for (const auto& [text, index] : files) {
    testing::WriteFile(LayerColourPath(d), text);
    LayerColourTable read;
    ASSERT_EQ(ReadLayerColours(d, read), 1);
    EXPECT_EQ(read.index, index) << text;
  }
}

}  // namespace
}  // namespace trevalon
