#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tervil {

// One 32-bit value per line, kept in blocks so that inserting or deleting lines costs the size
// of a block and the number of blocks, not the number of lines.
//
// Neighbouring lines mostly share a few values (a highlighter's state at a line start is "plain
// text", "inside a tag", "inside a comment"...), so a block keeps the distinct values it holds
// once and each line's value as a small index into them: a block of one value takes no bits per
// line, of two values one bit, up to sixteen values four bits. Blocks with more distinct values
// keep them plainly. 100 MB of one-character lines (50 million lines) then need a few megabytes
// instead of 200.
class TLineStateStore {
 public:
  using Value = std::uint32_t;

  int Size() const { return size_; }
  Value Get(int index) const;
  void Set(int index, Value value);
  // Inserts `count` copies of `value` before `index` (Size() appends).
  void Insert(int index, int count, Value value);
  void Erase(int index, int count);
  void Assign(int count, Value value);
  // The memory the values take, spare room of the blocks and an estimate of the allocator's
  // overhead included.
  std::size_t MemoryBytes() const;

 private:
  static constexpr int kBlockSize = 4096;
  static constexpr int kPlainBits = 32;
  // Up to kBlockSize values (2 * kBlockSize before a split).
  class Block {
   public:
    Block() = default;
    Block(int count, Value value);
    explicit Block(const std::vector<Value>& values) { Encode(values.data(), values.size()); }
    int Count() const { return count_; }
    Value Get(int offset) const;
    void Set(int offset, Value value);
    std::vector<Value> Decode() const;
    std::size_t MemoryBytes() const;

   private:
    void Encode(const Value* values, std::size_t count);
    void SetIndex(int offset, unsigned index);

    int count_ = 0;
    int bits_ = 0;                       // 0, 1, 2, 4, or kPlainBits
    std::vector<Value> palette_;         // the distinct values (empty when plain)
    std::vector<std::uint64_t> packed_;  // palette indexes, bits_ each
    std::vector<Value> plain_;           // the values themselves when bits_ == kPlainBits
  };
  struct Location {
    int block;
    int offset;
  };
  Location Locate(int index) const;
  void RebuildStarts(int fromBlock);
  // Replaces block `block` by blocks of the normal size holding `values`.
  void ReplaceBlock(int block, const std::vector<Value>& values);

  std::vector<Block> blocks_;
  std::vector<int> starts_;  // index of the first value of each block
  int size_ = 0;
  mutable int lastBlock_ = 0;  // where the previous question was, for reads in order
};

}  // namespace tervil
