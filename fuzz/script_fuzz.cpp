// Arbitrary bytes as a command script: every line must end in a result or a clean error,
// whether the script is split as a whole (-c) or read line by line as it comes (run FILE).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

#include "cli/script.h"
#include "cli/script_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string sysdir = [] {
    auto d = std::filesystem::temp_directory_path() / "trevalon-script-fuzz";
    std::filesystem::create_directories(d);
    std::filesystem::current_path(d);  // relative file names land here too
    return d.string();
  }();
  std::string text(reinterpret_cast<const char*>(data), size);
  // Files the script could write stay inside the scratch directory.
  if (text.find('/') != std::string::npos) return 0;
  std::ostringstream out, err;
  trevalon::cli::Session s(out, err);
  trevalon::StartOptions o;
  o.systemDir = sysdir;
  o.language = "en";
  s.app.StartUp(o);
  // The first byte picks the runner, so that both see every input.
  if (!text.empty() && (text[0] & 1)) {
    std::istringstream in(text.substr(1));
    trevalon::cli::RunScriptStream(s, in);
  } else {
    trevalon::cli::RunScript(s, text, false);
  }
  return 0;
}
