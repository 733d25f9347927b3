// The checks every sound file passes before a decoder sees it, and the
// reading of sound files through the file service. Files refused for one
// fault each, and files taken as sequencers take them, are kept in the
// format corpus (tests/data/formats/media) with their verdicts.
#include "sound/media_file.h"

#include <gtest/gtest.h>

#include <functional>

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
void AppendBe(Bytes& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void AppendLe(Bytes& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A Standard MIDI File written byte for byte: the header as given and one
// "MTrk" chunk a body.
Bytes Smf(uint16_t format, uint16_t tracks, uint16_t division, const std::vector<Bytes>& bodies) {
  Bytes out;
  Append(out, "MThd");
  AppendBe(out, 6, 4);
  AppendBe(out, format, 2);
  AppendBe(out, tracks, 2);
  AppendBe(out, division, 2);
  for (const Bytes& body : bodies) {
    Append(out, "MTrk");
    AppendBe(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

// A track body: the given events, then the end of the track.
Bytes Track(Bytes events) {
  events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
  return events;
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

struct GoodWave {
  const char* name;
  Bytes file;
  uint16_t format_tag;
  uint16_t channels;
  uint16_t bits;
  uint32_t length_ms;
};

TEST(CheckWave, AcceptsPlayableFilesAndTimesThemByTheirData) {
  Bytes extensible_fmt = Fmt(0xFFFE, 2, 8000, 16);
  AppendLe(extensible_fmt, 22, 2);  // extra size
  AppendLe(extensible_fmt, 16, 2);  // valid bits
  AppendLe(extensible_fmt, 3, 4);   // channel mask
  AppendLe(extensible_fmt, 1, 2);   // sub-format: PCM
  extensible_fmt.resize(40, 0);
  const GoodWave cases[] = {
      {"mono 16-bit, one second", ToneWave(1000, 22050), 1, 1, 16, 1000},
      {"8-bit stereo, a quarter second",
       formats::WriteWave({11025, 2, 8}, std::vector<int16_t>(2 * 2757)), 1, 2, 8, 251},
      {"float", Riff("WAVE", {{"fmt ", Fmt(3, 1, 1000, 32)}, {"data", Bytes(4000)}}), 3, 1, 32,
       1000},
      {"mu-law", Riff("WAVE", {{"fmt ", Fmt(7, 1, 8000, 8)}, {"data", Bytes(800)}}), 7, 1, 8, 100},
      {"extensible PCM", Riff("WAVE", {{"fmt ", extensible_fmt}, {"data", Bytes(3200)}}), 1, 2, 16,
       100},
      {"chunks around fmt and data, one of odd length",
       Riff("WAVE", {{"LIST", Bytes(5, 'x')},
                     {"fmt ", Fmt(1, 1, 1000, 8)},
                     {"data", Bytes(500)},
                     {"smpl", Bytes(60)}}),
       1, 1, 8, 500},
  };
  for (const GoodWave& c : cases) {
    SCOPED_TRACE(c.name);
    auto w = CheckWave(c.file);
    ASSERT_TRUE(w) << w.fault().what;
    EXPECT_EQ(w->format_tag, c.format_tag);
    EXPECT_EQ(w->channels, c.channels);
    EXPECT_EQ(w->bits, c.bits);
    EXPECT_EQ(w->length_ms, c.length_ms);
  }
}

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

struct DamagedFile {
  const char* name;
  std::function<void(Bytes&)> damage;
  const char* fault;  // part of the message
};

// --- ADPCM WAVE ---

using testing::AdpcmFormat;
using testing::CutWaveData;
using testing::ImaAdpcmWave;
using testing::MsAdpcmWave;
using testing::ToneSamples;

// The body of a file's "data" chunk.
Bytes DataOf(const Bytes& file) {
  std::size_t at = FindTag(file, "data") + 4;
  uint32_t size =
      file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (uint32_t{file[at + 3]} << 24);
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
               file.begin() + static_cast<std::ptrdiff_t>(at + 4 + size));
}

constexpr AdpcmFormat kImaMono{1, 22050, 256, {}};    // 505 frames a block
constexpr AdpcmFormat kImaStereo{2, 22050, 512, {}};  // 505 frames a block
constexpr AdpcmFormat kMsMono{1, 22050, 256, {}};     // 500 frames a block
constexpr AdpcmFormat kMsStereo{2, 11025, 512, {}};   // 500 frames a block

AdpcmFormat WithFact(AdpcmFormat f, uint32_t frames) {
  f.fact = frames;
  return f;
}

TEST(CheckWave, TimesAdpcmByItsBlocksOrItsFactChunk) {
  const Bytes ima3 = ImaAdpcmWave(kImaMono, ToneSamples(3 * 505, 1));
  const Bytes ima_stereo3 = ImaAdpcmWave(kImaStereo, ToneSamples(3 * 505, 2));
  const Bytes ms3 = MsAdpcmWave(kMsMono, ToneSamples(3 * 500, 1));
  Bytes ima_no_count = ima3;
  ima_no_count[FindTag(ima_no_count, "fmt ") + 8 + 18] = 0;  // samples a block: unset
  ima_no_count[FindTag(ima_no_count, "fmt ") + 8 + 19] = 0;
  struct Case {
    const char* name;
    Bytes file;
    uint16_t format_tag;
    uint16_t channels;
    uint64_t frames;
    uint32_t length_ms;
  };
  const Case cases[] = {
      {"IMA mono, three whole blocks", ima3, 0x11, 1, 1515, 69},
      {"IMA stereo, two whole blocks", ImaAdpcmWave(kImaStereo, ToneSamples(1010, 2)), 0x11, 2,
       1010, 46},
      {"MS mono, the fact chunk counts fewer",
       MsAdpcmWave(WithFact(kMsMono, 1234), ToneSamples(1234, 1)), 2, 1, 1234, 56},
      {"MS stereo at 11025 a second", MsAdpcmWave(kMsStereo, ToneSamples(1000, 2)), 2, 2, 1000,
       91},
      {"IMA, the last block cut inside its third run", CutWaveData(ima3, 2 * 256 + 4 + 10), 0x11, 1,
       1010 + 1 + 16 + 4, 47},
      {"IMA stereo, the last run without the right channel's bytes",
       CutWaveData(ima_stereo3, 2 * 512 + 8 + 8 + 3), 0x11, 2, 1010 + 1 + 8, 47},
      {"IMA stereo, the last run with part of the right channel's bytes",
       CutWaveData(ima_stereo3, 2 * 512 + 8 + 8 + 6), 0x11, 2, 1010 + 1 + 8 + 4, 47},
      {"MS, the last block cut short", CutWaveData(ms3, 2 * 256 + 7 + 5), 2, 1, 1000 + 2 + 10, 46},
      {"a last block shorter than its header plays nothing", CutWaveData(ima3, 2 * 256 + 3), 0x11,
       1, 1010, 46},
      {"a fact count past the data is not believed",
       ImaAdpcmWave(WithFact(kImaMono, 99999), ToneSamples(1515, 1)), 0x11, 1, 1515, 69},
      {"a fact count of 0 is not believed",
       ImaAdpcmWave(WithFact(kImaMono, 0), ToneSamples(1515, 1)), 0x11, 1, 1515, 69},
      {"no count of samples a block: a full block", ima_no_count, 0x11, 1, 1515, 69},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto w = CheckWave(c.file);
    ASSERT_TRUE(w) << w.fault().what;
    EXPECT_EQ(w->format_tag, c.format_tag);
    EXPECT_EQ(w->channels, c.channels);
    EXPECT_EQ(w->bits, 4);
    EXPECT_EQ(w->frames, c.frames);
    EXPECT_EQ(w->length_ms, c.length_ms);
    // The decoder gets whole blocks: the file's data, a cut block filled
    // up with zeros; no "fact" chunk.
    Bytes data = DataOf(c.file);
    Bytes clean_data = DataOf(w->clean);
    ASSERT_EQ(clean_data.size() % w->block_align, 0u);
    ASSERT_GE(clean_data.size(), data.size() - data.size() % w->block_align);
    auto kept = static_cast<std::ptrdiff_t>(std::min(data.size(), clean_data.size()));
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + kept, clean_data.begin()));
    EXPECT_TRUE(std::all_of(clean_data.begin() + kept, clean_data.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_FALSE(Contains(w->clean, "fact"));
  }
}

TEST(CheckWave, RejectsAdpcmWhoseBlocksDoNotHoldTogether) {
  const Bytes ms = MsAdpcmWave(kMsMono, ToneSamples(1500, 1));
  const Bytes ima = ImaAdpcmWave(kImaMono, ToneSamples(1515, 1));
  const Bytes ima_stereo = ImaAdpcmWave(kImaStereo, ToneSamples(1010, 2));
  auto fmt_at = [](const Bytes& f) { return FindTag(f, "fmt ") + 8; };
  auto poke16 = [](Bytes& f, std::size_t at, uint16_t v) {
    f[at] = static_cast<uint8_t>(v), f[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  Bytes ms_extensible_fmt = Fmt(0xFFFE, 1, 22050, 4);
  AppendLe(ms_extensible_fmt, 22, 2);
  AppendLe(ms_extensible_fmt, 500, 2);
  AppendLe(ms_extensible_fmt, 4, 4);
  AppendLe(ms_extensible_fmt, 2, 2);  // sub-format: MS ADPCM
  ms_extensible_fmt.resize(40, 0);
  struct Case {
    const char* name;
    const Bytes& base;
    std::function<void(Bytes&)> damage;
    const char* fault;
  };
  const Bytes extensible = Riff("WAVE", {{"fmt ", ms_extensible_fmt}, {"data", Bytes(256)}});
  const Case cases[] = {
      {"MS ADPCM of three channels", ms, [&](Bytes& f) { f[fmt_at(f) + 2] = 3; },
       "unsupported WAVE file: MS ADPCM with 3 channels"},
      {"MS ADPCM in an extensible fmt chunk", extensible, [](Bytes&) {},
       "unsupported WAVE encoding (MS ADPCM in an extensible \"fmt \" chunk)"},
      {"MS ADPCM fmt chunk without its table", ms,
       [&](Bytes& f) { PokeLe32(f, fmt_at(f) - 4, 20); },
       "damaged WAVE file: the MS ADPCM \"fmt \" chunk is too short"},
      {"a predictor table of six", ms, [&](Bytes& f) { f[fmt_at(f) + 20] = 6; },
       "damaged WAVE file: MS ADPCM predictor table of 6 entries"},
      {"a predictor table past the extra bytes", ms, [&](Bytes& f) { f[fmt_at(f) + 16] = 20; },
       "the MS ADPCM predictor table runs past the \"fmt \" chunk"},
      {"a predictor table of its own", ms, [&](Bytes& f) { f[fmt_at(f) + 23] = 2; },
       "the MS ADPCM predictor table is not the standard one"},
      {"a block naming a predictor past the table", ms,
       [](Bytes& f) { f[FindTag(f, "data") + 8 + 256] = 7; },
       "damaged WAVE file: ADPCM block 2 names predictor 7 of a table of 7"},
      {"MS blocks too small for their header", ms, [&](Bytes& f) { poke16(f, fmt_at(f) + 12, 6); },
       "ADPCM blocks of 6 bytes cannot hold their header"},
      {"MS blocks announcing more samples than they hold", ms,
       [&](Bytes& f) { poke16(f, fmt_at(f) + 18, 501); },
       "ADPCM blocks of 256 bytes cannot hold 501 samples"},
      {"MS blocks of one sample", ms, [&](Bytes& f) { poke16(f, fmt_at(f) + 18, 1); },
       "ADPCM blocks of 256 bytes cannot hold 1 samples"},
      {"IMA blocks not of whole 4-byte words", ima,
       [&](Bytes& f) { poke16(f, fmt_at(f) + 12, 254); }, "IMA ADPCM blocks of 254 bytes"},
      {"IMA blocks announcing more samples than they hold", ima,
       [&](Bytes& f) { poke16(f, fmt_at(f) + 18, 506); },
       "ADPCM blocks of 256 bytes cannot hold 506 samples"},
      {"IMA stereo blocks ending inside a run", ima_stereo,
       [&](Bytes& f) { poke16(f, fmt_at(f) + 12, 36), poke16(f, fmt_at(f) + 18, 29); },
       "ADPCM blocks of 36 bytes cannot hold 29 samples"},
      {"3-bit IMA ADPCM", ima, [&](Bytes& f) { f[fmt_at(f) + 14] = 3; },
       "unsupported WAVE encoding (format 0x11, 3 bits)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = c.base;
    c.damage(file);
    auto checked = CheckWave(file);
    ASSERT_FALSE(checked);
    EXPECT_NE(checked.fault().what.find(c.fault), std::string::npos) << checked.fault().what;
  }
}

// --- MIDI ---

TEST(CheckMidi, TimesAPieceByItsTempoMap) {
  // Format 1: the tempo track halves the time of a quarter after the first
  // one; the second track plays two quarters.
  Bytes tempo_track = Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,          // 500000 us
                             0x83, 0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90});  // 480: 250000 us
  Bytes notes = Track({0x00, 0x90, 60, 100, 0x87, 0x40, 0x80, 60, 0});          // off at 960
  struct Case {
    const char* name;
    Bytes file;
    uint16_t format;
    uint16_t tracks;
    uint32_t length_ms;
  };
  const Case cases[] = {
      {"one note of a second", NoteMidi(1000), 0, 1, 1000},
      {"120 a minute until the first tempo event", Smf(0, 1, 96, {Track({0x60, 0x90, 60, 1})}), 0,
       1, 500},
      {"a tempo change in another track", Smf(1, 2, 480, {tempo_track, notes}), 1, 2, 750},
      {"a tempo event at the very end changes nothing",
       Smf(1, 2, 480,
           {Track({0x83, 0x60, 0xFF, 0x51, 0x03, 0, 0, 1}), Track({0x83, 0x60, 0x90, 1, 1})}),
       1, 2, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = CheckMidi(c.file);
    ASSERT_TRUE(m) << m.fault().what;
    EXPECT_EQ(m->format, c.format);
    EXPECT_EQ(m->tracks, c.tracks);
    EXPECT_EQ(m->length_ms, c.length_ms);
  }
}

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
  files.Put("D/SOUND/IMA.WAV", ImaAdpcmWave(kImaMono, ToneSamples(1515, 1)));

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
