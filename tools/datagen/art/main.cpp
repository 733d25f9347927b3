// velmor_datagen OUTDIR: writes the demo game's pictures, pointers and music
// into OUTDIR (CG/, CURSOR/, SOUND/, SOUND/SC88/; SNX/ is left for the
// scenario assembler).
#include <cstdio>
#include <exception>

#include "datagen/art/demo_data.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argc > 0 ? argv[0] : "velmor_datagen");
    return 2;
  }
  try {
    velmor::datagen::WriteDemoData(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmor_datagen: %s\n", e.what());
    return 1;
  }
  return 0;
}
