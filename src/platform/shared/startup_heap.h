// The heap while the program starts. On a machine where every new page of
// memory costs a fault of microseconds (virtual machines), the pictures,
// files and window buffers that start-up fills fresh cost tens of
// milliseconds on the way to the first frame. While StartupHeap lives, the
// main heap takes large blocks too and grows in one piece advised for huge
// pages, so that a few faults map it; afterwards the heap gives back what
// start-up no longer holds and takes large blocks from the system again.
// Without the GNU C library it does nothing.
#pragma once

namespace velmor::platform {

class StartupHeap {
 public:
  StartupHeap();
  ~StartupHeap() { End(); }
  StartupHeap(const StartupHeap&) = delete;
  StartupHeap& operator=(const StartupHeap&) = delete;

  // Start-up is over (the first frame is shown): the heap's usual rules
  // come back and the memory start-up let go of is returned. Once only.
  void End();

 private:
  bool ended_ = false;
};

}  // namespace velmor::platform
