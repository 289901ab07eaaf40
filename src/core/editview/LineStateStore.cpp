#include "core/editview/LineStateStore.h"

#include <algorithm>
#include <stdexcept>

namespace tervil {

TLineStateStore::Location TLineStateStore::Locate(int index) const {
  if (index < 0 || index >= size_) throw std::out_of_range("line state index");
  auto it = std::upper_bound(starts_.begin(), starts_.end(), index);
  int block = static_cast<int>(it - starts_.begin()) - 1;
  return {block, index - starts_[block]};
}

TLineStateStore::Value TLineStateStore::Get(int index) const {
  Location at = Locate(index);
  return blocks_[at.block][at.offset];
}

void TLineStateStore::Set(int index, Value value) {
  Location at = Locate(index);
  blocks_[at.block][at.offset] = value;
}

void TLineStateStore::RebuildStarts(int fromBlock) {
  starts_.resize(blocks_.size());
  int start =
      fromBlock > 0 ? starts_[fromBlock - 1] + static_cast<int>(blocks_[fromBlock - 1].size()) : 0;
  for (std::size_t b = fromBlock; b < blocks_.size(); ++b) {
    starts_[b] = start;
    start += static_cast<int>(blocks_[b].size());
  }
}

void TLineStateStore::Assign(int count, Value value) {
  blocks_.clear();
  size_ = std::max(0, count);
  for (int done = 0; done < size_; done += kBlockSize) {
    blocks_.emplace_back(std::min(kBlockSize, size_ - done), value);
  }
  RebuildStarts(0);
}

void TLineStateStore::Insert(int index, int count, Value value) {
  if (index < 0 || index > size_) throw std::out_of_range("line state index");
  if (count <= 0) return;
  if (blocks_.empty()) {
    Assign(count, value);
    return;
  }
  int block, offset;
  if (index == size_) {
    block = static_cast<int>(blocks_.size()) - 1;
    offset = static_cast<int>(blocks_[block].size());
  } else {
    Location at = Locate(index);
    block = at.block;
    offset = at.offset;
  }
  std::vector<Value>& values = blocks_[block];
  values.insert(values.begin() + offset, count, value);
  if (static_cast<int>(values.size()) > 2 * kBlockSize) {
    // Split an overfull block into blocks of the normal size.
    std::vector<std::vector<Value>> pieces;
    for (std::size_t p = 0; p < values.size(); p += kBlockSize) {
      std::size_t n = std::min<std::size_t>(kBlockSize, values.size() - p);
      pieces.emplace_back(values.begin() + p, values.begin() + p + n);
    }
    blocks_.erase(blocks_.begin() + block);
    blocks_.insert(blocks_.begin() + block, pieces.begin(), pieces.end());
  }
  size_ += count;
  RebuildStarts(block);
}

void TLineStateStore::Erase(int index, int count) {
  if (count <= 0) return;
  if (index < 0 || index + count > size_) throw std::out_of_range("line state range");
  int first = Locate(index).block;
  int remaining = count;
  int block = first;
  int offset = index - starts_[first];
  while (remaining > 0) {
    std::vector<Value>& values = blocks_[block];
    int n = std::min(remaining, static_cast<int>(values.size()) - offset);
    values.erase(values.begin() + offset, values.begin() + offset + n);
    remaining -= n;
    offset = 0;
    ++block;
  }
  size_ -= count;
  // Only the blocks the range touched can have become empty.
  auto touched = blocks_.begin() + first;
  blocks_.erase(std::remove_if(touched, blocks_.begin() + block,
                               [](const std::vector<Value>& v) { return v.empty(); }),
                blocks_.begin() + block);
  RebuildStarts(first);
}

std::size_t TLineStateStore::MemoryBytes() const {
  std::size_t bytes =
      blocks_.capacity() * sizeof(std::vector<Value>) + starts_.capacity() * sizeof(int);
  for (const std::vector<Value>& block : blocks_) bytes += block.capacity() * sizeof(Value);
  return bytes;
}

}  // namespace tervil
