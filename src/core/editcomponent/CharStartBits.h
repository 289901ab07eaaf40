#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace tervil {

class TLineBreakBits;

// Where the characters of one piece of non-ASCII UTF-8 text start: one bit per byte (set on every
// byte that is not a continuation byte), with the number of characters before every 512-byte
// block. The character index of a byte, the byte of a character index and the byte of a
// character offset (a line break counting two) then take a few bit operations on one or two
// cache lines instead of a walk over up to the piece's whole text. Costs an eighth of a byte per
// byte, and nothing for ASCII text, whose bytes are its characters.
class TCharStartBits {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  TCharStartBits() = default;
  ~TCharStartBits() { Clear(); }
  TCharStartBits(TCharStartBits&& other) noexcept { *this = std::move(other); }
  TCharStartBits& operator=(TCharStartBits&& other) noexcept;

  bool Empty() const { return !data_; }
  void Clear();
  // Takes the bits of `wordCount` words (bit i of word w: byte 64 w + i starts a character;
  // bits past the text's end clear) into an allocation of its own.
  void Assign(const std::uint64_t* words, std::size_t wordCount);
  // The same in `storage` (StorageWords(wordCount) words) kept by the caller as long as these
  // bits, and moved by it with Rebase: the words are written at WordsIn(storage) first, then
  // PlaceBuilt takes them without a copy.
  static std::size_t StorageWords(std::size_t wordCount) { return kHeaderWords + wordCount; }
  static std::uint64_t* WordsIn(std::uint64_t* storage) { return storage + kHeaderWords; }
  void PlaceBuilt(std::uint64_t* storage, std::size_t wordCount);
  bool Placed() const { return data_ && !owns_; }
  void Rebase(std::uintptr_t from, std::uint64_t* to) {
    if (Placed())
      data_ = to + (reinterpret_cast<std::uintptr_t>(data_) - from) / sizeof(std::uint64_t);
  }

  // Characters that start before `offset`.
  std::size_t Rank(std::size_t offset) const;
  // Byte where character `k` starts, or npos when there are not that many.
  std::size_t Select(std::size_t k) const;
  // The largest byte p (at most `size`) with Rank(p) + breaks.Rank(p) <= units: the byte at a
  // character offset in which each line break counts twice (inside a break: the break itself).
  std::size_t OffsetOfUnits(std::size_t units, std::size_t size,
                            const TLineBreakBits& breaks) const;

  std::size_t MemoryUsage() const;
  bool operator==(const TCharStartBits& other) const;

 private:
  static constexpr std::size_t kWordsPerBlock = 8;
  static constexpr std::size_t kHeaderWords = 4;  // 16 block counts of 16 bits

  std::size_t BlockCount() const { return (wordCount_ + kWordsPerBlock - 1) / kWordsPerBlock; }
  std::size_t Before(std::size_t block) const {
    std::uint16_t count;
    std::memcpy(&count, reinterpret_cast<const char*>(data_) + sizeof count * block, sizeof count);
    return count;
  }
  std::uint64_t Word(std::size_t w) const { return data_[kHeaderWords + w]; }

  static void Fill(std::uint64_t* data, const std::uint64_t* words, std::size_t wordCount);

  // The block counts, then the words.
  std::uint64_t* data_ = nullptr;
  std::uint32_t wordCount_ = 0;
  bool owns_ = false;
};

}  // namespace tervil
