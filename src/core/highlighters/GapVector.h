#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tervil {

// A vector with a gap at the place of the last insertion or removal, so that repeated edits at
// one place move no memory however long the vector is.
template <class T>
class TGapVector {
 public:
  std::size_t size() const { return data_.size() - (gapEnd_ - gapStart_); }

  T& operator[](std::size_t i) { return data_[i < gapStart_ ? i : i + (gapEnd_ - gapStart_)]; }
  const T& operator[](std::size_t i) const {
    return data_[i < gapStart_ ? i : i + (gapEnd_ - gapStart_)];
  }

  void Assign(std::size_t count, const T& value) {
    data_.assign(count + Slack(count), value);
    data_.shrink_to_fit();
    gapStart_ = count;
    gapEnd_ = data_.size();
  }

  void Insert(std::size_t at, std::size_t count, const T& value) {
    if (count == 0) return;
    MoveGap(at);
    if (gapEnd_ - gapStart_ < count) Grow(count);
    std::fill(data_.begin() + static_cast<std::ptrdiff_t>(gapStart_),
              data_.begin() + static_cast<std::ptrdiff_t>(gapStart_ + count), value);
    gapStart_ += count;
  }

  void Erase(std::size_t at, std::size_t count) {
    if (count == 0) return;
    MoveGap(at);
    gapEnd_ += count;
  }

  std::size_t MemoryBytes() const { return data_.capacity() * sizeof(T); }

 private:
  static std::size_t Slack(std::size_t count) { return std::max<std::size_t>(count / 8, 256); }

  void MoveGap(std::size_t at) {
    auto data = data_.begin();
    auto length = static_cast<std::ptrdiff_t>(gapEnd_ - gapStart_);
    if (at < gapStart_) {
      std::move_backward(data + static_cast<std::ptrdiff_t>(at),
                         data + static_cast<std::ptrdiff_t>(gapStart_),
                         data + static_cast<std::ptrdiff_t>(gapEnd_));
    } else if (at > gapStart_) {
      std::move(data + static_cast<std::ptrdiff_t>(gapEnd_),
                data + static_cast<std::ptrdiff_t>(at) + length,
                data + static_cast<std::ptrdiff_t>(gapStart_));
    }
    gapStart_ = at;
    gapEnd_ = at + static_cast<std::size_t>(length);
  }

  void Grow(std::size_t needed) {
    std::size_t count = size();
    std::size_t newGap = needed + Slack(count + needed);
    std::vector<T> grown;
    grown.reserve(count + newGap);
    grown.insert(grown.end(), data_.begin(),
                 data_.begin() + static_cast<std::ptrdiff_t>(gapStart_));
    grown.resize(gapStart_ + newGap);
    grown.insert(grown.end(), data_.begin() + static_cast<std::ptrdiff_t>(gapEnd_), data_.end());
    gapEnd_ = gapStart_ + newGap;
    data_.swap(grown);
  }

  std::vector<T> data_;
  std::size_t gapStart_ = 0;
  std::size_t gapEnd_ = 0;
};

}  // namespace tervil
