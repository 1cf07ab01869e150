#include "view/layer_colours.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "test_support.h"

namespace trevalon {
namespace {

using testing::ReadAll;

TEST(LayerColours, MissingFileGivesLayerNumberAsColour) {
  testing::TempDir dir;
  LayerColourTable t;
  EXPECT_EQ(ReadLayerColours(dir.path().string(), t), 0);
  EXPECT_STREQ(kColourList[static_cast<std::size_t>(LayerColour(t, 3))].name, "Cyan");
  EXPECT_STREQ(kColourList[static_cast<std::size_t>(LayerColour(t, 7))].name, "Gray");
  EXPECT_EQ(LayerColour(t, 0), 0);
}

TEST(LayerColours, LayersAboveTenRepeatOneToTen) {
  LayerColourTable t;
  t.index = {15, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14};
  EXPECT_EQ(LayerColour(t, 13), LayerColour(t, 3));
  EXPECT_EQ(LayerColour(t, 20), LayerColour(t, 10));
  EXPECT_EQ(LayerColour(t, 21), LayerColour(t, 1));
  EXPECT_EQ(LayerColour(t, 10), 14);
  EXPECT_EQ(LayerColour(t, 99), LayerColour(t, 9));
  EXPECT_EQ(LayerColour(t, 255), LayerColour(t, 5));
  EXPECT_EQ(LayerColour(t, -1), kColourGreen);
  // The fixed eleventh entry continues the default sequence.
  EXPECT_EQ(LayerColour(LayerColourTable{}, 10), 10);
}

TEST(LayerColours, WriteThenReadRoundTripsTheFileFormat) {
  testing::TempDir dir;
  LayerColourTable t;
  t.index = {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 10};
  ASSERT_EQ(WriteLayerColours(dir.path().string(), t), 1);
  EXPECT_EQ(ReadAll(LayerColourPath(dir.path().string())),
            "15 \n14 \n13 \n12 \n11 \n10 \n9 \n8 \n7 \n6 \n");
  LayerColourTable back;
  ASSERT_EQ(ReadLayerColours(dir.path().string(), back), 1);
  EXPECT_EQ(back.index, t.index);
}

TEST(LayerColours, BadFileKeepsEveryLayerOnAColourOfTheList) {
  testing::TempDir dir;
  {
    std::ofstream out(LayerColourPath(dir.path().string()));
    out << "5 99 -3 6\nblue 7 7 7\n";
  }
  LayerColourTable t;
  ASSERT_EQ(ReadLayerColours(dir.path().string(), t), 1);
  EXPECT_EQ(t.index[0], 5);
  EXPECT_EQ(t.index[1], 1);  // out of range: default kept
  EXPECT_EQ(t.index[2], 2);
  EXPECT_EQ(t.index[3], 6);
  EXPECT_EQ(t.index[4], 4);  // reading stopped at "blue"
  EXPECT_EQ(t.index[9], 9);
}

TEST(LayerColours, UnwritableDirectoryFailsAndKeepsNothingHalfWritten) {
  LayerColourTable t;
  EXPECT_EQ(WriteLayerColours("/nonexistent-dir/for/colours", t), 0);
}

TEST(LayerColours, ReversedBackgroundSwapsOnlyWhiteAndBlack) {
  EXPECT_EQ(DrawnColour(0, true).red, 0);
  EXPECT_EQ(DrawnColour(15, true).red, 255);
  EXPECT_EQ(DrawnColour(4, true).red, 255);
  EXPECT_EQ(DrawnColour(4, true).green, 0);
  EXPECT_STREQ(DrawnColour(99).name, "White");
}

}  // namespace
}  // namespace trevalon
