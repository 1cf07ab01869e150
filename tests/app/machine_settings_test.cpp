#include "app/machine_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "test_support.h"

namespace trevalon {
namespace {

TEST(MachineSettings, KeysWithoutCaseUnknownKeysSkippedBadValuesRefusedWhole) {
  MachineLimits m;
  std::string why;
  ASSERT_TRUE(ParseMachineSettings(
      "# our mill\r\nrapidx 30000\r\n  ACCELY 800.5   # slower table\n\nSpindleMax 12000\n"
      "BlockTime 0\nRapidX +36e3\n",
      m, why))
      << why;
  // A later line wins.
  EXPECT_EQ(std::tuple(m.rapid[0], m.rapid[1], m.accel[1], m.blockTime),
            std::tuple(36000, MachineLimits{}.rapid[1], 800.5, 0));

  // One bad line refuses the file: what came before it is not taken either.
  const MachineLimits before = m;
  for (const char* bad : {"RapidZ 5000\nAccelZ fast\n", "RapidZ 5000\nAccelZ 0\n",
                          "JunctionDeviation -0.1\n", "BlockTime 2\n", "RapidY inf\n",
                          "RapidY 0x100\n", "RapidY 100mm\n", "AccelX\n", "AccelX 1 2\n"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseMachineSettings(bad, m, why));
    EXPECT_EQ(std::tuple(m.rapid[2], m.accel[2]), std::tuple(before.rapid[2], before.accel[2]));
  }
  ParseMachineSettings("RapidZ 5000\nAccelZ fast\n", m, why);
  EXPECT_EQ(why, "line 2: AccelZ must be a number from 1 to 100000 (mm/s^2), not 'fast'");
}

TEST(MachineSettings, TheApplicationTakesTheFileBesideKorvoPar) {
  testing::AppInTempDir t;
  const std::string path = MachineSettingsPath(t.app.settings.configDir);
  // No file: the defaults, quietly.
  const double defaultZ = MachineLimits{}.rapid[2];
  // Braces: the file is read before the message count is (a list runs left to right).
  EXPECT_EQ((std::tuple{ReadMachineSettings(t.app).rapid[2], t.platform.messageCount}),
            std::tuple(defaultZ, 0));

  std::ofstream(path) << "RapidZ 5000\nJunctionDeviation 0.02\n";
  MachineLimits m = ReadMachineSettings(t.app);
  EXPECT_EQ(std::tuple(m.rapid[2], m.junctionDeviation), std::tuple(5000, 0.02));

  // A bad value: the message names the file and the line, and the defaults hold.
  std::ofstream(path) << "RapidZ 5000\nBlockTime slow\n";
  EXPECT_EQ((std::tuple{ReadMachineSettings(t.app).rapid[2], t.platform.messageCount}),
            std::tuple(defaultZ, 1));
  EXPECT_NE(t.platform.lastMessage.find(path + " line 2: BlockTime"), std::string::npos)
      << t.platform.lastMessage;
  EXPECT_NE(t.platform.lastMessage.find("default machine limits"), std::string::npos);

  // A folder in its place is refused as the other settings files are.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_EQ((std::tuple{ReadMachineSettings(t.app).rapid[2], t.platform.messageCount}),
            std::tuple(defaultZ, 2));
}

}  // namespace
}  // namespace trevalon
