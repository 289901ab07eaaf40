#include "core/editcomponent/LineBreakBits.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervil {

namespace {

// One bit per byte of 64 bytes: line feeds, carriage returns, bytes above 0x7F and UTF-8
// continuation bytes (0x80-0xBF).
struct TMasks {
  std::uint64_t lf = 0;
  std::uint64_t cr = 0;
  std::uint64_t high = 0;
  std::uint64_t continuation = 0;
};

TMasks Scan64(const char* p) {
  TMasks m;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i belowLead = _mm_set1_epi8(static_cast<char>(0xC0));  // -64: 0x80-0xBF are below
  for (int i = 0; i < 4; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    const auto bits = [](__m128i x) {
      return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x)));
    };
    const int shift = 16 * i;
    m.lf |= bits(_mm_cmpeq_epi8(v, lf)) << shift;
    m.cr |= bits(_mm_cmpeq_epi8(v, cr)) << shift;
    m.high |= bits(v) << shift;
    m.continuation |= bits(_mm_cmplt_epi8(v, belowLead)) << shift;
  }
#else
  for (int i = 0; i < 64; ++i) {
    const auto c = static_cast<unsigned char>(p[i]);
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (c == '\n') m.lf |= bit;
    if (c == '\r') m.cr |= bit;
    if (c >= 0x80) m.high |= bit;
    if ((c & 0xC0) == 0x80) m.continuation |= bit;
  }
#endif
  return m;
}

// Set bits of a word. std::popcount becomes a library call when the build does not target the
// POPCNT instruction; this stays inline either way.
inline std::size_t CountBits(std::uint64_t x) {
#if defined(__POPCNT__)
  return static_cast<std::size_t>(std::popcount(x));
#else
  x -= (x >> 1) & 0x5555555555555555;
  x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return static_cast<std::size_t>((x * 0x0101010101010101) >> 56);
#endif
}

std::uint64_t LowBits(std::size_t n) {
  return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

// Position of the set bit number `k` (from 0) of `word`, which has more than k set bits.
std::size_t SelectInWord(std::uint64_t word, std::size_t k) {
  std::size_t shift = 0;
  for (std::size_t width = 32; width >= 8; width /= 2) {
    const auto low = CountBits(word & LowBits(width));
    if (k >= low) {
      k -= low;
      word >>= width;
      shift += width;
    }
  }
  for (; k > 0; --k) word &= word - 1;
  return shift + static_cast<std::size_t>(std::countr_zero(word));
}

}  // namespace

TLineBreakBits::TFacts TLineBreakBits::Build(std::string_view text, std::uint64_t* storage) {
  text = text.substr(0, kMaxBytes);
  const std::size_t wordCount = WordsFor(text.size());
  if (storage) {
    Release();
    words_ = storage;
  } else if (!ownsWords_ || wordCount != wordCount_) {
    Release();
    words_ = new std::uint64_t[std::max<std::size_t>(wordCount, 1)];
    ownsWords_ = true;
  }
  wordCount_ = static_cast<std::uint8_t>(wordCount);
  blockStarts_.fill(0);
  TFacts facts;
  std::uint64_t high = 0, cr = 0;
  std::size_t continuation = 0, count = 0;
  for (std::size_t w = 0; w < wordCount; ++w) {
    const std::size_t at = 64 * w;
    TMasks m;
    if (at + 64 <= text.size()) {
      m = Scan64(text.data() + at);
    } else {
      char tail[64] = {};  // zero bytes are neither breaks nor continuation bytes
      std::memcpy(tail, text.data() + at, text.size() - at);
      m = Scan64(tail);
    }
    if (w % kWordsPerBlock == 0)
      blockStarts_[w / kWordsPerBlock] = static_cast<std::uint16_t>(count);
    words_[w] = m.lf;
    count += CountBits(m.lf);
    high |= m.high;
    cr |= m.cr;
    continuation += CountBits(m.continuation);
  }
  count_ = static_cast<std::uint16_t>(count);
  if (count_ == 0) {
    Release();
    wordCount_ = 0;
    blockStarts_.fill(0);
  }
  facts.chars = text.size() - continuation;
  facts.ascii = high == 0;
  facts.carriageReturn = cr != 0;
  return facts;
}

