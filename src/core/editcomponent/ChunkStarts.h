#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tervil {

// Where every chunk of a text starts, in four counts (bytes, characters, line breaks, and
// offsets: characters with each break counted twice), for finding the chunk that holds a
// position. Each count is kept in two levels: the start of every group of kGroup chunks, and
// each chunk's start within its group as a 32-bit number. A search reads a small array of group
// starts and one group's few cache lines; an edit inside a chunk moves the rest of its group and
// the later group starts, not every later chunk.
class TChunkStarts {
 public:
  enum Key : std::size_t { kBytes, kChars, kLines, kOffsets };
  static constexpr std::size_t kKeys = 4;
  using TCounts = std::array<std::int64_t, kKeys>;

  // Resizes to `count` chunks and recomputes the starts after chunk `first` from `countsOf(i)`
  // (the counts of chunk i); the starts up to `first` are kept.
  template <typename CountsOf>
  void Rebuild(std::size_t first, std::size_t count, CountsOf countsOf);
  // Moves the starts of the chunks after `chunk` by `delta` (the change of its counts).
  void Shift(std::size_t chunk, const TCounts& delta);

  // The start of chunk i (i == Count() gives the totals).
  std::int64_t At(Key key, std::size_t i) const {
    return groups_[key][i / kGroup] + inGroup_[key][i];
  }
  // The last i in [0, Count()] whose start is at most `target` (at least 0).
  std::size_t LastAtMost(Key key, std::int64_t target) const;

  std::size_t Count() const { return count_; }
  std::size_t MemoryUsage() const;

 private:
  static constexpr std::size_t kGroup = 64;

  std::array<std::vector<std::int64_t>, kKeys> groups_;
  std::array<std::vector<std::uint32_t>, kKeys> inGroup_;
  std::size_t count_ = 0;
};

template <typename CountsOf>
void TChunkStarts::Rebuild(std::size_t first, std::size_t count, CountsOf countsOf) {
  count_ = count;
  first = std::min(first, count) / kGroup * kGroup;  // from the start of its group
  for (std::size_t k = 0; k < kKeys; ++k) {
    groups_[k].resize(count / kGroup + 1);
    inGroup_[k].resize(count + 1);
  }
  TCounts running{};
  for (std::size_t k = 0; k < kKeys; ++k) running[k] = groups_[k][first / kGroup];
  if (first == 0) running = TCounts{};
  for (std::size_t i = first; i <= count; ++i) {
    const bool groupStart = i % kGroup == 0;
    for (std::size_t k = 0; k < kKeys; ++k) {
      if (groupStart) groups_[k][i / kGroup] = running[k];
      inGroup_[k][i] = static_cast<std::uint32_t>(running[k] - groups_[k][i / kGroup]);
    }
    if (i == count) break;
    const TCounts c = countsOf(i);
    for (std::size_t k = 0; k < kKeys; ++k) running[k] += c[k];
  }
}

}  // namespace tervil
