#include "platform/sdl/sdl_media_player.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>

#include "platform/media_check.h"

namespace velmor::platform::sdl {

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kChunkFrames = 2048;  // about 46 ms a mixing buffer

bool Readable(const std::string& path) { return std::ifstream(path).good(); }

void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, std::string_view tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

Mix_Music* LoadMusic(const std::vector<uint8_t>& bytes) {
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) return nullptr;
  return Mix_LoadMUS_RW(rw, 1);
}

}  // namespace

std::optional<std::vector<uint8_t>> AdpcmToPcmWave(std::span<const uint8_t> clean, uint64_t frames,
                                                   std::string* why) {
  if (clean.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    *why = "WAVE file too large to decode";
    return std::nullopt;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(clean.data(), static_cast<int>(clean.size()));
  if (!rw) {
    *why = SDL_GetError();
    return std::nullopt;
  }
  SDL_AudioSpec decoded{};
  Uint8* samples = nullptr;
  Uint32 bytes = 0;
  if (!SDL_LoadWAV_RW(rw, 1, &decoded, &samples, &bytes)) {
    *why = std::string("cannot decode the WAVE file: ") + SDL_GetError();
    return std::nullopt;
  }
  // ADPCM decodes to 16-bit samples in the machine's byte order.
  if (decoded.format != AUDIO_S16SYS || decoded.channels == 0) {
    SDL_FreeWAV(samples);
    *why = "cannot decode the WAVE file: unexpected sample format";
    return std::nullopt;
  }
  const uint32_t frame_bytes = 2u * decoded.channels;
  // The decoder plays whole blocks; the sound ends where the file says.
  const uint64_t keep = std::min<uint64_t>(frames, bytes / frame_bytes);
  const auto data_size = static_cast<uint32_t>(keep * frame_bytes);

  std::vector<uint8_t> out;
  out.reserve(44 + data_size);
  PutTag(out, "RIFF");
  PutLe32(out, 36 + data_size);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe32(out, 16);
  PutLe16(out, 1);  // PCM
  PutLe16(out, decoded.channels);
  PutLe32(out, static_cast<uint32_t>(decoded.freq));
  PutLe32(out, static_cast<uint32_t>(decoded.freq) * frame_bytes);
  PutLe16(out, frame_bytes);
  PutLe16(out, 16);
  PutTag(out, "data");
  PutLe32(out, data_size);
  if (SDL_BYTEORDER == SDL_LIL_ENDIAN) {
    out.insert(out.end(), samples, samples + data_size);
  } else {
    for (uint32_t i = 0; i < data_size; i += 2) {
      int16_t sample = 0;
      std::memcpy(&sample, samples + i, sizeof sample);
      PutLe16(out, static_cast<uint16_t>(sample));
    }
  }
  SDL_FreeWAV(samples);
  return out;
}

SdlMediaPlayer::SdlMediaPlayer(Files& files, std::string soundfont, std::FILE* log_stream)
    : files_(files), log_(log_stream), soundfont_option_(std::move(soundfont)), midi_(log_) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    log_.Write("velmor", std::string("no audio output: ") + SDL_GetError());
  } else if (Mix_OpenAudio(kRate, MIX_DEFAULT_FORMAT, kChannels, kChunkFrames) != 0) {
    log_.Write("velmor", std::string("no audio output: ") + Mix_GetError());
  } else {
    audio_open_ = true;
    Uint16 format = MIX_DEFAULT_FORMAT;
    int channels = kChannels;
    Mix_QuerySpec(&rate_, &format, &channels);
    channels_ = channels;
    frame_bytes_ = std::max(1, channels * static_cast<int>(SDL_AUDIO_BITSIZE(format)) / 8);
    Mix_SetPostMix(&SdlMediaPlayer::OnPostMix, this);
  }
  // The synthesiser writes to the terminal by default; from here on its
  // messages go through the bounded log.
  RouteSynthLog(&log_);
  // The SoundFont loads meanwhile: the start-up probe's MIDI file finds it
  // ready, and the first picture does not wait for it.
  if (audio_open_) midi_.Preload(SoundFont(), rate_, channels_);
  loader_ = std::thread([this] { LoaderLoop(); });
}

