#include "check/flow.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "language/disassembly.h"
#include "language/operand_ranges.h"

namespace velmor::check {

namespace {

using language::OpFlag;
using language::Operand;
using language::RawInstruction;

constexpr uint32_t kFree = std::numeric_limits<uint32_t>::max();

std::string Hex(uint32_t at) { return language::FormatAddress(static_cast<uint16_t>(at)); }

// A place a path goes on from, and how it got there.
struct Pending {
  uint32_t at = 0;
  uint32_t from = 0;   // the instruction that leads there
  bool jump = false;   // by a jump (else by running on, or the start)
};

class Tracer {
 public:
  explicit Tracer(std::span<const uint8_t> bytes)
      : bytes_(bytes), size_(static_cast<uint32_t>(bytes.size())), owner_(bytes.size(), kFree) {
    flow_.used.assign(bytes.size(), false);
  }

  Flow Run() {
    if (size_ == 0) {
      Fault(0, "the file is empty: the engine would run what an earlier file left in the image");
      return std::move(flow_);
    }
    pending_.push_back({0, 0, false});
    while (!pending_.empty()) {
      Pending p = pending_.back();
      pending_.pop_back();
      Path(p);
    }
    for (const Pending& t : texts_) Text(t);
    return std::move(flow_);
  }

 private:
  void Fault(uint32_t at, std::string message) { flow_.faults.push_back({at, std::move(message)}); }

  // Follows one path until it ends or meets code already decoded.
  void Path(Pending p) {
    for (;;) {
      if (owner_[p.at] == p.at) return;  // decoded already
      if (owner_[p.at] != kFree) {
        Landing(p, owner_[p.at]);
        return;
      }
      auto in = language::DecodeInstruction(bytes_, p.at);
      if (!in) {
        Fault(p.at, "the instruction runs past the end of the file");
        return;
      }
      if (uint32_t other = Overlapped(p.at, in->length); other != kFree) {
        Landing(p, other);
        return;
      }
      Claim(*in);
      if (in->row->Has(OpFlag::EndsPath)) return;
      uint32_t next = p.at + in->length;
      if (next >= size_) {
        Fault(p.at, "the code runs on past the end of the file (no END, JUMP, GOTO or RETURN "
                    "after this)");
        return;
      }
      p = {next, p.at, false};
    }
  }

  // The instruction whose bytes [at, at + length) would overlap, or kFree.
  uint32_t Overlapped(uint32_t at, uint32_t length) const {
    for (uint32_t i = at; i < at + length; ++i)
      if (owner_[i] != kFree) return owner_[i];
    return kFree;
  }

  void Landing(const Pending& p, uint32_t other) {
    std::string where = other < p.at ? "into the middle of the instruction at " + Hex(other)
                                     : "and would run into the instruction at " + Hex(other);
    if (p.jump)
      Fault(p.from, "jumps to " + Hex(p.at) + ", " + where);
    else if (p.at == 0)
      Fault(0, "the code at the start overlaps the instruction at " + Hex(other));
    else
      Fault(p.from, "the next instruction, at " + Hex(p.at) + ", would begin " + where +
                        " that another path reaches");
  }

  void Claim(const RawInstruction& in) {
    for (uint32_t i = in.offset; i < in.offset + in.length; ++i) {
      owner_[i] = in.offset;
      flow_.used[i] = true;
    }
    for (const language::RawOperand& o : in.operands) {
      if (o.kind == Operand::Message && o.value == 2)
        texts_.push_back({o.address, in.offset, false});
    }
    for (uint32_t target : JumpTargets(in)) {
      if (target >= size_)
        Fault(in.offset, "jumps to " + Hex(target) + ", outside the file (" +
                             std::to_string(size_) + " bytes)");
      else
        pending_.push_back({target, in.offset, true});
    }
    flow_.reached.emplace(in.offset, in);
  }

