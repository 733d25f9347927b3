// The instructions whose whole work is on the image's variables, flags and
// program counter. They are written here, for the opcode table alone, so
// that each is compiled into its table entry with its operand decoding.
#pragma once

#include <cstdint>

#include "scenario/scenario.h"

namespace velmor::scenario {

// --- Assignments and arithmetic (16-bit, wrapping) ---

inline int16_t Wrap(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

inline void Scenario::Let(uint16_t a, uint16_t w) { Work(a) = Wrap(w); }
inline void Scenario::LetW(uint16_t a, uint16_t w) {
  int16_t v = Work(w);
  Work(a) = v;
}
inline void Scenario::LetF(uint16_t a, uint16_t w) {
  int16_t v = static_cast<int16_t>(TestFlag(w));
  Work(a) = v;
}
inline void Scenario::LetX(uint16_t a, uint16_t e) { Work(a) = Wrap(e); }
inline void Scenario::Flag(uint16_t a, uint16_t w) { SetFlag(a, w); }
inline void Scenario::FlagW(uint16_t a, uint16_t w) { SetFlag(a, static_cast<uint16_t>(Work(w))); }
inline void Scenario::FlagF(uint16_t a, uint16_t w) { SetFlag(a, static_cast<uint16_t>(TestFlag(w))); }
inline void Scenario::FlagX(uint16_t a, uint16_t e) { SetFlag(a, e); }
inline void Scenario::Add(uint16_t a, uint16_t w) {
  int16_t& v = Work(a);
  v = Wrap(v + w);
}
inline void Scenario::AddW(uint16_t a, uint16_t w) {
  int16_t x = Work(w);
  int16_t& v = Work(a);
  v = Wrap(v + x);
}
inline void Scenario::AddF(uint16_t a, uint16_t w) {
  int x = TestFlag(w);
  int16_t& v = Work(a);
  v = Wrap(v + x);
}
inline void Scenario::AddX(uint16_t a, uint16_t e) {
  int16_t& v = Work(a);
  v = Wrap(v + e);
}
inline void Scenario::Sub(uint16_t a, uint16_t w) {
  int16_t& v = Work(a);
  v = Wrap(v - w);
}
inline void Scenario::SubW(uint16_t a, uint16_t w) {
  int16_t x = Work(w);
  int16_t& v = Work(a);
  v = Wrap(v - x);
}
inline void Scenario::SubF(uint16_t a, uint16_t w) {
  int x = TestFlag(w);
  int16_t& v = Work(a);
  v = Wrap(v - x);
}
inline void Scenario::SubX(uint16_t a, uint16_t e) {
  int16_t& v = Work(a);
  v = Wrap(v - e);
}

// --- Jumps and flags ---

inline void Scenario::Jump(uint16_t address) { inx = address; }
inline void Scenario::JumpZ(uint16_t e, uint16_t address) {
  if (e == 0) inx = address;
}
inline void Scenario::SetF(uint16_t f) { SetFlag(f, 1); }
inline void Scenario::ClrF(uint16_t f) { SetFlag(f, 0); }
inline void Scenario::NotF(uint16_t f) { SetFlag(f, static_cast<uint16_t>(1 - TestFlag(f))); }
inline void Scenario::JumpNF(uint16_t f, uint16_t address) {
  if (TestFlag(f) == 0) inx = address;
}
inline void Scenario::JumpF(uint16_t f, uint16_t address) {
  if (TestFlag(f) == 1) inx = address;
}

inline void Scenario::SkipW(uint16_t) {}

}  // namespace velmor::scenario
