#include "language/decoder.h"

namespace velmor::language {

namespace {

// Reads bytes of a file without wrapping; any read past the end fails.
class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, uint32_t at) : bytes_(bytes), pos_(at) {}

  bool byte(uint8_t& b) {
    if (pos_ >= bytes_.size()) return false;
    b = bytes_[pos_++];
    return true;
  }
  bool word(uint16_t& w) {
    uint8_t lo, hi;
    if (!byte(lo) || !byte(hi)) return false;
    w = static_cast<uint16_t>(lo | (hi << 8));
    return true;
  }
  bool string(std::string& s) {
    uint32_t next = 0;
    auto raw = DecodeRawString(bytes_, pos_, &next);
    if (!raw) return false;
    s = std::move(*raw);
    pos_ = next;
    return true;
  }
  bool peek(uint8_t& b) const {
    if (pos_ >= bytes_.size()) return false;
    b = bytes_[pos_];
    return true;
  }
  uint32_t pos() const { return pos_; }

 private:
  std::span<const uint8_t> bytes_;
  uint32_t pos_;
};

bool DecodeExpression(Reader& r, std::vector<ExprCode>& codes) {
  // An expression longer than the largest image cannot be one.
  for (uint32_t n = 0; n < 65536; ++n) {
    ExprCode c;
    if (!r.byte(c.code)) return false;
    if (expr_code::TakesWord(c.code) && !r.word(c.word)) return false;
    codes.push_back(c);
    if (c.code == expr_code::kEnd) return true;
  }
  return false;
}

bool DecodeOperand(Reader& r, uint8_t opcode, RawOperand& o) {
  switch (o.kind) {
    case Operand::Var:
    case Operand::Flag:
    case Operand::Word:
    case Operand::Addr:
      return r.word(o.value);
    case Operand::Byte: {
      uint8_t b;
      if (!r.byte(b)) return false;
      o.value = b;
      return true;
    }
    case Operand::Speaker:
      o.value = SpeakerOf(opcode);
      return true;
    case Operand::Expr:
      return DecodeExpression(r, o.expr);
    case Operand::Str:
      o.texts.emplace_back();
      return r.string(o.texts.back());
    case Operand::Message: {
      uint8_t source;
      if (!r.byte(source)) return false;
      o.value = source;
      if (source == 1) {
        o.texts.emplace_back();
        return r.string(o.texts.back());
      }
      if (source == 2) return r.word(o.address);
      return true;
    }
    case Operand::Choices:
      for (;;) {
        o.texts.emplace_back();
        if (!r.string(o.texts.back())) return false;
        uint8_t next;
        if (!r.peek(next)) return false;
        if (next == 0) return r.byte(next);
      }
    case Operand::StatusVars:
      for (uint16_t& w : o.words)
        if (!r.word(w)) return false;
      return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> DecodeRawString(std::span<const uint8_t> bytes, uint32_t offset,
                                           uint32_t* next) {
  std::string s;
  uint32_t i = offset;
  for (;;) {
    if (i >= bytes.size()) return std::nullopt;
    uint8_t b = bytes[i++];
    if (b == 0) break;
    s.push_back(static_cast<char>(b));
    if (TakesNextByte(b)) {  // the pair goes together
      if (i >= bytes.size()) return std::nullopt;
      s.push_back(static_cast<char>(bytes[i++]));
    }
  }
  if (next) *next = i;
  return s;
}

std::optional<RawInstruction> DecodeInstruction(std::span<const uint8_t> bytes, uint32_t offset) {
  Reader r(bytes, offset);
  uint8_t opcode;
  if (!r.byte(opcode)) return std::nullopt;
  RawInstruction in;
  in.offset = offset;
  in.row = &OpcodeAt(opcode);
  for (Operand kind : in.row->layout) {
    RawOperand o;
    o.kind = kind;
    if (!DecodeOperand(r, opcode, o)) return std::nullopt;
    in.operands.push_back(std::move(o));
  }
  in.length = r.pos() - offset;
  return in;
}

bool Waits(const RawInstruction& in) {
  if (in.row->Has(OpFlag::Waits)) return true;
  if (!in.row->Has(OpFlag::WaitsWithText)) return false;
  for (const RawOperand& o : in.operands)
    if (o.kind == Operand::Message && o.value != 0) return true;
  return false;
}

}  // namespace velmor::language