  // The text a message of source 2 points to.
  void Text(const Pending& t) {
    if (t.at >= size_) {
      Fault(t.from, "the message's text at " + Hex(t.at) + " lies outside the file (" +
                        std::to_string(size_) + " bytes)");
      return;
    }
    uint32_t next = 0;
    auto raw = language::DecodeRawString(bytes_, t.at, &next);
    if (!raw) {
      Fault(t.from, "the message's text at " + Hex(t.at) + " has no end within the file");
      return;
    }
    for (uint32_t i = t.at; i < next; ++i) flow_.used[i] = true;
    if (auto fault = language::TextFault(*raw))
      Fault(t.from, "the message's text at " + Hex(t.at) + ": " + *fault);
  }

  static std::vector<uint32_t> JumpTargets(const RawInstruction& in) {
    std::vector<uint32_t> out;
    for (const language::RawOperand& o : in.operands)
      if (o.kind == Operand::Addr) out.push_back(o.value);
    return out;
  }

  std::span<const uint8_t> bytes_;
  uint32_t size_;
  std::vector<uint32_t> owner_;  // the instruction each byte belongs to
  std::vector<Pending> pending_;
  std::vector<Pending> texts_;
  Flow flow_;
};

}  // namespace

Flow TraceFlow(std::span<const uint8_t> bytes) { return Tracer(bytes).Run(); }

std::vector<uint32_t> Successors(const RawInstruction& in) {
  std::vector<uint32_t> out;
  for (const language::RawOperand& o : in.operands)
    if (o.kind == Operand::Addr) out.push_back(o.value);
  if (!in.row->Has(OpFlag::EndsPath)) out.push_back(in.offset + in.length);
  return out;
}

namespace {

// The instructions that do not wait, each with the ones it goes on to and
// the ones that lead to it, among themselves.
struct Graph {
  std::map<uint32_t, std::vector<uint32_t>> next, prev;
};

Graph NonWaiting(const Flow& flow, const WaitTest& waits) {
  Graph g;
  for (const auto& [at, in] : flow.reached)
    if (!waits(in)) g.next[at], g.prev[at];
  for (auto& [at, to] : g.next)
    for (uint32_t s : Successors(flow.reached.at(at)))
      if (g.next.count(s)) {
        to.push_back(s);
        g.prev[s].push_back(at);
      }
  return g;
}

// Peels off what no loop holds: instructions with nothing after them or
// nothing before them, until none is left to peel. Returns what is gone.
std::map<uint32_t, bool> PeelOffLoopless(Graph& g) {
  std::map<uint32_t, size_t> outs, ins;
  std::deque<uint32_t> peel;
  for (const auto& [at, to] : g.next) {
    outs[at] = to.size();
    ins[at] = g.prev[at].size();
    if (to.empty() || g.prev[at].empty()) peel.push_back(at);
  }
  std::map<uint32_t, bool> gone;
  while (!peel.empty()) {
    uint32_t at = peel.front();
    peel.pop_front();
    if (gone[at]) continue;
    gone[at] = true;
    for (uint32_t s : g.next[at])
      if (!gone[s] && --ins[s] == 0) peel.push_back(s);
    for (uint32_t p : g.prev[at])
      if (!gone[p] && --outs[p] == 0) peel.push_back(p);
  }
  return gone;
}

// The instructions left, in groups that hang together.
std::vector<Loop> Groups(Graph& g, std::map<uint32_t, bool>& gone) {
  std::vector<Loop> loops;
  std::map<uint32_t, bool> seen;
  for (const auto& [start, to] : g.next) {
    if (gone[start] || seen[start]) continue;
    Loop loop{start, start};
    std::vector<uint32_t> stack{start};
    seen[start] = true;
    while (!stack.empty()) {
      uint32_t at = stack.back();
      stack.pop_back();
      loop.first = std::min(loop.first, at);
      loop.last = std::max(loop.last, at);
      for (const auto* side : {&g.next[at], &g.prev[at]})
        for (uint32_t n : *side)
          if (!gone[n] && !seen[n]) {
            seen[n] = true;
            stack.push_back(n);
          }
    }
    loops.push_back(loop);
  }
  return loops;
}

}  // namespace

std::vector<Loop> LoopsWithoutWait(const Flow& flow, const WaitTest& waits) {
  Graph g = NonWaiting(flow, waits);
  std::map<uint32_t, bool> gone = PeelOffLoopless(g);
  return Groups(g, gone);
}

}  // namespace velmor::check
