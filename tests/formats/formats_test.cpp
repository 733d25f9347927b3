// The format corpus against its verdicts; the BMP, WAVE and MIDI writers (exact bytes, what
// they refuse, pictures and events read back by the one reader of each); the INI look-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

#include "formats/bmp.h"
#include "formats/bmp_writer.h"
#include "formats/ini.h"
#include "formats/midi.h"
#include "formats/midi_writer.h"
#include "formats/wave.h"

namespace velmor::formats {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// What the check makes of a file: size, encoding, playing time, then what it hands the
// decoder: a WAVE file's chunks and sizes (only "fmt " and "data", ADPCM data filled up to
// whole blocks), a MIDI file's start and size (unwrapped, cut after its last track).
std::string Describe(const Bitmap& b) {
  return std::to_string(b.width()) + "x" + std::to_string(b.height());
}
std::string Describe(const WaveSummary& w) {
  std::ostringstream out;
  out << "format 0x" << std::hex << w.format_tag << std::dec << ", " << w.channels << " channels, "
      << w.bits << " bits, " << w.frames << " frames, " << w.length_ms << " ms; passes on";
  const Bytes& c = w.clean;
  for (std::size_t at = 12; at + 8 <= c.size();) {
    const uint32_t size = c[at + 4] | c[at + 5] << 8 | c[at + 6] << 16 | uint32_t{c[at + 7]} << 24;
    out << (at == 12 ? " \"" : ", \"") << std::string(c.begin() + at, c.begin() + at + 4) << "\" "
        << size;
    at += 8 + size + (size & 1);
  }
  return out.str();
}
std::string Describe(const MidiSummary& m) {
  std::ostringstream out;
  const std::string start(m.clean.begin(), m.clean.begin() + std::min<size_t>(4, m.clean.size()));
  out << "format " << m.format << ", " << m.tracks << " tracks, " << m.length_ms
      << " ms; passes on " << start << ", " << m.clean.size() << " bytes";
  return out.str();
}

// Every file of tests/data/formats/<kind>/ (hand-made hostile files and fuzz finds alike)
// against its verdict in verdicts.txt: "ok: " and what the check makes of it, or the start of
// the reason it is refused. A file without a verdict, or a verdict without its file, fails.
TEST(FormatCorpus, EveryFileGetsItsVerdict) {
  const fs::path corpus = fs::path(VELMOR_TEST_DATA_DIR) / "formats";
  std::map<std::string, std::string> expected;
  std::ifstream list(corpus / "verdicts.txt");
  for (std::string line; std::getline(list, line);) {
    const size_t space = line.find(' ');
    if (!line.empty() && line[0] != '#')
      expected[line.substr(0, space)] = space == line.npos ? "" : line.substr(space + 1);
  }
  ASSERT_FALSE(expected.empty()) << "no verdicts.txt in " << corpus;
  auto verdict = [](const auto& r) { return r ? "ok: " + Describe(*r) : r.fault().what; };
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().filename() == "verdicts.txt") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string ext = entry.path().extension().string();
    const std::string got = ext == ".bmp"                  ? verdict(DecodeBmp(bytes))
                            : ext == ".wav"                ? verdict(CheckWave(bytes))
                            : ext == ".mid" || ext == ".rmi" ? verdict(CheckMidi(bytes))
                                                           : "no check for " + ext;
    const std::string name = fs::relative(entry.path(), corpus).generic_string();
    const bool listed = expected.contains(name);
    const std::string want = listed ? expected[name] : "";
    EXPECT_TRUE(listed && got.starts_with(want) &&
                (want.starts_with("ok") || !got.starts_with("ok")))
        << name << (listed ? "" : " has no verdict;") << " gives: " << got << "\nnot: " << want;
    expected.erase(name);
  }
  for (const auto& [name, verdict] : expected) ADD_FAILURE() << name << " is listed but missing";
}

