#include "core/editcomponent/ChunkStarts.h"

#include <algorithm>

namespace tervil {

namespace {

// The last index in [0, count) whose key is at most `target`, the key growing with the index and
// key(0) being at most `target`; without branches, so that a search costs only its reads.
template <typename KeyAt>
std::size_t LastIndexAtMost(std::size_t count, std::int64_t target, KeyAt keyAt) {
  std::size_t low = 0;
  for (std::size_t length = count; length > 1;) {
    const std::size_t half = length / 2;
    low = keyAt(low + half) <= target ? low + half : low;
    length -= half;
  }
  return low;
}

}  // namespace

void TChunkStarts::Shift(std::size_t chunk, const TCounts& delta) {
  const std::size_t groupEnd = std::min((chunk / kGroup + 1) * kGroup, count_ + 1);
  for (std::size_t k = 0; k < kKeys; ++k) {
    if (delta[k] == 0) continue;
    std::uint32_t* rel = inGroup_[k].data();
    const auto d = static_cast<std::uint32_t>(delta[k]);  // wraps for a decrease, as it should
    for (std::size_t i = chunk + 1; i < groupEnd; ++i) rel[i] += d;
    std::vector<std::int64_t>& groups = groups_[k];
    for (std::size_t g = chunk / kGroup + 1; g < groups.size(); ++g) groups[g] += delta[k];
  }
}

std::size_t TChunkStarts::LastAtMost(Key key, std::int64_t target) const {
  const std::vector<std::int64_t>& groups = groups_[key];
  const std::size_t g =
      LastIndexAtMost(groups.size(), target, [&](std::size_t i) { return groups[i]; });
  const std::size_t first = g * kGroup;
  const std::int64_t within = target - groups[g];
  const std::uint32_t* rel = inGroup_[key].data() + first;
  return first + LastIndexAtMost(std::min(kGroup, count_ + 1 - first), within,
                                 [&](std::size_t i) { return static_cast<std::int64_t>(rel[i]); });
}

std::size_t TChunkStarts::MemoryUsage() const {
  std::size_t total = 0;
  for (std::size_t k = 0; k < kKeys; ++k) {
    total += groups_[k].capacity() * sizeof(std::int64_t) +
             inGroup_[k].capacity() * sizeof(std::uint32_t);
  }
  return total;
}

}  // namespace tervil
