#include "support/game_data.h"

#include <gtest/gtest.h>

#include "formats/midi_writer.h"
#include "formats/wave.h"
#include "support/bytecode.h"
#include "support/form_internals.h"
#include "support/pictures.h"

namespace velmor::testing {

std::vector<uint8_t> ClickCounter() {
  Code c;
  for (uint16_t i = 1; i <= 5; ++i) c.b(0).w(1).w(i).b(22);
  c.b(255);
  return c.bytes;
}

std::vector<uint8_t> TinyWave(int ms) {
  return formats::WriteWave({8000, 1, 8}, std::vector<int16_t>(static_cast<size_t>(8 * ms), 0));
}

std::vector<uint8_t> TinyMidi() {
  formats::MidiTrack track;
  track.Tempo(0, 500000);
  track.Note(0, 240, 0, 60, 64);
  return formats::WriteMidi({.format = 0, .tracks = {track}});
}

void PutGameData(platform::MemoryFiles& files, const std::vector<uint8_t>& init) {
  auto PutPicture = [&files](const std::string& path, const Bitmap& bmp, int bits = 24) {
    files.Put(std::string(kDat) + path, BmpBytes(bmp, bits));
  };
  PutPicture("CG/KURO.BMP", Bitmap(640, 480, kBlack), 8);
  PutPicture("CG/MESH.BMP", Mesh(), 1);
  PutPicture("CG/_CGBK.BMP", Bitmap(8, 8, 0x202020));
  Bitmap chu(24, 48, kWhite);
  FillRect(chu, {8, 8, 16, 16}, 0xFF0000);
  FillRect(chu, {8, 32, 16, 40}, 0x0000FF);
  PutPicture("CG/CHU.BMP", chu);
  Bitmap box(628, 100, kWhite);
  FillRect(box, {0, 0, 628, 3}, 0x305080);
  PutPicture("CG/WK00.BMP", box);
  Bitmap frame(640, 480, kWhite);
  FillRect(frame, {8, 8, 504, 472}, kBlack);
  PutPicture("CG/WK01.BMP", frame);
  PutPicture("CG/WK02.BMP", frame);
  PutPicture("CG/WALL00.BMP", Pattern(32, 32, 3));
  for (int n = 0; n <= 10; ++n) {
    std::string digits = (n < 10 ? "0" : "") + std::to_string(n);
    Bitmap sprite(16, 16, kBlack), mask(16, 16, kWhite);
    FillRect(sprite, {0, 0, 8, 8}, Color(0x010101 * (n + 1)));
    FillRect(mask, {0, 0, 8, 8}, kBlack);
    PutPicture("CURSOR/CSR" + digits + ".BMP", sprite);
    PutPicture("CURSOR/CSR" + digits + "M.BMP", mask, 1);
  }
  files.Put(std::string(kDat) + "SOUND/QV00.WAV", TinyWave());
  files.Put(std::string(kDat) + "SOUND/QV00.MID", TinyMidi());
  files.Put(std::string(kDat) + "SNX/INIT.SNX", init);
}

GameRig::GameRig(const std::vector<uint8_t>& init, Size screen, const std::string& pictures,
                 platform::Font* text_font) {
  PutGameData(files, init);
  main::HeadlessOptions options;
  options.screen = screen;
  options.pictures_folder =
      pictures.empty() ? std::string(VELMOR_BUILD_DIR) + "/rig_pictures/" : pictures;
  options.start.program_folder = "PROG/";
  options.start.data_folder = kDat;
  options.text_font = text_font;
  game = std::make_unique<main::HeadlessGame>(files, options);
  // Every presentation is checked: the window may look for changes only
  // where the game said it drew.
  game->window().CheckReportedChanges();
  // Every publication is checked too: whatever was drawn into the back
  // buffer without saying so would be left behind, and throws.
  in().layers.check_publish = true;
}

GameRig::~GameRig() {
  if (game) {
    EXPECT_EQ(game->window().UnreportedChanges(), 0)
        << "the screen image changed outside the rectangle the game reported";
  }
}

}  // namespace velmor::testing
