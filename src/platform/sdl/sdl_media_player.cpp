#include "platform/sdl/sdl_media_player.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <utility>

#include "core/texts.h"
#include "formats/media_file.h"
#include "platform/shared/os_files.h"
#include "platform/sdl/synth_log.h"
#include "platform/sdl/wave_pcm.h"

namespace velmor::platform::sdl {

namespace {
// A browser page has no threads: there every piece is decoded as it opens.
#if defined(__EMSCRIPTEN__)
constexpr bool kLoaderThread = false;
#else
constexpr bool kLoaderThread = true;
#endif
}  // namespace

namespace {

// The clean WAVE file as the stream reads it: held in memory, or read from
// the file as it plays (a large one).
std::shared_ptr<formats::ByteSource> CleanSource(formats::MediaFile& file) {
  if (file.wave_source) return std::move(file.wave_source);
  return std::make_shared<formats::MemorySource>(std::move(file.clean));
}

// Never opened unless it is a regular file: a FIFO would be waited on.
bool Readable(const std::string& path) {
  return IsRegularFile(path) && std::ifstream(path).good();
}

}  // namespace

SdlMediaPlayer::SdlMediaPlayer(Files& files, std::string soundfont, std::FILE* log_stream)
    : files_(files), log_(log_stream), soundfont_option_(std::move(soundfont)), midi_(log_) {
  std::string why;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    log_.Write("velmor", Fill(Tr("no audio output: %s"), {SDL_GetError()}));
  } else {
    audio_started_ = true;
    if (!output_.Open(&why)) log_.Write("velmor", Fill(Tr("no audio output: %s"), {why}));
  }
  // The synthesiser writes to the terminal by default; from here on its
  // messages go through the bounded log.
  RouteSynthLog(&log_);
  // The SoundFont loads meanwhile: the start-up probe's MIDI file finds it
  // ready, and the first picture does not wait for it.
  if (output_.IsOpen()) {
    const OutputFormat& format = output_.Format();
    midi_.Preload(SoundFont(), format.rate, format.channels, output_.Device());
  }
  if (kLoaderThread) loader_ = std::thread([this] { LoaderLoop(); });
}

SdlMediaPlayer::~SdlMediaPlayer() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    job_.reset();
  }
  wake_loader_.notify_all();
  if (loader_.joinable()) loader_.join();
  Close();
  // No callback from here on: the pieces and the synthesiser can go.
  output_.Close();
  midi_.ForgetDevice();
  midi_.Shutdown();
  retired_.clear();
  SilenceSynthLog();
  if (audio_started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
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
  output_.Halt();  // the output lets go of the piece
  if (wave_piece_) {
    // Freeing a few minutes of sound takes a moment: the loader thread does it.
    retired_.push_back(std::move(pcm_));
    wave_piece_ = false;
  }
  if (midi_piece_) {
    midi_.Unload();
    midi_piece_ = false;
  }
  midi_waiting_.reset();
  length_ms_ = 0;
  start_ms_ = 0;
  load_ = Load::None;
  play_pending_ = started_ = paused_ = false;
  opened_.clear();
  lock.unlock();
  wake_loader_.notify_one();
}

bool SdlMediaPlayer::OpenWave(formats::MediaFile& file, std::string* error) {
  if (wave_opened_once_ && kLoaderThread) {
    // Decoding a few minutes of sound takes tens to hundreds
    // of milliseconds: on the loader thread.
    opened_ = FileName();
    {
      std::lock_guard lock(mutex_);
      load_ = Load::Loading;
      job_ = Job{generation_, CleanSource(file), file.wave_frames, FileName()};
    }
    wake_loader_.notify_one();
    return true;
  }
  // The first WAVE file is the start-up probe's: whether it can sound is
  // known when Open returns.
  wave_opened_once_ = true;
  std::string why;
  Pcm pcm = WaveStream::Open(CleanSource(file), file.wave_frames, output_.Format(), &why);
  if (!pcm) {
    error_ = media_error::kRefused;
    if (error) *error = FileName() + ": " + why;
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    Install(std::move(pcm));
  }
  opened_ = FileName();
  return true;
}

bool SdlMediaPlayer::OpenMidi(formats::MediaFile& file, std::string* /*error*/) {
  std::string why;
  opened_ = FileName();
  std::lock_guard lock(mutex_);
  if (!MidiSynth::LooksUsable(SoundFont(), &why)) {
    // No SoundFont: the file is open, but MIDI cannot sound.
    if (!told_no_soundfont_) log_.Write("velmor", Fill(Tr("MIDI cannot sound: %s"), {why}));
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
  auto file = platform::ReadMediaFile(files_, FileName(), &why, &code);
  if (!file) {
    error_ = code;
    if (error) *error = why;
    return false;
  }
  error_ = media_error::kNone;
  length_ms_ = file->length_ms;
  midi_tempo_ = std::move(file->midi_tempo);
  if (!output_.IsOpen()) {
    // Opened (checked) but with nothing to sound it: Play reports it.
    opened_ = FileName();
    std::lock_guard lock(mutex_);
    load_ = Load::Failed;
    return true;
  }
  return file->kind == formats::MediaKind::Wave ? OpenWave(*file, error) : OpenMidi(*file, error);
}

void SdlMediaPlayer::LoaderLoop() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_loader_.wait(lock, [&] { return quit_ || job_.has_value() || !retired_.empty(); });
    if (quit_) return;
    if (job_) RunJob(lock);
    std::vector<Pcm> done;
    done.swap(retired_);
    if (done.empty()) continue;
    lock.unlock();
    done.clear();
    lock.lock();
  }
}

