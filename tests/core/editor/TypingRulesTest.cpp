#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editor/TypingRules.h"
#include "core/tags/TagsEditor.h"

namespace tervil {
namespace {

const THtmlTagsEditor& Tags() {
  static const THtmlTagsEditor tags = [] {
    THtmlTagsEditor t;
    t.LoadText(
        "<tag name=\"p\" double=\"double\">\r\n</tag>\r\n"
        "<tag name=\"br\">\r\n</tag>\r\n");
    return t;
  }();
  return tags;
}

struct ClosingCase {
  const char* line;  // caret at the end, just after the typed ">"
  const char* closing;
};

class ClosingTag : public testing::TestWithParam<ClosingCase> {};

TEST_P(ClosingTag, FollowsTheTypedGreaterThan) {
  const std::string line = GetParam().line;
  EXPECT_EQ(ClosingTagFor(line, static_cast<int>(line.size()) + 1, Tags()), GetParam().closing);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClosingTag,
    testing::Values(ClosingCase{"<p>", "</p>"}, ClosingCase{"text <p>", "</p>"},
                    ClosingCase{"<br>", ""}, ClosingCase{"<BR>", "</BR>"}, ClosingCase{"<br/>", ""},
                    ClosingCase{"</p>", ""}, ClosingCase{"<!-- x -->", ""},
                    ClosingCase{"<?php ?>", ""}, ClosingCase{"<xyz class=\"a\">", "</xyz>"},
                    ClosingCase{"<1a>", ""}, ClosingCase{"<a href='x'>", "</a>"},
                    ClosingCase{"<x->", ""}, ClosingCase{"a > b", ""}, ClosingCase{">", ""},
                    ClosingCase{"<\xc3\xa9t\xc3\xa9>", ""}, ClosingCase{"<abc\xc3\xa9>", ""}));

TEST(ClosingTag, CaretInsideALongLineReadsOnlyAWindow) {
  std::string line(10'000'000, 'x');
  line += "<div>";
  line += std::string(1000, 'y');
  EXPECT_EQ(ClosingTagFor(line, 10'000'006, Tags()), "</div>");
  EXPECT_EQ(ClosingTagFor(line, 99'999'999, Tags()), "");  // beyond the end
}

struct ListCase {
  const char* line;
  const char* closing;
};

class ListItemClose : public testing::TestWithParam<ListCase> {};

TEST_P(ListItemClose, ClosesOpenItems) {
  EXPECT_EQ(ListItemClosing(GetParam().line), GetParam().closing);
}

INSTANTIATE_TEST_SUITE_P(Cases, ListItemClose,
                         testing::Values(ListCase{"<li>one", "</li>"}, ListCase{"  <li>", "</li>"},
                                         ListCase{"<li>one</li>", ""}, ListCase{"\t<li>x", ""},
                                         ListCase{"<option>a", "</option>"},
                                         ListCase{"<option>a</option>", ""}, ListCase{"", ""},
                                         ListCase{"x<li>", ""}, ListCase{"<lix", ""}));

struct ContinueCase {
  const char* previous;
  int lastListColumn;
  TListStep::TAction action;
  const char* item;
  int newLastListColumn;
};

class ListContinuation : public testing::TestWithParam<ContinueCase> {};

TEST_P(ListContinuation, StartsOrEndsItems) {
  const ContinueCase& c = GetParam();
  const TListStep step = ContinueList(c.previous, c.lastListColumn);
  EXPECT_EQ(step.Action, c.action);
  EXPECT_EQ(step.Item, c.item);
  EXPECT_EQ(step.LastListColumn, c.newLastListColumn);
}

using A = TListStep::TAction;
INSTANTIATE_TEST_SUITE_P(Cases, ListContinuation,
                         testing::Values(ContinueCase{"", 3, A::None, "", 0},
                                         ContinueCase{"  <li>one</li>", 0, A::NewItem, "<li>", 3},
                                         ContinueCase{"  <li>one</li>", 3, A::NewItem, "<li>", 3},
                                         ContinueCase{"  <li></li>", 3, A::EndList, "", 3},
                                         ContinueCase{"<li></li>", 1, A::EndList, "", 1},
                                         ContinueCase{"<option>a</option>", 1, A::NewItem,
                                                      "<option>", 1},
                                         ContinueCase{"<option></option>", 1, A::EndList, "", 1},
                                         ContinueCase{"  text", 1, A::None, "", 3},
                                         // An item with text is never ended as an empty one.
                                         ContinueCase{"<li>one", 0, A::NewItem, "<li>", 1},
                                         ContinueCase{"  <li>a</li>", 3, A::NewItem, "<li>", 3},
                                         ContinueCase{"<option>a", 1, A::NewItem, "<option>", 1},
                                         ContinueCase{"<li> </li>", 2, A::EndList, "", 1},
                                         ContinueCase{"   ", 1, A::None, "", 4}));

struct ItemEndCase {
  const char* line;
  int caretColumn;
  bool before;
};

class ItemClosingAtCaret : public testing::TestWithParam<ItemEndCase> {};

TEST_P(ItemClosingAtCaret, FindsTheItemsOwnClosingTag) {
  EXPECT_EQ(CaretBeforeItemClosing(GetParam().line, GetParam().caretColumn), GetParam().before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ItemClosingAtCaret,
    testing::Values(ItemEndCase{"<li>one</li>", 8, true}, ItemEndCase{"  <li>one</li> ", 10, true},
                    ItemEndCase{"<option>a</option>", 10, true}, ItemEndCase{"<li></li>", 5, true},
                    ItemEndCase{"<li>one</li>", 13, false}, ItemEndCase{"<li>one</li>", 7, false},
                    ItemEndCase{"<li>a</li><li>b</li>", 6, false},
                    ItemEndCase{"<p>one</li>", 7, false}, ItemEndCase{"<li>one</option>", 8, false},
                    ItemEndCase{"<li>one</li>", 3, false}));

struct CommentCase {
  const char* line;
  bool applies;
  const char* inserted;
};

class CommentEnter : public testing::TestWithParam<CommentCase> {};

TEST_P(CommentEnter, ContinuesBlockComments) {
  const auto text = CommentContinuation(GetParam().line, "");
  ASSERT_EQ(text.has_value(), GetParam().applies);
  if (text) {
    EXPECT_EQ(*text, GetParam().inserted);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommentEnter,
    testing::Values(CommentCase{"/**", true, "\r\n *"}, CommentCase{" * text", true, "\r\n *"},
                    CommentCase{"    * text  ", true, "\r\n      *"}, CommentCase{" */", false, ""},
                    CommentCase{"   ", false, ""}, CommentCase{"/* x", false, ""}));

struct WordCase {
  const char* line;
  int caret;
  bool extendRight;
  TCaretWordKind kind;
  const char* text;
};

class CaretWord : public testing::TestWithParam<WordCase> {};

TEST_P(CaretWord, TakesTheExpressionEndingAtTheCaret) {
  const WordCase& c = GetParam();
  EXPECT_EQ(WordBeforeCaret(c.line, c.caret, c.extendRight, c.kind).Text, c.text);
}

constexpr auto kId = TCaretWordKind::Identifier;
constexpr auto kVar = TCaretWordKind::Variable;
INSTANTIATE_TEST_SUITE_P(
    Cases, CaretWord,
    testing::Values(WordCase{"$total = 1;", 4, true, kId, "$total"},
                    WordCase{"$total = 1;", 7, false, kId, "$total"},
                    WordCase{"x = $obj->items[2]", 19, false, kId, "$obj->items[2]"},
                    WordCase{"x = $obj->items", 16, false, kVar, "$obj->items"},
                    WordCase{"document.forms", 15, false, kId, "document.forms"},
                    WordCase{"a::b", 5, false, kId, "a::b"},
                    WordCase{"y = f(x, y)", 12, false, kId, "f(x, y)"},
                    WordCase{"y = f(x, y)", 12, false, kVar, ""},
                    WordCase{"obj. ", 5, false, kId, ""},
                    WordCase{"count++", 3, true, kId, "count"}, WordCase{"", 1, true, kId, ""},
                    WordCase{"abc", 9, true, kId, ""}, WordCase{"a > b", 4, false, kId, ""},
                    WordCase{"a:b", 4, false, kId, "b"}));

TEST(CaretWord, LongLinesAreReadInAWindow) {
  const std::string line = std::string(10'000'000, 'a') + " $x";
  const TCaretWord word = WordBeforeCaret(line, 10'000'004, true, kId);
  EXPECT_EQ(word.Text, "$x");
  EXPECT_EQ(word.Start, 10'000'003);
  EXPECT_EQ(WordBeforeCaret(line, 5'000'000, true, kId).Text.size(), 2 * kCaretScanLimit);
}

struct OccurrenceCase {
  const char* text;
  const char* word;
  std::vector<int> columns;
};

class Occurrences : public testing::TestWithParam<OccurrenceCase> {};

TEST_P(Occurrences, CountWholeVariables) {
  EXPECT_EQ(VariableOccurrences(GetParam().text, GetParam().word), GetParam().columns);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Occurrences,
    testing::Values(OccurrenceCase{"$total $totals x$total", "$total", {1, 17}},
                    OccurrenceCase{"count counter _count count", "count", {1, 22}},
                    OccurrenceCase{"\xc3\xa9 count", "count", {3}}, OccurrenceCase{"abc", "", {}}));

}  // namespace
}  // namespace tervil
