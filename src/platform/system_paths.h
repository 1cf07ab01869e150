#pragma once
// Paths, folders and the environment in the system's own terms. The core keeps every path
// as UTF-8 text in a std::string; these functions hand it to the system as the system wants
// it: unchanged bytes on POSIX, UTF-16 through the wide calls on Windows, where the narrow
// calls would read the bytes in the local code page and miss any name outside it.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace trevalon {

// ---- UTF-8 and UTF-16 (pure, the same on every system) -------------------------------
// UTF-8 text as UTF-16 code units. False (out then empty) for bytes that are not UTF-8:
// a stray continuation byte, a cut sequence, an overlong form, a surrogate or a code point
// above U+10FFFF. Our rule: such a name is refused, never guessed at, so that a path is
// never turned into another file's name.
bool Utf16FromUtf8(std::string_view utf8, std::u16string& out);
// UTF-16 as UTF-8; false (out then empty) for a surrogate that has no partner.
bool Utf8FromUtf16(std::u16string_view utf16, std::string& out);

// ---- Paths -------------------------------------------------------------------------------
// The system's path for a UTF-8 path. On Windows a path that is not UTF-8 becomes an
// empty path, which every call refuses as a missing file.
std::filesystem::path NativePath(const std::string& utf8);
// A system path as UTF-8 (what NativePath was given).
std::string Utf8Path(const std::filesystem::path& path);
// std::fopen for a UTF-8 path (_wfopen on Windows).
std::FILE* OpenFile(const std::string& utf8, const char* mode);

// ---- Environment and folders -------------------------------------------------------------
// The value of an environment variable as UTF-8; "" when it is not set.
std::string EnvironmentValue(const char* name);
// The user's home folder: $HOME on POSIX, %USERPROFILE% on Windows; /tmp (the folder of
// temporary files on Windows) when it is not set.
std::string HomeFolder();
// The program's configuration folder when neither --sysdir nor $TREVALON_SYSDIR names one:
// $XDG_CONFIG_HOME/trevalon, else ~/.config/trevalon on POSIX; %APPDATA%\trevalon on
// Windows, else the home folder's AppData\Roaming\trevalon.
std::string ConfigurationFolder();
// The same rule in words, for the tool's help.
const char* ConfigurationFolderRule();
// The editor started when the settings name none: $VISUAL, else $EDITOR, else the system's
// own way to open a text file (xdg-open; Notepad on Windows).
std::string DefaultEditor();

// ---- The program's command line and console -----------------------------------------------
// The arguments as UTF-8. On Windows they are taken from the wide command line, because
// argv holds them in the local code page; elsewhere argv as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// Makes the console show the UTF-8 the program writes (Korean and Japanese texts) on
// Windows; nothing elsewhere.
void PrepareConsole();

}  // namespace trevalon
