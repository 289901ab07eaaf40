#include <gtest/gtest.h>

#include "core/editcomponent/Completion.h"

namespace tervil {
namespace {

TEST(PrettyText, SplitsColumnsAndBold) {
  const auto segments = ParsePrettyText("int|float\\column{}\\style{+B}abs\\style{-B}(int $num)");
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_EQ(segments[0].Text, "int|float");
  EXPECT_EQ(segments[0].Column, 0);
  EXPECT_EQ(segments[1].Text, "abs");
  EXPECT_EQ(segments[1].Column, 1);
  EXPECT_TRUE(segments[1].Bold);
  EXPECT_EQ(segments[2].Text, "(int $num)");
  EXPECT_FALSE(segments[2].Bold);
  // A backslash that is no command stays text.
  EXPECT_EQ(ParsePrettyText("a\\b c")[0].Text, "a\\b c");
}

TSharedLines Lines(std::vector<std::string> lines) {
  return std::make_shared<const std::vector<std::string>>(std::move(lines));
}

TEST(CompletionItems, NarrowsAsTheUserTypesAndWidensOnBackspace) {
  TCompletionItems items;
  items.SetLists(Lines({"strlen", "strpos", "StrRev", "substr", "abs"}),
                 Lines({"m strlen", "m strpos", "m strrev", "m substr", "m abs"}));
  EXPECT_EQ(items.Count(), 5u);
  items.Filter("s");
  EXPECT_EQ(items.Count(), 4u);
  items.Filter("STR");
  ASSERT_EQ(items.Count(), 3u);
  EXPECT_EQ(items.InsertText(2), "StrRev");
  EXPECT_EQ(items.ItemText(0), "m strlen");
  items.Filter("strx");
  EXPECT_TRUE(items.Empty());
  EXPECT_EQ(items.Selected(), -1);
  items.Filter("su");  // not an extension of "strx": from every entry again
  ASSERT_EQ(items.Count(), 1u);
  EXPECT_EQ(items.EntryOf(0), 3u);
  items.Filter("");
  items.MoveSelection(10);
  EXPECT_EQ(items.Selected(), 4);
  items.MoveSelection(-7);
  EXPECT_EQ(items.Selected(), 0);
}

TEST(Tokens, EndAtTheEndOfTokenCharacters) {
  EXPECT_EQ(TokenStart("$db->qu", 7), 5u);
  EXPECT_EQ(TokenStart("x = strl", 8), 4u);
  EXPECT_EQ(TokenStart("strl", 4), 0u);
  EXPECT_EQ(TokenStart("a(", 2), 2u);
  EXPECT_EQ(TokenEnd("strlen(x)", 3), 6u);
  EXPECT_EQ(MemberParts("$db->qu"), (std::vector<std::string>{"$db-", "qu"}));
  EXPECT_EQ(MemberParts("A::b"), (std::vector<std::string>{"A", "b"}));
  EXPECT_EQ(MemberParts("strlen").size(), 1u);
}

struct ScanCase {
  const char* line;  // "|" marks the caret
  bool found;
  const char* function;
  int commas;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
  *os << c.line;
}

class HintScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(HintScan, FindsTheFunctionAndCountsCommas) {
  const std::vector<std::string> names{"strlen", "foo", "str_replace"};
  TFunctionLookup lookup;
  lookup.Build(names);
  std::string line = GetParam().line;
  const std::size_t caret = line.find('|');
  line.erase(caret, 1);
  const THintScan scan = ScanForFunction(line, caret, lookup);
  EXPECT_EQ(scan.Found, GetParam().found);
  if (!scan.Found) return;
  EXPECT_EQ(names[scan.Index], GetParam().function);
  EXPECT_EQ(scan.Commas, GetParam().commas);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HintScan,
    ::testing::Values(
        ScanCase{"strlen(|", true, "strlen", 0}, ScanCase{"x = STRLEN($s|", true, "strlen", 0},
        ScanCase{"str_replace($a, $b,|", true, "str_replace", 2},
        ScanCase{"foo(bar(1), |", true, "foo", 1},
        // The commas of a call of an unknown function are not foo's.
        ScanCase{"foo(bar(1, 2), baz(3, |", true, "foo", 1}, ScanCase{"foo (|", true, "foo", 0},
        ScanCase{"nosuchfunction(|", false, "", 0}, ScanCase{"strlen($s)|", false, "", 0},
        ScanCase{"strlen($s) + 1|", false, "", 0}, ScanCase{"|", false, "", 0},
        ScanCase{"strlen($s, $t)|xyz", false, "", 0}));

TEST(HintScan, StaysBoundedOnAHugeLine) {
  TFunctionLookup lookup;
  lookup.Build({"foo"});
  std::string line = "foo(" + std::string(10 << 20, 'x');
  EXPECT_FALSE(ScanForFunction(line, line.size(), lookup).Found);  // beyond the scan limit
  line = std::string(10 << 20, ',') + "foo(a, b";
  const THintScan scan = ScanForFunction(line, line.size(), lookup);
  EXPECT_TRUE(scan.Found);
  EXPECT_EQ(scan.Commas, 1);
}

TEST(Parameters, SplitOutsideQuotesAndBrackets) {
  EXPECT_EQ(SplitParameters("string $s, array $a = [1, 2], string $sep = \", \", int ...$n"),
            (std::vector<std::string>{"string $s", "array $a = [1, 2]", "string $sep = \", \"",
                                      "int ...$n"}));
  EXPECT_TRUE(SplitParameters("void").empty());
  EXPECT_TRUE(SplitParameters(" ").empty());
}

TEST(DescriptionHint, TwoLinesFromTheFullList) {
  EXPECT_EQ(DescriptionLines("strlen(string $s)        Returns the length"),
            (std::pair<std::string, std::string>{"strlen(string $s)", "Returns the length"}));
  EXPECT_EQ(DescriptionLines(" f() ").first, "f()");
}

TEST(Placement, DescriptionHintFollowsTheRules) {
  const TScreenRect editor{0, 0, 800, 600};
  // Below the list at its left edge.
  EXPECT_EQ(DescriptionHintPos({100, 200, 380, 200}, editor, 40), (TScreenPoint{100, 400}));
  // Left edge beyond the editor's right edge: at the editor's right edge.
  EXPECT_EQ(DescriptionHintPos({900, 200, 380, 200}, editor, 40), (TScreenPoint{800, 400}));
  // The editor ends above the list's bottom: above the list.
  EXPECT_EQ(DescriptionHintPos({100, 450, 380, 200}, editor, 40), (TScreenPoint{100, 410}));
}

TEST(Placement, PopupStaysOnTheScreen) {
  const TScreenRect screen{0, 0, 1000, 700};  // left, top, width, height
  EXPECT_EQ(PopupPos(100, 50, 66, 380, 200, screen), (TScreenPoint{100, 66}));
  EXPECT_EQ(PopupPos(100, 600, 616, 380, 200, screen), (TScreenPoint{100, 400}));
  EXPECT_EQ(PopupPos(900, 50, 66, 380, 200, screen), (TScreenPoint{620, 66}));
}

}  // namespace
}  // namespace tervil
