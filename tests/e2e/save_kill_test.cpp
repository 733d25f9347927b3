// A save survives the program being killed at any moment: a child process
// saves one slot again and again, each time with different variables, and is
// killed with SIGKILL at random moments. The slot is then always a whole
// slot, the last one saved or the one being saved, and the next start
// removes what the killed writes left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "app/headless/headless_game.h"
#include "menus/slot_file.h"
#include "platform/shared/os_files.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

constexpr ssize_t kInt = sizeof(int);

// The slot saved the `k`-th time: every work variable, flag and name holds
// k, so a slot pieced together from two saves shows.
menus::SlotImage SlotNumber(int k) {
  menus::WorkBlock work;
  menus::FlagBlock flag;
  work.fill(static_cast<int16_t>(k));
  flag.fill(static_cast<uint16_t>(k));
  const Sstr name(std::to_string(k));
  return menus::BuildSlotImage(menus::BuildSlotHeader({}, {name, name, name, name}), work, flag);
}

TEST(SaveUnderKill, TheSlotIsAlwaysTheOldOrTheNewAndTheNextStartTidiesUp) {
  const fs::path dir = fs::path(VELMOR_BUILD_DIR) / "e2e" / "save_kill";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string slot = dir.string() + "/DATA01";
  platform::OsFiles files;
  ASSERT_TRUE(files.WriteFile(slot, SlotNumber(0), nullptr));
  std::mt19937 rng(20261207);
  int saved = 0, kills = 0, leftovers_seen = 0;
  const auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (; kills < 300 && std::chrono::steady_clock::now() < stop; ++kills) {
    // The child saves through the file layer the save panel uses, telling
    // the number of each save once it is complete.
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int k = saved + 1;; ++k)
        if (!files.WriteFile(slot, SlotNumber(k), nullptr) || write(done[1], &k, sizeof k) != kInt) _exit(3);
    }
    close(done[1]);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child failed with " << WEXITSTATUS(status);
    int reported = saved;
    for (int k = 0; read(done[0], &k, sizeof k) == kInt;) reported = k;
    close(done[0]);

    // Complete but not yet reported when the kill came: the next one.
    const std::optional<std::vector<uint8_t>> now = files.ReadFile(slot, nullptr);
    ASSERT_TRUE(now.has_value());
    const menus::SlotImage old_one = SlotNumber(reported), new_one = SlotNumber(reported + 1);
    const bool is_old = std::equal(now->begin(), now->end(), old_one.begin(), old_one.end());
    ASSERT_TRUE(is_old || std::equal(now->begin(), now->end(), new_one.begin(), new_one.end()))
        << "after kill " << kills << ", reported save " << reported;
    saved = is_old ? reported : reported + 1;
    for (const auto& entry : fs::directory_iterator(dir)) leftovers_seen += entry.path() != slot;
  }
  EXPECT_GE(kills, 100) << "too few kills in the time allowed to mean anything";
  EXPECT_GT(leftovers_seen, 0) << "no kill came in the middle of a write";

  // The next start of the game tidies the slot folder.
  app::HeadlessOptions options;
  options.start = {dir.string() + "/", VELMOR_DEMO_DIR "/", "", dir.string() + "/", "", false};
  app::HeadlessGame game(files, options);
  ASSERT_FALSE(game.Start().has_value());
  for (const auto& entry : fs::directory_iterator(dir)) EXPECT_EQ(entry.path(), slot) << "left behind";
  EXPECT_EQ(files.ReadFile(slot, nullptr)->size(), menus::kSlotSize);
}

}  // namespace
}  // namespace velmor::testing
