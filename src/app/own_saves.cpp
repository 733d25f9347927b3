#include "app/own_saves.h"

#include <unordered_set>

namespace velmor::app {

std::string OwnSaveFileName(int slot) {
  if (slot == kQuickSlot) return "velmor-save-quick.sav";
  const std::string n = std::to_string(slot);
  return "velmor-save-" + std::string(n.size() < 2 ? "0" : "") + n + ".sav";
}

void History::Record(formats::Snapshot step) {
  if (!steps_.empty()) steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(pos_) + 1,
                                    steps_.end());
  steps_.push_back(std::move(step));
  while (steps_.size() > kMaxSteps || (steps_.size() > 1 && MemoryBytes() > kMaxBytes))
    steps_.pop_front();
  pos_ = steps_.size() - 1;
  at_step_ = true;
}

const formats::Snapshot* History::Back() {
  if (steps_.empty()) return nullptr;
  if (at_step_) {
    if (pos_ == 0) return nullptr;
    --pos_;
  }
  at_step_ = true;
  return &steps_[pos_];
}

const formats::Snapshot* History::Forward() {
  if (!at_step_ || pos_ + 1 >= steps_.size()) return nullptr;
  ++pos_;
  return &steps_[pos_];
}

void History::Clear() {
  steps_.clear();
  pos_ = 0;
  at_step_ = false;
  anchors_ = formats::PictureAnchors();
}

std::size_t History::MemoryBytes() const {
  std::unordered_set<const void*> seen;
  std::size_t total = 0;
  for (const formats::Snapshot& s : steps_) total += s.MemoryBytes(&seen);
  // The anchors the next step is packed against are kept too.
  for (const std::vector<Bitmap>& pool : anchors_.anchors)
    for (const Bitmap& b : pool)
      if (!b.empty() && seen.insert(b.pixels().data()).second)
        total += b.pixels().size() * sizeof(Color);
  return total;
}

}  // namespace velmor::app