// A WAVE file read in parts (a large one as it plays) gets the verdict and
// the summary it gets read whole, and the decoder reads the clean file's
// bytes: every WAVE file of the format corpus and of the media fuzz corpus.
TEST(FormatCorpus, WaveFilesReadInPartsGetTheVerdictOfTheWholeFile) {
  const fs::path data(VELMOR_TEST_DATA_DIR);
  int compared = 0;
  for (const fs::path& folder : {data / "formats" / "media", data / ".." / ".." / "fuzz" / "corpus" / "media"}) {
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const auto& entry : fs::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const Bytes bytes((std::istreambuf_iterator<char>(in)), {});
      if (bytes.size() < 12 || !std::equal(bytes.begin() + 8, bytes.begin() + 12, "WAVE")) continue;
      SCOPED_TRACE(entry.path().filename().string());
      ++compared;
      const auto whole = CheckWave(bytes);
      std::shared_ptr<ByteSource> source;
      const auto parts = CheckWaveParts(std::make_shared<MemorySource>(bytes), &source);
      ASSERT_EQ(bool(whole), bool(parts)) << (whole ? parts.fault().what : whole.fault().what);
      if (!whole) {
        EXPECT_EQ(parts.fault().what, whole.fault().what);
        continue;
      }
      EXPECT_TRUE(parts->clean.empty());
      WaveSummary summary = *parts;
      summary.clean = whole->clean;
      EXPECT_EQ(Describe(summary), Describe(*whole));
      EXPECT_EQ(parts->data_at, whole->data_at);
      EXPECT_EQ(parts->data_size, whole->data_size);
      EXPECT_EQ(parts->samples_per_block, whole->samples_per_block);
      ASSERT_EQ(source->Size(), whole->clean.size());
      Bytes read(whole->clean.size());
      ASSERT_TRUE(source->ReadAt(0, read));
      EXPECT_EQ(read, whole->clean);
      EXPECT_FALSE(source->ReadAt(1, read));  // past its end
    }
  }
  EXPECT_GT(compared, 50);
}

// A WAVE file of megabytes checked in parts: its MS ADPCM blocks are walked
// a part at a time (a damaged block far in is still named), and a "fact"
// chunk after the data still counts.
TEST(CheckWaveParts, WalksTheWholeFileAPartAtATime) {
  // MS ADPCM, mono, blocks of 256 bytes (500 frames each), 3 MiB of blocks.
  Bytes fmt;
  for (uint32_t w : {2u, 1u, 22050u, 0u, 11025u, 0u, 256u, 4u, 32u, 500u, 7u})
    fmt.push_back(static_cast<uint8_t>(w)), fmt.push_back(static_cast<uint8_t>(w >> 8));
  for (int16_t c : {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232})
    fmt.push_back(static_cast<uint8_t>(c)), fmt.push_back(static_cast<uint8_t>(c >> 8));
  const std::size_t blocks = (3u << 20) / 256;
  Bytes sound(blocks * 256, 0x11);
  for (std::size_t b = 0; b < blocks; ++b) sound[b * 256] = static_cast<uint8_t>(b % 7);
  auto file = [&](const Bytes& data, uint32_t fact) {
    Bytes out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    auto chunk = [&](const char* tag, const Bytes& body) {
      out.insert(out.end(), tag, tag + 4);
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(body.size() >> (8 * i)));
      out.insert(out.end(), body.begin(), body.end());
    };
    chunk("fmt ", fmt);
    chunk("data", data);
    chunk("fact", {static_cast<uint8_t>(fact), static_cast<uint8_t>(fact >> 8), 0, 0});
    return out;
  };
  std::shared_ptr<ByteSource> source;
  auto good = CheckWaveParts(std::make_shared<MemorySource>(file(sound, 12345)), &source);
  ASSERT_TRUE(good) << good.fault().what;
  EXPECT_EQ(good->frames, 12345u);
  auto uncounted = CheckWaveParts(std::make_shared<MemorySource>(file(sound, 0)), &source);
  ASSERT_TRUE(uncounted);
  EXPECT_EQ(uncounted->frames, blocks * 500);
  sound[(blocks - 3) * 256] = 9;  // far past the first megabyte
  const Bytes damaged = file(sound, 0);
  auto refused = CheckWaveParts(std::make_shared<MemorySource>(damaged), &source);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.fault().what, CheckWave(damaged).fault().what);
  EXPECT_EQ(refused.fault().what, "damaged WAVE file: ADPCM block " + std::to_string(blocks - 2) +
                                      " names predictor 9 of a table of 7");
}

// A w x h picture of the given pixels, row by row from the top.
Bitmap Picture(int w, int h, const std::vector<Color>& pixels, std::vector<Color> palette = {}) {
  Bitmap img(w, h);
  for (int i = 0; i < w * h; ++i) img.set(i % w, i / w, pixels.at(static_cast<size_t>(i)));
  img.palette = std::move(palette);
  return img;
}

// The quantities one after the other, read back by the reader to the last.
Bytes VarLens(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t v : values) AppendVarLen(out, v);
  size_t at = 0;
  for (uint32_t v : values) {
    uint32_t back = 0;
    EXPECT_TRUE(ReadVarLen(out, &at, &back) && back == v) << v;
  }
  EXPECT_EQ(at, out.size());
  return out;
}

