// The control flow of one scenario file, found without running it: the
// instructions some path from offset 0 reaches, the jumps that leave the
// file or land inside an instruction, the texts messages point to, and the
// loops that never wait.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "language/decoder.h"

namespace velmor::check {

// A fault of the flow, at the instruction that causes it.
struct FlowFault {
  uint32_t at = 0;
  std::string message;
};

struct Flow {
  // Every instruction a path from offset 0 reaches, by offset.
  std::map<uint32_t, language::RawInstruction> reached;
  // Bytes that are code or a text a message points to.
  std::vector<bool> used;
  std::vector<FlowFault> faults;
};

// Traces the code from offset 0. Where two paths would decode the same bytes
// differently, the first decoding stays and the path that lands inside it
// is a fault (and is not followed).
Flow TraceFlow(std::span<const uint8_t> bytes);

// Where the code goes on after an instruction: the next one unless it ends
// the path, and the targets of its jumps.
std::vector<uint32_t> Successors(const language::RawInstruction& in);

// A group of reached instructions that can run round and round without any
// of them waiting: its first and last offsets.
struct Loop {
  uint32_t first = 0;
  uint32_t last = 0;
};
using WaitTest = std::function<bool(const language::RawInstruction&)>;
std::vector<Loop> LoopsWithoutWait(const Flow& flow, const WaitTest& waits);

}  // namespace velmor::check
