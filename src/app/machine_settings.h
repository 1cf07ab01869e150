#pragma once
// machine.par: the limits of the machine that the machine time is estimated for, kept in the
// configuration directory beside korvo.par.
//
// The file is plain text, one "Key value" pair a line, keys compared without regard to case,
// '#' starting a comment, blank lines allowed, a later line winning over an earlier one, and
// unknown keys skipped (so a newer file still works with an older program):
//
//   RapidX 24000             rapid rate of X, mm/min (1 to 1000000)
//   RapidY 24000             rapid rate of Y, mm/min
//   RapidZ 15000             rapid rate of Z, mm/min
//   AccelX 2000              maximum acceleration of X, mm/s^2 (1 to 100000)
//   AccelY 2000              maximum acceleration of Y, mm/s^2
//   AccelZ 1500              maximum acceleration of Z, mm/s^2
//   JunctionDeviation 0.01   corner tolerance, mm (0 to 10; 0 stops at every corner)
//   BlockTime 0.002          least time of a block, s (0 to 1)
//
// These values are also what a missing file gives. Our rule: a file with a bad value (not a
// number, out of its range, a key without its value or with more than one) is refused as a
// whole, with a message naming the line, and the defaults hold: a time half from the file and
// half from the defaults would belong to no machine.

#include <cstddef>
#include <string>
#include <string_view>

#include "app/application.h"
#include "model/machine_time.h"

namespace trevalon {

// configDir + "/machine.par".
std::string MachineSettingsPath(const std::string& configDir);

// machine.par holds eight short lines; no real one comes near this.
inline constexpr std::size_t kMachineSettingsFileLimit = 1u << 20;

// Reads the pairs of `text` into `limits`. False for a bad value: `why` then says which line
// and why ("line 3: AccelX must be a number from 1 to 100000 (mm/s^2), not 'fast'") and
// `limits` is as it was.
bool ParseMachineSettings(std::string_view text, MachineLimits& limits, std::string& why);

// The limits in force for the application: machine.par in ConfigDir, the defaults when it is
// missing. A file that is refused (a folder, too large, not text, a bad value) is reported
// in the user's language and the defaults hold.
MachineLimits ReadMachineSettings(CApplication& app);

}  // namespace trevalon
