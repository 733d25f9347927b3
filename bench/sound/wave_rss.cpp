// The resident memory a large WAVE file costs the real player, measured by
// bench/wave_rss.sh. `wave_rss --make FILE MIB` writes a WAVE file of MIB
// MiB (16-bit stereo at 44.1 kHz, a saw on each channel). `wave_rss FILE
// [SECONDS]` opens it as the player does (read, checked, decoded a piece at
// a time) and reads it through to its end as the output would, then opens
// it in the real player on SDL's audio driver (dummy: no sound hardware)
// and lets it play SECONDS (default 2). It prints the peak resident memory
// (VmHWM) before the file was opened, after the stream's read-through and
// after the player's, in KiB, and the bytes the stream held at most.
// `wave_rss --whole FILE` prints what holding it whole cost, as the player
// did before: the file, its clean copy and SDL's decoding of it.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "formats/byte_writer.h"
#include "formats/wave.h"
#include "platform/media_player.h"
#include "platform/sdl/sdl_media_player.h"
#include "platform/sdl/wave_pcm.h"
#include "platform/shared/os_files.h"

namespace {

long PeakKib() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

int Make(const char* path, long mib) {
  const uint32_t data = static_cast<uint32_t>(mib) << 20;
  std::vector<uint8_t> head;
  using namespace velmor::formats;
  PutTag(head, "RIFF");
  PutLe32(head, 36 + data);
  PutTag(head, "WAVE");
  PutTag(head, "fmt ");
  PutLe32(head, 16);
  for (uint32_t w : {1u, 2u}) PutLe16(head, w);
  PutLe32(head, 44100);
  PutLe32(head, 44100 * 4);
  for (uint32_t w : {4u, 16u}) PutLe16(head, w);
  PutTag(head, "data");
  PutLe32(head, data);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  std::vector<uint8_t> piece(1 << 20);
  for (std::size_t i = 0; i < piece.size(); i += 2) {
    const auto v = static_cast<uint16_t>((i * 37) % 65536);
    piece[i] = static_cast<uint8_t>(v);
    piece[i + 1] = static_cast<uint8_t>(v >> 8);
  }
  for (long m = 0; m < mib; ++m)
    out.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
  return out ? 0 : 1;
}

// What the player held before it read a file in pieces: the file read
// whole, its clean copy, and SDL's loader's decoding of the whole of it.
int Whole(const char* path) {
  velmor::platform::OsFiles files;
  const long before = PeakKib();
  std::string why;
  auto bytes = files.ReadFile(path, &why);
  if (!bytes) {
    std::fprintf(stderr, "wave_rss: %s\n", why.c_str());  // over 64 MiB: too large to read whole
    return 1;
  }
  auto checked = velmor::formats::CheckWave(*bytes);
  if (!checked) return 1;
  SDL_AudioSpec format;
  Uint8* samples = nullptr;
  Uint32 length = 0;
  SDL_RWops* rw = SDL_RWFromConstMem(checked->clean.data(), static_cast<int>(checked->clean.size()));
  if (!rw || !SDL_LoadWAV_RW(rw, 1, &format, &samples, &length)) return 1;
  std::printf("decoded_bytes %u\npeak_kib_before %ld\npeak_kib_whole %ld\n", length, before,
              PeakKib());
  SDL_FreeWAV(samples);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--make") return Make(argv[2], std::atol(argv[3]));
  if (argc >= 3 && std::string(argv[1]) == "--whole") return Whole(argv[2]);
  if (argc < 2) {
    std::fprintf(stderr, "usage: wave_rss FILE [SECONDS] | wave_rss --whole FILE | "
                         "wave_rss --make FILE MIB\n");
    return 2;
  }
  const std::string path = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 2;
  namespace sdl = velmor::platform::sdl;
  velmor::platform::OsFiles files;
  if (SDL_Init(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "wave_rss: %s\n", SDL_GetError());
    return 1;
  }
  const long before = PeakKib();
  std::string why;
  auto file = velmor::platform::ReadMediaFile(files, path, &why);
  if (!file) {
    std::fprintf(stderr, "wave_rss: %s\n", why.c_str());
    return 1;
  }
  const sdl::OutputFormat out{44100, 2};
  auto source = file->wave_source
                    ? file->wave_source
                    : std::make_shared<velmor::formats::MemorySource>(std::move(file->clean));
  auto stream = sdl::WaveStream::Open(source, file->wave_frames, out, &why);
  if (!stream) {
    std::fprintf(stderr, "wave_rss: %s\n", why.c_str());
    return 1;
  }
  std::vector<uint8_t> buffer(2048 * 4);
  while (!stream->AtEnd()) stream->Read(buffer.data(), buffer.size());
  const uint64_t frames = stream->Frames();
  const std::size_t held = stream->MostHeld();
  stream.reset();
  file.reset();
  source.reset();
  const long streamed = PeakKib();
  {
    sdl::SdlMediaPlayer player(files);
    player.SetFileName(path);
    if (!player.Open(&why)) {
      std::fprintf(stderr, "wave_rss: the player: %s\n", why.c_str());
      return 1;
    }
    player.Play();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    player.Stop(nullptr);
  }
  const long played = PeakKib();
  std::printf("file_frames %llu\nheld_bytes %zu\npeak_kib_before %ld\npeak_kib_streamed %ld\n"
              "peak_kib_played %ld\n",
              static_cast<unsigned long long>(frames), held, before, streamed, played);
  SDL_Quit();
  return 0;
}
