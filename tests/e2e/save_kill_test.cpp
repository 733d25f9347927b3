// A save survives the program being killed at any moment: a child process
// saves one slot again and again, each time with different work variables
// and flags, and is killed with SIGKILL at random moments. The slot is then
// always a whole slot, the last one saved or the one being saved, and the
// next start removes what the killed writes left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "app/headless/headless_game.h"
#include "menus/slot_file.h"
#include "platform/shared/os_files.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

// The slot saved the `k`-th time: every work variable and flag holds k, and
// the names say it too, so a slot pieced together from two saves shows.
menus::SlotImage SlotNumber(int k) {
  menus::WorkBlock work;
  menus::FlagBlock flag;
  work.fill(static_cast<int16_t>(k));
  flag.fill(static_cast<uint16_t>(k));
  const Sstr name(std::to_string(k));
  return menus::BuildSlotImage(menus::BuildSlotHeader({}, {name, name, name, name}), work, flag);
}

// Saves slot 1 for ever through the file layer the save panel uses,
// reporting on `done` the number of each save once it is complete.
[[noreturn]] void SaveForever(const std::string& folder, int first, int done) {
  platform::OsFiles files;
  for (int k = first;; ++k) {
    const menus::SlotImage image = SlotNumber(k);
    std::string error;
    if (!files.WriteFile(folder + "DATA01", image, &error)) _exit(3);
    if (write(done, &k, sizeof k) != static_cast<ssize_t>(sizeof k)) _exit(4);
  }
}

// The number of the last complete save the child reported, or `last` when
// it reported none.
int LastReported(int done, int last) {
  int k = 0;
  while (read(done, &k, sizeof k) == static_cast<ssize_t>(sizeof k)) last = k;
  return last;
}

TEST(SaveUnderKill, TheSlotIsAlwaysTheOldOrTheNewAndTheNextStartTidiesUp) {
  const fs::path dir = fs::path(VELMOR_BUILD_DIR) / "e2e" / "save_kill";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string folder = dir.string() + "/";
  std::mt19937 rng(20261207);
  int saved = 0;  // the slot's number after the last complete save
  {
    const menus::SlotImage first = SlotNumber(0);
    std::ofstream(dir / "DATA01", std::ios::binary)
        .write(reinterpret_cast<const char*>(first.data()), first.size());
  }
  int kills = 0, leftovers_seen = 0;
  const auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (; kills < 300 && std::chrono::steady_clock::now() < stop; ++kills) {
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipe_fds[0]);
      SaveForever(folder, saved + 1, pipe_fds[1]);
    }
    close(pipe_fds[1]);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child failed with " << WEXITSTATUS(status);
    const int reported = LastReported(pipe_fds[0], saved);
    close(pipe_fds[0]);

    std::ifstream in(dir / "DATA01", std::ios::binary);
    menus::SlotImage now{};
    in.read(reinterpret_cast<char*>(now.data()), now.size());
    ASSERT_EQ(in.gcount(), static_cast<std::streamsize>(menus::kSlotSize)) << "after kill " << kills;
    // Complete but not yet reported when the kill came: the next one.
    const bool old_one = now == SlotNumber(reported);
    const bool new_one = now == SlotNumber(reported + 1);
    ASSERT_TRUE(old_one || new_one) << "after kill " << kills << ", reported save " << reported;
    saved = old_one ? reported : reported + 1;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.path().filename() != "DATA01") ++leftovers_seen;
  }
  EXPECT_GE(kills, 100) << "too few kills in the time allowed to mean anything";
  EXPECT_GT(leftovers_seen, 0) << "no kill came in the middle of a write";
  RecordProperty("kills", kills);
  RecordProperty("leftovers_seen", leftovers_seen);

  // The next start of the game tidies the slot folder.
  platform::OsFiles files;
  app::HeadlessOptions options;
  options.start = {folder, VELMOR_DEMO_DIR "/", "", folder, "", false};
  app::HeadlessGame game(files, options);
  ASSERT_FALSE(game.Start().has_value());
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_EQ(entry.path().filename(), "DATA01") << "left behind: " << entry.path();
  EXPECT_EQ(files.ReadFile(folder + "DATA01", nullptr)->size(), menus::kSlotSize);
}

}  // namespace
}  // namespace velmor::testing
