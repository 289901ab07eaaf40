// Highlighter speed: whole documents, long lines, and re-highlighting the line states of the
// editor after an edit.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/editcomponent/TextBuffer.h"
#include "core/editview/HighlightStates.h"
#include "core/highlighters/GeneralHighlighter.h"
#include "core/highlighters/HighlighterSet.h"

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

// Counts the lines it tokenizes for the highlighter it wraps.
class TCountingHighlighter : public THighlighter {
 public:
  explicit TCountingHighlighter(THighlighter& inner) : inner_(inner) {}

  std::string LanguageName() const override { return inner_.LanguageName(); }
  std::string DefaultFilter() const override { return inner_.DefaultFilter(); }
  std::vector<THighlighterAttribute*> Attributes() override { return inner_.Attributes(); }
  THighlighterState TokenizeLine(std::string_view line, THighlighterState start,
                                 std::vector<TToken>& tokens) override {
    ++lines;
    return inner_.TokenizeLine(line, start, tokens);
  }

  std::size_t lines = 0;

 private:
  THighlighter& inner_;
};

// Seconds taken by `work`, for benchmarks whose iterations also change the text.
template <class Work>
double Seconds(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One character typed inside a line of a 5000-line page whose states are all known: the states
// re-tokenize the line and stop when the next line's start state agrees with the one it had.
// Only the highlighting is timed, not the edit of the text.
void BM_OneCharacterEdit(benchmark::State& state) {
  TTextBuffer buffer;
  buffer.Assign(Repeat(kMixedPage, 200u << 10).text);
  THighlighterSet set;
  TCountingHighlighter counting(set.Multi());
  THighlightStates states(buffer);
  states.SetHighlighter(&counting);
  while (states.AdvanceLines(100000)) {
  }
  const auto lines = static_cast<int>(buffer.LineCount());
  int edited = lines / 2;
  while (buffer.Line(edited).find("var sum = 0;") == std::string::npos) ++edited;
  const std::size_t at = buffer.LineStart(edited) + buffer.Line(edited).find("0;");
  const std::size_t before = counting.lines;
  char digit = '0';
  for (auto _ : state) {
    digit = digit == '0' ? '1' : '0';
    buffer.Erase(at, 1);
    buffer.Insert(at, std::string_view(&digit, 1));
    state.SetIterationTime(Seconds([&] {
      states.LinesChanged(edited, 1);
      benchmark::DoNotOptimize(states.StartState(edited + 1));
    }));
  }
  state.counters["lines"] = lines;
  state.counters["tokenized per edit"] =
      static_cast<double>(counting.lines - before) / static_cast<double>(state.iterations());
  state.counters["state bytes per line"] =
      static_cast<double>(states.MemoryBytes()) / static_cast<double>(lines);
}
BENCHMARK(BM_OneCharacterEdit)->Unit(benchmark::kMicrosecond)->UseManualTime();

// Pressing Enter in the middle of a 1 000 000-line text whose states are all known, and
// joining the halves again: no work proportional to the size. Only the highlighting is timed.
void BM_LineBreakInHugeText(benchmark::State& state) {
  constexpr int kLines = 1000000;
  std::string text;
  for (int i = 0; i < kLines; ++i) text += "plain text line\n";
  TTextBuffer buffer;
  buffer.Assign(text);
  TGeneralHighlighter general;
  THighlightStates states(buffer);
  states.SetHighlighter(&general);
  while (states.AdvanceLines(kLines)) {
  }
  const int at = kLines / 2;
  bool split = true;
  for (auto _ : state) {
    // Alternately split line `at` in two and join the halves again, as the editor reports it.
    if (split) {
      buffer.Insert(buffer.LineStart(at) + 5, "\n");
    } else {
      buffer.Erase(buffer.LineEnd(at), 1);
    }
    state.SetIterationTime(Seconds([&] {
      if (split) {
        states.LinesChanged(at, 1);
        states.LinesInserted(at + 1, 1);
      } else {
        states.LinesDeleted(at + 1, 1);
        states.LinesChanged(at, 1);
      }
      benchmark::DoNotOptimize(states.StartState(at + 2));
    }));
    split = !split;
  }
  state.counters["state bytes per line"] =
      static_cast<double>(states.MemoryBytes()) / static_cast<double>(buffer.LineCount());
}
BENCHMARK(BM_LineBreakInHugeText)->Unit(benchmark::kMicrosecond)->UseManualTime();

// 100 MB of one-character lines (the characters of the mixed page, one per line, so the states
// change as they do in a real page), highlighted through the editor's own state store the way the
// idle timer does it: slices of 8 ms until every line's state is known. Reports the wall time to
// the last state and the memory of the text and the states per byte of text.
void BM_OneCharacterLinesAllStates(benchmark::State& state) {
  std::string text;
  text.reserve((100u << 20) + 2);
  while (text.size() < (100u << 20)) {
    for (char c : kMixedPage) {
      if (c == '\n' || c == ' ') continue;
      text += c;
      text += '\n';
    }
  }
  TTextBuffer buffer;
  buffer.Assign(text);
  std::string().swap(text);
  THighlighterSet set;
  for (auto _ : state) {
    THighlightStates states(buffer);
    state.SetIterationTime(Seconds([&] {
      states.SetHighlighter(&set.Multi());
      while (states.Advance(std::chrono::milliseconds(8))) {
      }
    }));
    const double bytes = static_cast<double>(buffer.ByteCount());
    state.counters["lines"] = static_cast<double>(buffer.LineCount());
    state.counters["text B/B"] = static_cast<double>(buffer.MemoryUsage()) / bytes;
    state.counters["states B/B"] = static_cast<double>(states.MemoryBytes()) / bytes;
    state.counters["total B/B"] =
        static_cast<double>(buffer.MemoryUsage() + states.MemoryBytes()) / bytes;
  }
}
BENCHMARK(BM_OneCharacterLinesAllStates)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace
}  // namespace tervil
