// What the sound work costs the game's thread: checking a music file when it
// opens (it happens inside a tick), and the loop check every tick.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/controls.h"
#include "formats/midi.h"
#include "formats/wave.h"
#include "platform/headless/headless_media_player.h"
#include "platform/headless/memory_files.h"
#include "platform/sdl/wave_pcm.h"
#include "sound/music.h"

namespace {

void PutBe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A piece the size of game music: 16 tracks of 1,000 notes each (about
// 120 KB), with running status as sequencers write it.
std::vector<uint8_t> GameSizedMidi() {
  std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 16, 0x01, 0xE0};
  for (int ch = 0; ch < 16; ++ch) {
    std::vector<uint8_t> t{
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, static_cast<uint8_t>(0x90 | ch), 60, 80};
    for (int i = 0; i < 1000; ++i) {
      uint8_t key = static_cast<uint8_t>(40 + (i * 7 + ch) % 48);
      t.insert(t.end(), {0x64, key, 0, 0x0F, static_cast<uint8_t>(key + 1), 70});
    }
    t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBe(file, static_cast<uint32_t>(t.size()), 4);
    file.insert(file.end(), t.begin(), t.end());
  }
  return file;
}

// Three seconds of 16-bit stereo at 44.1 kHz.
std::vector<uint8_t> ThreeSecondWave() {
  uint32_t data = 44100 * 4 * 3;
  std::vector<uint8_t> f{'R',  'I',  'F',  'F', 0, 0, 0,  0, 'W', 'A', 'V',  'E',  'f', 'm',
                         't',  ' ',  16,   0,   0, 0, 1,  0, 2,   0,   0x44, 0xAC, 0,   0,
                         0x10, 0xB1, 0x02, 0,   4, 0, 16, 0, 'd', 'a', 't',  'a'};
  for (int i = 0; i < 4; ++i) f.push_back(static_cast<uint8_t>(data >> (8 * i)));
  f.resize(f.size() + data);
  return f;
}

void BM_CheckMidi(benchmark::State& state) {
  std::vector<uint8_t> file = GameSizedMidi();
  for (auto _ : state) benchmark::DoNotOptimize(velmor::formats::CheckMidi(file));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_CheckMidi);

void BM_CheckWave(benchmark::State& state) {
  std::vector<uint8_t> file = ThreeSecondWave();
  for (auto _ : state) benchmark::DoNotOptimize(velmor::formats::CheckWave(file));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_CheckWave);

// A music change on the headless player: the path, the file read and check,
// and the play.
void BM_PlayMusicChange(benchmark::State& state) {
  velmor::platform::MemoryFiles files;
  files.Put("D/SOUND/A.MID", GameSizedMidi());
  files.Put("D/SOUND/B.MID", GameSizedMidi());
  velmor::platform::HeadlessMediaPlayer player(files);
  velmor::RadioButton mute("MuteBtn"), wave("WaveBtn"), midi("MidiBtn"), midi2("MidiBtn2");
  midi.checked = true;
  std::string dat("D/");
  velmor::sound::Music music(player, {mute, wave, midi, midi2}, dat);
  bool a = false;
  for (auto _ : state) {
    music.PlayMusic((a = !a) ? "A" : "B");
    player.ClearCommands();
  }
}
BENCHMARK(BM_PlayMusicChange);

// The memory a sound file costs the real player: a 64 MiB WAVE file (8-bit
// mono at 8 kHz: 2.3 hours, 1.5 GB once converted whole to 44.1 kHz stereo)
// opened and its first ten seconds read as the output reads them. Counters:
// the converted bytes held at most (held), the decoded file (source), and
// what converting it whole would have held (whole).
void BM_WaveStream64MiB(benchmark::State& state) {
  constexpr uint32_t kData = 64u << 20;
  std::vector<uint8_t> file{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                            16, 0, 0, 0, 1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8,
                            0, 'd', 'a', 't', 'a'};
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(kData >> (8 * i)));
  file.resize(file.size() + kData, 0x80);
  for (std::size_t i = 44; i < file.size(); i += 37) file[i] = static_cast<uint8_t>(i);
  const uint32_t riff = static_cast<uint32_t>(file.size() - 8);
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
  auto checked = velmor::formats::CheckWave(file);
  if (!checked) {
    state.SkipWithError(checked.fault().what.c_str());
    return;
  }
  const velmor::platform::sdl::OutputFormat out{44100, 2};
  std::vector<uint8_t> buffer(2048 * 4);
  std::size_t held = 0;
  uint64_t whole = 0;
  for (auto _ : state) {
    std::string why;
    auto stream = velmor::platform::sdl::WaveStream::Open(checked->clean, checked->frames, out, &why);
    if (!stream) {
      state.SkipWithError(why.c_str());
      return;
    }
    for (int i = 0; i < 10 * 44100 / 2048; ++i) stream->Read(buffer.data(), buffer.size());
    held = stream->MostHeld();
    whole = stream->Frames() * 4;
  }
  state.counters["held"] = static_cast<double>(held);
  state.counters["source"] = static_cast<double>(kData);
  state.counters["whole"] = static_cast<double>(whole);
}
BENCHMARK(BM_WaveStream64MiB)->Unit(benchmark::kMillisecond);

}  // namespace
