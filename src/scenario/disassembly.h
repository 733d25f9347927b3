// Instructions as lines of the scenario assembly language.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "scenario/opcodes.h"

namespace velmor::scenario {

// Names an address operand (a label); without one, addresses print as numbers.
using LabelNamer = std::function<std::string(uint16_t address)>;

// One decoded instruction as a line of assembly (UTF-8), without indentation.
std::string FormatInstruction(const RawInstruction& in, const LabelNamer& label_of = {});

// The instruction at `at` of the scenario image, for the --trace output.
std::string DisassembleForTrace(std::span<const uint8_t> image, uint16_t at);

}  // namespace velmor::scenario
