// The wait handlers: what a tick runs instead of the scenario while an
// instruction waits (for a click, for ticks, for text to type, for a picture
// to dissolve in ...). MainProc names the one installed.
//
// The names are listed once here; the functions are bound once where the
// game wires itself (the scenario binds its own three, the main window the
// rest), and the scenario runs whichever is installed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace velmor::scenario {

#define VELMOR_WAIT_HANDLERS(X) \
  X(WaitClick)                  \
  X(WaitTicks)                  \
  X(IdleWait)                   \
  X(TypeText)                   \
  X(ChoiceProc)                 \
  X(ChangePicture)              \
  X(PrepareScreen)              \
  X(DissolveIn)                 \
  X(HitMapPress)                \
  X(HitMapRelease)              \
  X(AnimationStep)

// None while the scenario runs.
enum class WaitHandler : uint8_t {
  None,
#define VELMOR_WAIT_ENUM(name) name,
  VELMOR_WAIT_HANDLERS(VELMOR_WAIT_ENUM)
#undef VELMOR_WAIT_ENUM
};

inline constexpr std::array kWaitHandlerNames = {
    "none",
#define VELMOR_WAIT_NAME(name) #name,
    VELMOR_WAIT_HANDLERS(VELMOR_WAIT_NAME)
#undef VELMOR_WAIT_NAME
};
inline constexpr std::size_t kWaitHandlerCount = kWaitHandlerNames.size();

// The handler's name as the game calls it ("TypeText"), or "none".
constexpr const char* WaitHandlerName(WaitHandler h) {
  auto i = static_cast<std::size_t>(h);
  return i < kWaitHandlerCount ? kWaitHandlerNames[i] : "none";
}

// The function each handler runs.
class WaitTable {
 public:
  using Function = std::function<void()>;

  void Bind(WaitHandler h, Function run) { functions_[Index(h)] = std::move(run); }
  bool Bound(WaitHandler h) const { return static_cast<bool>(functions_[Index(h)]); }
  // Runs h's function once; a handler nothing was bound to does nothing.
  void Run(WaitHandler h) const {
    if (const Function& run = functions_[Index(h)]) run();
  }

 private:
  static std::size_t Index(WaitHandler h) {
    auto i = static_cast<std::size_t>(h);
    return i < kWaitHandlerCount ? i : 0;
  }
  std::array<Function, kWaitHandlerCount> functions_;
};

}  // namespace velmor::scenario
