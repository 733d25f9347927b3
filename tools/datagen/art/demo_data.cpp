#include "datagen/art/demo_data.h"

#include <string>

#include "datagen/art/music.h"
#include "datagen/art/scenes.h"
#include "datagen/fixtures/fixture_files.h"

namespace velmor::datagen {

std::vector<DataFile> MakeDemoData() {
  std::vector<DataFile> files = FixtureFiles();
  auto add = [&files](std::string path, std::vector<uint8_t> bytes) {
    files.push_back({std::move(path), std::move(bytes)});
  };
  add("CG/BG01.BMP", TrueColour(SunsetSea()));
  add("CG/BG02.BMP", Palettised(NightCity()));
  add("CG/BG03.BMP", Palettised(Countryside()));
  add("CG/BG04.BMP", TrueColour(Street()));
  add("CG/_CG01.BMP", TrueColour(CherryTree()));
  add("CG/_CG02.BMP", Palettised(Lighthouse()));
  add("CG/_CG03.BMP", Palettised(WindowCat()));
  add("CG/BA01.BMP", Palettised(CatOnTheAwning()));

  add("SOUND/M01.WAV", ThemeWave());
  add("SOUND/M01.MID", ThemeMidi(SoundSource::kGeneralMidi));
  add("SOUND/M02.WAV", WaltzWave());
  add("SOUND/M02.MID", WaltzMidi(SoundSource::kGeneralMidi));
  add("SOUND/SC88/M01.MID", ThemeMidi(SoundSource::kSc88));
  add("SOUND/SC88/M02.MID", WaltzMidi(SoundSource::kSc88));
  return files;
}


}  // namespace velmor::datagen
