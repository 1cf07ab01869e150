#include <iostream>

#include "cli/script.h"
#include "platform/file_io.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  trevalon::InstallTempFileCleanup();  // an interrupted save leaves no temporary file
  return trevalon::cli::Main(argc, argv, std::cout, std::cerr, std::cin);
}
