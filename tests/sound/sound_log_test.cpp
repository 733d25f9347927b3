// The bounded log of the sound libraries.
#include "sound/sound_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace velmor::sound {
namespace {

TEST(SoundLog, WritesTheFirstMessagesFromAnyThreadThenSaysTheRestAreDropped) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    SoundLog log(f, 3);
    log.Write("fluidsynth", "warning: one\n");  // a line's own end is not doubled
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&] {
        for (int i = 0; i < 1000; ++i) log.Write("x", "message");
      });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(log.Received(), 4001u);
    EXPECT_EQ(log.Written(), 4u);
  }
  std::rewind(f);
  std::string text(4096, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  EXPECT_EQ(text, "fluidsynth: warning: one\nx: message\nx: message\n"
                  "velmor: further sound library messages are dropped\n");

  SoundLog quiet(nullptr);  // without a stream it only counts
  quiet.Write("x", "message");
  EXPECT_EQ(quiet.Received(), 1u);
  EXPECT_EQ(quiet.Written(), 0u);
}

}  // namespace
}  // namespace velmor::sound