TEST(Writers, SmallFilesHaveExactBytes) {
  MidiTrack track;
  track.Tempo(0, 500000);
  track.Note(0, 96, 0, 60, 100);
  track.SysEx(100, Bytes{0xF0, 0x7E, 0xF7});
  track.EndAt(200);
  const Bytes midi = WriteMidi({1, 480, {track, track}});
  const std::tuple<const char*, Bytes, Bytes> cases[] = {
      {"BMP, 24 bits",
       WriteBmp(Picture(3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x123456})),
       {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file size 78, pixels at 54
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,              // info header, 3 x 2
        1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,             // planes, 24 bits, BI_RGB, 24 bytes
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // resolution, colours
        // Rows from the bottom, blue-green-red, padded from 9 to 12 bytes.
        0xFF, 0xFF, 0xFF, 0, 0, 0, 0x56, 0x34, 0x12, 0, 0, 0,
        0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0}},
      {"WAVE, 16-bit stereo",
       WriteWave({44100, 2, 16}, std::vector<int16_t>{1, -2, 300, -300, 32767, -32768}),
       {'R', 'I', 'F', 'F', 48, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0,  // 44100, 176400
        'd', 'a', 't', 'a', 12, 0, 0, 0,
        0x01, 0x00, 0xFE, 0xFF, 0x2C, 0x01, 0xD4, 0xFE, 0xFF, 0x7F, 0x00, 0x80}},
      {"WAVE, 8-bit mono: unsigned, odd data padded (the RIFF size counts the pad)",
       WriteWave({8000, 1, 8}, std::vector<int16_t>{-32768, 0, 32767}),
       {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0,
        'd', 'a', 't', 'a', 3, 0, 0, 0, 0x00, 0x80, 0xFF, 0x00}},
      {"MIDI track", track.Encode(),
       {'M', 'T', 'r', 'k', 0, 0, 0, 24, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo
        0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x40,  // note on, off 96 later
        0x04, 0xF0, 0x02, 0x7E, 0xF7, 0x64, 0xFF, 0x2F, 0x00}},  // SysEx, end at 200
      {"MIDI variable-length quantities at the boundaries",
       VarLens({0x00, 0x7F, 0x80, 0x3FFF, 0x4000, 0x1FFFFF, 0x200000, 0x0FFFFFFF}),
       {0x00, 0x7F, 0x81, 0x00, 0xFF, 0x7F, 0x81, 0x80, 0x00, 0xFF, 0xFF, 0x7F,
        0x81, 0x80, 0x80, 0x00, 0xFF, 0xFF, 0xFF, 0x7F}},
      {"MIDI header", Bytes(midi.begin(), midi.begin() + 14),
       {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0}},
  };
  for (const auto& [name, got, expected] : cases) EXPECT_EQ(got, expected) << name;
  // Without a palette colours are numbered in order of appearance from the
  // top; a full palette is padded to 256 entries and counted as 0.
  const Bitmap four = Picture(2, 2, {0x00AA00, 0x0000AA, 0xAA0000, 0x0000AA});
  EXPECT_EQ(DecodeBmp(WriteBmp(four, {8}))->palette,
            (std::vector<Color>{0x00AA00, 0x0000AA, 0xAA0000}));
  const auto full = ReadBmpHeader(WriteBmp(Picture(1, 1, {1}, {1}), {8, false, true}));
  ASSERT_TRUE(full);
  EXPECT_EQ(std::tuple(full->colours, full->PaletteEntries(), full->file_size),
            std::tuple(0u, 256u, 54u + 1024 + 4));
}

