// Throughput of the UTF-8 validation and character counting every opened file goes through, on
// 100 MB of web text with a character beyond ASCII every few words and on 100 MB of plain ASCII.
// The plain forms are measured beside the ones the program uses.

#include <benchmark/benchmark.h>

#include <string>

#include "core/common/Utf8.h"
#include "core/common/Utf8Kernels.h"

namespace {

using namespace tervil;

constexpr std::size_t kTextBytes = 100u << 20;

const std::string& Text(bool ascii) {
  static const std::string texts[2] = {
      [] {
        const std::string row =
            "<tr><td class=\"n\">Caf\xC3\xA9 cr\xC3\xA8me</td><td>4,50 \xE2\x82\xAC</td>"
            "<td>\xF0\x9F\x98\x80 \xD0\x9F\xD1\x80\xD0\xB8</td></tr>\n";
        std::string text;
        text.reserve(kTextBytes + row.size());
        while (text.size() < kTextBytes) text += row;
        return text;
      }(),
      [] {
        const std::string row = "<tr><td class=\"n\">Cafe creme</td><td>4,50 EUR</td></tr>\n";
        std::string text;
        text.reserve(kTextBytes + row.size());
        while (text.size() < kTextBytes) text += row;
        return text;
      }(),
  };
  return texts[ascii ? 1 : 0];
}

template <class Measure>
void Throughput(benchmark::State& state, Measure measure) {
  const std::string& text = Text(state.range(0) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(measure(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Utf8Validate(benchmark::State& state) {
  Throughput(state, [](const std::string& text) {
    return utf8::ValidPrefix(text.data(), text.size()) == text.size();
  });
}
BENCHMARK(BM_Utf8Validate)
    ->ArgName("ascii")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Utf8ValidatePlain(benchmark::State& state) {
  Throughput(state, [](const std::string& text) {
    return utf8::kernels::ValidPrefixPlain(text.data(), text.size(), false) == text.size();
  });
}
BENCHMARK(BM_Utf8ValidatePlain)
    ->ArgName("ascii")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Utf8CountChars(benchmark::State& state) {
  Throughput(state, [](const std::string& text) { return utf8::CountChars(text); });
}
BENCHMARK(BM_Utf8CountChars)
    ->ArgName("ascii")
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Utf8CountCharsPlain(benchmark::State& state) {
  Throughput(state, [](const std::string& text) {
    return utf8::kernels::CountLeadsPlain(text.data(), text.size());
  });
}
BENCHMARK(BM_Utf8CountCharsPlain)
    ->ArgName("ascii")
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The test the editor's buffer makes of loaded text: valid UTF-8 without CR.
void BM_Utf8IsNormalized(benchmark::State& state) {
  Throughput(state, [](const std::string& text) { return utf8::IsNormalized(text); });
}
BENCHMARK(BM_Utf8IsNormalized)
    ->ArgName("ascii")
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
