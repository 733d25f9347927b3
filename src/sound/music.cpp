#include "sound/music.h"

#include "core/errors.h"
#include "core/game_path.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "platform/files.h"

namespace velmor::sound {

namespace {

constexpr std::string_view kSc88Dir = "SC88\\";
constexpr std::string_view kProbeWave = "QV00.WAV";
constexpr std::string_view kProbeMidi = "QV00.MID";

}  // namespace

std::string MusicFile(MusicSource source, std::string_view name) {
  std::string file(SNDDIR);
  if (source == MusicSource::Sc88Midi) file += kSc88Dir;
  file += name;
  file += source == MusicSource::Wave ? ".WAV" : ".MID";
  return file;
}

std::string Music::PathFor(const ByteString& name) const {
  if (buttons_.MuteBtn.checked) return {};
  MusicSource source = buttons_.MidiBtn2.checked ? MusicSource::Sc88Midi
                       : buttons_.MidiBtn.checked ? MusicSource::Midi
                                                  : MusicSource::Wave;
  return GamePath(dat_path_, MusicFile(source, name.view()));
}

void Music::OpenAndPlay(std::optional<uint32_t> from_ms) {
  std::string error;
  // The player's text names the file as the system does.
  if (!player_.Open(&error)) {
    if (OnFailure) OnFailure(Fill(Tr("music %s"), {error}));
    throw GameError(Utf8ToSjis(error), error);
  }
  if (from_ms)
    player_.PlayFrom(*from_ms);
  else
    player_.Play();
}

std::string Music::StopPlayer() {
  std::string error;
  if (player_.Stop(&error)) return {};
  return error.empty() ? std::string(platform::kNoDeviceText) : error;
}

std::string Music::ChosenPath(const ByteString& name) {
  if (buttons_.MuteBtn.checked) {
    // Silence at once. With no file open the stop reports the no-device
    // error, after the player has let go of the file name, so that choosing
    // a source again opens the remembered sound afresh.
    std::string error = StopPlayer();
    player_.SetFileName({});
    if (!error.empty()) throw GameError(error);
    return {};
  }
  // Mended: a name with ".." or a path of its own played any file of the
  // machine; names stay inside the data folder.
  if (LeavesFolder(name.view())) {
    const std::string why =
        Fill(Tr("\"%s\": the name leaves the data folder"), {SjisToUtf8(name.str())});
    if (OnFailure) OnFailure(Fill(Tr("music %s"), {why}));
    throw GameError(GameSentence(GameText("データフォルダの外のファイルは使えません。\n%s"), {name.str()}),
                    why);
  }
  return PathFor(name);
}

void Music::PlayMusic(const ByteString& name) {
  MusicLoop = 1;
  MusicName = Sstr(name.view());
  std::string path = ChosenPath(name);
  if (path.empty()) return;
  if (path == player_.FileName()) return;  // the same sound goes on
  // The failed path stays the player's file name: asking again for the same
  // sound in the same source does nothing.
  player_.SetFileName(std::move(path));
  OpenAndPlay();
}

void Music::ResumeMusic(const ByteString& name, uint32_t position_ms, bool go_on) {
  MusicLoop = 1;
  MusicName = Sstr(name.view());
  std::string path = ChosenPath(name);
  if (path.empty()) return;
  if (path == player_.FileName() && path == player_.OpenedFile()) {
    // The piece is open: no need to read it again.
    if (!go_on || player_.Mode() != platform::MediaMode::Playing) player_.PlayFrom(position_ms);
    return;
  }
  player_.SetFileName(std::move(path));
  OpenAndPlay(position_ms);
}

void Music::StopMusic() {
  // The sound is forgotten even when there was nothing to stop (the
  // no-device error is reported afterwards): a later change of source must
  // not bring back a sound the scenario stopped.
  std::string error = StopPlayer();
  MusicName.clear();
  player_.SetFileName({});
  MusicLoop = 0;
  if (!error.empty()) throw GameError(error);
}

void Music::LoopCheck() {
  if (MusicLoop == 1 && !buttons_.MuteBtn.checked &&
      player_.Mode() == platform::MediaMode::Stopped && !player_.FileName().empty())
    player_.Play();
}

void Music::MidiBtnClick() {
  if (!MusicName.empty()) PlayMusic(ByteString(MusicName));
}

void Music::Probe() {
  std::string probe_dir = GamePath(dat_path_, SNDDIR);

  // Opens and plays a probe file; false when its source cannot sound. A file
  // the player reads but refuses (damaged, or in an encoding it cannot
  // sound) tells that as plainly as a failed play; only a file that cannot
  // be read at all stops start-up.
  auto sounds = [this](std::string path) {
    player_.SetFileName(std::move(path));
    try {
      OpenAndPlay();
    } catch (const GameError&) {
      if (player_.Error() != platform::media_error::kRefused) throw;
    }
    return player_.Error() == platform::media_error::kNone;
  };

  if (!sounds(probe_dir + std::string(kProbeWave))) {
    buttons_.WaveBtn.enabled = false;
    buttons_.MidiBtn.SetChecked();
  }

  if (!sounds(probe_dir + std::string(kProbeMidi))) {
    buttons_.MidiBtn.enabled = false;
    buttons_.MidiBtn2.enabled = false;
    if (buttons_.WaveBtn.enabled)
      buttons_.WaveBtn.SetChecked();
    else
      buttons_.MuteBtn.SetChecked();
  }
  // The probe sound is not repeated; the last probe file stays open (when
  // the player took it).
  MusicLoop = 0;
}

}  // namespace velmor::sound
