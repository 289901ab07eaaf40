#include "core/editcomponent/CharStartBits.h"

#include <algorithm>
#include <cstring>

#include "core/editcomponent/BitRank.h"
#include "core/editcomponent/LineBreakBits.h"

namespace tervil {

using bitrank::CountBits;
using bitrank::LowBits;

TCharStartBits& TCharStartBits::operator=(TCharStartBits&& other) noexcept {
  if (this != &other) {
    Clear();
    data_ = std::exchange(other.data_, nullptr);
    wordCount_ = std::exchange(other.wordCount_, 0);
    owns_ = std::exchange(other.owns_, false);
  }
  return *this;
}

void TCharStartBits::Clear() {
  if (owns_) delete[] data_;
  data_ = nullptr;
  wordCount_ = 0;
  owns_ = false;
}

void TCharStartBits::Assign(const std::uint64_t* words, std::size_t wordCount) {
  if (!owns_ || wordCount != wordCount_) {
    Clear();
    data_ = new std::uint64_t[StorageWords(wordCount)];
    owns_ = true;
  }
  wordCount_ = static_cast<std::uint32_t>(wordCount);
  Fill(data_, words, wordCount);
}

void TCharStartBits::PlaceBuilt(std::uint64_t* storage, std::size_t wordCount) {
  Clear();
  data_ = storage;
  wordCount_ = static_cast<std::uint32_t>(wordCount);
  Fill(data_, WordsIn(storage), wordCount);
}

void TCharStartBits::Fill(std::uint64_t* data, const std::uint64_t* words, std::size_t wordCount) {
  std::uint16_t before[kHeaderWords * 4] = {};
  std::size_t count = 0;
  for (std::size_t w = 0; w < wordCount; ++w) {
    if (w % kWordsPerBlock == 0) before[w / kWordsPerBlock] = static_cast<std::uint16_t>(count);
    count += CountBits(words[w]);
  }
  std::memcpy(data, before, sizeof before);
  if (words != data + kHeaderWords)
    std::memcpy(data + kHeaderWords, words, wordCount * sizeof(std::uint64_t));
}

std::size_t TCharStartBits::Rank(std::size_t offset) const {
  std::size_t w = offset / 64;
  if (w >= wordCount_) {
    if (wordCount_ == 0) return 0;
    w = wordCount_ - 1;
    offset = 64 * wordCount_;
  }
  std::size_t rank = Before(w / kWordsPerBlock);
  for (std::size_t i = w - w % kWordsPerBlock; i < w; ++i) rank += CountBits(Word(i));
  return rank + CountBits(Word(w) & LowBits(offset - 64 * w));
}

std::size_t TCharStartBits::Select(std::size_t k) const {
  std::size_t block = 0;
  for (std::size_t len = BlockCount(); len > 1;) {
    const std::size_t half = len / 2;
    if (Before(block + half) <= k) block += half;
    len -= half;
  }
  if (wordCount_ == 0) return npos;
  k -= Before(block);
  for (std::size_t w = block * kWordsPerBlock; w < wordCount_; ++w) {
    const std::size_t inWord = CountBits(Word(w));
    if (k < inWord) return 64 * w + bitrank::SelectInWord(Word(w), k);
    k -= inWord;
  }
  return npos;
}

std::size_t TCharStartBits::OffsetOfUnits(std::size_t units, std::size_t size,
                                          const TLineBreakBits& breaks) const {
  if (wordCount_ == 0) return 0;
  // Units before a byte p: Rank(p) + breaks.Rank(p). The last block whose start is not past
  // `units`...
  std::size_t block = 0;
  for (std::size_t len = BlockCount(); len > 1;) {
    const std::size_t half = len / 2;
    if (Before(block + half) + breaks.BreaksBeforeBlock(block + half) <= units) block += half;
    len -= half;
  }
  // ...then the last word in it whose start is not past `units`...
  std::size_t w = block * kWordsPerBlock;
  std::size_t before = Before(block) + breaks.BreaksBeforeBlock(block);
  const std::size_t blockEnd = std::min<std::size_t>(w + kWordsPerBlock, wordCount_);
  while (w + 1 < blockEnd) {
    const std::size_t inWord = CountBits(Word(w)) + CountBits(breaks.WordAt(w));
    if (before + inWord > units) break;
    before += inWord;
    ++w;
  }
  // ...then the last bit in that word (a byte p is counted by the bits below it).
  const std::uint64_t starts = Word(w), lf = breaks.WordAt(w);
  const std::size_t room = units - before;
  std::size_t j = 0;
  for (std::size_t step = 64; step > 0; step /= 2) {
    const std::size_t next = j + step;
    if (next > 64) continue;
    if (CountBits(starts & LowBits(next)) + CountBits(lf & LowBits(next)) <= room) j = next;
  }
  return std::min(64 * w + j, size);
}

std::size_t TCharStartBits::MemoryUsage() const {
  return owns_ ? StorageWords(wordCount_) * sizeof(std::uint64_t) : 0;
}

bool TCharStartBits::operator==(const TCharStartBits& other) const {
  if (wordCount_ != other.wordCount_ || Empty() != other.Empty()) return false;
  return Empty() || std::equal(data_, data_ + StorageWords(wordCount_), other.data_);
}

}  // namespace tervil
