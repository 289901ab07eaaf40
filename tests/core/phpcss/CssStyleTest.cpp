#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/common/Utf8.h"
#include "core/editcomponent/EditorModel.h"
#include "core/phpcss/CssStyle.h"
#include "core/phpcss/CssStyleAtCaret.h"

namespace tervil {
namespace {

using Lines = std::vector<std::string>;

// A text with "|" marking the caret, parsed in caret mode.
// The caret's character offset in a text with "|" marking it; the bar is taken out.
std::int64_t TakeCaret(std::string& marked) {
  const std::size_t bar = marked.find('|');
  marked.erase(bar, 1);
  return static_cast<std::int64_t>(utf8::CountCharsTolerant(marked.substr(0, bar)));
}

TCSSStyle ParseMarked(std::string marked) {
  const std::int64_t caret = TakeCaret(marked);
  TCSSStyle style;
  style.Parse(marked, caret, false);
  return style;
}

// The characters [start, end) of a text.
std::string Slice(std::string_view text, std::int64_t start, std::int64_t end) {
  const std::size_t from = utf8::AdvanceCharsTolerant(text, static_cast<std::size_t>(start));
  const std::size_t to = utf8::AdvanceCharsTolerant(text, static_cast<std::size_t>(end));
  return std::string(text.substr(from, to - from));
}

struct ParseCase {
  const char* name;
  const char* text;  // "|" is the caret
  bool valid;
  Lines declarations;
  char closer;
  bool singleLine;
  const char* inside;  // the text of [BlockStart, BlockEnd) when valid
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << c.name;
}

class CssParse : public testing::TestWithParam<ParseCase> {};

TEST_P(CssParse, ReadsTheBlockAtTheCaret) {
  const ParseCase& c = GetParam();
  const TCSSStyle style = ParseMarked(c.text);
  EXPECT_EQ(style.IsValid, c.valid);
  EXPECT_EQ(style.Declarations, c.declarations);
  EXPECT_EQ(style.Closer, c.closer);
  EXPECT_EQ(style.SingleLine, c.singleLine);
  std::string text = c.text;
  const std::int64_t bar = TakeCaret(text);
  if (c.valid) {
    EXPECT_EQ(Slice(text, style.BlockStart, style.BlockEnd), c.inside);
  } else {
    EXPECT_EQ(style.BlockStart, bar);
    EXPECT_EQ(style.BlockEnd, bar);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CssParse,
    testing::Values(
        ParseCase{"Rule",
                  "p { color:Red ;| MARGIN : 0 }",
                  true,
                  {"color:Red", "margin:0"},
                  '}',
                  false,
                  " color:Red ; MARGIN : 0 "},
        ParseCase{"DoubleQuotedAttribute",
                  "<p style=\"col|or:red\">",
                  true,
                  {"color:red"},
                  '"',
                  true,
                  "color:red"},
        ParseCase{"SingleQuotedAttribute",
                  "<p style = 'color:red; ma|rgin:0'>",
                  true,
                  {"color:red", "margin:0"},
                  '\'',
                  true,
                  "color:red; margin:0"},
        ParseCase{"EmptyRule", "a:hover { | }", true, {}, '}', true, "  "},
        ParseCase{"BetweenRules", "a {x:1} | b {y:2}", false, {}, '}', true, ""},
        ParseCase{"NoOpener", "color: red;| margin: 0", false, {}, '}', true, ""},
        ParseCase{"UnclosedBrace", "p { color: red;| margin: 0", false, {}, '}', true, ""},
        ParseCase{"QuoteNotAfterEquals",
                  "p { content: \"a|b\" }",
                  true,
                  {"content:\"ab\""},
                  '}',
                  true,
                  " content: \"ab\" "},
        ParseCase{"CloserInAttributeValue",
                  "<p style=\"font-family: \"A| B\"\">",
                  false,
                  {},
                  '"',
                  true,
                  ""},
        ParseCase{"AfterAnIdAttribute", "<h1 id=\"logo\">|Title</h1>", false, {}, '}', true, ""},
        ParseCase{"InAnotherAttribute", "<a title=\"a:|b\">", false, {}, '}', true, ""},
        ParseCase{"AfterTheStyleValue", "<p style=\"color:red\">|x</p>", false, {}, '"', true, ""},
        ParseCase{
            "BetweenAttributes", "<p style=\"color:red\" |id=\"a\">", false, {}, '"', true, ""},
        ParseCase{"StyleAfterAnotherAttribute",
                  "<p id=\"a\" STYLE=\"color:|red\">",
                  true,
                  {"color:red"},
                  '"',
                  true,
                  "color:red"},
        ParseCase{"NoColon", "p { color red;| margin: 0 }", false, {}, '}', false, ""},
        ParseCase{"TwoDeclarationsWithoutSemicolon",
                  "p { color: red| margin: 0 }",
                  false,
                  {},
                  '}',
                  true,
                  ""},
        ParseCase{"BadPropertyCharacter", "p { col.or: red;| }", false, {}, '}', false, ""},
        ParseCase{"EmptyPropertyPasses", "p { : red;| }", true, {":red"}, '}', false, " : red; "},
        // Mended: a value may hold ":" (addresses with a scheme), and ";" inside parentheses
        // or quotes does not end a declaration.
        ParseCase{"UrlWithScheme",
                  "p { background:url(http://x/a.png);| }",
                  true,
                  {"background:url(http://x/a.png)"},
                  '}',
                  false,
                  " background:url(http://x/a.png); "},
        ParseCase{"UrlWithColonAlone",
                  "p { background:url(x:y)| }",
                  true,
                  {"background:url(x:y)"},
                  '}',
                  true,
                  " background:url(x:y) "},
        ParseCase{"SemicolonInUrl",
                  "p { background: url(a;b.png);| color: red }",
                  true,
                  {"background:url(a;b.png)", "color:red"},
                  '}',
                  false,
                  " background: url(a;b.png); color: red "},
        ParseCase{"SemicolonInString",
                  "p { content: \";\";| color: red }",
                  true,
                  {"content:\";\"", "color:red"},
                  '}',
                  false,
                  " content: \";\"; color: red "},
        ParseCase{"UnclosedParenthesis", "p { background: url(a;| }", false, {}, '}', true, ""},
        ParseCase{"UnclosedString", "p { content: 'a;| }", false, {}, '}', true, ""},
        ParseCase{"UnclosedComment", "p { color: red; /* note| }", false, {}, '}', true, ""},
        // Mended: comments are kept as entries; !important stays in the value.
        ParseCase{"Comments",
                  "p { /* a: b; */ color: red !important;| /* c */ }",
                  true,
                  {"/* a: b; */", "color:red !important", "/* c */"},
                  '}',
                  false,
                  " /* a: b; */ color: red !important; /* c */ "},
        // Mended: custom properties are case-sensitive and keep their spelling.
        ParseCase{"CustomProperty",
                  "p { --Main-Color: #fff;| COLOR: var(--Main-Color) }",
                  true,
                  {"--Main-Color:#fff", "color:var(--Main-Color)"},
                  '}',
                  false,
                  " --Main-Color: #fff; COLOR: var(--Main-Color) "},
        ParseCase{"CrLfCountsTwo",
                  "p {\r\n  color: red;\r\n  mar|gin: 0;\r\n}",
                  true,
                  {"color:red", "margin:0"},
                  '}',
                  false,
                  "\r\n  color: red;\r\n  margin: 0;\r\n"},
        ParseCase{"MultiByteText",
                  "p { content: \"äöü\"; col|or: red }",
                  true,
                  {"content:\"äöü\"", "color:red"},
                  '}',
                  false,
                  " content: \"äöü\"; color: red "}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(CssStyle, MultiByteCharactersCountAsOneOffset) {
  const std::string text = "é{ color: red }";  // é is two bytes, one character
  TCSSStyle style;
  style.Parse(text, 5, false);
  ASSERT_TRUE(style.IsValid);
  EXPECT_EQ(style.BlockStart, 2);
  EXPECT_EQ(style.BlockEnd, 14);
}

TEST(CssStyle, NewStyleIsEmpty) {
  const TCSSStyle style;
  EXPECT_TRUE(style.Declarations.empty());
  EXPECT_EQ(style.BlockStart, 0);
  EXPECT_EQ(style.BlockEnd, 0);
  EXPECT_FALSE(style.IsValid);
  EXPECT_EQ(style.Closer, 0);
  EXPECT_FALSE(style.SingleLine);
}

TEST(CssStyle, CaretAtZeroKeepsThePreviousResult) {
  TCSSStyle style = ParseMarked("p { color: red;| }");
  style.Parse("nothing here", 0, false);
  EXPECT_TRUE(style.IsValid);
  EXPECT_EQ(style.Declarations, Lines{"color:red"});
  EXPECT_FALSE(style.SingleLine);
  style.Parse("x", -3, true);
  EXPECT_EQ(style.Declarations, Lines{"color:red"});
}

TEST(CssStyle, ScansAreBounded) {
  const std::string far = "p {" + std::string(4097, ' ') + "color: red; }";
  TCSSStyle style;
  style.Parse(far, 3 + 4097, false);
  EXPECT_FALSE(style.IsValid) << "the opener is more than 4097 characters back";
  style.Parse(far, 3 + 4096, false);
  EXPECT_TRUE(style.IsValid);
  const std::string ahead = "p { color: red;" + std::string(4096, ' ') + "}";
  style.Parse(ahead, 15, false);
  EXPECT_FALSE(style.IsValid) << "the closer is more than 4096 characters ahead";
  style.Parse(ahead, 16, false);
  EXPECT_TRUE(style.IsValid);
}

TEST(CssStyle, CaretBeyondTheTextIsClamped) {
  TCSSStyle style;
  style.Parse("p { color: red", 999, false);
  EXPECT_FALSE(style.IsValid);
  EXPECT_EQ(style.BlockStart, 14);
}

TEST(CssStyle, WholeText) {
  TCSSStyle style;
  style.Parse("color : red; font-family : Arial, \"Times New Roman\"; ", 1, true);
  ASSERT_TRUE(style.IsValid);
  EXPECT_EQ(style.Declarations, (Lines{"color:red", "font-family:Arial, \"Times New Roman\""}));
  EXPECT_FALSE(style.SingleLine);
  style.Parse("color: red", 1, true);
  EXPECT_TRUE(style.SingleLine);
  style.Parse("a { color: red }", 1, true);
  EXPECT_FALSE(style.IsValid);
  EXPECT_TRUE(style.Declarations.empty());
}

struct ComposeCase {
  const char* name;
  Lines declarations;
  bool singleLine;
  const char* text;
};

void PrintTo(const ComposeCase& c, std::ostream* os) {
  *os << c.name;
}

class CssCompose : public testing::TestWithParam<ComposeCase> {};

TEST_P(CssCompose, WritesTheFixedFormat) {
  TCSSStyle style;
  style.Declarations = GetParam().declarations;
  style.SingleLine = GetParam().singleLine;
  EXPECT_EQ(style.Compose(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CssCompose,
    testing::Values(
        ComposeCase{"Lines", {"color:red", "margin:0"}, false, "color : red; \nmargin : 0;"},
        ComposeCase{"SingleLine", {"color:red", "margin:0"}, true, "color : red; margin : 0;"},
        ComposeCase{"Empty", {}, false, ""},
        ComposeCase{
            "OnlyFirstColon", {"background:url(http://x)"}, true, "background : url(http://x);"},
        ComposeCase{"InsertedProperty", {"color :"}, true, "color  : ;"},
        ComposeCase{"CommentKeptAsWritten",
                    {"/* a: b */", "color:red"},
                    false,
                    "/* a: b */ \ncolor : red;"}),
    [](const testing::TestParamInfo<ComposeCase>& info) { return info.param.name; });

TEST(CssStyle, RoundTripKeepsEverything) {
  const std::string block =
      "p {\n  /* brand */\n  --Brand: #ABC;\n  color: red !important;\n  background: "
      "url(\"a;b.png\") no-repeat, url(http://x/y.png);\n  foo-bar: 1px\n}";
  TCSSStyle first;
  first.Parse(block, 5, false);
  ASSERT_TRUE(first.IsValid);
  TCSSStyle second;
  second.Parse(first.Compose(), 1, true);
  ASSERT_TRUE(second.IsValid);
  EXPECT_EQ(second.Declarations, first.Declarations);
  EXPECT_EQ(second.Compose(), first.Compose());
}

struct MergeCase {
  const char* name;
  Lines own;
  Lines other;
  bool withManaged;
  Lines managed;
  Lines result;
};

void PrintTo(const MergeCase& c, std::ostream* os) {
  *os << c.name;
}

class CssMerge : public testing::TestWithParam<MergeCase> {};

TEST_P(CssMerge, TakesOverTheOtherStyle) {
  const MergeCase& c = GetParam();
  TCSSStyle own;
  own.Declarations = c.own;
  TCSSStyle other;
  other.Declarations = c.other;
  own.Merge(other, c.withManaged ? &c.managed : nullptr);
  EXPECT_EQ(own.Declarations, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CssMerge,
    testing::Values(MergeCase{"ManagedRemoved",
                              {"color:red", "width:1px"},
                              {"color:blue", "height:2px"},
                              true,
                              {"color", "width", "height"},
                              {"color:blue", "height:2px"}},
                    MergeCase{"WithoutManagedKeepsAll",
                              {"color:red", "width:1px"},
                              {"color:blue", "height:2px"},
                              false,
                              {},
                              {"color:blue", "width:1px", "height:2px"}},
                    MergeCase{"UnknownPropertiesAndCommentsStay",
                              {"/* c */", "foo:bar", "color:red"},
                              {"color:red", "font-style:italic"},
                              true,
                              {"color", "font-style"},
                              {"/* c */", "foo:bar", "color:red", "font-style:italic"}},
                    MergeCase{"ManagedLookupIgnoresCase", {"width:1px"}, {}, true, {"WIDTH"}, {}},
                    MergeCase{"FirstOfOtherWins",
                              {"color:red"},
                              {"color:blue", "color:green"},
                              false,
                              {},
                              {"color:blue"}},
                    MergeCase{"FallbacksStay",
                              {"background:red", "background:linear-gradient(red, blue)"},
                              {"background:linear-gradient(red, blue)"},
                              true,
                              {"background"},
                              {"background:red", "background:linear-gradient(red, blue)"}},
                    MergeCase{"ClearedPropertyRemovesEveryOccurrence",
                              {"color:red", "margin:0", "color:blue"},
                              {"margin:0"},
                              true,
                              {"color", "margin"},
                              {"margin:0"}}),
    [](const testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

TEST(CssStyle, CustomProperties) {
  for (const char* name : {"--main-color", "--x", "--Main_Color2"})
    EXPECT_TRUE(TCSSStyle::IsCustomProperty(name)) << name;
  for (const char* name : {"--", "-webkit-box", "color", ""})
    EXPECT_FALSE(TCSSStyle::IsCustomProperty(name)) << name;
}

TEST(CssStyle, ProblemsAreNamed) {
  EXPECT_EQ(ParseMarked("color: red;|").Problem, TCssProblem::kNoBlock);
  EXPECT_EQ(ParseMarked("a {x:1} | b {y:2}").Problem, TCssProblem::kNoBlock);
  EXPECT_EQ(ParseMarked("@media print { p| { x:1 } }").Problem, TCssProblem::kNoBlock);
  EXPECT_EQ(ParseMarked("<p style=\"font-family: \"A| B\"\">").Problem,
            TCssProblem::kForbiddenChar);
  EXPECT_EQ(ParseMarked("<h1 id=\"logo\">|").Problem, TCssProblem::kNoBlock);
  EXPECT_EQ(ParseMarked("p { a: 'b| }").Problem, TCssProblem::kUnclosed);
  EXPECT_EQ(ParseMarked("p { a b| }").Problem, TCssProblem::kBadDeclaration);
  EXPECT_EQ(ParseMarked("p { a: b| }").Problem, TCssProblem::kNone);
  EXPECT_STRNE(CssProblemText(TCssProblem::kBadDeclaration), "");
}

// The editor's buffer holds LF; its offsets count a line break as two, as the text it returns.
TEST(CssStyleAtCaret, MatchesParseOnTheWholeText) {
  std::string text;
  for (int i = 0; i < 400; ++i)
    text += "h" + std::to_string(i) + " {\r\n  color: #" + std::to_string(100 + i) +
            ";\r\n  margin: 0 /* é */;\r\n}\r\n";
  TEditorModel editor;
  editor.SetText(text);
  ASSERT_EQ(editor.Text(), text);
  for (std::int64_t caret : std::vector<std::int64_t>{0, 1, 5, 17, 1000, 5000, 9000, 9013, 12000,
                                                      static_cast<std::int64_t>(text.size()) - 2}) {
    TCSSStyle whole;
    whole.Parse(text, caret, false);
    TCSSStyle windowed;
    editor.SetSelStart(caret);
    ParseAtCaret(windowed, editor);
    EXPECT_EQ(windowed.IsValid, whole.IsValid) << caret;
    EXPECT_EQ(windowed.Declarations, whole.Declarations) << caret;
    EXPECT_EQ(windowed.BlockStart, whole.BlockStart) << caret;
    EXPECT_EQ(windowed.BlockEnd, whole.BlockEnd) << caret;
    EXPECT_EQ(windowed.SingleLine, whole.SingleLine) << caret;
  }
}

TEST(CssStyleAtCaret, CaretAtTheStartForgetsTheLastBlock) {
  TEditorModel editor;
  editor.SetText("p { color: red }");
  editor.SetSelStart(6);
  TCSSStyle style;
  ParseAtCaret(style, editor);
  ASSERT_TRUE(style.IsValid);
  editor.SetSelStart(0);
  ParseAtCaret(style, editor);
  EXPECT_FALSE(style.IsValid);
  EXPECT_TRUE(style.Declarations.empty());
  EXPECT_EQ(style.BlockStart, 0);
  EXPECT_EQ(style.BlockEnd, 0);
}

TEST(CssStyleAtCaret, SelectBlockSelectsTheInside) {
  TEditorModel editor;
  editor.SetText("p {\r\n  color: red;\r\n}");
  editor.SetSelStart(9);
  TCSSStyle style;
  ParseAtCaret(style, editor);
  ASSERT_TRUE(style.IsValid);
  SelectBlock(style, editor);
  EXPECT_EQ(editor.SelText(), "\r\n  color: red;\r\n");
}

}  // namespace
}  // namespace tervil
