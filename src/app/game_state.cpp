// The whole game at a wait as a snapshot, and back: what a save of our own
// holds and what a step of going back keeps. Writing and reading walk the
// same list of fields (VisitState), so the two can never disagree on the
// order; what the player set (speed, pointer, scale, sound source, volume)
// is the player's and stays as it is.
#include <algorithm>
#include <initializer_list>
#include <type_traits>

#include "app/form.h"
#include "core/texts.h"
#include "menus/panel_layout.h"

namespace velmor::app {

using formats::Snapshot;
using formats::StateReader;
using formats::StateWriter;
using scenario::WaitHandler;

namespace {

// Writes each field it is shown.
struct StateOut {
  StateWriter& w;
  bool file;  // into a file, not kept in memory
  template <typename T>
  void operator()(T& v) {
    if constexpr (std::is_enum_v<T>) {
      w.U32(static_cast<uint32_t>(v));
    } else if constexpr (std::is_same_v<T, bool>) {
      w.Bool(v);
    } else if constexpr (std::is_integral_v<T>) {
      w.U32(static_cast<uint32_t>(v));
    } else if constexpr (requires { v.view(); }) {
      w.Text(v.view());
    } else if constexpr (std::is_same_v<T, Rect>) {
      for (int32_t* p : {&v.left, &v.top, &v.right, &v.bottom}) w.I32(*p);
    } else if constexpr (std::is_same_v<T, platform::TextStyle>) {
      w.I32(v.height);
      w.U32(v.color);
    } else {
      for (auto& item : v) (*this)(item);  // arrays
    }
  }
  void Picture(Bitmap& b, const Bitmap* reference = nullptr) { w.Picture(b, reference); }
  void Image(std::array<uint8_t, scenario::kImageSize>& snx) { w.Sparse(snx); }
};

// Reads each field it is shown, in the same order.
struct StateIn {
  StateReader& r;
  bool file;
  template <typename T>
  void operator()(T& v) {
    if constexpr (std::is_same_v<T, bool>) {
      v = r.Bool();
    } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
      v = static_cast<T>(r.U32());
    } else if constexpr (requires { v.view(); }) {
      v = T(r.Text(T::kCapacity));
    } else if constexpr (std::is_same_v<T, Rect>) {
      for (int32_t* p : {&v.left, &v.top, &v.right, &v.bottom}) *p = r.I32();
    } else if constexpr (std::is_same_v<T, platform::TextStyle>) {
      v.height = r.I32();
      v.color = r.U32();
    } else {
      for (auto& item : v) (*this)(item);
    }
  }
  void Picture(Bitmap& b, const Bitmap* reference = nullptr) { b = r.Picture(reference); }
  void Image(std::array<uint8_t, scenario::kImageSize>& snx) { r.Sparse(snx); }
};

// What the screen image is packed against: the current picture where it
// stands on a screen of the game's size (the message window and the strip
// are what differ).
Bitmap PictureAtPlace(const graphics::Layers& layers, Size screen) {
  Bitmap ref(screen.width, screen.height);
  DrawBitmap(ref, layers.PictureRect.left, layers.PictureRect.top, layers.TMP);
  return ref;
}

// Places a game reaches lie within a few screens of its own (at most 4096
// pixels a side): one past this was not written by a game, and drawing at
// it would take sums past what a place can hold.
bool FarOff(std::initializer_list<int32_t> places) {
  constexpr int32_t kReach = 1 << 24;
  return std::any_of(places.begin(), places.end(), [](int32_t v) { return v < -kReach || v > kReach; });
}

bool FarOff(const Rect& r) { return FarOff({r.left, r.top, r.right, r.bottom}); }

}  // namespace

template <typename IO>
void TForm1::VisitScenarioState(IO& io) {
  io.Image(scn.snx);
  io(scn.inx);
  io(scn.flag);
  io(scn.work);
  io(scn.CallDepth);
  io(scn.ReturnInx);
  io(scn.CallFile);
  io(scn.StatusVars);
  io(scn.mcr);
  io(scn.ResultVar);
  io(scn.MainProc);
  io(scn.WaitCount);
  io(defmcr);
}

