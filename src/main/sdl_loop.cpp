#include "main/sdl_loop.h"

#include <SDL.h>

#include <algorithm>

#include "core/errors.h"
#include "platform/sdl/input_mapping.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/shared/screenshot.h"

namespace velmor::main {

SdlLoop::SdlLoop(platform::sdl::SdlWindow& window, ui::UiLayer& ui, session::Session& session)
    : window_(window),
      ui_(ui),
      session_(session),
      renderer_(window.renderer()),
      views_(ui),
      now_([] { return SDL_GetTicks64(); }) {
  // SDL starts with text input on; it is on only while a field wants it.
  SDL_StopTextInput();
  ui_.SetRenderer(&renderer_);
  // The views are drawn with whatever renderer the window has now (a new
  // size can give it a new one).
  window_.on_renderer_change = [this](SDL_Renderer* r) { renderer_.SetRenderer(r); };
  session_.SetViews(&views_);
  session_.SetWindowControls(this);
  display_wait_.Attach(window_.sdl_window());
}

SdlLoop::~SdlLoop() {
  session_.SetViews(nullptr);
  session_.SetWindowControls(nullptr);
  window_.on_renderer_change = nullptr;
  ui_.SetRenderer(nullptr);
}

void SdlLoop::Start() {
  window_.Invalidate();
  session_.Begin(now_());
}

void SdlLoop::Run() {
  for (;;) Pass();
}

void SdlLoop::RunWhileBoxesOpen() {
  while (!session_.boxes().empty()) Pass();
}

void SdlLoop::CheckQuitSignal() {
  if (platform::sdl::QuitSignalled()) session_.QuitNow();
}

uint64_t SdlLoop::WaitMs() {
  uint64_t wait = session_.WaitMs(now_());
  if (std::optional<uint64_t> press = touch_.DueInMs(now_())) wait = std::min(wait, *press);
  // What the game drew outside a pass (its first paint) is shown first.
  return views_.WantsFrameNow() || window_.NeedsRender() ? 0 : wait;
}

void SdlLoop::Pass() {
  const uint64_t wait = WaitMs();
  SDL_Event e;
  bool got = false;
  // While text input is on, the input method speaks over a connection of
  // its own, which only SDL's wait watches.
  if (wait > 0 && !text_input_on_ && display_wait_.Attached())
    got = WaitOnDisplay(e, wait);
  else
    got = wait == 0 ? SDL_PollEvent(&e) != 0 : SDL_WaitEventTimeout(&e, static_cast<int>(wait)) != 0;
  // The wait (or the poll) took in everything the connection held: the
  // rest is taken from SDL's queue without asking the connection again for
  // each event.
  if (got) {
    HandleEvent(e);
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) HandleEvent(e);
  }
  AfterEvents(now_(), Turn::WhenDue);
}

void SdlLoop::PassWithoutWaiting() {
  HandleEvents();
  AfterEvents(now_(), Turn::WhenDue);
}

void SdlLoop::StepTick(uint64_t now_ms) {
  HandleEvents();
  AfterEvents(now_ms, Turn::Tick);
}

void SdlLoop::StepFrame(uint64_t now_ms) {
  HandleEvents();
  AfterEvents(now_ms, Turn::None);
}

void SdlLoop::HandleEvents() {
  SDL_Event e;
  while (SDL_PollEvent(&e)) HandleEvent(e);
}

void SdlLoop::AfterEvents(uint64_t now_ms, Turn turn) {
  touch_.Poll(now_ms, touch_events_);
  DeliverTouch();
  CheckQuitSignal();
  switch (turn) {
    case Turn::WhenDue: session_.Advance(now_ms); break;
    case Turn::Tick: session_.Tick(now_ms); break;
    case Turn::None: session_.AfterEvents(now_ms); break;
  }
  ApplyTextInput();
  RenderIfNeeded();
  if (session_.ScreenshotDue()) SaveScreenshot();
}

bool SdlLoop::HandleTouch(const SDL_Event& e) {
  if (e.type != SDL_FINGERDOWN && e.type != SDL_FINGERUP && e.type != SDL_FINGERMOTION) return false;
  // A finger's place comes as a fraction of the window.
  int w = 0, h = 0;
  SDL_GetWindowSize(window_.sdl_window(), &w, &h);
  const Point at{static_cast<int32_t>(e.tfinger.x * static_cast<float>(w)),
                 static_cast<int32_t>(e.tfinger.y * static_cast<float>(h))};
  const auto finger = static_cast<int64_t>(e.tfinger.fingerId);
  if (e.type == SDL_FINGERDOWN) touch_.Down(finger, at, now_(), touch_events_);
  if (e.type == SDL_FINGERMOTION) touch_.Move(finger, at, now_(), touch_events_);
  if (e.type == SDL_FINGERUP) touch_.Up(finger, now_(), touch_events_);
  DeliverTouch();
  return true;
}

