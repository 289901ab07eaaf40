// Speed of the PHP analyser on a big document.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/phpcss/PhpAnalyser.h"

namespace {

// About `bytes` bytes of PHP: classes with doc comments, typed properties, constants, methods
// with bodies full of strings and closures, and global functions.
std::string PhpDocument(std::size_t bytes) {
  std::string text = "<?php\nnamespace App\\Model;\n\n";
  for (int n = 0; text.size() < bytes; ++n) {
    const std::string id = std::to_string(n);
    text += "/**\n * Keeps the records of table " + id + ".\n */\nfinal class Record" + id +
            " extends Base implements \\JsonSerializable {\n"
            "    /** @var int */\n    private static $count = 0;\n"
            "    public const TABLE = 'records_" +
            id +
            "';\n"
            "    protected ?string $name = null;\n"
            "    public function __construct(private readonly int $id, public array $tags = []) "
            "{}\n"
            "    /**\n     * Returns the row as an array.\n     * @return array\n     */\n"
            "    public function toArray(): array {\n"
            "        $out = array_map(fn($t) => \"tag: {$t}\", $this->tags);\n"
            "        usort($out, function ($a, $b) { return strcmp($a, $b); });\n"
            "        return ['id' => $this->id, 'name' => $this->name ?? '', 'tags' => $out];\n"
            "    }\n"
            "    public static function find(int $id): ?static { return null; } // by key\n"
            "}\n\n"
            "function helper" +
            id + "(string $s): string {\n    return \"<b>$s</b>\";\n}\n\n";
  }
  return text;
}

void BM_Analyse1MB(benchmark::State& state) {
  const std::string text = PhpDocument(1u << 20);
  tervil::TPHPAnalyser analyser;
  for (auto _ : state) {
    analyser.Analyse(text);
    benchmark::DoNotOptimize(analyser.Classes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Analyse1MB)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ComputeStatistics("min",
                        [](const std::vector<double>& v) {
                          return *std::min_element(v.begin(), v.end());
                        })
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) {
                          return *std::max_element(v.begin(), v.end());
                        })
    ->ReportAggregatesOnly(true);

// The resident memory the analyser takes at its peak, per byte of PHP analysed (the text itself
// not counted), for a 64 MB document. The peak is the kernel's high-water mark, reset before
// the run.
long ResidentKb(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  long kb = 0;
  const std::size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status))
    if (std::strncmp(line, field, length) == 0) kb = std::atol(line + length);
  std::fclose(status);
  return kb;
}

void BM_AnalysePeakMemory(benchmark::State& state) {
  const std::string text = PhpDocument(64u << 20);
  double perByte = 0;
  for (auto _ : state) {
    malloc_trim(0);
    if (std::FILE* reset = std::fopen("/proc/self/clear_refs", "w")) {
      std::fputs("5", reset);  // resets the high-water mark to the present size
      std::fclose(reset);
    }
    const long before = ResidentKb("VmRSS:");
    {
      tervil::TPHPAnalyser analyser;
      analyser.Analyse(text);
      benchmark::DoNotOptimize(analyser.Classes.data());
    }
    const long peak = ResidentKb("VmHWM:");
    perByte = static_cast<double>(peak - before) * 1024.0 / static_cast<double>(text.size());
  }
  state.counters["peak_bytes_per_byte"] = perByte;
  state.counters["budget_bytes_per_byte"] = 2.0;
}
BENCHMARK(BM_AnalysePeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