SdlMediaPlayer::~SdlMediaPlayer() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    job_.reset();
  }
  wake_loader_.notify_all();
  loader_.join();
  Close();
  for (Retired& r : retired_) Mix_FreeMusic(r.music);
  retired_.clear();
  if (audio_open_) {
    Mix_HookMusic(nullptr, nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
  }
  SilenceSynthLog();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlMediaPlayer::SetSoundFont(std::string path) { soundfont_option_ = std::move(path); }

std::string SdlMediaPlayer::SoundFont() const {
  if (!soundfont_option_.empty()) return soundfont_option_;
  if (const char* env = std::getenv("SDL_SOUNDFONTS"); env && *env) return env;
  if (Readable(kDefaultSoundFont)) return kDefaultSoundFont;
  return {};
}

void SdlMediaPlayer::Close() {
  std::unique_lock lock(mutex_);
  ++generation_;  // a piece still loading for the old file is thrown away
  job_.reset();
  if (music_) {
    // Freeing a piece can take a moment: the loader thread does it.
    Mix_HaltMusic();
    music_active_ = false;
    retired_.push_back({music_, std::move(music_bytes_)});
    music_ = nullptr;
  }
  if (midi_piece_) {
    midi_.Unload();
    midi_piece_ = false;
    midi_sounding_ = false;
    music_active_ = false;
  }
  midi_waiting_.reset();
  music_bytes_.clear();
  counting_ = false;
  length_ms_ = 0;
  load_ = Load::None;
  play_pending_ = started_ = paused_ = false;
  opened_.clear();
  lock.unlock();
  wake_loader_.notify_one();
}

bool SdlMediaPlayer::LoadNow(std::vector<uint8_t> bytes, std::string* mixer_error) {
  Mix_Music* music = LoadMusic(bytes);
  std::lock_guard lock(mutex_);
  if (!music) {
    *mixer_error = Mix_GetError();
    load_ = Load::Failed;
    return false;
  }
  Install(music, std::move(bytes));
  return true;
}

bool SdlMediaPlayer::OpenWave(MediaFile& file, std::string* error) {
  std::string why;
  // The mixer streams PCM and the like only; SDL's WAVE loader decodes
  // ADPCM, and the mixer gets the result as PCM.
  const bool adpcm = IsAdpcm(file.wave_format);
  if (adpcm && wave_opened_once_) {
    // Decoding takes tens of milliseconds for a few minutes of sound: on
    // the loader thread.
    opened_ = FileName();
    {
      std::lock_guard lock(mutex_);
      load_ = Load::Loading;
      job_ = Job{generation_, std::move(file.clean), file.wave_frames, FileName()};
    }
    wake_loader_.notify_one();
    return true;
  }
  // The first WAVE file is the start-up probe's: whether it can sound is
  // known when Open returns.
  wave_opened_once_ = true;
  if (adpcm) {
    auto pcm = AdpcmToPcmWave(file.clean, file.wave_frames, &why);
    if (!pcm) {
      error_ = media_error::kRefused;
      if (error) *error = FileName() + ": " + why;
      return false;
    }
    file.clean = std::move(*pcm);
  }
  // The WAVE decoder only reads the header here: no need to wait for it.
  if (!LoadNow(std::move(file.clean), &why)) {
    error_ = media_error::kRefused;
    if (error) *error = FileName() + ": " + why;
    return false;
  }
  opened_ = FileName();
  return true;
}

bool SdlMediaPlayer::OpenMidi(MediaFile& file, std::string* /*error*/) {
  std::string why;
  opened_ = FileName();
  std::lock_guard lock(mutex_);
  if (!MidiSynth::LooksUsable(SoundFont(), &why)) {
    // No SoundFont: the file is open, but MIDI cannot sound.
    if (!told_no_soundfont_) log_.Write("velmor", "MIDI cannot sound: " + why);
    told_no_soundfont_ = true;
    load_ = Load::Failed;
    return true;
  }
  // The piece goes to the synthesiser once its SoundFont is loaded (at
  // once, unless the game has only just started).
  midi_waiting_ = std::move(file.clean);
  load_ = Load::Loading;
  ResolveMidiLocked(false);
  return true;
}

void SdlMediaPlayer::ResolveMidiLocked(bool wait) {
  if (load_ != Load::Loading || !midi_waiting_) return;
  std::string why;
  if (!wait && midi_.Poll(SoundFont()) == MidiSynth::State::Loading) return;
  std::vector<uint8_t> piece = std::move(*midi_waiting_);
  midi_waiting_.reset();
  if (!midi_.Ready(SoundFont(), &why) || !midi_.Load(piece, &why)) {
    LoadFailedLocked(opened_ + ": " + why);
    play_pending_ = false;
    return;
  }
  midi_piece_ = true;
  load_ = Load::Ready;
  if (play_pending_) StartLocked();
  play_pending_ = false;
}

bool SdlMediaPlayer::Open(std::string* error) {
  Close();
  std::string why;
  int code = media_error::kNone;
  auto file = ReadMediaFile(files_, FileName(), &why, &code);
  if (!file) {
    error_ = code;
    if (error) *error = why;
    return false;
  }
  error_ = media_error::kNone;
  length_ms_ = file->length_ms;
  if (!audio_open_) {
    // Opened (checked) but with nothing to sound it: Play reports it.
    opened_ = FileName();
    std::lock_guard lock(mutex_);
    load_ = Load::Failed;
    return true;
  }
  return file->kind == MediaKind::Wave ? OpenWave(*file, error) : OpenMidi(*file, error);
}

std::vector<SdlMediaPlayer::Retired> SdlMediaPlayer::TakeFreeableLocked() {
  std::vector<Retired> out;
  out.swap(retired_);
  return out;
}

void SdlMediaPlayer::LoaderLoop() {
  std::unique_lock lock(mutex_);
  auto free_outside_lock = [&](std::vector<Retired> done) {
    if (done.empty()) return;
    lock.unlock();
    for (Retired& r : done) Mix_FreeMusic(r.music);
    lock.lock();
  };
  while (true) {
    wake_loader_.wait(lock, [&] { return quit_ || job_.has_value() || !retired_.empty(); });
    if (quit_) return;
    if (job_) {
      Job job = std::move(*job_);
      job_.reset();
      loader_busy_ = true;
      lock.unlock();
      Mix_Music* music = nullptr;
      std::string why;
      std::optional<std::vector<uint8_t>> pcm = AdpcmToPcmWave(job.bytes, job.frames, &why);
      if (pcm) {
        job.bytes = std::move(*pcm);
        music = LoadMusic(job.bytes);
        if (!music) why = Mix_GetError();
      }
      lock.lock();
      loader_busy_ = false;
      if (job.generation != generation_) {
        // Its file was closed meanwhile.
        if (music) retired_.push_back({music, std::move(job.bytes)});
      } else {
        if (music) {
          Install(music, std::move(job.bytes));
          if (play_pending_) StartLocked();
        } else {
          LoadFailedLocked(job.path + ": " + why);
        }
        play_pending_ = false;
      }
      load_done_.notify_all();
    }
    free_outside_lock(TakeFreeableLocked());
  }
}

void SdlMediaPlayer::Install(Mix_Music* music, std::vector<uint8_t> bytes) {
  music_ = music;
  music_bytes_ = std::move(bytes);
  load_ = Load::Ready;
}

void SdlMediaPlayer::StartLocked() {
  paused_ = false;
  // The count starts with the first sound of the piece: both change between
  // two mixing passes.
  SDL_LockAudio();
  frames_played_ = 0;
  if (midi_piece_) {
    // The synthesiser feeds the mixer's music stream itself.
    Mix_HookMusic(&MidiSynth::Render, &midi_);
    midi_.Start();
    started_ = true;
  } else {
    Mix_HookMusic(nullptr, nullptr);
    started_ = Mix_PlayMusic(music_, 0) == 0;  // once: the game repeats it itself
  }
  counting_ = started_;
  music_active_ = started_;
  midi_sounding_ = midi_piece_ && started_;
  SDL_UnlockAudio();
  if (!started_) log_.Write("velmor", std::string("cannot play music: ") + Mix_GetError());
}

void SdlMediaPlayer::OnPostMix(void* player, Uint8*, int bytes) {
  // Runs inside the mixing pass, with the audio lock already held.
  // Only while a piece plays: asking the mixer about a paused piece would
  // count as playing it.
  auto* self = static_cast<SdlMediaPlayer*>(player);
  if (!self->counting_) return;
  self->frames_played_ += static_cast<uint64_t>(bytes / self->frame_bytes_);
  // A MIDI piece sounds as long as the synthesiser is fed; its end is its
  // length (the tail rings on).
  self->music_active_ = self->midi_sounding_ || Mix_PlayingMusic() != 0;
}

bool SdlMediaPlayer::AtEndLocked() const {
  // From what the last mixing pass saw: asking the mixer would wait for the
  // audio lock.
  if (!music_active_) return true;
  uint64_t played_ms = frames_played_ * 1000 / static_cast<uint64_t>(rate_);
  return played_ms >= length_ms_;
}

void SdlMediaPlayer::LoadFailedLocked(const std::string& why) {
  load_ = Load::Failed;
  log_.Write("velmor", "cannot sound: " + why);
}

void SdlMediaPlayer::WaitForLoad() {
  std::unique_lock lock(mutex_);
  ResolveMidiLocked(true);
  load_done_.wait(lock, [this] { return load_ != Load::Loading && !loader_busy_; });
}

void SdlMediaPlayer::Play() {
  if (opened_.empty()) {
    error_ = media_error::kNoDevice;
    return;
  }
  std::lock_guard lock(mutex_);
  ResolveMidiLocked(false);
  switch (load_) {
    case Load::None:
    case Load::Failed:
      error_ = media_error::kNoOutput;
      return;
    case Load::Loading:
      play_pending_ = true;
      error_ = media_error::kNone;
      return;
    case Load::Ready:
      break;
  }
  error_ = media_error::kNone;
  if (paused_) {
    if (midi_piece_) {
      midi_.Resume();
    } else {
      Mix_ResumeMusic();
    }
    paused_ = false;
    counting_ = true;
  } else if (!started_ || AtEndLocked()) {
    // Not playing: from the start (a piece at its end rewinds).
    StartLocked();
    if (!started_) error_ = media_error::kPlayFailed;
  }
}

bool SdlMediaPlayer::Stop(std::string* error) {
  if (opened_.empty()) {
    error_ = media_error::kNoDevice;
    if (error) *error = std::string(kNoDeviceText);
    return false;
  }
  std::lock_guard lock(mutex_);
  ResolveMidiLocked(false);
  error_ = media_error::kNone;
  if (load_ == Load::Loading) {
    play_pending_ = false;
  } else if (load_ == Load::Ready && started_ && !paused_) {
    counting_ = false;
    if (AtEndLocked()) {
      // Silences the tail of a piece that has ended.
      if (midi_piece_) {
        midi_.Halt();
        midi_sounding_ = false;
      } else {
        Mix_HaltMusic();
      }
      music_active_ = false;
    } else if (midi_piece_) {
      midi_.Pause();
      paused_ = true;
    } else {
      Mix_PauseMusic();
      paused_ = true;
    }
  }
  return true;
}

uint32_t SdlMediaPlayer::MsUntilStopped() {
  if (Mode() != MediaMode::Playing) return 0;
  std::lock_guard lock(mutex_);
  if (load_ != Load::Ready) return 20;  // still loading: soon
  const uint64_t played_ms = frames_played_ * 1000 / static_cast<uint64_t>(rate_);
  return played_ms < length_ms_ ? static_cast<uint32_t>(length_ms_ - played_ms) : 0;
}

MediaMode SdlMediaPlayer::Mode() {
  if (opened_.empty()) return MediaMode::NotReady;
  std::lock_guard lock(mutex_);
  ResolveMidiLocked(false);
  switch (load_) {
    case Load::Loading:
      return play_pending_ ? MediaMode::Playing : MediaMode::Stopped;
    case Load::Ready:
      if (paused_ || !started_) return MediaMode::Stopped;
      return AtEndLocked() ? MediaMode::Stopped : MediaMode::Playing;
    case Load::None:
    case Load::Failed:
      break;
  }
  return MediaMode::Stopped;
}

}  // namespace velmor::platform::sdl