void SdlMediaPlayer::RunJob(std::unique_lock<std::mutex>& lock) {
  Job job = std::move(*job_);
  job_.reset();
  loader_busy_ = true;
  lock.unlock();
  std::string why;
  Pcm pcm = WaveStream::Open(std::move(job.clean), job.frames, output_.Format(), &why);
  lock.lock();
  loader_busy_ = false;
  if (job.generation != generation_) {
    // Its file was closed meanwhile.
    if (pcm) retired_.push_back(std::move(pcm));
  } else {
    if (pcm) {
      Install(std::move(pcm));
      if (play_pending_) StartLocked();
    } else {
      LoadFailedLocked(job.path + ": " + why);
    }
    play_pending_ = false;
  }
  load_done_.notify_all();
}

void SdlMediaPlayer::Install(Pcm pcm) {
  pcm_ = std::move(pcm);
  wave_piece_ = true;
  load_ = Load::Ready;
}

void SdlMediaPlayer::StartLocked() {
  paused_ = false;
  uint32_t from_ms = std::exchange(start_ms_, 0);
  const auto rate = static_cast<uint64_t>(output_.Format().rate);
  // The count starts with the first sound of the piece: both change between
  // two buffers.
  AudioOutput::Lock hold(output_);
  if (midi_piece_) {
    // A synthesiser that cannot seek starts the piece from its start.
    if (!midi_.Start(from_ms == 0 ? 0 : midi_tempo_.TickAtMs(from_ms))) from_ms = 0;
    started_ = output_.PlaySynth(midi_, from_ms * rate / 1000);
  } else {
    // Once: the game repeats it itself.
    started_ = output_.PlayWave(*pcm_, from_ms * rate / 1000);
  }
  if (!started_) log_.Write("velmor", Tr("cannot play music: no audio output"));
}

uint64_t SdlMediaPlayer::PlayedMs() const {
  return output_.FramesPlayed() * 1000 / static_cast<uint64_t>(output_.Format().rate);
}

bool SdlMediaPlayer::AtEndLocked() const {
  // From what the last buffer saw: asking the output would wait for the
  // audio lock.
  return !output_.Active() || PlayedMs() >= length_ms_;
}

void SdlMediaPlayer::LoadFailedLocked(const std::string& why) {
  load_ = Load::Failed;
  log_.Write("velmor", Fill(Tr("cannot sound: %s"), {why}));
}

void SdlMediaPlayer::WaitForLoad() {
  std::unique_lock lock(mutex_);
  ResolveMidiLocked(true);
  load_done_.wait(lock, [this] { return load_ != Load::Loading && !loader_busy_; });
}

// Whether the piece can start now. One still loading starts once loaded
// (asked for here); none, or one that failed to load, cannot.
bool SdlMediaPlayer::ReadyToPlayLocked() {
  error_ = media_error::kNone;
  switch (load_) {
    case Load::None:
    case Load::Failed: error_ = media_error::kNoOutput; return false;
    case Load::Loading: play_pending_ = true; return false;
    case Load::Ready: return true;
  }
  return false;
}

void SdlMediaPlayer::Play() {
  if (opened_.empty()) {
    error_ = media_error::kNoDevice;
    return;
  }
  std::lock_guard lock(mutex_);
  ResolveMidiLocked(false);
  if (!ReadyToPlayLocked()) return;
  if (paused_) {
    AudioOutput::Lock hold(output_);
    if (midi_piece_) midi_.Resume();
    output_.Resume();
    paused_ = false;
  } else if (!started_ || AtEndLocked()) {
    // Not playing: from the start (a piece at its end rewinds).
    StartLocked();
    if (!started_) error_ = media_error::kPlayFailed;
  }
}

void SdlMediaPlayer::PlayFrom(uint32_t ms) {
  if (opened_.empty()) {
    error_ = media_error::kNoDevice;
    return;
  }
  std::lock_guard lock(mutex_);
  ResolveMidiLocked(false);
  const bool ready = ReadyToPlayLocked();
  // A piece still loading starts from `ms` once loaded.
  if (!ready && load_ != Load::Loading) return;
  start_ms_ = ms < length_ms_ ? ms : 0;  // at or past the end: from the start
  if (ready) {
    StartLocked();
    if (!started_) error_ = media_error::kPlayFailed;
  }
}

uint32_t SdlMediaPlayer::PositionMs() const {
  if (opened_.empty()) return 0;
  std::lock_guard lock(mutex_);
  if (load_ != Load::Ready || !started_) return start_ms_;
  return static_cast<uint32_t>(std::min<uint64_t>(PlayedMs(), length_ms_));
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
    AudioOutput::Lock hold(output_);
    if (AtEndLocked()) {
      // Silences the tail of a piece that has ended.
      if (midi_piece_) midi_.Halt();
      output_.Halt();
    } else {
      if (midi_piece_) midi_.Pause();
      output_.Pause();
      paused_ = true;
    }
  }
  return true;
}

uint32_t SdlMediaPlayer::MsUntilStopped() {
  if (Mode() != MediaMode::Playing) return 0;
  std::lock_guard lock(mutex_);
  if (load_ != Load::Ready) return 20;  // still loading: soon
  const uint64_t played_ms = PlayedMs();
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