template <typename IO>
void TForm1::VisitScreenState(IO& io, Size screen) {
  io(layers.PictureRect);
  io.Picture(layers.TMP);
  // The screen is the picture but for the message window and the strip:
  // kept as its difference, a new picture costs the history one copy.
  const Bitmap reference = PictureAtPlace(layers, screen);
  io.Picture(layers.BMP, &reference);
  io.Picture(layers.IMG, &layers.BMP);
  for (Bitmap* b : {&layers.CLS, &layers.SP0, &layers.MS0, &layers.SP1, &msgwin.msg.box,
                    &hitmap.Region, &animation.Strip})
    io.Picture(*b);
  io(layers.font);
  io(layers.PictureName);
}

template <typename IO>
void TForm1::VisitWaitState(IO& io) {
  text::BoxRec& m = msgwin.msg;
  io(m.BoxRect);
  for (int32_t* v : {&m.bpx, &m.bpy, &m.wpx, &m.wpy, &m.wdx, &m.wdy, &m.csx, &m.csy, &m.fdx, &m.fdy})
    io(*v);
  io(m.pri);
  io(msgwin.MsgText);
  io(msgwin.MsgPos);
  io(msgwin.PageWait);
  io(msgwin.BlinkCount);
  io(status.StatusLayout);
  io(choices.ChoiceText);
  io(choices.ChoiceCount);
  io(choices.ChoiceHot);
  io(choices.ChoiceLast);
  io(picture.MeshPass);
  io(picture.MeshAcc);
  io(picture.WhiteFill);
  io(cursors.CursorNumber);
  io(cursors.CursorNumber0);
  io(hitmap.HitCursor);
  io(hitmap.HitCursorDown);
  io(animation.AnimCount);
  io(animation.AnimRect);
  io(input.spf);
  io(input.CGHoldEnable);
  io(panels_.ResoSpin.enabled);
  io(panels_.MouseSpin.enabled);  // off while a hit map waits
}

std::optional<std::string> TForm1::WhyNoSnapshot() const {
  if (!started_ || quit_) return Tr("the game has not started");
  if (menus::AnyPanelVisible(panels_)) return Tr("a panel is open");
  if (input.HoldMode == 1) return Tr("the picture is held");
  if (scn.MainProc == WaitHandler::None) return Tr("the scenario is between two waits");
  if (debugger_ && debugger_->paused()) return Tr("the debugger holds the scenario");
  return std::nullopt;
}

Snapshot TForm1::CaptureState(formats::PictureAnchors* anchors) {
  StateWriter w(anchors);
  StateOut out{w, anchors == nullptr};
  VisitScenarioState(out);
  VisitScreenState(out, {layers.BMP.width(), layers.BMP.height()});
  VisitWaitState(out);
  // The music: what plays, and whether it still does.
  const bool playing = !music.MusicName.empty() && !platform.media.OpenedFile().empty() &&
                       platform.media.Mode() == platform::MediaMode::Playing;
  out(music.MusicName);
  out(music.MusicLoop);
  w.Bool(playing);
  w.U32(playing ? platform.media.PositionMs() : 0);
  return w.Take();
}

std::optional<std::string> TForm1::RestoreState(const Snapshot& snapshot,
                                                MusicOnRestore music_on) {
  // What the game was, to come back to when the snapshot does not read (its
  // music goes on). Mended: the screen size is the one before the snapshot
  // was read. A snapshot refused after its screen image had been read (a
  // picture cut short, a field past its end) left a screen image of
  // another size, the game's own state then read back against it failed
  // half way, and the game went on with an empty message, no picture and
  // its fields zero.
  const Size screen{layers.BMP.width(), layers.BMP.height()};
  formats::PictureAnchors own;
  const Snapshot before = CaptureState(&own);
  std::optional<std::string> fault = ReadState(snapshot, music_on, screen);
  if (fault) {
    ReadState(before, MusicOnRestore::GoOn, screen);
    return fault;
  }
  return std::nullopt;
}

