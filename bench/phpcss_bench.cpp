// Speed of the PHP analyser on a big document.

#include <benchmark/benchmark.h>

#include <string>

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
    ->ReportAggregatesOnly(true);

}  // namespace
