// Measures what a music change costs the 20 ms tick with the real player:
// how long Open and Play hold the game's thread, how long a piece takes to
// load behind it, whether ticks run late around music changes, how long a
// WAVE piece takes to decode for the output, and how long the audio lock is
// held. Not a test: run it by hand (SDL_AUDIODRIVER=dummy works without
// sound hardware).
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "formats/midi_writer.h"
#include "formats/wave.h"
#include "platform/headless/memory_files.h"
#include "formats/media_file.h"
#include "platform/sdl/sdl_media_player.h"
#include "platform/sdl/wave_pcm.h"
#include "sound_files.h"

namespace {

using Clock = std::chrono::steady_clock;
using velmor::platform::MediaMode;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A piece the size of game music: 16 tracks, two minutes, about 15,000 notes.
std::vector<uint8_t> BigMidi(int seed) {
  velmor::formats::MidiFile file{1, 480, {}};
  velmor::formats::MidiTrack conductor;
  conductor.Tempo(0, 500000);
  file.tracks.push_back(conductor);
  for (int ch = 0; ch < 15; ++ch) {
    velmor::formats::MidiTrack t;
    t.ProgramChange(0, ch, (ch * 7 + seed) % 128);
    for (uint32_t i = 0; i < 1000; ++i)
      t.Note(i * 115, 100, ch, 40 + static_cast<int>((i * 5 + ch + seed) % 48), 70);
    file.tracks.push_back(t);
  }
  return velmor::formats::WriteMidi(file);
}

// Decoding three minutes of stereo IMA ADPCM at 22,050 a second for the
// output, as the loader thread does it.
void MeasureWaveDecodes(const velmor::platform::sdl::OutputFormat& format) {
  const uint32_t rate = 22050;
  // Blocks of 1,024 bytes, 1,017 frames each (the decoder's work does not
  // depend on what the blocks hold).
  std::vector<uint8_t> file = velmor::testing::ResizeWaveData(
      velmor::testing::TestFile("sound/ima_stereo_last_block_short.wav"), 180 * rate / 1017 * 1024);
  auto checked = velmor::formats::CheckWave(file);
  if (!checked) {
    std::printf("  cannot check the ADPCM file: %s\n", checked.fault().what.c_str());
    return;
  }
  std::printf("Decoding 3 minutes of stereo IMA ADPCM (%zu bytes) for the output:\n", file.size());
  std::string why;
  for (int i = 0; i < 3; ++i) {
    auto t = Clock::now();
    auto pcm =
        velmor::platform::sdl::DecodeWaveToPcm(checked->clean, checked->frames, format, &why);
    std::printf("  decode %d: %.1f ms (%zu bytes)\n", i + 1, Ms(Clock::now() - t),
                pcm ? pcm->size() : 0);
  }
}

}  // namespace

int main() {
  velmor::platform::MemoryFiles files;
  files.Put("D/SOUND/QV00.WAV", velmor::testing::ToneWave(300));
  files.Put("D/SOUND/QV00.MID", velmor::testing::NoteMidi(300));
  for (int i = 0; i < 4; ++i) files.Put("D/SOUND/M0" + std::to_string(i) + ".MID", BigMidi(i));
  files.Put("D/SOUND/M09.WAV", velmor::testing::ToneWave(3000, 44100));

  velmor::platform::sdl::SdlMediaPlayer player(files);
  if (!player.HasOutput()) {
    std::printf("no audio output\n");
    return 1;
  }

  // The game's requests, by tick: the probe, then a music change every 40
  // ticks (0.8 s), MIDI and WAVE mixed.
  struct Request {
    int tick;
    const char* path;
  };
  const Request requests[] = {
      {0, "D\\SOUND\\QV00.WAV"},  {0, "D\\SOUND\\QV00.MID"},  {20, "D\\SOUND\\M00.MID"},
      {60, "D\\SOUND\\M01.MID"},  {100, "D\\SOUND\\M09.WAV"}, {140, "D\\SOUND\\M02.MID"},
      {180, "D\\SOUND\\M03.MID"}, {220, "D\\SOUND\\M00.MID"},
  };
  std::printf("A 20 ms tick loop with music changes (Open + Play on the game's thread):\n");
  auto start = Clock::now();
  std::size_t next = 0;
  double worst_poll = 0;  // the loop check's Mode() on ticks without a change
  double worst_start = 0;
  int late_starts = 0;
  for (int tick = 0; tick < 260; ++tick) {
    auto due = start + std::chrono::milliseconds(20 * tick);
    std::this_thread::sleep_until(due);
    double start_delay = Ms(Clock::now() - due);
    bool change = false;
    while (next < std::size(requests) && requests[next].tick == tick) {
      auto t = Clock::now();
      player.SetFileName(requests[next].path);
      std::string error;
      if (!player.Open(&error)) std::printf("  open failed: %s\n", error.c_str());
      player.Play();
      std::printf("  tick %3d: %-20s Open+Play took %7.2f ms (error %d)\n", tick,
                  requests[next].path, Ms(Clock::now() - t), player.Error());
      change = true;
      ++next;
    }
    auto t = Clock::now();
    (void)player.Mode();  // the loop check's poll
    if (!change) worst_poll = std::max(worst_poll, Ms(Clock::now() - t));
    if (tick > 30) {  // after the start-up probe has been caught up with
      worst_start = std::max(worst_start, start_delay);
      if (start_delay > 10) ++late_starts;
    }
  }
  std::printf(
      "  after start-up: worst Mode() poll %.2f ms; worst tick start delay %.2f ms; "
      "ticks starting over 10 ms late: %d\n",
      worst_poll, worst_start, late_starts);

  std::printf("Background load of a MIDI piece (Open until the piece is ready):\n");
  for (int i = 0; i < 4; ++i) {
    player.SetFileName("D\\SOUND\\M0" + std::to_string(i) + ".MID");
    auto t = Clock::now();
    player.Open(nullptr);
    double open_ms = Ms(Clock::now() - t);
    player.WaitForLoad();
    std::printf("  piece %d: Open %.2f ms, ready after %.1f ms\n", i, open_ms,
                Ms(Clock::now() - t));
  }

  std::printf("Waiting for the audio lock while a 16-track MIDI piece plays (200 tries):\n");
  player.SetFileName("D\\SOUND\\M00.MID");
  player.Open(nullptr);
  player.Play();
  player.WaitForLoad();
  std::vector<double> waits;
  for (int i = 0; i < 200; ++i) {
    auto t = Clock::now();
    {
      velmor::platform::sdl::AudioOutput::Lock hold(player.Output());
      waits.push_back(Ms(Clock::now() - t));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(7));
  }
  std::sort(waits.begin(), waits.end());
  std::printf("  median %.2f ms, 90%% %.2f ms, worst %.2f ms\n", waits[100], waits[180],
              waits.back());

  MeasureWaveDecodes(player.Output().Format());
  return 0;
}
