// The postfix expression evaluator.
#include <array>
#include <climits>

#include "core/sjis.h"
#include "platform/window.h"
#include "scenario/scenario.h"

namespace velmor::scenario {

namespace {

constexpr int kStackSize = 255;
// Mended: an expression longer than the whole image can only be garbage
// (the original read on for ever): it is cut
// off there and treated as invalid, instead of looping for ever.
constexpr uint32_t kMaxCodes = kImageSize;

using namespace language::expr_code;

// Mended: the original's value stack had no bounds. Here it is a fixed
// array local to one evaluation. Popping an empty
// stack gives 0 and pushing onto a full one drops the value; both mark the
// expression invalid.
class ValueStack {
 public:
  void push(int32_t v) {
    if (size_ == kStackSize) {
      invalid_ = true;
      return;
    }
    values_[size_++] = v;
  }
  int32_t pop() {
    if (size_ == 0) {
      invalid_ = true;
      return 0;
    }
    return values_[--size_];
  }
  int size() const { return size_; }
  bool invalid() const { return invalid_; }
  void mark_invalid() { invalid_ = true; }

 private:
  std::array<int32_t, kStackSize> values_;
  int size_ = 0;
  bool invalid_ = false;
};

// The two texts, converted once.
const std::string& BugText() {
  static const std::string text = Sjis("シナリオプログラムでのバグです。").str();
  return text;
}
const std::string& InvalidText() {
  static const std::string text = Sjis("不正な計算式です。").str();
  return text;
}

uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }
int32_t S(uint32_t v) { return static_cast<int32_t>(v); }

}  // namespace

int16_t Scenario::Evaluate() {
  ValueStack st;
  bool reported_bug = false;
  // The program counter is kept in a local while the codes are read: stores
  // into the work variables could otherwise alias it.
  uint16_t pc = inx;
  uint32_t word_bytes = 0;
  auto fetch_word = [&] {
    word_bytes += 2;
    uint16_t lo = snx[pc++];
    return static_cast<uint16_t>(lo | (snx[pc++] << 8));
  };
  uint32_t n = 0;
  for (;; ++n) {
    if (n == kMaxCodes) [[unlikely]] {
      st.mark_invalid();
      break;
    }
    uint8_t code = snx[pc++];
    if (code == kEnd) break;
    int32_t a, b;
    switch (code) {
      case kPushWord: st.push(fetch_word()); continue;
      case kPushWork: st.push(Work(fetch_word())); continue;
      case kPushFlag: st.push(TestFlag(fetch_word())); continue;
      case kDrop: st.pop(); continue;
      case kAbs: a = st.pop(); st.push(a < 0 ? S(0u - U(a)) : a); continue;
      case kNeg: st.push(S(0u - U(st.pop()))); continue;
      case kNot: st.push(~st.pop()); continue;
      default: break;
    }
    if (code > kShr) {  // an undefined code: one value dropped, the rest goes on
      st.pop();
      if (!reported_bug) {
        CornerText(BugText());
        reported_bug = true;
      }
      continue;
    }
    b = st.pop();
    a = st.pop();
    int32_t r = 0;
    switch (code) {
      case kEq: r = a == b; break;
      case kLt: r = a < b; break;
      case kGt: r = a > b; break;
      case kLe: r = a <= b; break;
      case kGe: r = a >= b; break;
      case kNe: r = a != b; break;
      case kAdd: r = S(U(a) + U(b)); break;
      case kSub: r = S(U(a) - U(b)); break;
      case kOr: r = a | b; break;
      case kXor: r = a ^ b; break;
      case kMul: r = S(U(a) * U(b)); break;
      // Mended: a division by 0, or of -2^31 by -1, brought the original down;
      // here the player is told and the game ends in order.
      case kDiv:
      case kMod:
        if (b == 0) Fail(Sjis("計算式で 0 による割り算をしました。").str());
        if (a == INT_MIN && b == -1)
          Fail(Sjis("計算式の割り算の結果が範囲を超えました。").str());
        r = code == kDiv ? a / b : a % b;
        break;
      case kAnd: r = a & b; break;
      case kShl: r = S(U(a) << (U(b) % 32)); break;
      case kShr: r = S(U(a) >> (U(b) % 32)); break;
    }
    st.push(r);
  }
  // Mended: a long expression was charged a 16th of its codes; every byte
  // read is charged now, so a loop of long expressions keeps the tick short.
  work_ += n + 1 + word_bytes;
  inx = pc;
  int32_t result = st.pop();
  if (st.size() != 0 || st.invalid()) [[unlikely]]
    CornerText(InvalidText());
  return static_cast<int16_t>(static_cast<uint16_t>(U(result)));
}

}  // namespace velmor::scenario
