// velmor_datagen OUTDIR: writes the demo game's pictures, pointers and music
// into OUTDIR (CG/, CURSOR/, SOUND/, SOUND/SC88/; SNX/ is left for the
// scenario assembler).
#include "datagen/art/demo_data.h"
#include "datagen/fixtures/data_folder.h"

int main(int argc, char** argv) {
  return velmor::datagen::GeneratorMain(argc, argv, "velmor_datagen", velmor::datagen::MakeDemoData);
}
