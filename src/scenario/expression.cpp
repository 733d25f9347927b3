// The postfix expression evaluator.
#include <array>
#include <climits>

#include "core/sjis.h"
#include "core/texts.h"
#include "platform/window.h"
#include "scenario/expression.h"
#include "scenario/scenario.h"

namespace velmor::scenario {

namespace {

constexpr int kStackSize = 255;
// Mended: an expression longer than the whole image can only be garbage
// (the original read on for ever): it is cut
// off there and treated as invalid, instead of looping for ever.
constexpr uint32_t kMaxCodes = kImageSize;

using namespace language::expr_code;
using expression::S;
using expression::U;

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

// The two texts, in the language the game's texts are shown in.
std::string BugText() { return GameSentence(GameText("シナリオプログラムでのバグです。"), {}); }
std::string InvalidText() { return GameSentence(GameText("不正な計算式です。"), {}); }

}  // namespace

int16_t Scenario::Evaluate() {
  const Evaluated e = EvaluateAt(inx);
  inx = e.next;
  return e.value;
}

void Scenario::FailDivision(bool by_zero) {
  // Mended: a division by 0, or of -2^31 by -1, brought the original down;
  // here the player is told and the game ends in order.
  if (by_zero) Fail(GameSentence(GameText("計算式で 0 による割り算をしました。"), {}));
  Fail(GameSentence(GameText("計算式の割り算の結果が範囲を超えました。"), {}));
}

Scenario::Evaluated Scenario::EvaluateAny(uint16_t pc) {
  ValueStack st;
  bool reported_bug = false;
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
      case kPushWord:
      case kPushWork:
      case kPushFlag: st.push(PushedValue(code, fetch_word())); continue;
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
    st.push(Combine(code, a, b));
  }
  // Mended: a long expression was charged a 16th of its codes; every byte
  // read is charged now, so a loop of long expressions keeps the tick short.
  work_ += n + 1 + word_bytes;
  int32_t result = st.pop();
  if (st.size() != 0 || st.invalid()) [[unlikely]]
    CornerText(InvalidText());
  return {static_cast<int16_t>(static_cast<uint16_t>(U(result))), pc};
}

}  // namespace velmor::scenario
