#include <iostream>

#include "cli/script.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  return trevalon::cli::Main(argc, argv, std::cout, std::cerr, std::cin);
}
