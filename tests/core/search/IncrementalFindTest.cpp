#include <gtest/gtest.h>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/SearchEngines.h"
#include "core/search/IncrementalFind.h"

namespace tervil {
namespace {

struct SliceCase {
  const char* name;
  bool regex;
  std::string search;
  TSearchOptions options;
  std::size_t at;  // where the occurrence starts, in bytes
  std::string occurrence;
};

void PrintTo(const SliceCase& c, std::ostream* os) {
  *os << c.name;
}

class SlicedFind : public ::testing::TestWithParam<SliceCase> {};

// Whatever slice border an occurrence lies on, the sliced search selects what the editor's
// own find selects.
TEST_P(SlicedFind, SelectsWhatTheEditorsFindSelects) {
  const SliceCase& c = GetParam();
  const std::size_t border = TIncrementalFind::kSliceBytes;
  std::string text;
  while (text.size() < 3 * border) text += "filler line of text\n";
  text.replace(c.at, c.occurrence.size(), c.occurrence);
  TEditorModel model;
  model.SetText(text);
  TPlainSearchEngine plain;
  TRegexSearchEngine regex;
  TSearchEngine& engine = c.regex ? static_cast<TSearchEngine&>(regex) : plain;

  model.SetCaretPos({1, 1});
  TIncrementalFind find;
  find.Start(model, engine, c.search, c.options | ssoEntireScope);
  while (find.Run(TIncrementalFind::TClock::now()) == TIncrementalFind::TState::Pending) {
  }
  ASSERT_EQ(find.State(), TIncrementalFind::TState::Found);
  const TBufferPos caret = model.CaretPos();
  const std::string selected = model.SelText();

  model.SetCaretPos({1, 1});
  model.SetSearchEngine(&engine);
  ASSERT_EQ(model.SearchReplace(c.search, "", c.options | ssoEntireScope), 1);
  EXPECT_EQ(model.CaretPos(), caret);
  EXPECT_EQ(model.SelText(), selected);
}

constexpr std::size_t kBorder = TIncrementalFind::kSliceBytes;
// The test text is whole lines of 20 bytes; the first backward slice starts kBorder before its end.
constexpr std::size_t kBackwardBorder = (3 * kBorder + 19) / 20 * 20 - kBorder;
INSTANTIATE_TEST_SUITE_P(
    Cases, SlicedFind,
    ::testing::Values(
        SliceCase{"plain_across_the_first_border", false, "NEEDLE", 0, kBorder - 3, "NEEDLE"},
        SliceCase{"plain_folded_case", false, "needle", 0, 2 * kBorder - 1, "NEEDLE"},
        SliceCase{"plain_over_a_line_break", false, "END\r\nSTART", ssoMatchCase, kBorder - 4,
                  "END\nSTART"},
        SliceCase{"plain_backward_across_a_border", false, "NEEDLE", ssoBackwards,
                  kBackwardBorder - 3, "NEEDLE"},
        SliceCase{"regex_on_a_border_line", true, "N(EE)+DLE$", 0, kBorder - 3, "NEEDLE"},
        SliceCase{"regex_backward", true, "^N.EDLE", ssoBackwards, 20 * 3, "NEEDLE"},
        SliceCase{"whole_word_next_to_the_border", false, "tok", ssoWholeWord, kBorder - 1,
                  " tok "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IncrementalFind, NothingToFindEndsNotFoundAndAChangedTextStartsOver) {
  TEditorModel model;
  model.SetText(std::string(3 * TIncrementalFind::kSliceBytes, 'a'));
  TPlainSearchEngine engine;
  TIncrementalFind find;
  find.Start(model, engine, "b", ssoEntireScope);
  EXPECT_EQ(find.Run(TIncrementalFind::TClock::now()), TIncrementalFind::TState::Pending);
  model.SetCaretPos({1, 1});
  model.SetSelText("b");
  EXPECT_EQ(find.Run(TIncrementalFind::TClock::now() + std::chrono::seconds(10)),
            TIncrementalFind::TState::Found);
  EXPECT_EQ(model.CaretPos(), (TBufferPos{2, 1}));
  find.Start(model, engine, "zz", ssoEntireScope);
  EXPECT_EQ(find.Run(TIncrementalFind::TClock::now() + std::chrono::seconds(10)),
            TIncrementalFind::TState::NotFound);
}

}  // namespace
}  // namespace tervil
