#include "language/disassembler.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "language/decoder.h"
#include "language/disassembly.h"
#include "language/operand_ranges.h"

namespace velmor::language {

namespace {

// A line of the output that stands for several bytes.
struct Chunk {
  uint32_t offset = 0;
  uint32_t length = 0;
  std::optional<RawInstruction> instruction;  // else a text (a message's string)
  std::string text;
};

class Layout {
 public:
  explicit Layout(std::span<const uint8_t> bytes)
      : bytes_(bytes), size_(static_cast<uint32_t>(bytes.size())), owner_(bytes.size(), -1) {
    TraceCode();
    ClaimTexts();
    for (const Chunk& c : chunks_) {
      if (!c.instruction) continue;
      for (const RawOperand& o : c.instruction->operands) {
        if (o.kind == Operand::Addr) MarkLabel(o.value);
        if (o.kind == Operand::Message && o.value == 2) MarkLabel(o.address);
      }
    }
  }

  std::string Print(const DisassemblyOptions& options) const {
    std::string out;
    if (!options.source_name.empty()) {
      std::string name = options.source_name;
      for (char& ch : name)  // the comment must stay on its line
        if (ch == '\n' || ch == '\r') ch = '?';
      out += "; " + name + ": " + std::to_string(size_) + " bytes\n";
    }
    const FormatStyle style{.break_texts = true};
    auto emit = [&](const std::string& line, uint32_t at) {
      std::string l = "    " + line;
      if (options.offsets) {  // at the end of the first line
        size_t end = std::min(l.find('\n'), l.size());
        std::string comment = " ; " + FormatAddress(static_cast<uint16_t>(at));
        if (end < 48) comment.insert(0, 48 - end, ' ');
        l.insert(end, comment);
      }
      out += l + "\n";
    };
    LabelNamer namer = [this](uint16_t a) {
      return IsLabel(a) ? LabelName(a) : FormatAddress(a);
    };
    for (uint32_t p = 0; p <= size_;) {
      if (IsLabel(p)) out += (out.empty() ? "" : "\n") + LabelName(p) + ":\n";
      if (p == size_) break;
      if (owner_[p] >= 0) {
        const Chunk& c = chunks_[owner_[p]];
        if (std::string why = Refusal(c); !why.empty()) {
          // Written as bytes, so that it assembles back all the same.
          out += "    ; " + why + "\n";
          for (uint32_t q = p; q < p + c.length; q += 16)
            emit(DbLine(q, std::min(p + c.length, q + 16)), q);
        } else {
          emit(c.instruction ? FormatInstruction(*c.instruction, namer, style)
                             : "string " + FormatText(c.text, style),
               p);
        }
        p += c.length;
        continue;
      }
      uint32_t q = p;
      while (q < size_ && owner_[q] < 0 && (q == p || !IsLabel(q)) && q - p < 16) ++q;
      emit(DbLine(p, q), p);
      p = q;
    }
    return out;
  }

 private:
  // Why the assembler would refuse a chunk as an instruction or a string
  // (what the engine refuses in it); empty when it would not.
  static std::string Refusal(const Chunk& c) {
    if (!c.instruction) {
      auto fault = TextFault(c.text);
      return fault ? "a string: " + *fault : "";
    }
    std::vector<std::string> faults = OperandFaults(*c.instruction);
    if (faults.empty()) return "";
    return FormatInstruction(*c.instruction) + ": " + faults.front();
  }

  std::string DbLine(uint32_t from, uint32_t to) const {
    std::string line = "db ";
    for (uint32_t q = from; q < to; ++q) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%s0x%02X", q == from ? "" : ", ", bytes_[q]);
      line += buf;
    }
    return line;
  }

  bool Free(uint32_t at, uint32_t length) const {
    for (uint32_t i = at; i < at + length; ++i)
      if (owner_[i] >= 0) return false;
    return true;
  }

  void Claim(Chunk c) {
    for (uint32_t i = c.offset; i < c.offset + c.length; ++i)
      owner_[i] = static_cast<int32_t>(chunks_.size());
    chunks_.push_back(std::move(c));
  }

  // Follows the control flow from offset 0. Where two paths decode the same
  // bytes differently, the first decoding stays and the other path ends.
  void TraceCode() {
    std::vector<bool> tried(size_, false);
    std::vector<uint32_t> pending;
    if (size_ > 0) pending.push_back(0);
    while (!pending.empty()) {
      uint32_t at = pending.back();
      pending.pop_back();
      while (at < size_ && !tried[at] && owner_[at] < 0) {
        tried[at] = true;
        auto in = DecodeInstruction(bytes_, at);
        if (!in || !Free(at, in->length)) break;
        for (const RawOperand& o : in->operands) {
          if (o.kind == Operand::Addr) pending.push_back(o.value);
          if (o.kind == Operand::Message && o.value == 2) text_targets_.push_back(o.address);
        }
        bool ends = in->row->Has(OpFlag::EndsPath);
        uint32_t length = in->length;
        Claim(Chunk{at, length, std::move(in), {}});
        if (ends) break;
        at += length;
      }
    }
  }

  // The strings that messages point to, where no code is.
  void ClaimTexts() {
    for (uint16_t at : text_targets_) {
      if (at >= size_ || owner_[at] >= 0) continue;
      uint32_t next = 0;
      auto raw = DecodeRawString(bytes_, at, &next);
      if (raw && Free(at, next - at)) Claim(Chunk{at, next - at, std::nullopt, std::move(*raw)});
    }
  }

  // A label goes at the start of a line only, never inside one.
  void MarkLabel(uint32_t at) {
    bool boundary = at == size_ || (at < size_ && (owner_[at] < 0 || chunks_[owner_[at]].offset == at));
    if (!boundary) return;
    if (labels_.empty()) labels_.resize(size_ + 1, false);
    labels_[at] = true;
  }
  bool IsLabel(uint32_t at) const { return at < labels_.size() && labels_[at]; }
  static std::string LabelName(uint32_t at) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "L%04X", at);
    return buf;
  }

  std::span<const uint8_t> bytes_;
  uint32_t size_;
  std::vector<int32_t> owner_;  // the chunk of each byte, -1: a db byte
  std::vector<Chunk> chunks_;
  std::vector<uint16_t> text_targets_;
  std::vector<bool> labels_;
};

}  // namespace

std::string Disassemble(std::span<const uint8_t> bytes, const DisassemblyOptions& options) {
  return Layout(bytes).Print(options);
}

}  // namespace velmor::language
