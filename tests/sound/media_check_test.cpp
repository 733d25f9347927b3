// The checks every sound file passes before a decoder sees it, and the
// reading of sound files through the file service.
#include "platform/media_check.h"

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
namespace wave_format = formats::wave_format;
using testing::FindTag;
using testing::NoteMidi;
using testing::PokeBe32;
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

TEST(CheckWave, RejectsDamagedFilesSayingWhy) {
  auto fmt_at = [](const Bytes& f) { return FindTag(f, "fmt ") + 8; };
  const DamagedFile cases[] = {
      {"empty", [](Bytes& f) { f.clear(); }, "not a WAVE file"},
      {"cut inside the header", [](Bytes& f) { f.resize(10); }, "not a WAVE file"},
      {"not RIFF", [](Bytes& f) { f[3] = 'X'; }, "not a WAVE file"},
      {"a RIFF file of another form", [](Bytes& f) { f[8] = 'A'; }, "not a WAVE file"},
      {"no fmt chunk", [](Bytes& f) { f[FindTag(f, "fmt ") + 3] = 'X'; }, "no \"fmt \" chunk"},
      {"fmt chunk too short", [&](Bytes& f) { PokeLe32(f, fmt_at(f) - 4, 12); },
       "\"fmt \" chunk is too short"},
      {"fmt chunk past the end", [&](Bytes& f) { PokeLe32(f, fmt_at(f) - 4, 0x10000000); },
       "chunk \"fmt \" runs past the end of the file"},
      {"no data chunk", [](Bytes& f) { f[FindTag(f, "data") + 3] = 'X'; }, "no \"data\" chunk"},
      {"data chunk past the end", [](Bytes& f) { PokeLe32(f, FindTag(f, "data") + 4, 0x7FFFFFF0); },
       "chunk \"data\" runs past the end of the file"},
      {"cut inside the data", [](Bytes& f) { f.resize(f.size() - 10); },
       "chunk \"data\" runs past the end of the file"},
      {"ADPCM of 16 bits", [&](Bytes& f) { f[fmt_at(f)] = 2; },
       "unsupported WAVE encoding (format 0x2, 16 bits)"},
      {"MPEG layer 3", [&](Bytes& f) { f[fmt_at(f)] = 0x55; },
       "unsupported WAVE encoding (format 0x55, 16 bits)"},
      {"12-bit PCM", [&](Bytes& f) { f[fmt_at(f) + 14] = 12; }, "unsupported WAVE encoding"},
      {"no channels", [&](Bytes& f) { f[fmt_at(f) + 2] = 0; }, "0 channels"},
      {"sample rate 0", [&](Bytes& f) { PokeLe32(f, fmt_at(f) + 4, 0); }, "sample rate 0"},
      {"sample rate past what the decoders keep",
       [&](Bytes& f) { PokeLe32(f, fmt_at(f) + 4, 0x80000000); }, "sample rate 2147483648"},
      {"short extensible fmt", [&](Bytes& f) { f[fmt_at(f)] = 0xFE, f[fmt_at(f) + 1] = 0xFF; },
       "extensible \"fmt \" chunk is too short"},
  };
  for (const DamagedFile& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = ToneWave(50);
    c.damage(file);
    auto checked = CheckWave(file);
    ASSERT_FALSE(checked);
    EXPECT_NE(checked.fault().what.find(c.fault), std::string::npos) << checked.fault().what;
  }
}

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

