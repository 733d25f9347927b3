#include "app/own_saves.h"

#include <span>
#include <unordered_map>
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
  steps_.push_back(Step{std::move(step), {}});
  PackPicturesLeftBehind();
  while (steps_.size() > kMaxSteps || (steps_.size() > 1 && MemoryBytes() > kMaxBytes))
    steps_.pop_front();
  pos_ = steps_.size() - 1;
  at_step_ = true;
}

const formats::Snapshot* History::Back() {
  if (steps_.empty()) return nullptr;
  std::size_t to = pos_;
  if (at_step_) {
    if (pos_ == 0) return nullptr;
    --to;
  }
  const formats::Snapshot* step = Whole(to);
  if (!step) return nullptr;
  pos_ = to;
  at_step_ = true;
  return step;
}

const formats::Snapshot* History::Forward() {
  if (!at_step_ || pos_ + 1 >= steps_.size()) return nullptr;
  const formats::Snapshot* step = Whole(pos_ + 1);
  if (step) ++pos_;
  return step;
}

void History::Clear() {
  steps_.clear();
  pos_ = 0;
  at_step_ = false;
  anchors_ = formats::PictureAnchors();
  whole_ = formats::Snapshot();
}

std::size_t History::MemoryBytes() const {
  std::unordered_set<const void*> seen;
  std::size_t total = 0;
  for (const Step& s : steps_) {
    total += s.snapshot.MemoryBytes(&seen);
    for (const std::shared_ptr<const PackedPicture>& p : s.packed)
      if (p && seen.insert(p.get()).second) total += p->bytes.capacity();
  }
  // The anchors the next step is packed against are kept too.
  for (const std::vector<Bitmap>& pool : anchors_.anchors)
    for (const Bitmap& b : pool)
      if (!b.empty() && seen.insert(b.pixels().data()).second)
        total += b.pixels().size() * sizeof(Color);
  return total;
}

// Every picture of the steps that no next step can be packed against any
// more is packed, once for all the steps that show it.
void History::PackPicturesLeftBehind() {
  std::unordered_set<const void*> anchors;
  for (const std::vector<Bitmap>& pool : anchors_.anchors)
    for (const Bitmap& b : pool)
      if (!b.empty()) anchors.insert(b.pixels().data());
  std::unordered_map<const void*, std::shared_ptr<const PackedPicture>> packed;
  for (Step& step : steps_) {
    std::vector<Bitmap>& pictures = step.snapshot.pictures;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      if (pictures[i].empty() || anchors.contains(pictures[i].pixels().data())) continue;
      std::shared_ptr<const PackedPicture>& p = packed[pictures[i].pixels().data()];
      if (!p) p = PackPicture(pictures[i]);
      if (!p) continue;  // the platform could not pack it: kept whole
      step.packed.resize(pictures.size());
      step.packed[i] = p;
      pictures[i] = Bitmap();
    }
  }
}

std::shared_ptr<const History::PackedPicture> History::PackPicture(const Bitmap& picture) const {
  const std::vector<Color>& pixels = picture.pixels();
  std::vector<uint8_t> bytes = compressor_.Pack(
      {reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size() * sizeof(Color)});
  if (bytes.empty()) return nullptr;
  return std::make_shared<const PackedPicture>(
      PackedPicture{picture.width(), picture.height(), std::move(bytes)});
}

const formats::Snapshot* History::Whole(std::size_t index) {
  const Step& step = steps_[index];
  whole_ = step.snapshot;
  for (std::size_t i = 0; i < step.packed.size(); ++i) {
    if (!step.packed[i]) continue;
    Bitmap picture(step.packed[i]->width, step.packed[i]->height);
    const std::span<uint8_t> pixels(reinterpret_cast<uint8_t*>(picture.row(0)),
                                    picture.pixels().size() * sizeof(Color));
    if (!compressor_.Unpack(step.packed[i]->bytes, pixels)) return nullptr;
    whole_.pictures[i] = std::move(picture);
  }
  return &whole_;
}

}  // namespace velmor::app
