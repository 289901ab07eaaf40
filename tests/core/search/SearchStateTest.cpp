#include <gtest/gtest.h>

#include "core/search/SearchState.h"

namespace tervil {
namespace {

struct OptionsCase {
  const char* name;
  TSearchKind kind;
  bool backward;
  bool hasSelection;
  void (*set)(TSearchState&);
  TSearchOptions expected;
};

void PrintTo(const OptionsCase& c, std::ostream* os) {
  *os << c.name;
}

class SearchOptionBits : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(SearchOptionBits, FollowTheState) {
  const OptionsCase& c = GetParam();
  TSearchState state;
  c.set(state);
  EXPECT_EQ(BuildSearchOptions(state, c.kind, c.backward, c.hasSelection), c.expected);
}

void Nothing(TSearchState&) {}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchOptionBits,
    ::testing::Values(
        OptionsCase{"find_sends_no_replace_bits", TSearchKind::skFind, false, false, Nothing, 0},
        OptionsCase{"replace_asks_for_every_one", TSearchKind::skReplace, false, false, Nothing,
                    224},
        OptionsCase{"multi_replace_does_not_ask", TSearchKind::skMultiReplace, false, false,
                    Nothing, 96},
        OptionsCase{"backward_pass", TSearchKind::skFind, true, false, Nothing, 4},
        OptionsCase{"case_and_words", TSearchKind::skFind, false, false,
                    [](TSearchState& s) { s.SearchMatchCase = s.SearchWholeWords = true; }, 3},
        OptionsCase{"not_continuing_covers_all", TSearchKind::skFind, false, false,
                    [](TSearchState& s) { s.SearchContinue = false; }, 8},
        OptionsCase{"selected_only_with_selection", TSearchKind::skFind, false, true,
                    [](TSearchState& s) { s.SearchSelectedOnly = true; }, 16},
        OptionsCase{"selected_only_without_selection_is_ignored", TSearchKind::skFind, false, false,
                    [](TSearchState& s) { s.SearchSelectedOnly = true; }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SearchHistory, KeepsTwentyNewestFirstAndMovesAChosenEntryToTheTop) {
  std::vector<std::string> entries;
  for (int i = 0; i < 25; ++i) PushHistory(entries, "t" + std::to_string(i));
  PushHistory(entries, "t3");
  PushHistory(entries, "");
  std::vector<std::string> stored = SplitHistory(JoinHistory(entries));
  ASSERT_EQ(stored.size(), 20u);
  EXPECT_EQ(stored[0], "t3");
  EXPECT_EQ(stored[1], "t24");
  EXPECT_EQ(JoinHistory({"a", "b"}), "a\r\nb");
  EXPECT_EQ(SplitHistory("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(SplitHistory("").empty());
}

}  // namespace
}  // namespace tervil
