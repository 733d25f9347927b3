// What the checks hand the decoders, and the reading of sound files through
// the file service. Which files the checks take, with their encoding and
// playing time, and which they refuse and why, is the format corpus
// (tests/data/formats/media) with its verdicts.
#include "sound/media_file.h"

#include <gtest/gtest.h>

#include "formats/midi.h"
#include "formats/wave.h"
#include "platform/headless/memory_files.h"
#include "platform/media_player.h"
#include "sound_files.h"

namespace velmor::platform {
namespace {

using Bytes = std::vector<uint8_t>;
using formats::CheckMidi;
using formats::CheckWave;
using sound::MediaKind;
using sound::ReadMediaFile;
namespace wave_format = formats::wave_format;
using testing::FindTag;
using testing::NoteMidi;
using testing::PokeLe32;
using testing::ToneWave;

void Append(Bytes& out, std::string_view tag) { out.insert(out.end(), tag.begin(), tag.end()); }
void AppendLe(Bytes& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A RIFF WAVE file put together chunk by chunk.
Bytes Riff(std::string_view form, const std::vector<std::pair<std::string, Bytes>>& chunks) {
  Bytes out;
  Append(out, "RIFF");
  AppendLe(out, 0, 4);
  Append(out, form);
  for (const auto& [tag, body] : chunks) {
    Append(out, tag);
    AppendLe(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
  }
  PokeLe32(out, 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

Bytes Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  Bytes f;
  uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  AppendLe(f, tag, 2);
  AppendLe(f, channels, 2);
  AppendLe(f, rate, 4);
  AppendLe(f, rate * align, 4);
  AppendLe(f, align, 2);
  AppendLe(f, bits, 2);
  return f;
}

bool Contains(const Bytes& file, std::string_view tag) {
  return std::search(file.begin(), file.end(), tag.begin(), tag.end(),
                     [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }) != file.end();
}

// --- WAVE ---

TEST(CheckWave, HandsTheDecoderOnlyTheFormatAndTheData) {
  Bytes data(501, 0x55);
  Bytes file = Riff("WAVE", {{"LIST", Bytes(7, 'i')},
                             {"fmt ", Fmt(1, 1, 1000, 8)},
                             {"data", data},
                             {"smpl", Bytes(60, 0)}});
  auto w = CheckWave(file);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->clean, Riff("WAVE", {{"fmt ", Fmt(1, 1, 1000, 8)}, {"data", data}}));
  EXPECT_FALSE(Contains(w->clean, "smpl"));  // loop points would make the decoder loop
  EXPECT_FALSE(Contains(w->clean, "LIST"));
}

// --- ADPCM WAVE ---

using testing::TestFile;

// The body of a file's "data" chunk.
Bytes DataOf(const Bytes& file) {
  std::size_t at = FindTag(file, "data") + 4;
  uint32_t size =
      file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (uint32_t{file[at + 3]} << 24);
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
               file.begin() + static_cast<std::ptrdiff_t>(at + 4 + size));
}

TEST(CheckWave, HandsTheAdpcmDecoderWholeBlocksAndNoFactChunk) {
  // Two whole blocks of 256 bytes and the start of a third: the third is
  // filled up with zeros, the data kept as it is.
  const Bytes cut = TestFile("formats/media/wave_ima_last_block_cut_in_run.wav");
  auto w = CheckWave(cut);
  ASSERT_TRUE(w) << w.fault().what;
  Bytes whole = DataOf(cut);
  whole.resize(3 * 256, 0);
  EXPECT_EQ(DataOf(w->clean), whole);

  const Bytes with_fact = TestFile("formats/media/wave_ms_fact_counts_fewer.wav");
  ASSERT_TRUE(Contains(with_fact, "fact"));
  w = CheckWave(with_fact);
  ASSERT_TRUE(w) << w.fault().what;
  EXPECT_FALSE(Contains(w->clean, "fact"));
}

// --- MIDI ---

TEST(CheckMidi, UnwrapsRiffMidiAndDropsWhatFollowsTheLastTrack) {
  Bytes smf = NoteMidi(200);
  auto rmid = CheckMidi(Riff("RMID", {{"data", smf}, {"LIST", Bytes(9)}}));
  ASSERT_TRUE(rmid);
  EXPECT_EQ(rmid->clean, smf);
  EXPECT_EQ(rmid->length_ms, 200u);

  Bytes trailing = smf;
  trailing.insert(trailing.end(), {0xDE, 0xAD});
  auto cut = CheckMidi(trailing);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->clean, smf);
}

// --- Reading through the file service ---

TEST(ReadMediaFile, ChoosesTheCheckByExtensionAndNamesTheFileInErrors) {
  MemoryFiles files;
  files.Put("D/SOUND/A.WAV", ToneWave(100));
  files.Put("D/SOUND/B.mid", NoteMidi(100));
  files.Put("D/SOUND/WAVE.MID", ToneWave(100));
  files.Put("D/SOUND/BAD.MID", testing::BogusLengthMidi());
  files.Put("D/SOUND/IMA.WAV", TestFile("formats/media/wave_ima_mono.wav"));

  std::string error;
  auto wave = ReadMediaFile(files, "D\\SOUND\\A.WAV", &error);
  ASSERT_TRUE(wave) << error;
  EXPECT_EQ(wave->kind, MediaKind::Wave);
  EXPECT_EQ(wave->length_ms, 100u);
  EXPECT_EQ(wave->wave_format, wave_format::kPcm);
  auto adpcm = ReadMediaFile(files, "D\\SOUND\\IMA.WAV", &error);
  ASSERT_TRUE(adpcm) << error;
  EXPECT_EQ(adpcm->wave_format, wave_format::kImaAdpcm);
  EXPECT_EQ(adpcm->wave_frames, 1515u);
  EXPECT_EQ(adpcm->length_ms, 69u);
  auto midi = ReadMediaFile(files, "D\\SOUND\\B.mid", &error);
  ASSERT_TRUE(midi) << error;
  EXPECT_EQ(midi->kind, MediaKind::Midi);

  struct Failure {
    const char* path;
    const char* text;
    int code;  // a file that cannot be read, or one that is refused
  };
  const Failure failures[] = {
      {"D\\SOUND\\WAVE.MID", "D\\SOUND\\WAVE.MID: not a MIDI file", media_error::kRefused},
      {"D\\SOUND\\BAD.MID",
       "D\\SOUND\\BAD.MID: damaged MIDI file: track 1 runs past the end of the file",
       media_error::kRefused},
      {"D\\SOUND\\A.OGG", "D\\SOUND\\A.OGG: not a WAVE or MIDI file name", media_error::kRefused},
      {"D\\SOUND\\NONE.WAV", "No such file or directory", media_error::kCannotOpen},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.path);
    int code = media_error::kNone;
    EXPECT_FALSE(ReadMediaFile(files, f.path, &error, &code));
    EXPECT_NE(error.find(f.text), std::string::npos) << error;
    EXPECT_EQ(code, f.code);
  }
}

}  // namespace
}  // namespace velmor::platform
