#include "core/editview/LineStateStore.h"

#include <algorithm>
#include <stdexcept>

namespace tervil {

namespace {

// Bits per index for a palette of `distinct` values, or 0 for one value.
int BitsFor(std::size_t distinct) {
  if (distinct <= 1) return 0;
  if (distinct <= 2) return 1;
  if (distinct <= 4) return 2;
  return 4;
}

constexpr std::size_t kMaxPalette = 16;
// What an allocation costs beyond what it holds.
constexpr std::size_t kAllocationOverhead = 16;

template <typename T>
std::size_t HeapBytes(const std::vector<T>& v) {
  return v.capacity() == 0 ? 0 : v.capacity() * sizeof(T) + kAllocationOverhead;
}

}  // namespace

// ---------------------------------------------------------------- block

TLineStateStore::Block::Block(int count, Value value) : count_(count) {
  if (count > 0) palette_.assign(1, value);
}

void TLineStateStore::Block::Encode(const Value* values, std::size_t count) {
  count_ = static_cast<int>(count);
  palette_.clear();
  packed_.clear();
  std::vector<Value>().swap(plain_);
  for (std::size_t i = 0; i < count && palette_.size() <= kMaxPalette; ++i) {
    if (std::find(palette_.begin(), palette_.end(), values[i]) == palette_.end())
      palette_.push_back(values[i]);
  }
  if (palette_.size() > kMaxPalette) {
    bits_ = kPlainBits;
    std::vector<Value>().swap(palette_);
    std::vector<std::uint64_t>().swap(packed_);
    plain_.assign(values, values + count);
    return;
  }
  bits_ = BitsFor(palette_.size());
  palette_.shrink_to_fit();
  if (bits_ == 0) return;
  packed_.assign((count * static_cast<std::size_t>(bits_) + 63) / 64, 0);
  for (std::size_t i = 0; i < count; ++i) {
    auto at = std::find(palette_.begin(), palette_.end(), values[i]);
    SetIndex(static_cast<int>(i), static_cast<unsigned>(at - palette_.begin()));
  }
}

void TLineStateStore::Block::SetIndex(int offset, unsigned index) {
  const std::size_t bit = static_cast<std::size_t>(offset) * static_cast<std::size_t>(bits_);
  const std::uint64_t mask = (std::uint64_t{1} << bits_) - 1;
  std::uint64_t& word = packed_[bit / 64];
  word = (word & ~(mask << (bit % 64))) | (std::uint64_t{index} << (bit % 64));
}

TLineStateStore::Value TLineStateStore::Block::Get(int offset) const {
  if (bits_ == kPlainBits) return plain_[offset];
  if (bits_ == 0) return palette_[0];
  const std::size_t bit = static_cast<std::size_t>(offset) * static_cast<std::size_t>(bits_);
  const std::uint64_t mask = (std::uint64_t{1} << bits_) - 1;
  return palette_[(packed_[bit / 64] >> (bit % 64)) & mask];
}

void TLineStateStore::Block::Set(int offset, Value value) {
  if (bits_ == kPlainBits) {
    plain_[offset] = value;
    return;
  }
  auto at = std::find(palette_.begin(), palette_.end(), value);
  if (at != palette_.end() && bits_ > 0) {
    SetIndex(offset, static_cast<unsigned>(at - palette_.begin()));
    return;
  }
  if (at != palette_.end()) return;  // the block's only value
  if (bits_ > 0 && palette_.size() < (std::size_t{1} << bits_)) {
    palette_.push_back(value);
    SetIndex(offset, static_cast<unsigned>(palette_.size() - 1));
    return;
  }
  // A value the indexes cannot reach: encode the block again, wider (and without the values it
  // no longer holds).
  std::vector<Value> values = Decode();
  values[offset] = value;
  Encode(values.data(), values.size());
}

std::vector<TLineStateStore::Value> TLineStateStore::Block::Decode() const {
  if (bits_ == kPlainBits) return plain_;
  std::vector<Value> values(count_);
  for (int i = 0; i < count_; ++i) values[i] = Get(i);
  return values;
}

std::size_t TLineStateStore::Block::MemoryBytes() const {
  return HeapBytes(palette_) + HeapBytes(packed_) + HeapBytes(plain_);
}

// ---------------------------------------------------------------- store

TLineStateStore::Location TLineStateStore::Locate(int index) const {
  if (index < 0 || index >= size_) throw std::out_of_range("line state index");
  // Most questions come in order: try the block of the previous one and the next first.
  for (int b = lastBlock_; b < lastBlock_ + 2 && b < static_cast<int>(blocks_.size()); ++b) {
    if (index >= starts_[b] && index < starts_[b] + blocks_[b].Count()) {
      lastBlock_ = b;
      return {b, index - starts_[b]};
    }
  }
  auto it = std::upper_bound(starts_.begin(), starts_.end(), index);
  int block = static_cast<int>(it - starts_.begin()) - 1;
  lastBlock_ = block;
  return {block, index - starts_[block]};
}

TLineStateStore::Value TLineStateStore::Get(int index) const {
  Location at = Locate(index);
  return blocks_[at.block].Get(at.offset);
}

void TLineStateStore::Set(int index, Value value) {
  Location at = Locate(index);
  blocks_[at.block].Set(at.offset, value);
}

void TLineStateStore::RebuildStarts(int fromBlock) {
  starts_.resize(blocks_.size());
  int start = fromBlock > 0 ? starts_[fromBlock - 1] + blocks_[fromBlock - 1].Count() : 0;
  for (std::size_t b = fromBlock; b < blocks_.size(); ++b) {
    starts_[b] = start;
    start += blocks_[b].Count();
  }
  lastBlock_ = 0;
}

void TLineStateStore::Assign(int count, Value value) {
  blocks_.clear();
  size_ = std::max(0, count);
  blocks_.reserve(static_cast<std::size_t>(size_ / kBlockSize + 1));
  for (int done = 0; done < size_; done += kBlockSize) {
    blocks_.emplace_back(std::min(kBlockSize, size_ - done), value);
  }
  RebuildStarts(0);
}

void TLineStateStore::ReplaceBlock(int block, const std::vector<Value>& values) {
  if (values.size() <= 2 * static_cast<std::size_t>(kBlockSize)) {
    blocks_[block] = Block(values);
    return;
  }
  // Split an overfull block into blocks of the normal size.
  std::vector<Block> pieces;
  for (std::size_t p = 0; p < values.size(); p += kBlockSize) {
    std::size_t n = std::min<std::size_t>(kBlockSize, values.size() - p);
    pieces.emplace_back(std::vector<Value>(values.begin() + p, values.begin() + p + n));
  }
  blocks_.erase(blocks_.begin() + block);
  blocks_.insert(blocks_.begin() + block, std::make_move_iterator(pieces.begin()),
                 std::make_move_iterator(pieces.end()));
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
    offset = blocks_[block].Count();
  } else {
    Location at = Locate(index);
    block = at.block;
    offset = at.offset;
  }
  if (blocks_[block].Count() + count <= 2 * kBlockSize) {
    std::vector<Value> values = blocks_[block].Decode();
    values.insert(values.begin() + offset, count, value);
    ReplaceBlock(block, values);
  } else {
    // Many lines (a replace-all that put back every line of a long text): the new values go in
    // as blocks of one value each, never as one list of them all, which would take four bytes a
    // line at once. Only the block split at `index` is decoded.
    const std::vector<Value> values = blocks_[block].Decode();
    std::vector<Block> pieces;
    pieces.reserve(static_cast<std::size_t>(count / kBlockSize) + 3);
    if (offset > 0)
      pieces.emplace_back(std::vector<Value>(values.begin(), values.begin() + offset));
    for (int done = 0; done < count; done += kBlockSize)
      pieces.emplace_back(std::min(kBlockSize, count - done), value);
    if (offset < static_cast<int>(values.size()))
      pieces.emplace_back(std::vector<Value>(values.begin() + offset, values.end()));
    blocks_.erase(blocks_.begin() + block);
    blocks_.insert(blocks_.begin() + block, std::make_move_iterator(pieces.begin()),
                   std::make_move_iterator(pieces.end()));
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
    Block& b = blocks_[block];
    int n = std::min(remaining, b.Count() - offset);
    if (n == b.Count()) {
      b = Block();  // wholly erased: no need to look inside
    } else {
      std::vector<Value> values = b.Decode();
      values.erase(values.begin() + offset, values.begin() + offset + n);
      b = Block(values);
    }
    remaining -= n;
    offset = 0;
    ++block;
  }
  size_ -= count;
  // Only the blocks the range touched can have become empty.
  auto touched = blocks_.begin() + first;
  blocks_.erase(std::remove_if(touched, blocks_.begin() + block,
                               [](const Block& b) { return b.Count() == 0; }),
                blocks_.begin() + block);
  RebuildStarts(first);
}

std::size_t TLineStateStore::MemoryBytes() const {
  std::size_t bytes = HeapBytes(blocks_) + HeapBytes(starts_);
  for (const Block& block : blocks_) bytes += block.MemoryBytes();
  return bytes;
}

}  // namespace tervil
