#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tervil {

// One 32-bit value per line, kept in blocks so that inserting or deleting lines costs the size
// of a block and the number of blocks, not the number of lines.
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
  // The memory the values take, spare room of the blocks included.
  std::size_t MemoryBytes() const;

 private:
  static constexpr int kBlockSize = 4096;
  struct Location {
    int block;
    int offset;
  };
  Location Locate(int index) const;
  void RebuildStarts(int fromBlock);

  std::vector<std::vector<Value>> blocks_;
  std::vector<int> starts_;  // index of the first value of each block
  int size_ = 0;
};

}  // namespace tervil
