// The AVX2 form of the UTF-8 validation and character counting (see Utf8Kernels.h).
//
// Validation looks at 64 bytes at a time. A block of ASCII only needs to know whether the block
// before it ended inside a sequence. Other blocks are checked with three table lookups per byte
// pair (the high nibble of the earlier byte, its low nibble, the high nibble of the later byte):
// each table entry is a set of the faults that pair may show, and a fault is real when all three
// lookups agree on it. Third and fourth bytes of a sequence are checked apart, from the lead
// byte two or three places back. A fault makes the plain loop find its exact place.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/common/Utf8.h"
#include "core/common/Utf8Kernels.h"

#if defined(__x86_64__)
#include <immintrin.h>

#define TERVIL_AVX2 __attribute__((target("avx2")))

namespace tervil::utf8::kernels {

namespace {

// The faults a byte pair can show, one bit each.
constexpr std::uint8_t kTooShort = 1 << 0;          // lead byte, then a lead byte or ASCII
constexpr std::uint8_t kTooLong = 1 << 1;           // ASCII, then a continuation byte
constexpr std::uint8_t kOverlong3 = 1 << 2;         // E0, then 80-9F
constexpr std::uint8_t kTooLarge = 1 << 3;          // F4 then 90-BF, or F5-FF then a continuation
constexpr std::uint8_t kSurrogate = 1 << 4;         // ED, then A0-BF
constexpr std::uint8_t kOverlong2 = 1 << 5;         // C0 or C1, then a continuation
constexpr std::uint8_t kTooLarge1000 = 1 << 6;      // F5-FF, then 80-8F
constexpr std::uint8_t kOverlong4 = 1 << 6;         // F0, then 80-8F
constexpr std::uint8_t kTwoContinuations = 1 << 7;  // continuation, then continuation
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoContinuations;

// Indexed by the high nibble of the earlier byte.
constexpr std::uint8_t kFirstHigh[16] = {
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTwoContinuations,
    kTwoContinuations,
    kTwoContinuations,
    kTwoContinuations,
    kTooShort | kOverlong2,
    kTooShort,
    kTooShort | kOverlong3 | kSurrogate,
    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4,
};

// Indexed by the low nibble of the earlier byte.
constexpr std::uint8_t kFirstLow[16] = {
    kCarry | kOverlong3 | kOverlong2 | kOverlong4,
    kCarry | kOverlong2,
    kCarry,
    kCarry,
    kCarry | kTooLarge,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
};

// Indexed by the high nibble of the later byte.
constexpr std::uint8_t kSecondHigh[16] = {
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooLong | kOverlong2 | kTwoContinuations | kOverlong3 | kTooLarge1000 | kOverlong4,
    kTooLong | kOverlong2 | kTwoContinuations | kOverlong3 | kTooLarge,
    kTooLong | kOverlong2 | kTwoContinuations | kSurrogate | kTooLarge,
    kTooLong | kOverlong2 | kTwoContinuations | kSurrogate | kTooLarge,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
};

// The last three bytes of a block that leave a sequence open: above these values.
constexpr std::uint8_t kOpenAtEnd[32] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,     0xFF,     0xFF,     0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,     0xFF,     0xFF,     0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0 - 1, 0xE0 - 1, 0xC0 - 1,
};

TERVIL_AVX2 inline __m256i Load(const void* p) {
  return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

TERVIL_AVX2 inline __m256i Table(const std::uint8_t (&table)[16]) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table)));
}

// The bytes of `input` moved N places later, the first N taken from the end of `before`.
template <int N>
TERVIL_AVX2 inline __m256i Earlier(__m256i input, __m256i before) {
  return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(before, input, 0x21), 16 - N);
}