void SdlLoop::DeliverTouch() {
  for (const InputEvent& event : touch_events_) {
    if (const auto* m = std::get_if<PointerMotion>(&event)) window_.PointerMoved(m->at);
    if (const auto* b = std::get_if<ButtonEvent>(&event)) window_.PointerMoved(b->at);
    session_.Deliver(event);
  }
  touch_events_.clear();
}

bool SdlLoop::WaitOnDisplay(SDL_Event& e, uint64_t wait_ms) {
  // What SDL holds already (taken in by the last pass, or pushed) comes first.
  if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) return true;
  if (!display_wait_.Wait(static_cast<int>(wait_ms), SDL_GetTicks64())) return false;
  SDL_PumpEvents();
  display_wait_.Pumped(SDL_GetTicks64());
  return SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

void SdlLoop::HandleEvent(const SDL_Event& e) {
  if (translate_touch_ && HandleTouch(e)) return;
  switch (e.type) {
    case SDL_MOUSEMOTION:
      // The pointer as this window's own events report it: some servers
      // (XWayland, remote desktops, synthetic input) never update the
      // global pointer between button presses.
      window_.PointerMoved({e.motion.x, e.motion.y});
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: window_.PointerMoved({e.button.x, e.button.y}); break;
    case SDL_WINDOWEVENT: HandleWindowEvent(e); break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      window_.RecreateTextures();
      renderer_.RemakeFontTexture();
      return;
    default: break;
  }
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  if (std::optional<InputEvent> event = platform::sdl::InputEventFromSdl(e, {x, y}))
    session_.Deliver(*event);
  if (e.type == SDL_TEXTEDITING_EXT) SDL_free(e.editExt.text);
}

void SdlLoop::HandleWindowEvent(const SDL_Event& e) {
  switch (e.window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
      window_.Invalidate();
      session_.Window(WindowEvent::Exposed);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (window_.TakeClientSize()) session_.Window(WindowEvent::Resized);
      window_.Invalidate();
      break;
    default: break;
  }
}

bool SdlLoop::ToggleFullScreen() {
  window_.SetFullScreen(!window_.FullScreen());
  const bool changed = window_.TakeClientSize();
  window_.Invalidate();
  return changed;
}

void SdlLoop::ApplyTextInput() {
  const session::TextInput& want = session_.text_input();
  const bool changed = want.resets != text_input_resets_ || want.on != text_input_on_ ||
                       want.field_moves != text_input_moves_;
  if (changed && on_text_input) on_text_input(want);
  // Text input off and on again makes the input method forget what it was
  // composing.
  if (want.resets != text_input_resets_) {
    text_input_resets_ = want.resets;
    if (text_input_on_) SDL_StopTextInput();
    text_input_on_ = false;
  }
  if (want.on != text_input_on_) {
    want.on ? SDL_StartTextInput() : SDL_StopTextInput();
    text_input_on_ = want.on;
  }
  if (want.field_moves != text_input_moves_) {
    text_input_moves_ = want.field_moves;
    // The input method's candidate window goes next to the field.
    SDL_Rect rect{want.field.left, want.field.top, want.field.width(), want.field.height()};
    SDL_SetTextInputRect(&rect);
  }
}

void SdlLoop::RenderIfNeeded() {
  const uint64_t now = now_();
  if (!views_.FrameDue(session_, now, window_.NeedsRender())) return;
  if (!views_.Shown()) {
    window_.Render(nullptr);
    views_.FramePresented();
    return;
  }
  views_.PlacePointer(window_.CursorPos());
  session::ViewOutcome outcome = views_.Draw(session_, window_.ScreenSize(), now);
  const platform::sdl::Overlay overlay{[this] { ui_.Render(); }, views_.DrawnArea()};
  window_.Render(&overlay);
  views_.FramePresented();
  session_.TakeViewOutcome(std::move(outcome));
}

void SdlLoop::SaveScreenshot() {
  Size size;
  const std::vector<uint32_t> shown = window_.TakeCapture(size);
  Bitmap picture = session_.ScreenPicture();
  if (session_.UiActive() && !shown.empty())
    platform::sdl::CopyShownArea(picture, shown, size, window_.PictureRect(), views_.DrawnArea());
  const platform::SavedScreenshot saved =
      platform::SaveScreenshot(picture, platform::ScreenshotFolder(), platform::LocalTimeNow());
  session_.ScreenshotSaved(platform::ScreenshotNotice(saved));
}

}  // namespace velmor::main