TEST(Writers, RefuseWhatTheyCannotStore) {
  MidiTrack t;
  const std::vector<int16_t> three(3), six(6);
  for (const auto& write : std::initializer_list<std::function<void()>>{
           [] { WriteBmp(Picture(2, 1, {1, 2}, {1}), {8}); },  // a colour not in the palette
           [] { WriteBmp(Picture(3, 1, {1, 2, 3}), {1}); },
           [] { WriteBmp(Picture(1, 1, {0}), {16}); }, [] { WriteBmp(Bitmap()); },
           [&] { WriteWave({22050, 2, 16}, three); }, [&] { WriteWave({22050, 3, 16}, six); },
           [&] { WriteWave({22050, 1, 12}, three); }, [&] { WriteWave({0, 1, 16}, three); },
           [&] { t.NoteOn(0, 16, 60, 100); }, [&] { t.NoteOn(0, 0, 128, 100); },
           [&] { t.ProgramChange(0, 0, -1); }, [&] { t.Tempo(0, 0); },
           [&] { t.KeySignature(0, 8, false); }, [&] { t.SysEx(0, Bytes{0x7E, 0x01}); },
           [&] { WriteMidi({0, 480, {t, t}}); }, [&] { WriteMidi({2, 480, {t}}); },
           [&] { WriteMidi({1, 480, {}}); }, [] { Bytes out; AppendVarLen(out, 0x10000000); }})
    EXPECT_THROW(write(), std::invalid_argument);
  // The reader refuses values of five bytes and values cut short.
  for (const Bytes& bad : {Bytes{0x81, 0x80, 0x80, 0x80, 0x00}, Bytes{0x81, 0x80}}) {
    size_t at = 0;
    uint32_t v;
    EXPECT_FALSE(ReadVarLen(bad, &at, &v)) << bad.size() << " bytes";
  }
}

// Random pictures whose rows fill their stored length or not, in every depth and row order,
// come back from the decoder the same, not upside down nor askew.
TEST(Writers, BmpRoundTripsThroughTheDecoder) {
  std::mt19937 rng(1234);
  for (int bits : {1, 4, 8, 24})
    for (bool top_down : {false, true})
      for (int width : {1, 5, 13, 32}) {
        SCOPED_TRACE(::testing::Message() << bits << " bits, width " << width << " " << top_down);
        Bitmap img(width, 7);
        if (bits <= 8)
          for (int i = 0; i < (1 << bits); ++i) img.palette.push_back(rng() & 0xFFFFFF);
        for (int y = 0; y < 7; ++y)
          for (int x = 0; x < width; ++x)
            img.set(x, y, bits <= 8 ? img.palette[rng() % img.palette.size()] : rng() & 0xFFFFFF);
        // Duplicate palette colours would make the stored index ambiguous.
        std::sort(img.palette.begin(), img.palette.end());
        if (std::ranges::adjacent_find(img.palette) != img.palette.end()) continue;
        const Bytes b = WriteBmp(img, {bits, top_down});
        const auto info = ReadBmpHeader(b);
        ASSERT_TRUE(info);
        EXPECT_EQ(std::tuple(info->file_size, info->image_size, info->top_down),
                  std::tuple(b.size(), (width * bits + 31) / 32 * 4 * 7u, top_down));
        const auto back = DecodeBmp(b);
        ASSERT_TRUE(back) << back.fault().what;
        EXPECT_EQ(std::tuple(back->width(), back->pixels(), back->palette),
                  std::tuple(width, img.pixels(), bits <= 8 ? img.palette : back->palette));
      }
}

// Events come out sorted by tick, note-offs first at the same tick; each
// track's end closes its chunk and the last track ends the file.
TEST(Writers, MidiEventsAreSortedAndReadBack) {
  MidiTrack a, t;
  a.Tempo(0, 600000);
  t.NoteOn(100, 1, 62, 90);       // added first, but at the tick where 60 ends
  t.Note(0, 100, 1, 60, 90);
  t.ProgramChange(0, 1, 40);      // added after the note at tick 0: stays after it
  t.Note(0x4000, 10, 1, 64, 90);  // a three-byte delta
  const Bytes bytes = WriteMidi({1, 96, {a, t}});
  const auto file = ReadMidi(bytes);
  ASSERT_TRUE(file) << file.fault().what;
  EXPECT_EQ(file->clean, bytes);
  ASSERT_EQ(file->track_events.size(), 2u);
  for (const MidiTrackEvents& track : file->track_events) EXPECT_EQ(track.used, track.chunk_size);
  std::vector<std::tuple<uint64_t, int, int>> events;  // tick, status, first data byte or meta type
  for (const MidiEvent& e : file->track_events[1].events)
    events.emplace_back(e.tick, e.status, e.status == 0xFF ? e.meta_type : e.data.at(0));
  EXPECT_EQ(events, (std::vector<std::tuple<uint64_t, int, int>>{
                        {0, 0x91, 60}, {0, 0xC1, 40}, {100, 0x81, 60}, {100, 0x91, 62},
                        {0x4000, 0x91, 64}, {0x4000 + 10, 0x81, 64}, {0x4000 + 10, 0xFF, 0x2F}}));
}