TERVIL_AVX2 inline __m256i HighNibbles(__m256i v) {
  return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

struct TValidator {
  __m256i firstHigh, firstLow, secondHigh, openAtEnd;
  __m256i error = _mm256_setzero_si256();
  __m256i before = _mm256_setzero_si256();
  __m256i open = _mm256_setzero_si256();  // non-zero when `before` ends inside a sequence
  bool stopAtCr;

  TERVIL_AVX2 explicit TValidator(bool stopAtCr)
      : firstHigh(Table(kFirstHigh)),
        firstLow(Table(kFirstLow)),
        secondHigh(Table(kSecondHigh)),
        openAtEnd(Load(kOpenAtEnd)),
        stopAtCr(stopAtCr) {}

  TERVIL_AVX2 void Check32(__m256i input, __m256i previous) {
    const __m256i prev1 = Earlier<1>(input, previous);
    const __m256i low = _mm256_and_si256(prev1, _mm256_set1_epi8(0x0F));
    const __m256i faults =
        _mm256_and_si256(_mm256_and_si256(_mm256_shuffle_epi8(firstHigh, HighNibbles(prev1)),
                                          _mm256_shuffle_epi8(firstLow, low)),
                         _mm256_shuffle_epi8(secondHigh, HighNibbles(input)));
    // Third and fourth bytes: a lead byte E0-FF two places back, or F0-FF three places back.
    const __m256i third = _mm256_subs_epu8(Earlier<2>(input, previous), _mm256_set1_epi8(0x60));
    const __m256i fourth = _mm256_subs_epu8(Earlier<3>(input, previous), _mm256_set1_epi8(0x70));
    const __m256i mustContinue =
        _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
    error = _mm256_or_si256(error, _mm256_xor_si256(mustContinue, faults));
  }

  TERVIL_AVX2 void Check64(const char* p) {
    const __m256i a = Load(p);
    const __m256i b = Load(p + 32);
    if (stopAtCr) {
      const __m256i cr = _mm256_set1_epi8('\r');
      error = _mm256_or_si256(error,
                              _mm256_or_si256(_mm256_cmpeq_epi8(a, cr), _mm256_cmpeq_epi8(b, cr)));
    }
    if (_mm256_movemask_epi8(_mm256_or_si256(a, b)) == 0) {
      error = _mm256_or_si256(error, open);
      open = _mm256_setzero_si256();
    } else {
      Check32(a, before);
      Check32(b, a);
      open = _mm256_subs_epu8(b, openAtEnd);
    }
    before = b;
  }

  TERVIL_AVX2 bool Failed() const { return !_mm256_testz_si256(error, error); }
};

// After a fault in the block at `block`, the plain loop finds its place, starting at the
// character that holds the byte before the block: every sequence that ends earlier is valid.
std::size_t PlainFrom(const char* text, std::size_t size, std::size_t block, bool stopAtCr) {
  std::size_t start = block > 0 ? block - 1 : 0;
  while (start > 0 && block - start < 4 && IsContinuation(static_cast<unsigned char>(text[start])))
    --start;
  return start + ValidPrefixPlain(text + start, size - start, stopAtCr);
}

}  // namespace

TERVIL_AVX2 std::size_t ValidPrefixAvx2(const char* text, std::size_t size, bool stopAtCr) {
  TValidator validator(stopAtCr);
  std::size_t i = 0;
  for (; i + 64 <= size; i += 64) {
    validator.Check64(text + i);
    if (validator.Failed()) return PlainFrom(text, size, i, stopAtCr);
  }
  // The rest, followed by zeros: ASCII, so a sequence cut off at the end shows as a fault.
  alignas(32) char tail[64] = {};
  std::memcpy(tail, text + i, size - i);
  validator.Check64(tail);
  if (validator.Failed()) return PlainFrom(text, size, i, stopAtCr);
  return size;
}

TERVIL_AVX2 std::size_t CountLeadsAvx2(const char* text, std::size_t size) {
  const __m256i lastContinuation = _mm256_set1_epi8(static_cast<char>(0xBF));
  std::size_t count = 0;
  std::size_t i = 0;
  while (i + 32 <= size) {
    // Up to 255 blocks add their lead bytes into byte counters before these are summed.
    __m256i counters = _mm256_setzero_si256();
    const std::size_t stop = i + std::min<std::size_t>((size - i) / 32, 255) * 32;
    for (; i < stop; i += 32) {
      const __m256i lead = _mm256_cmpgt_epi8(Load(text + i), lastContinuation);
      counters = _mm256_sub_epi8(counters, lead);
    }
    const __m256i sums = _mm256_sad_epu8(counters, _mm256_setzero_si256());
    count +=
        static_cast<std::size_t>(_mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
                                 _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3));
  }
  return count + CountLeadsPlain(text + i, size - i);
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

}  // namespace tervil::utf8::kernels

#else

namespace tervil::utf8::kernels {

std::size_t ValidPrefixAvx2(const char* text, std::size_t size, bool stopAtCr) {
  return ValidPrefixPlain(text, size, stopAtCr);
}
std::size_t CountLeadsAvx2(const char* text, std::size_t size) {
  return CountLeadsPlain(text, size);
}
bool HasAvx2() {
  return false;
}

}  // namespace tervil::utf8::kernels

#endif