bool TLineBreakBits::operator==(const TLineBreakBits& other) const {
  return count_ == other.count_ && wordCount_ == other.wordCount_ &&
         blockStarts_ == other.blockStarts_ &&
         std::equal(words_, words_ + wordCount_, other.words_);
}

TLineBreakBits& TLineBreakBits::operator=(TLineBreakBits&& other) noexcept {
  if (this != &other) {
    Release();
    words_ = std::exchange(other.words_, nullptr);
    wordCount_ = std::exchange(other.wordCount_, 0);
    ownsWords_ = std::exchange(other.ownsWords_, false);
    count_ = std::exchange(other.count_, 0);
    blockStarts_ = other.blockStarts_;
  }
  return *this;
}

void TLineBreakBits::Release() {
  if (ownsWords_) delete[] words_;
  words_ = nullptr;
  ownsWords_ = false;
}

std::size_t TLineBreakBits::Rank(std::size_t offset) const {
  const std::size_t w = offset / 64;
  if (w >= WordCount()) return count_;
  std::size_t rank = BreaksBeforeBlock(w / kWordsPerBlock);
  for (std::size_t i = w - w % kWordsPerBlock; i < w; ++i) rank += CountBits(words_[i]);
  return rank + CountBits(words_[w] & LowBits(offset % 64));
}

std::size_t TLineBreakBits::Select(std::size_t k) const {
  // The last block that starts with at most k breaks before it holds break k.
  std::size_t block = 0;
  for (std::size_t len = BlockCount(); len > 1;) {
    const std::size_t half = len / 2;
    if (BreaksBeforeBlock(block + half) <= k) block += half;
    len -= half;
  }
  k -= BreaksBeforeBlock(block);
  for (std::size_t w = block * kWordsPerBlock; w < WordCount(); ++w) {
    const auto inWord = CountBits(words_[w]);
    if (k < inWord) return 64 * w + SelectInWord(words_[w], k);
    k -= inWord;
  }
  return npos;  // k >= Count()
}

std::size_t TLineBreakBits::Next(std::size_t from) const {
  std::size_t w = from / 64;
  if (w >= WordCount()) return npos;
  std::uint64_t m = words_[w] & ~LowBits(from % 64);
  while (m == 0) {
    if (++w == WordCount()) return npos;
    m = words_[w];
  }
  return 64 * w + static_cast<std::size_t>(std::countr_zero(m));
}

std::size_t TLineBreakBits::Prev(std::size_t before) const {
  if (before == 0 || WordCount() == 0) return npos;
  const std::size_t last = std::min(before - 1, 64 * WordCount() - 1);
  std::size_t w = last / 64;
  std::uint64_t m = words_[w] & LowBits(last % 64 + 1);
  while (m == 0) {
    if (w == 0) return npos;
    m = words_[--w];
  }
  return 64 * w + 63 - static_cast<std::size_t>(std::countl_zero(m));
}

std::size_t TLineBreakBits::OffsetOfAsciiUnits(std::size_t units, std::size_t size) const {
  if (WordCount() == 0) return std::min(units, size);
  // Units before a byte p: p + Rank(p). The last block whose start is not past `units`...
  std::size_t block = 0;
  for (std::size_t len = BlockCount(); len > 1;) {
    const std::size_t half = len / 2;
    if (kBlockBytes * (block + half) + BreaksBeforeBlock(block + half) <= units) block += half;
    len -= half;
  }
  // ...then the last word in it whose start is not past `units`...
  std::size_t w = block * kWordsPerBlock;
  std::size_t rank = BreaksBeforeBlock(block);
  const std::size_t blockEnd = std::min(w + kWordsPerBlock, WordCount());
  while (w + 1 < blockEnd) {
    const auto inWord = CountBits(words_[w]);
    if (64 * (w + 1) + rank + inWord > units) break;
    rank += inWord;
    ++w;
  }
  // ...then the last bit in that word.
  const std::size_t room = units - 64 * w - rank;
  std::size_t j = 0;
  for (std::size_t step = 64; step > 0; step /= 2) {
    const std::size_t next = j + step;
    if (next > 64) continue;
    if (next + CountBits(words_[w] & LowBits(next)) <= room) j = next;
  }
  return std::min(64 * w + j, size);
}

}  // namespace tervil
