// Benchmarks of the editor control's typing aids in a 100 MB HTML/PHP document: what a caret
// move costs (matching bracket, matching tag and the variable frames of a screen of lines, also
// when the partner tag is missing), and what a typed ">" that closes a tag costs in the model.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/editcomponent/EditorModel.h"
#include "core/editor/TagMatching.h"
#include "core/editor/TypingRules.h"
#include "core/tags/TagsEditor.h"

namespace {

using namespace tervil;

std::string Block(int i) {
  const std::string n = std::to_string(i);
  return "<div class=\"cart\" id=\"c" + n +
         "\">\n"
         "  <ul>\n    <li>Item " +
         n +
         "</li>\n    <li>(price) [x] {y}</li>\n  </ul>\n"
         "  <?php $total = $total + $price * 1.19; echo $total; ?>\n"
         "</div>\n";
}

// One 100 MB document, shared by every benchmark. Its middle holds an unclosed "<section>".
TEditorModel& Document() {
  static std::unique_ptr<TEditorModel> model = [] {
    std::string text;
    text.reserve(101u << 20);
    for (int i = 0; text.size() < (50u << 20); ++i) text += Block(i);
    text += "<section>\n";
    for (int i = 0; text.size() < (100u << 20); ++i) text += Block(i);
    auto m = std::make_unique<TEditorModel>();
    m->LoadFromBytes(text);
    return m;
  }();
  return *model;
}

TTagText TextOf(const TEditorModel& model) {
  TTagText text;
  text.LineCount = [&model] { return model.LineCount(); };
  text.Line = [&model](int index) { return model.Line(index); };
  return text;
}

int LineOf(const TEditorModel& model, std::string_view needle, int from) {
  for (int line = from;; ++line)
    if (model.Line(line - 1).find(needle) != std::string::npos) return line;
}

// Everything a caret move recomputes: the matching bracket, the matching tag, the variable at
// the caret and its occurrences on 50 visible lines.
void CaretMove(benchmark::State& state, const char* needle, int column) {
  TEditorModel& model = Document();
  const int line = LineOf(model, needle, model.LineCount() / 2 - 20);
  const TTagText text = TextOf(model);
  for (auto _ : state) {
    model.SetCaretPos({column, line});
    benchmark::DoNotOptimize(model.MatchingBracket());
    benchmark::DoNotOptimize(FindMatchingTag(text, model.CaretPos()));
    const TCaretWord word =
        WordBeforeCaret(model.LineText(), column, true, TCaretWordKind::Identifier);
    std::size_t frames = 0;
    for (int l = std::max(1, line - 25); l < line + 25; ++l)
      frames += VariableOccurrences(model.Line(l - 1), word.Text).size();
    benchmark::DoNotOptimize(frames);
  }
}

void BM_CaretMoveOnADiv(benchmark::State& state) {
  CaretMove(state, "<div class", 3);
}
BENCHMARK(BM_CaretMoveOnADiv)->Unit(benchmark::kMillisecond);

void BM_CaretMoveOnAVariable(benchmark::State& state) {
  CaretMove(state, "$total", 12);
}
BENCHMARK(BM_CaretMoveOnAVariable)->Unit(benchmark::kMillisecond);

// The unclosed <section>: the scan for its partner reads to its limit and gives up.
void BM_CaretMoveOnAMissingPartner(benchmark::State& state) {
  CaretMove(state, "<section>", 3);
}
BENCHMARK(BM_CaretMoveOnAMissingPartner)->Unit(benchmark::kMillisecond);

// A typed ">" after "<p" in the middle of the document: the character, the closing tag and
// the caret put between the two tags; undone after each round.
void BM_TypedGreaterThanClosesATag(benchmark::State& state) {
  TEditorModel& model = Document();
  THtmlTagsEditor tags;
  tags.LoadText("<tag name=\"p\" double=\"double\">\r\n</tag>\r\n");
  const int line = model.LineCount() / 2 + 3;
  for (auto _ : state) {
    model.SetCaretPos({1, line});
    model.ExecuteCommand(ecChar, U'<');
    model.ExecuteCommand(ecChar, U'p');
    model.ExecuteCommand(ecChar, U'>');
    const std::string closing = ClosingTagFor(model.LineText(), model.CaretX(), tags);
    model.SetSelText(closing);
    model.SetCaretPos({4, line});
    state.PauseTiming();
    for (int i = 0; i < 4; ++i) model.Undo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TypedGreaterThanClosesATag)->Unit(benchmark::kMicrosecond);

}  // namespace
