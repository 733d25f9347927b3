// The one part of the MIDI synthesiser both the desktop's (midi_synth.cpp)
// and the browser's (platform/web/midi_synth_web.cpp) share: the
// synthesiser renders stereo, the output may have other channel counts.
#include <cstddef>

#include "platform/sdl/midi_synth.h"

namespace velmor::platform::sdl {

void MidiSynth::FoldStereo(const int16_t* lr, int16_t* out, int frames) const {
  for (int f = 0; f < frames; ++f) {
    int16_t* frame = out + static_cast<std::ptrdiff_t>(f) * channels_;
    if (channels_ == 1) {
      frame[0] = static_cast<int16_t>((lr[2 * f] + lr[2 * f + 1]) / 2);
    } else {
      frame[0] = lr[2 * f];
      frame[1] = lr[2 * f + 1];
    }
  }
}

}  // namespace velmor::platform::sdl
