#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace tervil {

// The line breaks ('\n') of one piece of text of at most kMaxBytes bytes, one bit per byte, with
// the number of breaks before every 512-byte block kept inline. Counting the breaks before a byte
// takes constant time and finding the k-th break a few steps, whatever the number of breaks, and
// both read one cache line of bits: a piece of one-character lines costs an eighth of a byte per
// byte, where a list of 16-bit offsets would cost one. A piece without breaks holds no bits.
class TLineBreakBits {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  static constexpr std::size_t kMaxBytes = 8192;

  // What one pass over the text found besides the breaks.
  struct TFacts {
    std::size_t chars = 0;  // bytes that are not UTF-8 continuation bytes
    bool ascii = true;      // no byte above 0x7F
    bool carriageReturn = false;
  };

  TLineBreakBits() = default;
  ~TLineBreakBits() { Release(); }
  TLineBreakBits(TLineBreakBits&& other) noexcept { *this = std::move(other); }
  TLineBreakBits& operator=(TLineBreakBits&& other) noexcept;

  // Words the bits of `size` bytes take.
  static std::size_t WordsFor(std::size_t size) { return (size + 63) / 64; }
  // Rebuilds the bits from `text` (at most kMaxBytes) in one pass. With `storage` (room for
  // WordsFor(text.size()) words, kept by the caller as long as these bits), the bits are
  // written there; otherwise into an allocation of their own.
  TFacts Build(std::string_view text, std::uint64_t* storage = nullptr);

  std::size_t Count() const { return count_; }
  // Breaks before `offset` (offset <= the text's size).
  std::size_t Rank(std::size_t offset) const;
  // Offset of break `k` (k < Count()).
  std::size_t Select(std::size_t k) const;
  // The first break at or after `from`, or npos.
  std::size_t Next(std::size_t from) const;
  // The last break before `before`, or npos.
  std::size_t Prev(std::size_t before) const;
  // For ASCII text, where a break counts two units and every other byte one: the largest
  // offset p (at most `size`) with p + Rank(p) <= units.
  std::size_t OffsetOfAsciiUnits(std::size_t units, std::size_t size) const;

  // Heap bytes of the bits' own allocation (none when they are in the caller's storage).
  std::size_t MemoryUsage() const { return ownsWords_ ? WordCount() * sizeof(std::uint64_t) : 0; }
  bool operator==(const TLineBreakBits& other) const;

 private:
  static constexpr std::size_t kWordsPerBlock = 8;  // one cache line
  static constexpr std::size_t kBlockBytes = 64 * kWordsPerBlock;
  static constexpr std::size_t kMaxBlocks = kMaxBytes / kBlockBytes;
  static_assert(kMaxBytes / 64 <= 255, "the word count must fit a byte");

  std::size_t WordCount() const { return wordCount_; }
  std::size_t BlockCount() const { return (WordCount() + kWordsPerBlock - 1) / kWordsPerBlock; }
  std::size_t BreaksBeforeBlock(std::size_t b) const { return blockStarts_[b]; }

  void Release();

  // Small enough to share one cache line with the chunk that holds it.
  std::uint64_t* words_ = nullptr;  // null when there is no break
  std::uint8_t wordCount_ = 0;      // at most kMaxBytes / 64
  bool ownsWords_ = false;
  std::uint16_t count_ = 0;
  std::array<std::uint16_t, kMaxBlocks> blockStarts_{};
};

}  // namespace tervil