TEST(CheckMidi, AcceptsWhatSequencersAccept) {
  const std::pair<const char*, Bytes> cases[] = {
      {"running status after a channel message",
       Smf(0, 1, 96, {Track({0x00, 0x90, 60, 100, 0x10, 62, 100, 0x10, 60, 0, 0x00, 62, 0})})},
      {"program change and channel pressure take one data byte",
       Smf(0, 1, 96, {Track({0x00, 0xC0, 5, 0x00, 0xD0, 7, 0x00, 0xE0, 0, 64})})},
      {"system exclusive and escape events",
       Smf(0, 1, 96, {Track({0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xF7, 0x01, 0xF8})})},
      {"a text meta event of any size", Smf(0, 1, 96, {Track({0x00, 0xFF, 0x01, 0x03, 'a', 'b', 'c'})})},
      {"bytes after the end of a track", [] {
         Bytes t = Track({});
         t.insert(t.end(), {1, 2, 3});
         return Smf(0, 1, 96, {t});
       }()},
      {"an unknown chunk between the header and the track", [] {
         Bytes f = Smf(0, 1, 96, {});
         Append(f, "XFIH");
         AppendBe(f, 2, 4);
         f.insert(f.end(), {9, 9});
         Bytes t = Track({});
         Append(f, "MTrk");
         AppendBe(f, static_cast<uint32_t>(t.size()), 4);
         f.insert(f.end(), t.begin(), t.end());
         return f;
       }()},
  };
  for (const auto& [name, file] : cases) {
    SCOPED_TRACE(name);
    auto checked = CheckMidi(file);
    EXPECT_TRUE(checked) << checked.fault().what;
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

TEST(CheckMidi, RejectsDamagedFilesSayingWhy) {
  auto one = [](Bytes events) { return Smf(0, 1, 96, {std::move(events)}); };
  struct Case {
    const char* name;
    Bytes file;
    const char* fault;
  };
  const Case cases[] = {
      {"a WAVE file", ToneWave(10), "not a MIDI file"},
      {"cut inside the header", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6}, "not a MIDI file"},
      {"header chunk too short",
       [] {
         Bytes f = Smf(0, 1, 96, {Track({})});
         PokeBe32(f, 4, 4);
         return f;
       }(),
       "header chunk is too short"},
      {"header chunk past the end",
       [] {
         Bytes f = Smf(0, 1, 96, {Track({})});
         PokeBe32(f, 4, 1000);
         return f;
       }(),
       "header chunk runs past the end of the file"},
      {"format 2", Smf(2, 1, 96, {Track({})}), "format 2"},
      {"no tracks", Smf(1, 0, 96, {}), "no tracks"},
      {"format 0 with two tracks", Smf(0, 2, 96, {Track({}), Track({})}), "format 0 with 2 tracks"},
      {"SMPTE time", Smf(0, 1, 0xE250, {Track({})}), "SMPTE time division"},
      {"time division 0", Smf(0, 1, 0, {Track({})}), "time division 0"},
      {"track length past the end", testing::BogusLengthMidi(),
       "track 1 runs past the end of the file"},
      {"fewer tracks than announced", Smf(1, 3, 96, {Track({}), Track({})}),
       "the header announces 3 tracks, the file holds 2"},
      {"no end of track", one({0x00, 0x90, 60, 100}), "track 1 has no end-of-track event"},
      {"data byte first", one(Track({0x00, 60, 100})), "data byte without a status at byte 0x1"},
      {"running status after a meta event",
       one(Track({0x00, 0x90, 60, 1, 0x00, 0xFF, 0x01, 0x00, 0x00, 60, 0})),
       "data byte without a status"},
      {"status byte in the data", one(Track({0x00, 0x90, 60, 0x80})),
       "data byte out of range at byte 0x3"},
      {"event cut by the end of the track", one({0x00, 0x90, 60}),
       "ends inside the event at byte 0x0"},
      {"tempo of two bytes", one(Track({0x00, 0xFF, 0x51, 0x02, 1, 2})),
       "meta event 0x51 at byte 0x0 has size 2 instead of 3"},
      {"tempo 0", one(Track({0x00, 0xFF, 0x51, 0x03, 0, 0, 0})), "tempo 0"},
      {"end of track with data", one({0x00, 0xFF, 0x2F, 0x01, 0x00}), "meta event 0x2F"},
      {"time signature of three bytes", one(Track({0x00, 0xFF, 0x58, 0x03, 4, 2, 24})),
       "instead of 4"},
      {"meta event past the end of the track", one({0x00, 0xFF, 0x01, 0x40, 'a'}),
       "meta event at byte 0x0 runs past the end of the track"},
      {"system exclusive past the end of the track", one({0x00, 0xF0, 0x40, 0x7E}),
       "system exclusive event at byte 0x0 runs past the end of the track"},
      {"delta time of five bytes", one({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 1, 1}),
       "bad delta time"},
      {"a real-time status", one(Track({0x00, 0xF2, 0x00, 0x00})), "status byte 0xF2"},
      {"RIFF MIDI without data", Riff("RMID", {{"LIST", Bytes(4)}}), "no \"data\" chunk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto checked = CheckMidi(c.file);
    ASSERT_FALSE(checked);
    EXPECT_NE(checked.fault().what.find(c.fault), std::string::npos) << checked.fault().what;
  }
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