std::optional<std::string> TForm1::ReadState(const Snapshot& snapshot, MusicOnRestore music_on,
                                             Size screen) {
  StateReader r(snapshot);
  StateIn in{r, snapshot.pictures.empty()};
  VisitScenarioState(in);
  VisitScreenState(in, screen);
  VisitWaitState(in);
  Sstr music_name;
  uint8_t music_loop = 0;
  in(music_name);
  in(music_loop);
  const bool playing = r.Bool();
  // A save from before the music's place was kept starts it from its start.
  const std::optional<uint32_t> position =
      snapshot.version >= 2 ? std::optional<uint32_t>(r.U32()) : std::nullopt;
  if (!r.ok()) return r.fault();
  if (!r.done()) return std::string(Tr("the state has bytes past its end"));
  if (std::optional<std::string> bad = CheckRestoredState(screen)) return bad;
  AfterRestore(music_name, music_loop, playing, position, music_on);
  return std::nullopt;
}

std::optional<std::string> TForm1::CheckRestoredState(Size screen) const {
  if (static_cast<std::size_t>(scn.MainProc) >= scenario::kWaitHandlerCount)
    return Tr("the state names no wait the game knows");
  if (scn.CallDepth >= scenario::kCallLevels) return Tr("the state's calls are too deep");
  if (choices.ChoiceCount < 0 || choices.ChoiceCount > 7 || choices.ChoiceHot < -1 ||
      choices.ChoiceHot >= std::max(choices.ChoiceCount, 1) || choices.ChoiceLast < -1 ||
      choices.ChoiceLast >= std::max(choices.ChoiceCount, 1))
    return Tr("the state's choices make no sense");
  if (layers.BMP.width() != screen.width || layers.BMP.height() != screen.height ||
      layers.IMG.width() != screen.width || layers.IMG.height() != screen.height)
    return Tr("the state's screen has another size");
  if (status.StatusLayout != 0 && status.StatusLayout != 1)
    return Tr("the state's status strip makes no sense");
  // Mended: a message's place starts at 1 (at 0 typing read the byte before
  // the text), and its text is 1 to 255 pixels high (a height past that
  // overflowed the rectangle of a glyph drawn).
  if (msgwin.MsgPos == 0 || layers.font.height < -255 || layers.font.height > 255)
    return Tr("the state's message makes no sense");
  // Mended: places far off (a damaged save) overflowed the sums that clip
  // what is drawn at them.
  const text::BoxRec& m = msgwin.msg;
  if (FarOff(m.BoxRect) || FarOff({m.bpx, m.bpy, m.wpx, m.wpy, m.wdx, m.wdy, m.csx, m.csy, m.fdx, m.fdy}) ||
      FarOff(layers.PictureRect) || FarOff(animation.AnimRect))
    return Tr("the state's places make no sense");
  // Mended: a wait's count out of its range overflowed as it went on (a
  // timed wait, an animation), or never ended the wait (a dissolve past its
  // last pass).
  if (scn.WaitCount < -8 || scn.WaitCount > 0xFFFF || animation.AnimCount < 0 ||
      animation.AnimCount > graphics::AnimTicks + 2 || picture.MeshPass > 16)
    return Tr("the state's waits make no sense");
  return std::nullopt;
}

void TForm1::AfterRestore(const Sstr& music_name, uint8_t music_loop, bool playing,
                          std::optional<uint32_t> position_ms, MusicOnRestore music_on) {
  input.clk = input.drg = 0;
  input.HoldMode = 0;
  pointer_before_pick_.reset();
  backlog_window.Close();
  reader.Stop();
  layers.ImageDrawn(layers.IMG.bounds());
  layers.Present(scaling.Disp.rect());
  invalid = false;
  try {
    if (playing && position_ms) {
      // Going back within a piece, it goes on under the step, as players
      // expect of music; a loaded save sounds as it was when saved.
      music.ResumeMusic(ByteString(music_name.view()), *position_ms,
                        music_on == MusicOnRestore::GoOn);
    } else if (playing) {
      music.PlayMusic(ByteString(music_name.view()));
    } else if (!music.MusicName.empty() &&
               platform.media.Mode() == platform::MediaMode::Playing) {
      // The game's own music stops; the start-up probe is none of the game's.
      music.StopMusic();
    }
  } catch (const GameError& e) {
    ReportError(e.message());
  }
  music.MusicName = music_name;
  music.MusicLoop = music_loop;
}

}  // namespace velmor::app
