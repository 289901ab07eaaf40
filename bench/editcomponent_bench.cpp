// Benchmarks of the editor component core on generated HTML and PHP documents of 1, 10 and
// 100 MB. Where it makes sense a figure is also given as a multiple of the time a memcpy of the
// same bytes takes ("x_memcpy").

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/SearchEngines.h"
#include "core/editcomponent/TextBuffer.h"
#include "core/editview/HighlightStates.h"

namespace {

using namespace tervil;
// Bulk operations are timed in thread CPU time, so that other work on a shared machine does
// not count; the short edits (a microsecond) are timed on the wall clock, which is cheaper to
// read.
struct CpuClock {
  using rep = std::int64_t;
  using period = std::nano;
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<CpuClock>;
  static constexpr bool is_steady = true;
  static time_point now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return time_point(duration(static_cast<rep>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec));
  }
};
using Clock = CpuClock;
using WallClock = std::chrono::steady_clock;

constexpr std::size_t kMB = 1024 * 1024;
enum Kind { kHtml = 0, kPhp = 1 };

std::string HtmlBlock(int i) {
  const std::string n = std::to_string(i);
  return "<div class=\"item\" id=\"item-" + n + "\">\n  <h2>Item " + n +
         " title</h2>\n  <p>Lorem ipsum dolor sit amet, <b>consectetur</b> adipiscing elit.</p>\n"
         "  <table border=\"1\"><tr><td>" +
         n +
         "</td><td>value</td></tr></table>\n"
         "  <a href=\"https://example.com/page/" +
         n + "\">Link " + n + "</a>\n</div>\n";
}

std::string PhpBlock(int i) {
  const std::string n = std::to_string(i);
  return "function compute_" + n +
         "($value, $factor = 2) {\n    $result = $value * $factor;\n"
         "    if ($result > 100) {\n        return $value - 1;\n    }\n    // comment " +
         n + " about $value\n    return $result + $value;\n}\n";
}

// ASCII documents of `mb` megabytes, built once and kept.
const std::string& Document(Kind kind, int mb) {
  static std::map<std::pair<int, int>, std::string> cache;
  std::string& doc = cache[{kind, mb}];
  if (doc.empty()) {
    const std::size_t size = static_cast<std::size_t>(mb) * kMB;
    doc.reserve(size + 512);
    for (int i = 0; doc.size() < size; ++i) doc += kind == kHtml ? HtmlBlock(i) : PhpBlock(i);
  }
  return doc;
}

// Seconds a memcpy of `bytes` bytes takes (best of five, destination already touched).
double MemcpySeconds(std::size_t bytes) {
  static std::map<std::size_t, double> cache;
  auto it = cache.find(bytes);
  if (it != cache.end()) return it->second;
  std::string from(bytes, 'x');
  std::string to(bytes, 'y');
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    auto t0 = Clock::now();
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return cache[bytes] = best;
}

// An editor holding a document, shared by the benchmarks that only read it or undo their edits.
TEditorModel& LoadedEditor(Kind kind, int mb) {
  static std::map<std::pair<int, int>, std::unique_ptr<TEditorModel>> cache;
  auto& editor = cache[{kind, mb}];
  if (!editor) {
    editor = std::make_unique<TEditorModel>();
    editor->LoadFromBytes(Document(kind, mb));
  }
  return *editor;
}

void SetMemcpyRatio(benchmark::State& state, double totalSeconds, std::size_t bytes) {
  if (state.iterations() == 0) return;
  state.counters["x_memcpy"] =
      totalSeconds / static_cast<double>(state.iterations()) / MemcpySeconds(bytes);
}

// ---------------------------------------------------------------- loading and memory

// Loads `doc` into `buffer` once an iteration, timing only the loading; reports the bytes per
// second and the time against a plain copy of the bytes.
void TimeLoading(benchmark::State& state, const std::string& doc, TTextBuffer& buffer) {
  double total = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    buffer.Assign(doc);
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    state.SetIterationTime(s);
    total += s;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
  SetMemcpyRatio(state, total, doc.size());
}

