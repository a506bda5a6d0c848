// Command line of the artwork generator: artgen <output directory>.
#include <cstdio>

#include "tools/artgen/artgen.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  std::string error;
  if (!quelvar::artgen::WriteArtSet(argv[1], error)) {
    std::fprintf(stderr, "artgen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
