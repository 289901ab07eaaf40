// Throughput of the text processor's whole-document conversions.

#include <benchmark/benchmark.h>

#include <string>

#include "core/text/TextProcessor.h"

namespace {

using tervil::TTextProcessor;

constexpr std::size_t kDocumentSize = 50u << 20;
constexpr std::size_t kLongLineSize = 100u << 20;

// About 50 MB of UTF-8 HTML that declares its charset, with attributes, entities and
// non-ASCII text on every line.
const std::string& HtmlDocument() {
  static const std::string document = [] {
    std::string text =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "</head><body><table>\r\n";
    const std::string row =
        "<tr><td class=\"cell\" align=\"left\" style=\"color: red\">Gr\xC3\xBC\xC3\x9F"
        "e aus K\xC3\xB6ln &amp; <a href=\"page.html\">link</a> \"quoted\" 5 < 6 "
        "\xE2\x82\xAC 10 <font face=\"Arial\">old</font> <br style=\"x\" /></td></tr>\r\n";
    text.reserve(kDocumentSize + row.size());
    while (text.size() < kDocumentSize) text += row;
    text += "</table></body></html>\r\n";
    return text;
  }();
  return document;
}

// 100 MB of text without a single line break.
const std::string& LongLine() {
  static const std::string line = [] {
    std::string text;
    text.reserve(kLongLineSize);
    const std::string words = "<span class=\"w\">lorem ipsum</span> dolor sit amet \xC3\xA4 ";
    while (text.size() < kLongLineSize) text += words;
    return text;
  }();
  return line;
}

void SetThroughput(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

// Runs `convert` on `text` once an iteration and reports the bytes per second.
template <class Convert>
void MeasureConversion(benchmark::State& state, const std::string& text, Convert convert) {
  for (auto _ : state) {
    std::string result = convert(text);
    benchmark::DoNotOptimize(result.data());
  }
  SetThroughput(state, text.size());
}

void BM_TextProcessor_DetectCharsetAndConvert_Utf8(benchmark::State& state) {
  const std::string& text = HtmlDocument();
  for (auto _ : state) {
    std::string charset = "-";
    std::string converted = TTextProcessor::DetectCharsetAndConvert(text, charset);
    benchmark::DoNotOptimize(converted.data());
    if (charset != "utf-8") state.SkipWithError("charset not detected");
  }
  SetThroughput(state, text.size());
}
BENCHMARK(BM_TextProcessor_DetectCharsetAndConvert_Utf8)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_DetectCharsetAndConvert_Windows1252(benchmark::State& state) {
  static const std::string bytes =
      TTextProcessor::ConvertToCharset(HtmlDocument(), 0, "windows-1252").text;
  MeasureConversion(state, bytes, [](const std::string& t) {
    std::string charset = "windows-1252";
    return TTextProcessor::DetectCharsetAndConvert(t, charset);
  });
}
BENCHMARK(BM_TextProcessor_DetectCharsetAndConvert_Windows1252)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_ConvertToCharset_Windows1252(benchmark::State& state) {
  MeasureConversion(state, HtmlDocument(), [](const std::string& t) {
    return TTextProcessor::ConvertToCharset(t, 0, "windows-1252").text;
  });
}
BENCHMARK(BM_TextProcessor_ConvertToCharset_Windows1252)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_TextToHtml(benchmark::State& state) {
  MeasureConversion(state, HtmlDocument(),
                    [](const std::string& t) { return TTextProcessor::TextToHtml(t); });
}
BENCHMARK(BM_TextProcessor_TextToHtml)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_UnformatTags(benchmark::State& state) {
  MeasureConversion(state, HtmlDocument(),
                    [](const std::string& t) { return TTextProcessor::UnformatTags(t); });
}
BENCHMARK(BM_TextProcessor_UnformatTags)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_UnformatTags_WithProgress(benchmark::State& state) {
  const std::string& text = HtmlDocument();
  int calls = 0;
  for (auto _ : state) {
    std::string result = TTextProcessor::UnformatTags(text, [&](int) { ++calls; });
    benchmark::DoNotOptimize(result.data());
  }
  benchmark::DoNotOptimize(calls);
  SetThroughput(state, text.size());
}
BENCHMARK(BM_TextProcessor_UnformatTags_WithProgress)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_LowerCaseTags(benchmark::State& state) {
  MeasureConversion(state, HtmlDocument(),
                    [](const std::string& t) { return TTextProcessor::LowerCaseTags(t); });
}
BENCHMARK(BM_TextProcessor_LowerCaseTags)->Unit(benchmark::kMillisecond);

// Bad input at full size: 100 MB without a line break through the whole-text operations.
void BM_TextProcessor_LongLine_DetectCharsetAndConvert(benchmark::State& state) {
  MeasureConversion(state, LongLine(), [](const std::string& t) {
    std::string charset = "-";
    return TTextProcessor::DetectCharsetAndConvert(t, charset);
  });
}
BENCHMARK(BM_TextProcessor_LongLine_DetectCharsetAndConvert)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_LongLine_UnformatTags(benchmark::State& state) {
  MeasureConversion(state, LongLine(),
                    [](const std::string& t) { return TTextProcessor::UnformatTags(t); });
}
BENCHMARK(BM_TextProcessor_LongLine_UnformatTags)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_LongLine_BreakLines(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    tervil::TStringList lines{LongLine()};
    state.ResumeTiming();
    TTextProcessor::BreakLines(lines, 80);
    benchmark::DoNotOptimize(lines.data());
  }
  SetThroughput(state, LongLine().size());
}
BENCHMARK(BM_TextProcessor_LongLine_BreakLines)->Unit(benchmark::kMillisecond);

void BM_TextProcessor_LongLine_WrapLinesInTag(benchmark::State& state) {
  MeasureConversion(state, LongLine(),
                    [](const std::string& t) { return TTextProcessor::WrapLinesInTag(t, "p"); });
}
BENCHMARK(BM_TextProcessor_LongLine_WrapLinesInTag)->Unit(benchmark::kMillisecond);

}  // namespace