void BM_LoadBytes(benchmark::State& state) {
  const auto kind = static_cast<Kind>(state.range(0));
  const std::string& doc = Document(kind, static_cast<int>(state.range(1)));
  TTextBuffer buffer;
  TimeLoading(state, doc, buffer);
}
BENCHMARK(BM_LoadBytes)
    ->ArgsProduct({{kHtml, kPhp}, {1, 10, 100}})
    ->ArgNames({"php", "mb"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Heap bytes a loaded document takes, per byte of text, against the budget of 1.25 bytes per
// byte plus 16 bytes per line.
void BM_LoadedMemory(benchmark::State& state) {
  const auto kind = static_cast<Kind>(state.range(0));
  const std::string& doc = Document(kind, static_cast<int>(state.range(1)));
  double perByte = 0, budget = 0;
  for (auto _ : state) {
    malloc_trim(0);
    const std::size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
    auto buffer = std::make_unique<TTextBuffer>();
    buffer->Assign(doc);
    const std::size_t after = mallinfo2().uordblks + mallinfo2().hblkhd;
    const double bytes = static_cast<double>(doc.size());
    perByte = static_cast<double>(after - before) / bytes;
    budget = (1.25 * bytes + 16.0 * static_cast<double>(buffer->LineCount())) / bytes;
  }
  state.counters["heap_per_byte"] = perByte;
  state.counters["budget_per_byte"] = budget;
  state.counters["lines"] = static_cast<double>(std::count(doc.begin(), doc.end(), '\n') + 1);
}
BENCHMARK(BM_LoadedMemory)
    ->ArgsProduct({{kHtml, kPhp}, {1, 10, 100}})
    ->ArgNames({"php", "mb"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- editing

// Types a character (or a line break) at a random place, then undoes it; both are timed.
void TypeAndUndo(benchmark::State& state, char32_t ch) {
  const auto kind = static_cast<Kind>(state.range(0));
  TEditorModel& editor = LoadedEditor(kind, static_cast<int>(state.range(1)));
  std::mt19937 rng(42);
  const int lines = editor.LineCount();
  double typing = 0, undoing = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int line = 1 + static_cast<int>(rng() % static_cast<unsigned>(lines));
    editor.SetCaretPos({1 + static_cast<int>(rng() % 40), line});
    state.ResumeTiming();
    auto t0 = WallClock::now();
    editor.ExecuteCommand(ch == '\n' ? ecLineBreak : ecChar, ch);
    auto t1 = WallClock::now();
    editor.Undo();
    auto t2 = WallClock::now();
    typing += std::chrono::duration<double, std::micro>(t1 - t0).count();
    undoing += std::chrono::duration<double, std::micro>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["edit_us"] = typing / n;
  state.counters["undo_us"] = undoing / n;
  if (editor.Modified()) state.SkipWithError("undo did not restore the saved state");
}
void BM_TypeCharAndUndo(benchmark::State& state) {
  TypeAndUndo(state, U'x');
}
void BM_TypeLineBreakAndUndo(benchmark::State& state) {
  TypeAndUndo(state, U'\n');
}
BENCHMARK(BM_TypeCharAndUndo)
    ->ArgsProduct({{kHtml, kPhp}, {1, 100}})
    ->ArgNames({"php", "mb"})
    ->UseManualTime();
BENCHMARK(BM_TypeLineBreakAndUndo)
    ->ArgsProduct({{kHtml, kPhp}, {1, 100}})
    ->ArgNames({"php", "mb"})
    ->UseManualTime();

// Character offset to buffer position and back, at random offsets.
void BM_OffsetToPositionAndBack(benchmark::State& state) {
  TEditorModel& editor =
      LoadedEditor(static_cast<Kind>(state.range(0)), static_cast<int>(state.range(1)));
  std::mt19937_64 rng(7);
  const auto length = static_cast<std::uint64_t>(editor.TextLength());
  std::int64_t check = 0;
  for (auto _ : state) {
    const auto offset = static_cast<std::int64_t>(rng() % length);
    const TBufferPos pos = editor.CharIndexToRowCol(offset);
    check += editor.RowColToCharIndex(pos) - offset;
    benchmark::DoNotOptimize(check);
  }
  state.SetItemsProcessed(state.iterations() * 2);  // two conversions per iteration
  if (check > 0) state.SkipWithError("a conversion did not round-trip");
}
BENCHMARK(BM_OffsetToPositionAndBack)
    ->ArgsProduct({{kHtml, kPhp}, {1, 100}})
    ->ArgNames({"php", "mb"});

// Random places spread over the whole text, drawn before timing so that each conversion starts
// cold, as a jump to a far place does.
std::vector<std::size_t> RandomPlaces(std::size_t limit, std::size_t count = 1 << 20) {
  std::mt19937_64 rng(11);
  std::vector<std::size_t> places(count);
  for (std::size_t& p : places) p = static_cast<std::size_t>(rng() % limit);
  return places;
}

// The editor's own conversions, one at a time: character offset to line and column, and line
// and column to character offset.
void BM_EditorOffsetToRowCol(benchmark::State& state) {
  TEditorModel& editor = LoadedEditor(kHtml, static_cast<int>(state.range(0)));
  const auto places = RandomPlaces(static_cast<std::size_t>(editor.TextLength()));
  std::size_t i = 0;
  for (auto _ : state) {
    const TBufferPos pos = editor.CharIndexToRowCol(static_cast<std::int64_t>(places[i]));
    benchmark::DoNotOptimize(pos);
    i = (i + 1) & (places.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_EditorRowColToOffset(benchmark::State& state) {
  TEditorModel& editor = LoadedEditor(kHtml, static_cast<int>(state.range(0)));
  auto places = RandomPlaces(static_cast<std::size_t>(editor.LineCount()));
  std::vector<TBufferPos> positions;
  positions.reserve(places.size());
  for (std::size_t line : places)
    positions.push_back({1 + static_cast<int>(line % 37), 1 + static_cast<int>(line)});
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(editor.RowColToCharIndex(positions[i]));
    i = (i + 1) & (positions.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EditorOffsetToRowCol)->Arg(1)->Arg(100)->ArgName("mb");
BENCHMARK(BM_EditorRowColToOffset)->Arg(1)->Arg(100)->ArgName("mb");

// The buffer's own conversions: byte to line and line to byte.
void BM_BufferLineOfByte(benchmark::State& state) {
  const TTextBuffer& buffer = LoadedEditor(kHtml, static_cast<int>(state.range(0))).Buffer();
  const auto places = RandomPlaces(buffer.ByteCount());
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(buffer.LineOfByte(places[i]));
    i = (i + 1) & (places.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_BufferLineStart(benchmark::State& state) {
  const TTextBuffer& buffer = LoadedEditor(kHtml, static_cast<int>(state.range(0))).Buffer();
  const auto places = RandomPlaces(buffer.LineCount());
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(buffer.LineStart(places[i]));
    i = (i + 1) & (places.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BufferLineOfByte)->Arg(1)->Arg(100)->ArgName("mb");
BENCHMARK(BM_BufferLineStart)->Arg(1)->Arg(100)->ArgName("mb");

// 100 MB of one-character lines ("a\n" 50 million times): the thread CPU time to load it (handed
// over as an open does, without a copy; wall time beside it) and the heap it takes per byte of
// text, counted by the allocator and by the buffer itself.
void BM_OneCharLines(benchmark::State& state) {
  std::string text;
  text.reserve(100'000'000);
  while (text.size() < 100'000'000) text += "a\n";
  double perByte = 0, reported = 0;
  for (auto _ : state) {
    malloc_trim(0);
    const std::size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
    auto buffer = std::make_unique<TTextBuffer>();
    std::string copy = text;  // the decoded text an open hands over
    auto w0 = WallClock::now();
    auto t0 = Clock::now();
    buffer->AssignOwned(std::move(copy));
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    state.counters["wall_ms"] =
        std::chrono::duration<double, std::milli>(WallClock::now() - w0).count();
    const std::size_t after = mallinfo2().uordblks + mallinfo2().hblkhd;
    perByte = static_cast<double>(after - before) / static_cast<double>(text.size());
    reported = static_cast<double>(buffer->MemoryUsage()) / static_cast<double>(text.size());
    state.PauseTiming();
    buffer.reset();
    state.ResumeTiming();
  }
  state.counters["heap_per_byte"] = perByte;
  state.counters["reported_per_byte"] = reported;
}
BENCHMARK(BM_OneCharLines)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// 100 MB of valid text with LF breaks handed to a fresh buffer as a file open does (ASCII
// markup, and markup with accented and Cyrillic words): thread CPU time, which counts the first
// touch of the buffer's own memory but not the other work on a shared machine; the wall time
// beside it.
const std::string& Utf8Document() {
  static std::string doc;
  if (doc.empty()) {
    doc.reserve(100 * kMB + 256);
    for (int i = 0; doc.size() < 100 * kMB; ++i) {
      doc += "<p class=\"x" + std::to_string(i) +
             "\">Grüße aus Köln, déjà vu — Привет, мир!</p>\n  <span>plain ascii text</span>\n";
    }
  }
  return doc;
}
void BM_LoadOwned(benchmark::State& state) {
  const std::string& doc = state.range(0) ? Utf8Document() : Document(kHtml, 100);
  double wall = 0;
  for (auto _ : state) {
    auto buffer = std::make_unique<TTextBuffer>();
    std::string copy = doc;  // the decoded text an open hands over
    auto w0 = WallClock::now();
    auto t0 = Clock::now();
    buffer->AssignOwned(std::move(copy));
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    wall += std::chrono::duration<double, std::milli>(WallClock::now() - w0).count();
    state.PauseTiming();
    buffer.reset();
    malloc_trim(0);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
  state.counters["wall_ms"] = wall / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LoadOwned)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("utf8")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- searching

void SearchAll(benchmark::State& state, TSearchEngine& engine, const std::string& pattern,
               TSearchOptions options) {
  const auto kind = static_cast<Kind>(state.range(0));
  const int mb = static_cast<int>(state.range(1));
  TEditorModel& editor = LoadedEditor(kind, mb);
  engine.Prepare(pattern, options);
  std::size_t matches = 0;
  double total = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    matches = engine.FindAll(editor.Buffer(), 0, editor.Buffer().ByteCount(),
                             [](const TSearchMatch&) { return true; });
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    state.SetIterationTime(s);
    total += s;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * editor.Buffer().ByteCount()));
  state.counters["matches"] = static_cast<double>(matches);
  SetMemcpyRatio(state, total, editor.Buffer().ByteCount());
}

void BM_PlainSearchCase(benchmark::State& state) {
  TPlainSearchEngine engine;
  SearchAll(state, engine, state.range(0) == kHtml ? "</table>" : "$result", ssoMatchCase);
}
void BM_PlainSearchNoCase(benchmark::State& state) {
  TPlainSearchEngine engine;
  SearchAll(state, engine, state.range(0) == kHtml ? "</TABLE>" : "$RESULT", 0);
}
void BM_PlainSearchCaseAbsent(benchmark::State& state) {
  TPlainSearchEngine engine;
  SearchAll(state, engine, "nowhere to be found", ssoMatchCase);
}
void BM_PlainSearchNoCaseAbsent(benchmark::State& state) {
  TPlainSearchEngine engine;
  SearchAll(state, engine, "NOWHERE to be found", 0);
}
void BM_RegexSearchJit(benchmark::State& state) {
  TRegexSearchEngine engine;
  SearchAll(state, engine, state.range(0) == kHtml ? "<td>[0-9]+</td>" : "\\$res[a-z]+",
            ssoMatchCase);
  state.counters["jit"] = engine.UsesJit() ? 1 : 0;
}
#define SEARCH_BENCH(name)                         \
  BENCHMARK(name)                                  \
      ->ArgsProduct({{kHtml, kPhp}, {1, 10, 100}}) \
      ->ArgNames({"php", "mb"})                    \
      ->UseManualTime()                            \
      ->Unit(benchmark::kMillisecond)
SEARCH_BENCH(BM_PlainSearchCase);
SEARCH_BENCH(BM_PlainSearchNoCase);
SEARCH_BENCH(BM_PlainSearchCaseAbsent);
SEARCH_BENCH(BM_PlainSearchNoCaseAbsent);
SEARCH_BENCH(BM_RegexSearchJit);

// Replace-all of every "$value" of the PHP document (over a million in 100 MB) as one undo
// step; the undo that restores the document is timed separately.
void BM_ReplaceAll(benchmark::State& state) {
  const int mb = static_cast<int>(state.range(0));
  TEditorModel& editor = LoadedEditor(kPhp, mb);
  int count = 0;
  double undoMs = 0;
  std::size_t steps = 0;
  for (auto _ : state) {
    const std::size_t before = editor.UndoList().UndoCount();
    auto t0 = Clock::now();
    count = editor.SearchReplace("$value", "$amount",
                                 ssoMatchCase | ssoEntireScope | ssoReplace | ssoReplaceAll);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    steps = editor.UndoList().UndoCount() - before;
    auto t1 = Clock::now();
    editor.Undo();
    undoMs += std::chrono::duration<double, std::milli>(Clock::now() - t1).count();
  }
  state.counters["occurrences"] = count;
  state.counters["undo_steps"] = static_cast<double>(steps);
  state.counters["undo_ms"] = undoMs / static_cast<double>(state.iterations());
  if (editor.Modified()) state.SkipWithError("undo did not restore the document");
}
BENCHMARK(BM_ReplaceAll)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->ArgName("mb")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The process's peak resident memory in bytes since the last ResetPeakMemory.
std::size_t PeakMemory() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  std::size_t kb = 0;
  while (std::fgets(line, sizeof line, status))
    if (std::sscanf(line, "VmHWM: %zu kB", &kb) == 1) break;
  std::fclose(status);
  return kb * 1024;
}
void ResetPeakMemory() {
  if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", refs);
    std::fclose(refs);
  }
}

// Replace-all of a common one-character needle: 100 MB of "ab" pairs, every "a" (50 million) made
// a "c" as one undo step; wall time, and the peak memory above the loaded document per byte.
void BM_ReplaceAllCommonCharacter(benchmark::State& state) {
  std::string text;
  text.reserve(100'000'000);
  while (text.size() + 80 <= 100'000'000) {
    for (int i = 0; i < 39; ++i) text += "ab";
    text += "\n";
  }
  TEditorModel editor;
  editor.LoadFromBytes(text);
  const std::size_t bytes = text.size();
  std::string().swap(text);
  malloc_trim(0);
  int count = 0;
  double extraPerByte = 0;
  for (auto _ : state) {
    ResetPeakMemory();
    const std::size_t before = PeakMemory();
    auto t0 = WallClock::now();
    count =
        editor.SearchReplace("a", "c", ssoMatchCase | ssoEntireScope | ssoReplace | ssoReplaceAll);
    state.SetIterationTime(std::chrono::duration<double>(WallClock::now() - t0).count());
    extraPerByte = static_cast<double>(PeakMemory() - before) / static_cast<double>(bytes);
    state.PauseTiming();
    editor.Undo();
    malloc_trim(0);
    state.ResumeTiming();
  }
  state.counters["occurrences"] = count;
  state.counters["peak_extra_bytes_per_byte"] = extraPerByte;
}
BENCHMARK(BM_ReplaceAllCommonCharacter)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

// The highlighter states of every line, following the editor's lines as a shown page's do.
class TStatesFollower : public TEditorListener {
 public:
  explicit TStatesFollower(TEditorModel& editor) : editor_(editor), states_(editor.Buffer()) {
    editor_.AddListener(this);
  }
  ~TStatesFollower() override { editor_.RemoveListener(this); }
  void LinesInserted(int first, int count) override { states_.LinesInserted(first, count); }
  void LinesDeleted(int first, int count) override { states_.LinesDeleted(first, count); }
  void LinesChanged(int first, int count) override { states_.LinesChanged(first, count); }
  void TextReset() override { states_.Reset(); }

 private:
  TEditorModel& editor_;
  THighlightStates states_;
};

// Replace-all where every occurrence is its own line: 50 million lines of "a", each made a "b" as
// one undo step, with the line states a shown page keeps; wall time, the undo's time, and the
// peak memory above the loaded document per byte of it.
void BM_ReplaceAllOneCharacterLines(benchmark::State& state) {
  TEditorModel editor;
  TStatesFollower states(editor);
  std::size_t bytes = 0;
  {
    std::string text;
    text.reserve(100'000'000);
    for (int i = 0; i < 50'000'000; ++i) text += "a\n";
    editor.LoadFromBytes(text);
    bytes = text.size();
  }
  malloc_trim(0);
  int count = 0;
  double extraPerByte = 0;
  double undoMs = 0;
  for (auto _ : state) {
    ResetPeakMemory();
    const std::size_t before = PeakMemory();
    auto t0 = WallClock::now();
    count =
        editor.SearchReplace("a", "b", ssoMatchCase | ssoEntireScope | ssoReplace | ssoReplaceAll);
    state.SetIterationTime(std::chrono::duration<double>(WallClock::now() - t0).count());
    extraPerByte = static_cast<double>(PeakMemory() - before) / static_cast<double>(bytes);
    state.PauseTiming();
    auto t1 = WallClock::now();
    editor.Undo();
    undoMs = std::chrono::duration<double, std::milli>(WallClock::now() - t1).count();
    malloc_trim(0);
    state.ResumeTiming();
  }
  state.counters["occurrences"] = count;
  state.counters["peak_extra_bytes_per_byte"] = extraPerByte;
  state.counters["undo_ms"] = undoMs;
  if (editor.Modified() || editor.LineCount() != 50'000'001) state.SkipWithError("undo failed");
}
BENCHMARK(BM_ReplaceAllOneCharacterLines)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// CR LF (Windows) and CR-only (old Mac) files are normalised while loading.
void BM_LoadForeignLineBreaks(benchmark::State& state) {
  static std::string crlf, cr;
  if (crlf.empty()) {
    for (char c : Document(kHtml, 100)) {
      if (c == '\n') {
        crlf += "\r\n";
        cr += '\r';
      } else {
        crlf += c;
        cr += c;
      }
    }
  }
  const std::string& doc = state.range(0) ? cr : crlf;
  TTextBuffer buffer;
  TimeLoading(state, doc, buffer);
  state.counters["lines"] = static_cast<double>(buffer.LineCount());
}
BENCHMARK(BM_LoadForeignLineBreaks)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("cr_only")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A 50 MB document of a single line (minified markup): load, type at its end and undo, move
// the caret, convert positions, search and replace.
void BM_SingleLongLine(benchmark::State& state) {
  static std::string line;
  if (line.empty()) {
    while (line.size() < 50 * kMB) line += "<td class=\"c\">cell</td>";
  }
  auto ms = [](Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
  };
  for (auto _ : state) {
    TEditorModel editor;
    auto t0 = Clock::now();
    editor.LoadFromBytes(line);
    auto t1 = Clock::now();
    editor.ExecuteCommand(ecEditorBottom);
    auto t2 = Clock::now();
    editor.ExecuteCommand(ecChar, U'x');
    auto t3 = Clock::now();
    editor.Undo();
    auto t4 = Clock::now();
    editor.ExecuteCommand(ecLineStart);
    editor.ExecuteCommand(ecLineEnd);
    auto t5 = Clock::now();
    const TBufferPos pos = editor.CharIndexToRowCol(editor.RowColToCharIndex({25'000'000, 1}));
    auto t6 = Clock::now();
    const int found = editor.SearchReplace("nowhere", "", ssoEntireScope);
    auto t7 = Clock::now();
    const int replaced =
        editor.SearchReplace("cell", "CELL", ssoEntireScope | ssoReplace | ssoReplaceAll);
    auto t8 = Clock::now();
    editor.Undo();
    auto t9 = Clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t9 - t0).count());
    state.counters["load_ms"] = ms(t0, t1);
    state.counters["caret_to_end_us"] = ms(t1, t2) * 1000;
    state.counters["type_us"] = ms(t2, t3) * 1000;
    state.counters["undo_us"] = ms(t3, t4) * 1000;
    state.counters["home_end_us"] = ms(t4, t5) * 1000;
    state.counters["offset_roundtrip_us"] = ms(t5, t6) * 1000;
    state.counters["search_absent_ms"] = ms(t6, t7);
    state.counters["replace_all_ms"] = ms(t7, t8);
    state.counters["undo_replace_ms"] = ms(t8, t9);
    state.counters["replaced"] = replaced;
    if (found != 0 || pos.Column != 25'000'000 || editor.Modified() || editor.LineCount() != 1) {
      state.SkipWithError("unexpected result");
    }
  }
}
BENCHMARK(BM_SingleLongLine)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
