// korvo.par: reading pairs without regard to case, values that are not numbers, and the
// exact bytes that are written.

#include "ncio/nc_settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "test_support.h"

namespace trevalon::testing {
namespace {

TEST(NcSettings, ReadWithoutRegardToCaseAndWrittenAsFourLinesOrFive) {
  TempDir dir;
  const std::string path = NcSettingsPath(dir.path().string());
  NcSwitches nc;
  nc.arcToCutInputChk = 1;
  ReadNcSettingsFile(path, nc);  // no file: the switches stay
  EXPECT_EQ(nc.arcToCutInputChk, 1);
  std::ofstream(path) << "heidenhaininputchk 1\nArcToCutInputChk yes\nINTNCDATAFLG 1\n"
                         "Unknown 7 HeidenhainOutChk 1\r\nIntNcdataFlg 0 \nHeidenhainOutChk";
  ReadNcSettingsFile(path, nc);
  EXPECT_EQ(nc.heidenhainInputChk, 1);
  EXPECT_EQ(nc.arcToCutInputChk, 0);  // "yes" is no number
  EXPECT_EQ(nc.intNcdataFlg, 0);      // the later pair wins
  EXPECT_EQ(nc.heidenhainOutChk, 1);  // a key without a value at the end is ignored

  nc = NcSwitches{};
  nc.intNcdataFlg = 1;
  nc.heidenhainOutChk = 1;
  ASSERT_EQ(WriteNcSettingsFile(path, nc), 1);
  EXPECT_EQ(ReadAll(path),
            "IntNcdataFlg 1 \nArcToCutInputChk 0 \nHeidenhainInputChk 0 \nHeidenhainOutChk 1 \n");
  NcSwitches back;
  ReadNcSettingsFile(path, back);
  EXPECT_EQ(back.intNcdataFlg, 1);
  EXPECT_EQ(back.heidenhainOutChk, 1);
  EXPECT_EQ(WriteNcSettingsFile(dir.file("no/such/dir/korvo.par"), nc), 0);

  // Extended reading is a fifth line only while it is on, so that files and listings of
  // everyone who never turns it on keep their four lines.
  nc = NcSwitches{};
  nc.extendedReadingChk = 1;
  ASSERT_EQ(WriteNcSettingsFile(path, nc), 1);
  EXPECT_EQ(ReadAll(path),
            "IntNcdataFlg 0 \nArcToCutInputChk 0 \nHeidenhainInputChk 0 \nHeidenhainOutChk 0 \n"
            "ExtendedReadingChk 1 \n");
  back = NcSwitches{};
  ReadNcSettingsFile(path, back);
  EXPECT_EQ(back.extendedReadingChk, 1);
  back.extendedReadingChk = 0;
  EXPECT_EQ(FormatNcSettings(back).find("Extended"), std::string::npos);
}

}  // namespace
}  // namespace trevalon::testing
