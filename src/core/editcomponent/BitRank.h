#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace tervil::bitrank {

// Small word operations shared by the bitmaps of a chunk (line breaks, character starts).

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

inline std::uint64_t LowBits(std::size_t n) {
  return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

// Position of the set bit number `k` (from 0) of `word`, which has more than k set bits.
inline std::size_t SelectInWord(std::uint64_t word, std::size_t k) {
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

}  // namespace tervil::bitrank
