// The steps of opening a 100 MB file one by one, from a cold heap (freed memory is given back to
// the system before each open): reading the file from a temporary folder, detecting and decoding
// its character set, counting its line breaks with its original lines, and loading the text into
// the editor's model (which takes the bytes over). Each step's mean time is a counter in ms; the
// whole is the time. "peak" is the most resident memory per byte of the file during the open.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "OpenBench.h"
#include "core/common/TextFile.h"
#include "core/documents/DocumentText.h"
#include "core/editcomponent/EditorModel.h"
#include "core/text/TextProcessor.h"

namespace {

using namespace tervil;
using namespace tervil::openbench;
using Clock = std::chrono::steady_clock;

// A generated document written to a file of the temporary folder, removed at the end.
struct TDocumentFile {
  std::string path;
  explicit TDocumentFile(TDocument kind)
      : path((std::filesystem::temp_directory_path() /
              ("tervil-open-bench-" + std::to_string(::getpid()) + ".txt"))
                 .string()) {
    std::ofstream(path, std::ios::binary) << Generate(kind);
  }
  ~TDocumentFile() { std::remove(path.c_str()); }
};

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

void BM_OpenSteps(benchmark::State& state) {
  const TDocumentFile file(static_cast<TDocument>(state.range(0)));
  TMemoryWatch memory;
  double read = 0, decode = 0, lines = 0, load = 0, peak = 0;
  for (auto _ : state) {
    auto model = std::make_unique<TEditorModel>();
    memory.Start();
    const Clock::time_point t0 = Clock::now();
    std::string bytes;
    if (!ReadFileBytes(file.path, bytes, nullptr)) state.SkipWithError("cannot read the file");
    const Clock::time_point t1 = Clock::now();
    std::string charset = "-";
    bool byFallback = false;
    TTextProcessor::DetectCharsetAndConvertInPlace(bytes, charset, byFallback);
    const Clock::time_point t2 = Clock::now();
    TOriginalLines original;
    benchmark::DoNotOptimize(original.Assign(bytes));
    const Clock::time_point t3 = Clock::now();
    model->LoadFromOwnedBytes(std::move(bytes));
    const Clock::time_point t4 = Clock::now();
    state.SetIterationTime(Milliseconds(t0, t4) / 1000);
    read += Milliseconds(t0, t1);
    decode += Milliseconds(t1, t2);
    lines += Milliseconds(t2, t3);
    load += Milliseconds(t3, t4);
    memory.Stop();
    peak = std::max(peak, static_cast<double>(memory.Peak() - memory.before) /
                              static_cast<double>(kDocumentBytes));
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["read_ms"] = read / n;
  state.counters["decode_ms"] = decode / n;
  state.counters["lines_ms"] = lines / n;
  state.counters["load_ms"] = load / n;
  state.counters["peak"] = peak;
  state.SetLabel(Name(static_cast<TDocument>(state.range(0))));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
}
BENCHMARK(BM_OpenSteps)
    ->ArgName("php")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
