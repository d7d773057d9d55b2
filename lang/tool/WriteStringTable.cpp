// Build tool: writes the compiled-in string table in the form a language module carries it.
#include <cstdio>
#include <fstream>

#include "lang/StringTable.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 64;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << zemra::EncodeStringTable(zemra::StringTable());
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
