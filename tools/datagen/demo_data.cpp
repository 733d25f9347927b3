#include "datagen/demo_data.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "datagen/music.h"
#include "datagen/pictures.h"
#include "formats/bmp_writer.h"

namespace velmor::datagen {

namespace {

// Palettised pictures carry a full 256-entry colour table, as 256-colour
// pictures of the time did.
std::vector<uint8_t> Palettised(const Bitmap& img) { return formats::WriteBmp(img, {8, false, true}); }
std::vector<uint8_t> TrueColour(const Bitmap& img) { return formats::WriteBmp(img, {24, false, false}); }

}  // namespace

std::vector<DataFile> MakeDemoData() {
  std::vector<DataFile> files;
  auto add = [&files](std::string path, std::vector<uint8_t> bytes) {
    files.push_back({std::move(path), std::move(bytes)});
  };
  add("CG/KURO.BMP", Palettised(BlackScreen()));
  add("CG/MESH.BMP", Palettised(MeshPattern()));
  add("CG/_CGBK.BMP", Palettised(PointerBackdrop()));
  add("CG/CHU.BMP", TrueColour(ClickMark()));
  add("CG/WK00.BMP", TrueColour(MessageFrame()));
  add("CG/WK01.BMP", TrueColour(StatusFrame(0)));
  add("CG/WK02.BMP", TrueColour(StatusFrame(1)));
  add("CG/WALL00.BMP", Palettised(Wallpaper()));
  add("CG/BG01.BMP", TrueColour(SunsetSea()));
  add("CG/BG02.BMP", Palettised(NightCity()));
  add("CG/BG03.BMP", Palettised(Countryside()));
  add("CG/BG04.BMP", TrueColour(Street()));
  // The region picture keeps its 16 table colours as a 16-entry table.
  add("CG/MAP01.BMP", formats::WriteBmp(StreetRegions(), {8, false, false}));
  add("CG/_CG01.BMP", TrueColour(CherryTree()));
  add("CG/_CG02.BMP", Palettised(Lighthouse()));
  add("CG/_CG03.BMP", Palettised(WindowCat()));
  add("CG/BA01.BMP", Palettised(SpinningStar()));

  for (int n = 0; n <= 10; ++n) {
    const Pointer p = PointerShape(n);
    char name[32];
    std::snprintf(name, sizeof name, "CURSOR/CSR%02d", n);
    add(std::string(name) + ".BMP", Palettised(p.sprite));
    add(std::string(name) + "M.BMP", formats::WriteBmp(p.mask, {1, false, false}));
  }

  add("SOUND/QV00.WAV", StartupChimeWave());
  add("SOUND/QV00.MID", StartupPhraseMidi());
  add("SOUND/M01.WAV", ThemeWave());
  add("SOUND/M01.MID", ThemeMidi(SoundSource::kGeneralMidi));
  add("SOUND/M02.WAV", WaltzWave());
  add("SOUND/M02.MID", WaltzMidi(SoundSource::kGeneralMidi));
  add("SOUND/SC88/M01.MID", ThemeMidi(SoundSource::kSc88));
  add("SOUND/SC88/M02.MID", WaltzMidi(SoundSource::kSc88));
  // The street's door chime plays the probe sound as music: each source has it.
  add("SOUND/SC88/QV00.MID", StartupPhraseMidi());
  return files;
}

void WriteDemoData(const std::filesystem::path& folder) {
  for (const char* sub : {"CG", "CURSOR", "SOUND", "SOUND/SC88", "SNX"})
    std::filesystem::create_directories(folder / sub);
  for (const DataFile& f : MakeDemoData()) {
    const std::filesystem::path path = folder / std::filesystem::path(f.path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
  }
}

}  // namespace velmor::datagen
