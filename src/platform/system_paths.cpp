#include "platform/system_paths.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>
#endif

namespace trevalon {

bool Utf16FromUtf8(std::string_view utf8, std::u16string& out) {
  out.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned lead = s[i];
    int more = 0;
    char32_t cp = 0, least = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      more = 1, cp = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      more = 2, cp = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      more = 3, cp = lead & 0x07, least = 0x10000;
    } else {
      out.clear();
      return false;  // a continuation byte without a lead, or 0xF8..0xFF
    }
    for (int k = 1; k <= more; ++k) {
      if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
        out.clear();
        return false;
      }
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.clear();
      return false;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += static_cast<std::size_t>(more) + 1;
  }
  return true;
}

bool Utf8FromUtf16(std::u16string_view utf16, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      out.clear();
      return false;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return true;
}

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& utf8) {
  std::u16string u;
  if (!Utf16FromUtf8(utf8, u)) return {};
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(const std::wstring& wide) {
  std::string s;
  Utf8FromUtf16(std::u16string(wide.begin(), wide.end()), s);
  return s;
}

}  // namespace

std::filesystem::path NativePath(const std::string& utf8) {
  return std::filesystem::path(Wide(utf8));
}

std::string Utf8Path(const std::filesystem::path& path) {
  return Narrow(path.wstring());
}

std::FILE* OpenFile(const std::string& utf8, const char* mode) {
  const std::wstring name = Wide(utf8);
  if (name.empty()) return nullptr;
  std::wstring wmode;
  for (const char* m = mode; *m; ++m) wmode.push_back(static_cast<wchar_t>(*m));
  return _wfopen(name.c_str(), wmode.c_str());
}

std::string EnvironmentValue(const char* name) {
  std::wstring wname;
  for (const char* c = name; *c; ++c) wname.push_back(static_cast<wchar_t>(*c));
  const wchar_t* v = _wgetenv(wname.c_str());
  return v ? Narrow(v) : std::string();
}

std::string HomeFolder() {
  std::string h = EnvironmentValue("USERPROFILE");
  if (h.empty()) h = EnvironmentValue("HOME");
  if (h.empty()) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n > 0 && n <= MAX_PATH) h = Narrow(std::wstring(temp, n));
    while (h.size() > 3 && (h.back() == '\\' || h.back() == '/')) h.pop_back();
  }
  return h;
}

std::string ConfigurationFolder() {
  const std::string appData = EnvironmentValue("APPDATA");
  return (appData.empty() ? HomeFolder() + "\\AppData\\Roaming" : appData) + "\\trevalon";
}

const char* ConfigurationFolderRule() {
  return "%APPDATA%\\trevalon";
}

std::string DefaultEditor() {
  std::string e = EnvironmentValue("VISUAL");
  if (e.empty()) e = EnvironmentValue("EDITOR");
  return e.empty() ? std::string("notepad") : e;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  if (!wide || count != argc) {
    // Not the command line we were started with (an embedding program): argv as it is.
    if (wide) LocalFree(wide);
    for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
  }
  for (int i = 0; i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
}

#else

std::filesystem::path NativePath(const std::string& utf8) {
  return std::filesystem::path(utf8);
}

std::string Utf8Path(const std::filesystem::path& path) {
  return path.string();
}

std::FILE* OpenFile(const std::string& utf8, const char* mode) {
  return std::fopen(utf8.c_str(), mode);
}

std::string EnvironmentValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string HomeFolder() {
  const std::string h = EnvironmentValue("HOME");
  return h.empty() ? std::string("/tmp") : h;
}

std::string ConfigurationFolder() {
  const std::string d = EnvironmentValue("XDG_CONFIG_HOME");
  return d.empty() ? HomeFolder() + "/.config/trevalon" : d + "/trevalon";
}

const char* ConfigurationFolderRule() {
  return "$XDG_CONFIG_HOME/trevalon, else ~/.config/trevalon";
}

std::string DefaultEditor() {
  std::string e = EnvironmentValue("VISUAL");
  if (e.empty()) e = EnvironmentValue("EDITOR");
  return e.empty() ? std::string("xdg-open") : e;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void PrepareConsole() {}

#endif

}  // namespace trevalon
