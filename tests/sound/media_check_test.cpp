// Sound files read through the file service. Which files the checks take,
// with their encoding, playing time and what they hand the decoders, and
// which they refuse and why, is the format corpus (tests/data/formats/media)
// with its verdicts.
#include "sound/media_file.h"

#include <gtest/gtest.h>

#include "formats/wave.h"
#include "platform/headless/memory_files.h"
#include "platform/media_player.h"
#include "sound_files.h"

namespace velmor::platform {
namespace {

using sound::MediaKind;
using sound::ReadMediaFile;
namespace wave_format = formats::wave_format;

TEST(ReadMediaFile, ChoosesTheCheckByExtensionAndNamesTheFileInErrors) {
  MemoryFiles files;
  files.Put("D/SOUND/A.WAV", testing::ToneWave(100));
  files.Put("D/SOUND/B.mid", testing::NoteMidi(100));
  files.Put("D/SOUND/WAVE.MID", testing::ToneWave(100));
  files.Put("D/SOUND/BAD.MID", testing::BogusLengthMidi());

  std::string error;
  auto wave = ReadMediaFile(files, "D\\SOUND\\A.WAV", &error);
  ASSERT_TRUE(wave) << error;
  EXPECT_EQ(wave->kind, MediaKind::Wave);
  EXPECT_EQ(wave->length_ms, 100u);
  EXPECT_EQ(wave->wave_format, wave_format::kPcm);
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
