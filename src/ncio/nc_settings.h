#pragma once
// The switches that steer how NC programs are read and written, and korvo.par, the file in
// the configuration directory that holds their defaults for new documents.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_io.h"

namespace trevalon {

// Every document holds its own copy; a new document takes them from korvo.par.
struct NcSwitches {
  std::int32_t intNcdataFlg = 0;        // IntNcdataFlg: coordinates in thousandths
  std::int32_t arcToCutInputChk = 0;    // ArcToCutInputChk: arcs read as chord points
  std::int32_t heidenhainInputChk = 0;  // HeidenhainInputChk: programs read as Heidenhain
  std::int32_t heidenhainOutChk = 0;    // HeidenhainOutChk: programs written as Heidenhain
  // ExtendedReadingChk: 1 reads programs as a control runs them (ext_reader.h), dialect
  // detected per file; 0 keeps the classic readers.
  std::int32_t extendedReadingChk = 0;
  // HeidenhainStyleChk: 1 writes Heidenhain programs in the TNC style (nc_writer.h), 0 in
  // the classic one; the last save's choice.
  std::int32_t heidenhainStyleChk = 0;
};

// configDir + "/korvo.par".
std::string NcSettingsPath(const std::string& configDir);

// korvo.par holds four short lines; no real one comes near this.
inline constexpr std::size_t kNcSettingsFileLimit = 1u << 20;

// Reads korvo.par: whitespace-separated key and value pairs, keys compared without regard
// to case, values as decimal integers (a value that is not a number gives 0), unknown keys
// skipped, a later pair wins. A missing or unreadable file keeps the switches as they are,
// and so does a refused one (a folder, beyond kNcSettingsFileLimit, a NUL byte); the result
// says which.
FileReadError ReadNcSettingsFile(const std::string& path, NcSwitches& nc);

// Writes the four lines "IntNcdataFlg %d \n", "ArcToCutInputChk %d \n",
// "HeidenhainInputChk %d \n", "HeidenhainOutChk %d \n", and "ExtendedReadingChk %d \n" when
// that switch is not 0. 1 when the file now holds them, 0 when it could not be written (the
// old file is then untouched).
int WriteNcSettingsFile(const std::string& path, const NcSwitches& nc);

// The lines as they are written. Our rule: the extended reading line is left out while the
// switch is 0 (its default, which a missing key gives back), so that korvo.par files and
// `ncset` listings of everyone who never turns it on stay exactly as they were.
std::string FormatNcSettings(const NcSwitches& nc);

}  // namespace trevalon
