// Speed of the text commands' conversions of a 10 MB selection, as the editor runs them: take
// the selected text, convert it and put it back as one undoable edit.

#include <benchmark/benchmark.h>

#include <string>

#include "core/editcomponent/EditorModel.h"
#include "core/textcommands/TextCommands.h"

namespace {

// About 10 MB of HTML with tags, entities' characters, quotes and long and short lines.
const std::string& TenMegabytes() {
  static const std::string text = [] {
    std::string out;
    int n = 0;
    while (out.size() < 10'000'000) {
      out += "<P CLASS=\"row\" id=r" + std::to_string(n++) +
             "><FONT color=red>Price & \"quote\" <b>caf\xC3\xA9</b> $total 'x'</FONT></P>\r\n";
      if (n % 7 == 0) out += "plain text line that is rather long and has no tags at all here\r\n";
    }
    return out;
  }();
  return text;
}

void BM_ConvertTenMegabyteSelection(benchmark::State& state) {
  const auto conversion = static_cast<tervil::TTextConversion>(state.range(0));
  tervil::TEditorModel model;
  model.SetText(TenMegabytes());
  for (auto _ : state) {
    model.SelectAll();
    const std::string converted = tervil::ConvertText(conversion, model.SelText());
    model.SetSelText(converted);
    state.PauseTiming();
    model.Undo();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(TenMegabytes().size()));
}
BENCHMARK(BM_ConvertTenMegabyteSelection)
    ->DenseRange(0, 6)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_BreakLinesOfTenMegabytes(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(tervil::BreakTextLines(TenMegabytes(), 80));
}
BENCHMARK(BM_BreakLinesOfTenMegabytes)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
