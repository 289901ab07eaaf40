#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/EditorTestSupport.h"
#include "core/editcomponent/SearchEngines.h"

namespace tervil {
namespace {

struct SearchCase {
  const char* name;
  std::string text;
  TBufferPos caret;
  TBufferPos selStart, selEnd;  // a selection when they differ
  bool regex;
  std::string search, replacement;
  TSearchOptions options;
  int count;
  std::string result;    // text afterwards
  std::string selected;  // selected text afterwards (finds)
};

void PrintTo(const SearchCase& c, std::ostream* os) {
  *os << c.name;
}

class SearchReplaceCases : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchReplaceCases, CountAndResult) {
  const SearchCase& c = GetParam();
  TEditorModel e;
  TRegexSearchEngine regex;
  if (c.regex) e.SetSearchEngine(&regex);
  e.SetText(c.text);
  e.SetCaretAndSelection(c.caret, c.selStart, c.selEnd);
  if (c.selStart == c.selEnd) e.SetCaretPos(c.caret);
  EXPECT_EQ(e.SearchReplace(c.search, c.replacement, c.options), c.count);
  EXPECT_EQ(e.Text(), c.result);
  if (!(c.options & ssoReplace)) {
    EXPECT_EQ(e.SelText(), c.selected);
  }
}

constexpr TSearchOptions kAll = ssoReplace | ssoReplaceAll | ssoEntireScope;
const TBufferPos P11{1, 1};

INSTANTIATE_TEST_SUITE_P(
    Plain, SearchReplaceCases,
    ::testing::Values(
        SearchCase{
            "FindFromCaret", "ab ab ab", {3, 1}, P11, P11, false, "ab", "", 0, 1, "ab ab ab", "ab"},
        SearchCase{"FindIgnoresCaseByDefault", "x AB", P11, P11, P11, false, "ab", "", 0, 1, "x AB",
                   "AB"},
        SearchCase{"MatchCase", "x AB", P11, P11, P11, false, "ab", "", ssoMatchCase, 0, "x AB",
                   ""},
        SearchCase{"WholeWord",
                   "cat catalog cat_x cat",
                   {2, 1},
                   P11,
                   P11,
                   false,
                   "cat",
                   "",
                   ssoWholeWord,
                   1,
                   "cat catalog cat_x cat",
                   "cat"},
        SearchCase{
            "NothingAfterCaret", "ab x", {3, 1}, P11, P11, false, "ab", "", 0, 0, "ab x", ""},
        SearchCase{"EntireScopeIgnoresCaret",
                   "ab x",
                   {3, 1},
                   P11,
                   P11,
                   false,
                   "ab",
                   "",
                   ssoEntireScope,
                   1,
                   "ab x",
                   "ab"},
        SearchCase{"Backwards",
                   "ab ab x",
                   {6, 1},
                   P11,
                   P11,
                   false,
                   "ab",
                   "",
                   ssoBackwards,
                   1,
                   "ab ab x",
                   "ab"},
        SearchCase{"NonAsciiIgnoringCase", "un \xC3\x89T\xC3\x89 chaud", P11, P11, P11, false,
                   "\xC3\xA9t\xC3\xA9", "", 0, 1, "un \xC3\x89T\xC3\x89 chaud",
                   "\xC3\x89T\xC3\x89"},
        SearchCase{"LineBreakInSearchText", "a\nb\na", P11, P11, P11, false, "a\r\nb", "", 0, 1,
                   "a\r\nb\r\na", "a\r\nb"},
        SearchCase{
            "ReplaceAll", "a-a-A", {5, 1}, P11, P11, false, "a", "bb", kAll, 3, "bb-bb-bb", ""},
        SearchCase{"ReplaceAllFromCaret",
                   "a-a-a",
                   {2, 1},
                   P11,
                   P11,
                   false,
                   "a",
                   "b",
                   ssoReplace | ssoReplaceAll,
                   2,
                   "a-b-b",
                   ""},
        SearchCase{"ReplaceAllBackwardsUpToCaret",
                   "a-a-a",
                   {4, 1},
                   P11,
                   P11,
                   false,
                   "a",
                   "b",
                   ssoReplace | ssoReplaceAll | ssoBackwards,
                   2,
                   "b-b-a",
                   ""},
        SearchCase{"ReplaceOnce", "a-a", P11, P11, P11, false, "a", "b", ssoReplace, 1, "b-a", ""},
        SearchCase{"ReplaceInSelectionOnly",
                   "a-a-a-a",
                   {6, 1},
                   {3, 1},
                   {6, 1},
                   false,
                   "a",
                   "b",
                   ssoReplace | ssoReplaceAll | ssoSelectedOnly,
                   2,
                   "a-b-b-a",
                   ""},
        SearchCase{"SelectedOnlyWithoutSelectionIsWholeText",
                   "a-a",
                   {3, 1},
                   P11,
                   P11,
                   false,
                   "a",
                   "b",
                   ssoReplace | ssoReplaceAll | ssoSelectedOnly,
                   2,
                   "b-b",
                   ""},
        SearchCase{"ReplacementWithLineBreak", "a;b", P11, P11, P11, false, ";", "\r\n", kAll, 1,
                   "a\r\nb", ""},
        SearchCase{"EmptySearchFindsNothing", "abc", P11, P11, P11, false, "", "x", kAll, 0, "abc",
                   ""}));

INSTANTIATE_TEST_SUITE_P(
    Regex, SearchReplaceCases,
    ::testing::Values(SearchCase{"GroupsDollarAndBackslash", "john smith", P11, P11, P11, true,
                                 "(\\w+) (?<last>\\w+)", "$2, \\1 ${last}", kAll, 1,
                                 "smith, john smith", ""},
                      SearchCase{"AnchorsWorkPerLine", "ab\nab\nxab", P11, P11, P11, true, "^ab$",
                                 "X", kAll, 2, "X\r\nX\r\nxab", ""},
                      SearchCase{"MatchesDoNotSpanLines", "a\nb", P11, P11, P11, true, "a\\sb", "X",
                                 kAll, 0, "a\r\nb", ""},
                      SearchCase{"CaseInsensitive", "Foo fOO", P11, P11, P11, true, "fo+", "x",
                                 kAll, 2, "x x", ""},
                      SearchCase{"WholeWord", "ab abc ab", P11, P11, P11, true, "ab\\w*", "x",
                                 kAll | ssoWholeWord, 3, "x x x", ""},
                      // Empty matches count once at each place, as in PCRE2 and Perl.
                      SearchCase{"EmptyMatchesAtEveryPlace", "abc", P11, P11, P11, true, "x*", "-",
                                 kAll, 4, "-a-b-c-", ""},
                      SearchCase{"EmptyMatchAfterAMatch", "xa", P11, P11, P11, true, "x*", "-",
                                 kAll, 3, "--a-", ""},
                      SearchCase{"PrefixEveryLine", "a\nb\n\nc", P11, P11, P11, true, "^", "> ",
                                 kAll, 4, "> a\r\n> b\r\n> \r\n> c", ""},
                      SearchCase{"SuffixEveryLine", "a\nb", P11, P11, P11, true, "$", ";", kAll, 2,
                                 "a;\r\nb;", ""},
                      SearchCase{"PrefixFromTheCaretsLine",
                                 "a\nb\nc",
                                 {1, 2},
                                 P11,
                                 P11,
                                 true,
                                 "^",
                                 "#",
                                 ssoReplace | ssoReplaceAll,
                                 2,
                                 "a\r\n#b\r\n#c",
                                 ""},
                      SearchCase{"PrefixInSelectedLines",
                                 "a\nb\nc",
                                 {1, 3},
                                 {1, 1},
                                 {1, 3},
                                 true,
                                 "^",
                                 "#",
                                 ssoReplace | ssoReplaceAll | ssoSelectedOnly,
                                 2,
                                 "#a\r\n#b\r\nc",
                                 ""},
                      SearchCase{"ReplaceOnceAnEmptyMatch", "ab", P11, P11, P11, true, "^", "#",
                                 ssoReplace | ssoEntireScope, 1, "#ab", ""},
                      SearchCase{"DollarSignAndEscapes", "a", P11, P11, P11, true, "a", "$$\\\\\\t",
                                 kAll, 1, "$\\\t", ""}));

TEST(Search, ReplaceAllIsOneUndoStep) {
  TEditorModel e;
  e.SetText("x a x a\nx");
  e.ExecuteCommand(ecChar, U'y');
  EXPECT_EQ(e.SearchReplace("x", "zz", kAll), 3);
  e.Undo();
  EXPECT_EQ(e.Text(), "yx a x a\r\nx");
  e.Redo();
  EXPECT_EQ(e.Text(), "yzz a zz a\r\nzz");
}

// A replace-all over most of a loaded document hands the removed text to the undo step and
// lets the buffer keep the new text without copies; undo and redo still restore both texts.
TEST(Search, ReplaceAllOfALongLoadedDocumentUndoesAndRedoes) {
  std::string doc;
  while (doc.size() < 300'000) doc += "ab\xC3\xA9\n";
  std::string replaced;
  for (char c : doc) replaced += c == 'a' ? std::string("xyz") : std::string(1, c);
  TEditorModel e;
  e.LoadFromBytes(doc);
  EXPECT_EQ(e.SearchReplace("a", "xyz", kAll), 60'000);  // one "a" in each five bytes
  // The undo step holds the removed text only, not a second copy of the new one.
  EXPECT_LT(e.UndoList().MemoryUsage(), doc.size() + doc.size() / 4);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(e.Text("\n"), replaced);
    EXPECT_TRUE(e.Buffer().CheckIntegrity());
    EXPECT_EQ(e.UndoList().UndoCount(), 1u);
    e.Undo();
    EXPECT_EQ(e.Text("\n"), doc);
    EXPECT_TRUE(e.Buffer().CheckIntegrity());
    EXPECT_FALSE(e.Modified());
    e.Redo();
  }
}

TEST(Search, PromptAnswersCancelSkipReplaceAndReplaceAll) {
  const std::vector<TReplaceAction> answers = {TReplaceAction::raSkip, TReplaceAction::raReplace,
                                               TReplaceAction::raReplaceAll};
  TEditorModel e;
  e.SetText("a a a a a");
  std::size_t asked = 0;
  std::vector<int> columns;
  e.OnReplaceText = [&](const std::string& s, const std::string& r, int line, int column) {
    EXPECT_EQ(s, "a");
    EXPECT_EQ(r, "b");
    EXPECT_EQ(line, 1);
    columns.push_back(column);
    return answers[asked++];
  };
  EXPECT_EQ(e.SearchReplace("a", "b", kAll | ssoPrompt), 5);
  EXPECT_EQ(e.Text(), "a b b b b");
  EXPECT_EQ(columns, (std::vector<int>{1, 3, 5}));
  e.Undo();
  EXPECT_EQ(e.Text(), "a a a a a");

  e.OnReplaceText = [&](const std::string&, const std::string&, int, int) {
    return TReplaceAction::raCancel;
  };
  EXPECT_EQ(e.SearchReplace("a", "b", kAll | ssoPrompt), 1);
  EXPECT_EQ(e.Text(), "a a a a a");
}

// Repeated finds of a pattern that matches empty text move on from place to place and stop at
// the end, forwards and backwards; prompted replaces of empty matches end too.
TEST(Search, EmptyMatchesNeverLoop) {
  TEditorModel e;
  TRegexSearchEngine regex;
  e.SetSearchEngine(&regex);
  e.SetText("a\nbc\n\nd");
  struct Case {
    const char* search;
    TSearchOptions options;
    TBufferPos from;
    std::vector<TBufferPos> places;
  } cases[] = {
      {"^", 0, {1, 1}, {{1, 2}, {1, 3}, {1, 4}}},
      {"$", 0, {1, 1}, {{2, 1}, {3, 2}, {1, 3}, {2, 4}}},
      {"^", ssoBackwards, {2, 4}, {{1, 4}, {1, 3}, {1, 2}, {1, 1}}},
      {"$", ssoBackwards, {1, 4}, {{1, 3}, {3, 2}, {2, 1}}},
  };
  for (const Case& c : cases) {
    e.SetCaretPos(c.from);
    std::vector<TBufferPos> places;
    for (int i = 0; i < 10 && e.SearchReplace(c.search, "", c.options) == 1; ++i)
      places.push_back(e.CaretPos());
    EXPECT_EQ(places, c.places) << c.search << " " << c.options;
  }
  for (TReplaceAction answer : {TReplaceAction::raSkip, TReplaceAction::raReplace}) {
    e.SetText("a\nb");
    int asked = 0;
    e.OnReplaceText = [&](const std::string&, const std::string&, int, int) {
      ++asked;
      return answer;
    };
    EXPECT_EQ(e.SearchReplace("x*", "-", kAll | ssoPrompt), 4);
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(e.Text(), answer == TReplaceAction::raSkip ? "a\r\nb" : "-a-\r\n-b-");
  }
}

TEST(Search, InvalidRegexReportsTheLibraryMessage) {
  TEditorModel e;
  TRegexSearchEngine regex;
  e.SetSearchEngine(&regex);
  e.SetText("abc");
  try {
    e.SearchReplace("a(b", "", ssoEntireScope);
    FAIL() << "no error";
  } catch (const TSearchError& error) {
    EXPECT_NE(std::string(error.what()).find("missing closing parenthesis"), std::string::npos)
        << error.what();
  }
  // A pattern that backtracks without end gives up with an error instead of hanging.
  e.SetText(std::string(40, 'a') + "!");
  try {
    EXPECT_EQ(e.SearchReplace("(a|aa)+(b|c)", "", ssoEntireScope), 0);
  } catch (const TSearchError&) {
  }
  EXPECT_EQ(e.Text(), std::string(40, 'a') + "!");
}

// Matches that straddle the buffer's chunks and the search windows are all found, in both
// directions and by both engines.
TEST(Search, FindsEveryMatchAcrossChunksAndWindows) {
  std::string text;
  while (text.size() < 150000)
    text += "xx\xC3\xA9needle\nabc needle" + std::string(text.size() % 97, 'q');
  std::vector<std::size_t> expected;
  for (std::size_t at = text.find("needle"); at != std::string::npos;
       at = text.find("needle", at + 1)) {
    expected.push_back(at);
  }
  TTextBuffer buffer;
  buffer.Assign(text);
  TPlainSearchEngine plain;
  TRegexSearchEngine regex;
  for (TSearchEngine* engine :
       {static_cast<TSearchEngine*>(&plain), static_cast<TSearchEngine*>(&regex)}) {
    engine->Prepare("needle", ssoMatchCase);
    std::vector<std::size_t> forward;
    engine->FindAll(buffer, 0, buffer.ByteCount(), [&](const TSearchMatch& m) {
      forward.push_back(m.Start);
      return true;
    });
    EXPECT_EQ(forward, expected);
    std::vector<std::size_t> backward;
    TSearchMatch m;
    for (std::size_t end = buffer.ByteCount(); engine->Find(buffer, 0, end, true, m);
         end = m.Start) {
      backward.push_back(m.Start);
    }
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, expected);
  }
}

}  // namespace
}  // namespace tervil