// The tempo map puts each millisecond at its tick: 120 beats a minute
// before the first tempo event, tempo events of any track changing it for
// the whole piece, and the length is the end's time rounded up.
TEST(MidiTempoMap, PutsEachMillisecondAtItsTickThroughTheTempoChanges) {
  MidiTrack conductor, notes;
  conductor.Tempo(960, 250000);   // from 1 s on (two quarters at 120), twice as fast
  notes.Tempo(1920, 1000000);     // another track's: from 1.5 s on, a quarter a second
  notes.Note(0, 2400, 0, 60, 90);
  notes.EndAt(2400);
  const auto file = CheckMidi(WriteMidi({1, 480, {conductor, notes}}));
  ASSERT_TRUE(file) << file.fault().what;
  const MidiTempoMap& map = file->tempo_map;
  EXPECT_EQ(file->length_ms, 2500u);  // 1 s + 0.5 s + 480 ticks at a second a quarter
  struct At { uint32_t ms; uint64_t tick; };
  for (At at : {At{0, 0}, At{1, 0}, At{2, 1}, At{999, 959}, At{1000, 960}, At{1001, 961},
                At{1500, 1920}, At{1501, 1920}, At{2000, 2160}, At{2500, 2400}, At{4000, 3120}}) {
    SCOPED_TRACE(at.ms);
    EXPECT_EQ(map.TickAtMs(at.ms), at.tick);
    // The tick starts at or before the millisecond, the next one after it.
    EXPECT_LE(map.UsAtTick(at.tick), at.ms * 1000.0L);
    EXPECT_GT(map.UsAtTick(at.tick + 1), at.ms * 1000.0L);
  }
  // A file without a tempo event: 120 beats a minute all through.
  MidiTrack plain_notes;
  plain_notes.Note(0, 400, 0, 60, 90);
  const auto plain = CheckMidi(WriteMidi({0, 96, {plain_notes}}));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->tempo_map.TickAtMs(2000), 384u);
}

// Values found as the profile service finds them.
TEST(IniFile, ValuesAsTheProfileServiceReadsThem) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"[Velmor]\nDatPath=C:\\GAME\\\n", "C:\\GAME\\"},
      {"[velmor]\r\n  datpath =  /data/  \r\n", "/data/"},
      {"[Velmor]\nDatPath=\"/with space/\"\n", "/with space/"}, {"[Velmor]\nDatPath=\n", ""},
      {"; [Velmor]\n[Other]\nDatPath=/no/\n", std::nullopt},
      {"[Velmor]\n;DatPath=/commented/\nOther=1\n", std::nullopt},
      {"[Velmor]\nDatPath=/first/\nDatPath=/second/\n", "/first/"}, {"", std::nullopt},
  };
  for (const auto& [text, value] : cases)
    EXPECT_EQ(ReadIniValue(text, "Velmor", "DatPath"), value) << text;
}

// As players' editors write them: a byte-order mark, UTF-16 with its mark
// (either order), lines ended by CR alone; a NUL byte ends the value; a
// value longer than any folder's path is refused by its length.
TEST(IniFile, WhatPlayersEditorsWrite) {
  auto utf16 = [](std::string_view text, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : text) out += little ? std::string{c, '\0'} : std::string{'\0', c};
    return out;
  };
  const std::string ini = "[Velmor]\r\nDatPath=/data/\r\n";
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"\xEF\xBB\xBF" + ini, "/data/"},
      {utf16(ini, true), "/data/"},
      {utf16(ini, false), "/data/"},
      {std::string("\xFF\xFE[\0V\0e\0l\0m\0o\0r\0]\0\n\0D\0a\0t\0P\0a\0t\0h\0=\0\xE9\0/\0", 40),
       "\xC3\xA9/"},
      {"[Other]\rDatPath=/no/\r[Velmor]\rDatPath=/cr/\r", "/cr/"},
      {std::string("[Velmor]\nDatPath=/data/\0junk\n", 30), "/data/"},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadIniValue(text, "Velmor", "DatPath"), value);
  std::string problem;
  const std::string huge = "[Velmor]\nDatPath=" + std::string(kMaxIniValue + 1, 'a') + "\n";
  EXPECT_EQ(ReadIniValue(huge, "Velmor", "DatPath", &problem), std::nullopt);
  EXPECT_EQ(problem, "DatPath is 4097 bytes long; no folder's path is longer than 4096");
  const std::string longest = "[Velmor]\nDatPath=" + std::string(kMaxIniValue, 'a') + "\n";
  EXPECT_EQ(ReadIniValue(longest, "Velmor", "DatPath")->size(), kMaxIniValue);
}

}  // namespace
}  // namespace velmor::formats
