#pragma once

// Checks that work grows in proportion to its input: the CPU time per byte of an input ten times
// longer, compared with the short one. A step that rescans what it has read grows by about the
// length factor; a linear one stays level, whatever the load on the machine, because both sizes
// are measured the same way and the least of several runs counts. Work whose cost multiplies
// with something else than the length (every tag of a list reading the whole text) is compared
// with a cheap input of the same size instead.

#include <time.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>

namespace tervil::timing {

inline double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Per-byte time may grow this much before the work counts as super-linear.
inline constexpr double kGrowthBound = 4.0;
inline constexpr std::size_t kGrowthFactor = 10;

// CPU seconds per byte of running `work` on `input` `repeats` times, the least of `trials`
// runs.
inline double SecondsPerByte(const std::function<void(const std::string&)>& work,
                             const std::string& input, int repeats, int trials) {
  double best = 1e9;
  for (int trial = 0; trial < trials; ++trial) {
    const double start = ThreadCpuSeconds();
    for (int r = 0; r < repeats; ++r) work(input);
    best = std::min(best, ThreadCpuSeconds() - start);
  }
  const double bytes = static_cast<double>(std::max<std::size_t>(input.size(), 1)) * repeats;
  return best / bytes;
}

// How much the per-byte time grows from `make(length)` to `make(length * factor)`. The short
// input is worked `factor` times per run, so both runs handle as many bytes. One quick run
// decides when it is clearly within the bound; otherwise `trials` runs of each are measured, so
// that a moment of load does not count.
inline double TimeGrowth(const std::function<void(const std::string&)>& work,
                         const std::function<std::string(std::size_t)>& make, std::size_t length,
                         std::size_t factor = kGrowthFactor, int trials = 5) {
  const std::string shortInput = make(length);
  const std::string longInput = make(length * factor);
  const auto growth = [&](int runs) {
    const double shortTime = SecondsPerByte(work, shortInput, static_cast<int>(factor), runs);
    const double longTime = SecondsPerByte(work, longInput, 1, runs);
    return longTime / std::max(shortTime, 1e-12);
  };
  const double quick = growth(1);
  if (quick <= kGrowthBound) return quick;
  return std::min(quick, growth(trials));
}

// How many times more CPU time per byte `work` takes on `input` than on `baseline`, an input of
// the same kind that is known to be cheap. Measured like TimeGrowth: a quick run, then `trials`
// runs of each when the quick one is over the bound.
inline double RelativeCost(const std::function<void(const std::string&)>& work,
                           const std::string& input, const std::string& baseline, int trials = 5) {
  const auto ratio = [&](int runs) {
    return SecondsPerByte(work, input, 1, runs) /
           std::max(SecondsPerByte(work, baseline, 1, runs), 1e-12);
  };
  const double quick = ratio(1);
  if (quick <= kGrowthBound) return quick;
  return std::min(quick, ratio(trials));
}

}  // namespace tervil::timing
