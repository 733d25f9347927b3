// The bounded log of the sound libraries.
#include "sound/sound_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace velmor::sound {
namespace {

// What was written to a temporary file.
std::string Contents(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string text;
  char buf[256];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) text.append(buf, n);
  return text;
}

TEST(SoundLog, WritesTheFirstMessagesThenSaysTheRestAreDropped) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    SoundLog log(f, 2);
    log.Write("fluidsynth", "warning: one\n");
    log.Write("fluidsynth", "warning: two");
    for (int i = 0; i < 50; ++i) log.Write("fluidsynth", "warning: again");
    EXPECT_EQ(log.Received(), 52u);
    EXPECT_EQ(log.Written(), 3u);
  }
  EXPECT_EQ(Contents(f),
            "fluidsynth: warning: one\n"
            "fluidsynth: warning: two\n"
            "velmor: further sound library messages are dropped\n");
  std::fclose(f);

  SoundLog quiet(nullptr);  // without a stream it only counts
  quiet.Write("x", "message");
  EXPECT_EQ(quiet.Received(), 1u);
  EXPECT_EQ(quiet.Written(), 0u);
}

TEST(SoundLog, CountsMessagesFromManyThreads) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  SoundLog log(f, 5);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) log.Write("x", "message");
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(log.Received(), 4000u);
  EXPECT_EQ(log.Written(), 6u);
  std::string text = Contents(f);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
  std::fclose(f);
}

}  // namespace
}  // namespace velmor::sound
