#include <iostream>
#include <string>
#include <vector>

#include "cli/script.h"
#include "platform/file_io.h"
#include "platform/system_paths.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  trevalon::InstallTempFileCleanup();  // an interrupted save leaves no temporary file
  trevalon::PrepareConsole();
  // Every path the tool is given reaches the core as UTF-8, whatever the system's own
  // encoding of the command line.
  std::vector<std::string> args = trevalon::Utf8Arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& a : args) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  return trevalon::cli::Main(static_cast<int>(args.size()), pointers.data(), std::cout, std::cerr,
                             std::cin);
}
