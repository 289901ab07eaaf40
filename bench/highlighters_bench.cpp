// Highlighter speed: whole documents, long lines, and re-highlighting after an edit.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/highlighters/GeneralHighlighter.h"
#include "core/highlighters/HighlighterSet.h"
#include "core/highlighters/LineStateCache.h"

namespace tervil {
namespace {

// A page with everything the multi highlighter switches between.
constexpr std::string_view kMixedPage = R"page(<!DOCTYPE html>
<html>
<head>
  <title>Products &amp; prices</title>
  <style type="text/css">
    body { font-family: Arial, sans-serif; margin: 0 auto; width: 960px; }
    .price { color: #c00; font-weight: bold; } /* highlight */
    @media print { .nav { display: none !important; } }
  </style>
  <script type="text/javascript">
    function total(items) {
      var sum = 0; // running total
      for (var i = 0; i < items.length; i++) { sum += items[i].price * 1.2; }
      return sum.toFixed(2) + " EUR" + `${items.length} items`;
    }
    window.onload = function () { document.getElementById("t").innerHTML = total(<?php echo json_encode($items); ?>); };
    var re = /^[a-z]+$/i;
  </script>
</head>
<body class="shop" onload="init()">
<?php
  $rows = $db->query("SELECT id, name, price FROM products WHERE price > 10");
  foreach ($rows as $row) {
    echo "<tr><td>{$row['name']}</td><td class=\"price\">" . number_format($row['price'], 2) . "</td></tr>\n";
  }
  /* end of the
     product list */
?>
<table border="0" cellpadding="2"><tr><td>Total:</td><td><?= $sum ?></td></tr></table>
<p id="t">Loading...</p>
<!-- footer -->
</body>
</html>
)page";

struct TDocument {
  std::string text;
  std::vector<std::string_view> lines;
};

TDocument Repeat(std::string_view block, std::size_t bytes) {
  TDocument document;
  document.text.reserve(bytes + block.size());
  while (document.text.size() < bytes) document.text += block;
  std::string_view all(document.text);
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    document.lines.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return document;
}

void TokenizeDocument(benchmark::State& state, THighlighter& highlighter,
                      const TDocument& document) {
  std::vector<TToken> tokens;
  for (auto _ : state) {
    THighlighterState lineState = 0;
    for (std::string_view line : document.lines) {
      tokens.clear();
      lineState = highlighter.TokenizeLine(line, lineState, tokens);
    }
    benchmark::DoNotOptimize(lineState);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.text.size()));
}

// 100 MB of HTML with PHP, CSS and JavaScript, from the first line to the last.
void BM_MultiHighlighter100MB(benchmark::State& state) {
  static const TDocument document = Repeat(kMixedPage, 100u << 20);
  THighlighterSet set;
  TokenizeDocument(state, set.Multi(), document);
  state.counters["states"] = static_cast<double>(set.Multi().StateCount());
}
BENCHMARK(BM_MultiHighlighter100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// Each single highlighter on 8 MB of text in its language.
constexpr std::string_view kSamples[] = {
    "if ($a > 1) { echo \"Value: {$a}\"; } // note\n$list = array(1, 2, 0x1F); /* c */\n",
    "p.note, h1 > a:hover { color: #336699; margin: 0 1em 2px; font: 12px/1.5 \"Lucida\"; }\n",
    "for (var i = 0; i < n; i++) { if (a[i] === 'x') { total += Math.max(i, 2); } } // js\n",
    "SELECT id, COUNT(*) FROM orders WHERE status = 'open' AND total > 10.5 GROUP BY id;\n",
    "my %seen = (); foreach my $x (@list) { $seen{$x}++ if $x =~ /^\\d+$/; } # perl\n",
    "public static int sum(int[] values) { int s = 0; for (int v : values) s += v; return s; }\n",
    "#include <vector>\nint main() { std::vector<int> v{1, 2, 3}; return v.size() > 2 ? 0 : 1; }\n",
    "<note id=\"1\"><to>Tove</to><from>Jani</from><!-- c --><body>Hello &amp; bye</body></note>\n",
};
constexpr const char* kSampleLanguages[] = {
    "PHP", "Cascading Style Sheet", "JavaScript", "SQL", "Perl", "Java", "C/C++", "XML"};

void BM_SingleHighlighter8MB(benchmark::State& state) {
  auto index = static_cast<std::size_t>(state.range(0));
  THighlighterSet set;
  THighlighter* highlighter = set.FindByLanguageName(kSampleLanguages[index]);
  TDocument document = Repeat(kSamples[index], 8u << 20);
  state.SetLabel(kSampleLanguages[index]);
  TokenizeDocument(state, *highlighter, document);
}
BENCHMARK(BM_SingleHighlighter8MB)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

// A 10 MB line (minified page) through the multi highlighter and through JavaScript.
void BM_LongLine10MB(benchmark::State& state) {
  std::string page(kMixedPage);
  for (char& c : page) {
    if (c == '\n') c = ' ';
  }
  TDocument document = Repeat(page, 10u << 20);
  std::string line;
  for (std::string_view part : document.lines) line += part;
  document.text = line;
  document.lines = {document.text};
  THighlighterSet set;
  THighlighter* highlighter =
      state.range(0) == 0 ? static_cast<THighlighter*>(&set.Multi()) : &set.JavaScript();
  state.SetLabel(highlighter->IsMulti() ? "multi" : highlighter->LanguageName());
  TokenizeDocument(state, *highlighter, document);
}
BENCHMARK(BM_LongLine10MB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One character typed inside a line of a 5000-line page: the cache re-tokenizes the line and
// stops when the next line's start state agrees with the one it had.
void BM_OneCharacterEdit(benchmark::State& state) {
  TDocument document = Repeat(kMixedPage, 200u << 10);
  std::vector<std::string> lines(document.lines.begin(), document.lines.end());
  THighlighterSet set;
  TLineStateCache cache([&lines](int line) { return std::string_view(lines[line]); }, &set.Multi(),
                        static_cast<int>(lines.size()));
  cache.EndState(cache.LineCount() - 1);
  int edited = static_cast<int>(lines.size() / 2);
  while (lines[edited].find("var sum = 0;") == std::string::npos) ++edited;
  std::size_t at = lines[edited].find("0;");
  std::size_t before = cache.TokenizedLines();
  for (auto _ : state) {
    lines[edited][at] = lines[edited][at] == '0' ? '1' : '0';
    benchmark::DoNotOptimize(cache.LinesReplaced(edited, 1, 1));
  }
  state.counters["lines"] = static_cast<double>(lines.size());
  state.counters["tokenized per edit"] = static_cast<double>(cache.TokenizedLines() - before) /
                                         static_cast<double>(state.iterations());
  state.counters["state bytes per line"] =
      static_cast<double>(cache.MemoryBytes()) / static_cast<double>(lines.size());
}
BENCHMARK(BM_OneCharacterEdit)->Unit(benchmark::kMicrosecond);

// Pressing Enter in the middle of a 1 000 000-line text (every line alike, so the text needs
// no buffer): no work proportional to the size.
void BM_LineBreakInHugeText(benchmark::State& state) {
  TGeneralHighlighter general;
  TLineStateCache cache([](int) { return std::string_view("plain text line"); }, &general, 1000000);
  cache.EndState(cache.LineCount() - 1);
  int at = 500000;
  bool split = true;
  for (auto _ : state) {
    // Alternately split line `at` in two and join the halves again.
    benchmark::DoNotOptimize(split ? cache.LinesReplaced(at, 1, 2) : cache.LinesReplaced(at, 2, 1));
    split = !split;
  }
  state.counters["state bytes per line"] =
      static_cast<double>(cache.MemoryBytes()) / static_cast<double>(cache.LineCount());
}
BENCHMARK(BM_LineBreakInHugeText)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tervil
