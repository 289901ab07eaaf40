// Benchmarks of searching as the editor's commands do it: search-as-you-type in a 100 MB
// document, a replace answered "Yes to all" over a million occurrences and a multi-replace of
// 100 pairs over 10 MB.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/SearchEngines.h"
#include "core/search/SearchDriver.h"

namespace {

using namespace tervil;
using Clock = std::chrono::steady_clock;

// Bulk replacements are timed in thread CPU time, so that other work on a shared machine does
// not count; search-as-you-type on the wall clock, which is what typing waits for.
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

constexpr std::size_t kMB = 1 << 20;

// A host without a window: every replace question is answered "Yes to all".
class BenchHost : public TSearchHost {
 public:
  explicit BenchHost(TEditorModel& model) : model_(model) {}
  TEditorModel* SearchModel() override { return &model_; }
  void SetStatusText(const std::string&) override {}
  void ShowNotFound(const std::string&) override {}
  void ShowError(const std::string&) override {}
  void FocusEditor() override {}
  void SetFindBoxText(const std::string&) override {}
  TReplaceAction ConfirmReplace(const std::string&, int, int) override {
    return TReplaceAction::raReplaceAll;
  }

 private:
  TEditorModel& model_;
};

// Lines of HTML of about 100 bytes, `mb` megabytes in all; every line holds "value" once.
std::string Document(std::size_t mb) {
  static const std::string line =
      "<tr><td class=\"cell\">value</td><td>Some words of text in a table row</td></tr>\n";
  std::string text;
  text.reserve(mb * kMB + line.size());
  while (text.size() < mb * kMB) text += line;
  return text;
}

struct Fixture {
  TEditorModel model;
  BenchHost host{model};
  TSearchState state;
  TSearchDriver driver{state, host, "Text not found", {}};
  explicit Fixture(const std::string& text) { model.SetText(text); }
};

Fixture& HundredMB() {
  static Fixture fixture(Document(100));
  return fixture;
}

// One keystroke in the find box: the time until the occurrence 10 MB down is selected,
// counting every turn the search takes (the window paints between turns).
void BM_FindAsYouTypeMatchAt10MB(benchmark::State& state) {
  Fixture& f = HundredMB();
  const std::size_t at = 10 * kMB;
  const std::size_t byte = f.model.Buffer().LineStart(f.model.Buffer().LineOfByte(at));
  f.model.SetCaretAndSelection(f.model.PosOfByte(byte), f.model.PosOfByte(byte),
                               f.model.PosOfByte(byte));
  f.model.SetSelText("needle");
  int turns = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    turns = 1;
    auto result = f.driver.FindTextChange("needle", Clock::now() + std::chrono::milliseconds(8));
    while (result == TIncrementalFind::TState::Pending) {
      ++turns;
      result = f.driver.ContinueFindText(Clock::now() + std::chrono::milliseconds(8));
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    if (result != TIncrementalFind::TState::Found) state.SkipWithError("not found");
  }
  state.counters["turns"] = turns;
  f.model.Undo();
}
BENCHMARK(BM_FindAsYouTypeMatchAt10MB)->UseManualTime()->Unit(benchmark::kMillisecond);

// A keystroke that matches nothing in 100 MB: the longest single turn (what typing waits for)
// and the whole scan spread over the turns.
void BM_FindAsYouTypeNoMatch(benchmark::State& state) {
  Fixture& f = HundredMB();
  double longestMs = 0;
  double totalMs = 0;
  int turns = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    auto t0 = start;
    turns = 1;
    auto result = f.driver.FindTextChange("absent", Clock::now() + std::chrono::milliseconds(8));
    longestMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    while (result == TIncrementalFind::TState::Pending) {
      ++turns;
      t0 = Clock::now();
      result = f.driver.ContinueFindText(Clock::now() + std::chrono::milliseconds(8));
      longestMs =
          std::max(longestMs, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    totalMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    state.SetIterationTime(longestMs / 1000);
  }
  state.counters["turns"] = turns;
  state.counters["scan_ms"] = totalMs;
}
BENCHMARK(BM_FindAsYouTypeNoMatch)->UseManualTime()->Unit(benchmark::kMillisecond);

// The Replace dialog answered "Yes to all" on the first question, over about a million
// occurrences in 100 MB; one undo step.
void BM_ReplaceYesToAll(benchmark::State& state) {
  Fixture& f = HundredMB();
  int count = 0;
  for (auto _ : state) {
    f.model.SetCaretPos({1, 1});
    TSearchDialogValues values = f.driver.DialogPreset(TSearchKind::skReplace);
    values.SearchText = "value";
    values.ReplaceText = "amount";
    values.FromCaret = false;
    const std::size_t steps = f.model.UndoList().UndoCount();
    auto t0 = CpuClock::now();
    f.driver.AcceptDialog(TSearchKind::skReplace, values);
    state.SetIterationTime(std::chrono::duration<double>(CpuClock::now() - t0).count());
    if (f.model.UndoList().UndoCount() != steps + 1) state.SkipWithError("not one undo step");
    count = static_cast<int>(f.model.Buffer().LineCount());
    f.model.Undo();
  }
  state.counters["occurrences"] = count;
}
BENCHMARK(BM_ReplaceYesToAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// A definition file of 100 pairs applied to 10 MB.
void BM_MultiReplace100Pairs(benchmark::State& state) {
  static Fixture f(Document(10));
  std::vector<TReplacePair> pairs;
  for (int i = 0; i < 98; ++i) pairs.push_back({"absent" + std::to_string(i), "x"});
  pairs.push_back({"cell", "column"});
  pairs.push_back({"words", "terms"});
  f.state.SearchFromCaret = false;
  for (auto _ : state) {
    auto t0 = CpuClock::now();
    f.driver.MultiReplace(pairs);
    state.SetIterationTime(std::chrono::duration<double>(CpuClock::now() - t0).count());
    f.model.Undo();
  }
}
BENCHMARK(BM_MultiReplace100Pairs)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Common short needles with millions of matches in the 100 MB document, through the engines
// the editor's "Find all" and replace-all use, every match counted: a one-letter needle, a short
// needle ignoring case, whole words, and a regular expression with a character class. Google
// Benchmark prints the speed in binary units (MiB/s, GiB/s), with the matches per second.
enum class CommonNeedle { Letter, ShortNoCase, WholeWord, RegexClass };

void BM_FindAllCommonNeedle(benchmark::State& state) {
  Fixture& f = HundredMB();
  const auto needle = static_cast<CommonNeedle>(state.range(0));
  TPlainSearchEngine plain;
  TRegexSearchEngine regex;
  TSearchEngine* engine = &plain;
  switch (needle) {
    case CommonNeedle::Letter:
      plain.Prepare("e", ssoMatchCase);
      break;
    case CommonNeedle::ShortNoCase:
      plain.Prepare("TD", 0);
      break;
    case CommonNeedle::WholeWord:
      plain.Prepare("of", ssoMatchCase | ssoWholeWord);
      break;
    case CommonNeedle::RegexClass:
      regex.Prepare("[a-c]", ssoMatchCase);
      engine = &regex;
      break;
  }
  const TTextBuffer& buffer = f.model.Buffer();
  std::size_t matches = 0;
  for (auto _ : state) {
    matches =
        engine->FindAll(buffer, 0, buffer.ByteCount(), [](const TSearchMatch&) { return true; });
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.ByteCount()));
  state.counters["matches"] = static_cast<double>(matches);
  state.counters["matches/s"] =
      benchmark::Counter(static_cast<double>(matches) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FindAllCommonNeedle)
    ->DenseRange(0, 3)
    ->ArgName("needle")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
