// The demo's music: MIDI pieces for both sound sources and synthesised
// WAVE files (the start-up probe sounds are fixtures).
#pragma once

#include <cstdint>
#include <vector>

namespace velmor::datagen {

enum class SoundSource { kGeneralMidi, kSc88 };

std::vector<uint8_t> ThemeWave();          // M01.WAV: the theme, synthesised
std::vector<uint8_t> WaltzWave();          // M02.WAV: the waltz, synthesised
std::vector<uint8_t> ThemeMidi(SoundSource source);  // M01.MID: calm, F major, format 1
std::vector<uint8_t> WaltzMidi(SoundSource source);  // M02.MID: a D minor waltz, format 0

}  // namespace velmor::datagen
