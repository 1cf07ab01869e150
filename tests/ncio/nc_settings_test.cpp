// korvo.par: reading pairs without regard to case, values that are not numbers, and the
// exact bytes that are written.

#include "ncio/nc_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "test_support.h"

namespace trevalon::testing {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(NcSettings, ReadsPairsWithoutRegardToCase) {
  TempDir dir;
  const std::string path = NcSettingsPath(dir.path().string());
  std::ofstream(path) << "heidenhaininputchk 1\nArcToCutInputChk yes\nINTNCDATAFLG 1\n"
                         "Unknown 7 HeidenhainOutChk 1\r\nIntNcdataFlg 0 \nHeidenhainOutChk";
  NcSwitches nc;
  nc.arcToCutInputChk = 1;
  ReadNcSettingsFile(path, nc);
  EXPECT_EQ(nc.heidenhainInputChk, 1);
  EXPECT_EQ(nc.arcToCutInputChk, 0);  // "yes" is no number
  EXPECT_EQ(nc.intNcdataFlg, 0);      // the later pair wins
  EXPECT_EQ(nc.heidenhainOutChk, 1);  // a key without a value at the end is ignored
}

TEST(NcSettings, MissingFileKeepsTheSwitches) {
  TempDir dir;
  NcSwitches nc;
  nc.intNcdataFlg = 1;
  ReadNcSettingsFile(dir.file("korvo.par"), nc);
  EXPECT_EQ(nc.intNcdataFlg, 1);
  EXPECT_EQ(nc.heidenhainInputChk, 0);
}

TEST(NcSettings, WritesFourLinesInOrderAndReadsThemBack) {
  TempDir dir;
  const std::string path = NcSettingsPath(dir.path().string());
  NcSwitches nc;
  nc.intNcdataFlg = 1;
  nc.heidenhainOutChk = 1;
  ASSERT_EQ(WriteNcSettingsFile(path, nc), 1);
  EXPECT_EQ(Slurp(path),
            "IntNcdataFlg 1 \nArcToCutInputChk 0 \nHeidenhainInputChk 0 \nHeidenhainOutChk 1 \n");
  NcSwitches back;
  ReadNcSettingsFile(path, back);
  EXPECT_EQ(back.intNcdataFlg, 1);
  EXPECT_EQ(back.heidenhainOutChk, 1);
  EXPECT_EQ(WriteNcSettingsFile(dir.file("no/such/dir/korvo.par"), nc), 0);
}

}  // namespace
}  // namespace trevalon::testing
