// For each language a short sample and a table of the attributes its parts get.

#include <gtest/gtest.h>

#include "HighlighterTestSupport.h"
#include "core/highlighters/CFamilyHighlighter.h"
#include "core/highlighters/CssHighlighter.h"
#include "core/highlighters/GeneralHighlighter.h"
#include "core/highlighters/HtmlHighlighter.h"
#include "core/highlighters/JavaScriptHighlighter.h"
#include "core/highlighters/PascalHighlighter.h"
#include "core/highlighters/PerlHighlighter.h"
#include "core/highlighters/PhpHighlighter.h"
#include "core/highlighters/SqlHighlighter.h"
#include "core/highlighters/VBScriptHighlighter.h"
#include "core/highlighters/XmlHighlighter.h"

namespace tervil {
namespace {

using testing::ExpectSpans;

TEST(HtmlTokens, TagsAttributesEntitiesCommentsAndDoctype) {
  THtmlHighlighter html;
  ExpectSpans(html,
              "<!DOCTYPE html>\n"
              "<p class=\"intro\" id=main>Fish &amp; chips &#169;</p>\n"
              "<!-- a comment\n"
              "   spanning lines --> <blink-me x='1'>\n"
              "<img\n"
              "  src=\"a.png\"\n"
              "  alt=\"two\n"
              "lines\">",
              {{0, "<!DOCTYPE html>", "Doctype"},
               {1, "<", "Symbol"},
               {1, "p", "Reserved Word"},
               {1, "class", "Identifier"},
               {1, "=", "Symbol"},
               {1, "\"intro\"", "Value"},
               {1, "main", "Value"},
               {1, ">", "Symbol"},
               {1, "Fish", "Text"},
               {1, " ", "Space"},
               {1, "&amp;", "Entity"},
               {1, "&#169;", "Entity"},
               {1, "</", "Symbol"},
               {2, "<!-- a comment", "Comment"},
               {3, "   spanning lines -->", "Comment"},
               {3, "blink-me", "Unknown Word"},
               {3, "'1'", "Value"},
               {4, "img", "Reserved Word"},
               {5, "src", "Identifier"},
               {5, "\"a.png\"", "Value"},
               {6, "\"two", "Value"},
               {7, "lines\"", "Value"},
               {7, ">", "Symbol"}});
}

TEST(HtmlTokens, LoneAngleBracketAndAmpersandAreText) {
  THtmlHighlighter html;
  ExpectSpans(html, "a < b && c <3", {{0, "<", "Text"}, {0, "&&", "Text"}, {0, "<3", "Text"}});
}

TEST(PhpTokens, KeywordsVariablesStringsAndComments) {
  TPhpHighlighter php;
  ExpectSpans(php,
              "<?php\n"
              "function total($items) { // sum\n"
              "  $sum = 0x1F + 1_000 + 2.5e3; # hash comment\n"
              "  echo \"Hi {$user->name}, $count items\\n\", 'it\\'s';\n"
              "  /* block\n"
              "     comment */ return NULL;\n"
              "}\n"
              "?>",
              {{0, "<?php", "Symbol"},
               {1, "function", "Reserved Word"},
               {1, "total", "Identifier"},
               {1, "$items", "Variable"},
               {1, "{", "Symbol"},
               {1, "// sum", "Comment"},
               {2, "$sum", "Variable"},
               {2, "0x1F", "Number"},
               {2, "1_000", "Number"},
               {2, "2.5e3", "Number"},
               {2, "# hash comment", "Comment"},
               {3, "echo", "Reserved Word"},
               {3, "\"Hi ", "String"},
               {3, "{$user->name}", "Variable"},
               {3, ", ", "String"},
               {3, "$count", "Variable"},
               {3, " items\\n\"", "String"},
               {3, "'it\\'s'", "String"},
               {4, "/* block", "Comment"},
               {5, "comment */", "Comment"},
               {5, "return", "Reserved Word"},
               {5, "NULL", "Reserved Word"},
               {7, "?>", "Symbol"}});
}

TEST(PhpTokens, HeredocAndNowdoc) {
  TPhpHighlighter php;
  ExpectSpans(php,
              "$a = <<<EOT\n"
              "Dear $name, EOT is not the end\n"
              "  EOT;\n"
              "$b = <<<'RAW'\n"
              "No $interpolation here\n"
              "RAW;\n"
              "$c = 1;",
              {{0, "<<<EOT", "String"},
               {1, "Dear ", "String"},
               {1, "$name", "Variable"},
               {1, ", EOT is not the end", "String"},
               {2, "EOT", "String"},
               {2, ";", "Symbol"},
               {3, "<<<'RAW'", "String"},
               {4, "No $interpolation here", "String"},
               {5, "RAW", "String"},
               {6, "$c", "Variable"},
               {6, "1", "Number"}});
}

TEST(PhpTokens, StringsSpanLines) {
  TPhpHighlighter php;
  ExpectSpans(php, "$s = 'one\ntwo' . \"three\nfour $x\";\nfoo();",
              {{1, "two'", "String"},
               {1, ".", "Symbol"},
               {2, "four ", "String"},
               {2, "$x", "Variable"},
               {2, "\"", "String"},
               {3, "foo", "Identifier"}});
}

TEST(CssTokens, SelectorsPropertiesValuesAndAtRules) {
  TCssHighlighter css;
  ExpectSpans(css,
              "@import url(print.css);\n"
              "h1.title > a:hover, #nav { /* note */\n"
              "  color: #ff0000; background: white url(\"bg.png\");\n"
              "  margin: -1.5em 10px 0 50%; frobnicate: 1 !important;\n"
              "  font-family: \"Open Sans\", serif;\n"
              "}\n"
              "@media screen and (max-width: 600px) {\n"
              "  p { -webkit-transition: none; --main-color: red; }\n"
              "}",
              {{0, "@import", "Reserved Word"},
               {0, "print.css", "String"},
               {0, ";", "Symbol"},
               {1, "h1.title", "Selector"},
               {1, ">", "Symbol"},
               {1, "a:hover", "Selector"},
               {1, "#nav", "Selector"},
               {1, "{", "Symbol"},
               {1, "/* note */", "Comment"},
               {2, "color", "Property"},
               {2, ":", "Symbol"},
               {2, "#ff0000", "Color"},
               {2, "background", "Property"},
               {2, "white", "Color"},
               {2, "url", "Value"},
               {2, "\"bg.png\"", "String"},
               {3, "margin", "Property"},
               {3, "-1.5em", "Number"},
               {3, "10px", "Number"},
               {3, "50%", "Number"},
               {3, "frobnicate", "Undefined Property"},
               {3, "!important", "Reserved Word"},
               {4, "\"Open Sans\"", "String"},
               {4, "serif", "Value"},
               {5, "}", "Symbol"},
               {6, "@media", "Reserved Word"},
               {6, "screen", "Value"},
               {6, "600px", "Number"},
               {7, "p", "Selector"},
               {7, "-webkit-transition", "Property"},
               {7, "none", "Value"},
               {7, "--main-color", "Property"},
               {7, "red", "Color"}});
}

TEST(CssTokens, CommentsSpanLinesAndBlocksNest) {
  TCssHighlighter css;
  ExpectSpans(css, "/* one\ntwo */ a {\n  color:\n    blue; }\nb { top: 0 }",
              {{1, "two */", "Comment"},
               {1, "a", "Selector"},
               {2, "color", "Property"},
               {3, "blue", "Color"},
               {4, "b", "Selector"},
               {4, "top", "Property"},
               {4, "0", "Number"}});
}

TEST(JavaScriptTokens, KeywordsBuiltinsEventsRegexAndTemplates) {
  TJavaScriptHighlighter js;
  ExpectSpans(js,
              "var re = /a[/]b\\//gi, n = 10 / 2 / x;\n"
              "window.onload = function () { alert(\"hi\" + 'there'); };\n"
              "const s = `total: ${items.map(i => { return i.price; }).length} items\n"
              "and ${`nested ${n}`} more`; // done\n"
              "/* block\n"
              " */ if (a) return /re/.test(s);",
              {{0, "var", "Reserved Word"},
               {0, "re", "Identifier"},
               {0, "/a[/]b\\//gi", "Regular Expression"},
               {0, "10", "Number"},
               {0, "/", "Symbol", 4},
               {0, "/", "Symbol", 5},
               {1, "window", "Non-reserved Keyword"},
               {1, ".", "Symbol"},
               {1, "onload", "Event"},
               {1, "function", "Reserved Word"},
               {1, "alert", "Non-reserved Keyword"},
               {1, "\"hi\"", "String"},
               {1, "'there'", "String"},
               {2, "`total: ${", "String"},
               {2, "items", "Identifier"},
               {2, "map", "Identifier"},
               {2, "return", "Reserved Word"},
               {2, "}", "Symbol"},
               {2, "length", "Non-reserved Keyword"},
               {2, " items", "String"},
               {3, "and ${", "String"},
               {3, "`nested ${", "String"},
               {3, " more`", "String"},
               {3, "// done", "Comment"},
               {4, "/* block", "Comment"},
               {5, " */", "Comment"},
               {5, "/re/", "Regular Expression"}});
}

TEST(XmlTokens, ElementsAttributesAndSections) {
  TXmlHighlighter xml;
  ExpectSpans(xml,
              "<?xml version=\"1.0\"?>\n"
              "<!DOCTYPE note [\n"
              "  <!ENTITY w \"World\">\n"
              "]>\n"
              "<note lang='en'><!-- hi --><to>&w;</to><![CDATA[ <raw> ]]></note>",
              {{0, "<?xml version=\"1.0\"?>", "Processing Instruction"},
               {1, "<!DOCTYPE note [", "DOCTYPE Section"},
               {2, "<!ENTITY w \"World\">", "DOCTYPE Section"},
               {3, "]>", "DOCTYPE Section"},
               {4, "note", "Element Name"},
               {4, "lang", "Attribute Name"},
               {4, "'en'", "Attribute Value"},
               {4, "<!-- hi -->", "Comment"},
               {4, "&w;", "Entity Reference"},
               {4, "<![CDATA[ <raw> ]]>", "CDATA Section"},
               {4, "</", "Symbol"}});
}

TEST(SqlTokens, KeywordsTypesFunctionsAndStrings) {
  TSqlHighlighter sql;
  ExpectSpans(sql,
              "CREATE TABLE `users` (id INT, name VARCHAR(40)); -- comment\n"
              "SELECT COUNT(*), upper(name) FROM users WHERE name = 'O''Brien\n"
              "and more' AND id > 10.5 /* note */ # mysql\n"
              "SELECT [order], \"quoted id\", @total, :param FROM t;",
              {{0, "CREATE", "Reserved Word"},
               {0, "TABLE", "Reserved Word"},
               {0, "`users`", "Delimited Identifier"},
               {0, "INT", "Data Type"},
               {0, "VARCHAR", "Data Type"},
               {0, "40", "Number"},
               {0, "-- comment", "Comment"},
               {1, "COUNT", "Function"},
               {1, "upper", "Function"},
               {1, "name", "Identifier", 0},
               {1, "'O''Brien", "String"},
               {2, "and more'", "String"},
               {2, "AND", "Reserved Word"},
               {2, "10.5", "Number"},
               {2, "/* note */", "Comment"},
               {2, "# mysql", "Comment"},
               {3, "[order]", "Delimited Identifier"},
               {3, "\"quoted id\"", "Delimited Identifier"},
               {3, "@total", "Variable"},
               {3, ":param", "Variable"}});
}

TEST(PerlTokens, VariablesQuotesRegexHeredocAndPod) {
  TPerlHighlighter perl;
  ExpectSpans(perl,
              "#!/usr/bin/perl -w\n"
              "my @list = qw(a b (c) d);\n"
              "my %seen; my $n = $#list + 1_000; print \"Count: $n\\n\";\n"
              "$s =~ s{old}\n"
              "  {new}gx; if ($line =~ /^\\d+$/) { $x = 10 / 2; }\n"
              "print <<\"END\";\n"
              "Dear $name\n"
              "END\n"
              "=head1 NAME\n"
              "text\n"
              "=cut\n"
              "tr/a-z/A-Z/; $h{s} = 1; \x01\n"
              "__END__\n"
              "data",
              {{0, "#!/usr/bin/perl -w", "Comment"},
               {1, "my", "Reserved Word"},
               {1, "@list", "Variable"},
               {1, "qw(a b (c) d)", "String"},
               {2, "%seen", "Variable"},
               {2, "$#list", "Variable"},
               {2, "1_000", "Number"},
               {2, "print", "Reserved Word"},
               {2, "\"Count: $n\\n\"", "String"},
               {3, "$s", "Variable"},
               {3, "=~", "Symbol"},
               {3, "s{old}", "String"},
               {4, "{new}gx", "String"},
               {4, "$line", "Variable"},
               {4, "/^\\d+$/", "String"},
               {4, "10", "Number"},
               {4, "/", "Symbol", 2},
               {5, "<<\"END\"", "String"},
               {6, "Dear $name", "String"},
               {7, "END", "String"},
               {8, "=head1 NAME", "Comment"},
               {9, "text", "Comment"},
               {10, "=cut", "Comment"},
               {11, "tr/a-z/A-Z/", "String"},
               {11, "$h", "Variable"},
               {11, "s", "Identifier"},
               {11, "\x01", "Invalid Symbol"},
               {12, "__END__", "Comment"},
               {13, "data", "Comment"}});
}

TEST(JavaTokens, KeywordsNumbersStringsAndComments) {
  TJavaHighlighter java;
  ExpectSpans(java,
              "/** Docs. */\n"
              "@Override public long size() { // comment\n"
              "  String s = \"a\\\"b\" + 'c' + \"\"\"\n"
              "    text block \"\" still\n"
              "    \"\"\"; return 0x1FL + 1_000 + 1.5e-3f; }",
              {{0, "/** Docs. */", "Documentation"},
               {1, "@Override", "Annotation"},
               {1, "public", "Reserved Word"},
               {1, "long", "Reserved Word"},
               {1, "size", "Identifier"},
               {1, "// comment", "Comment"},
               {2, "String", "Identifier"},
               {2, "\"a\\\"b\"", "String"},
               {2, "'c'", "String"},
               {2, "\"\"\"", "String"},
               {3, "text block \"\" still", "String"},
               {4, "\"\"\"", "String"},
               {4, "return", "Reserved Word"},
               {4, "0x1FL", "Number"},
               {4, "1_000", "Number"},
               {4, "1.5e-3f", "Number"}});
}

TEST(CppTokens, PreprocessorRawStringsAndAssembler) {
  TCppHighlighter cpp;
  ExpectSpans(cpp,
              "#include <stdio.h> // io\n"
              "  #define MAX(a, b) \\\n"
              "    ((a) > (b) ? (a) : (b))\n"
              "int main() { auto s = R\"x(raw \" text\n"
              "still)x\"; char c = '\\n';\n"
              "  asm {\n"
              "    mov eax, 1\n"
              "  }\n"
              "  __asm mov ebx, 2\n"
              "  return 1'000 + 0x1Fu + u8\"utf\"; /* done */ }",
              {{0, "#include", "Preprocessor"},
               {0, "<stdio.h>", "Preprocessor"},
               {0, "// io", "Comment"},
               {1, "#define", "Preprocessor"},
               {1, "MAX(a, b) \\", "Preprocessor"},
               {2, "((a) > (b) ? (a) : (b))", "Preprocessor"},
               {3, "int", "Reserved Word"},
               {3, "main", "Identifier"},
               {3, "auto", "Reserved Word"},
               {3, "R\"x(raw \" text", "String"},
               {4, "still)x\"", "String"},
               {4, "'\\n'", "String"},
               {5, "asm", "Reserved Word"},
               {5, "{", "Symbol"},
               {6, "    mov eax, 1", "Assembler"},
               {7, "  ", "Assembler"},
               {7, "}", "Symbol"},
               {8, "__asm", "Reserved Word"},
               {8, "mov ebx, 2", "Assembler"},
               {9, "1'000", "Number"},
               {9, "0x1Fu", "Number"},
               {9, "u8\"utf\"", "String"},
               {9, "/* done */", "Comment"}});
}

TEST(CSharpTokens, VerbatimInterpolatedAndRawStrings) {
  TCSharpHighlighter cs;
  ExpectSpans(cs,
              "#region Main\n"
              "var path = @\"c:\\dir\\\"\"quoted\"\"\n"
              "next line\"; var @class = $\"{x} items\";\n"
              "var raw = \"\"\"\n"
              "  \"quotes\" \"\" inside\n"
              "  \"\"\"; // end",
              {{0, "#region", "Preprocessor"},
               {0, "Main", "Preprocessor"},
               {1, "var", "Reserved Word"},
               {1, "path", "Identifier"},
               {1, "@\"c:\\dir\\\"\"quoted\"\"", "String"},
               {2, "next line\"", "String"},
               {2, "@class", "Identifier"},
               {2, "$\"{x} items\"", "String"},
               {4, "\"quotes\" \"\" inside", "String"},
               {5, "\"\"\"", "String"},
               {5, ";", "Symbol"},
               {5, "// end", "Comment"}});
}

TEST(VBScriptTokens, KeywordsCommentsStringsAndNumbers) {
  TVBScriptHighlighter vbs;
  ExpectSpans(vbs,
              "Dim total ' a comment\n"
              "total = &H1F + 3.5 + #1/2/2003#\n"
              "MsgBox \"He said \"\"hi\"\"\" : REM remark\n"
              "If total > 1 Then WScript.Echo \"unterminated",
              {{0, "Dim", "Reserved Word"},
               {0, "total", "Identifier"},
               {0, "' a comment", "Comment"},
               {1, "&H1F", "Number"},
               {1, "3.5", "Number"},
               {1, "#1/2/2003#", "Number"},
               {2, "MsgBox", "Identifier"},
               {2, "\"He said \"\"hi\"\"\"", "String"},
               {2, "REM remark", "Comment"},
               {3, "If", "Reserved Word"},
               {3, "Then", "Reserved Word"},
               {3, "\"unterminated", "String"}});
}

TEST(PascalTokens, CommentsDirectivesStringsNumbersAndAsm) {
  TPascalHighlighter pascal;
  ExpectSpans(pascal,
              "{$APPTYPE CONSOLE}\n"
              "program Demo; { brace\n"
              "comment } (* paren *) // line\n"
              "var s: string = 'It''s'#13#10; n: Integer = $FF + %101 + 1.5E3;\n"
              "begin\n"
              "  asm\n"
              "    mov eax, 1\n"
              "  end;\n"
              "  for n := 1 to 10 do WriteLn(s);\n"
              "END.",
              {{0, "{$APPTYPE CONSOLE}", "Directive"},
               {1, "program", "Reserved Word"},
               {1, "Demo", "Identifier"},
               {1, "{ brace", "Comment"},
               {2, "comment }", "Comment"},
               {2, "(* paren *)", "Comment"},
               {2, "// line", "Comment"},
               {3, "'It''s'#13#10", "String"},
               {3, "$FF", "Number"},
               {3, "%101", "Number"},
               {3, "1.5E3", "Number"},
               {5, "asm", "Reserved Word"},
               {6, "mov", "Assembler"},
               {6, "eax", "Assembler"},
               {6, "1", "Assembler"},
               {7, "end", "Reserved Word"},
               {8, "1", "Number"},
               {8, "to", "Reserved Word"},
               {8, "WriteLn", "Identifier"},
               {9, "END", "Reserved Word"}});
}

TEST(GeneralTokens, EveryCharacterFromExclamationMarkIsAWordCharacter) {
  TGeneralHighlighter general;
  ExpectSpans(general, "Hello, world! 42 {x}=\"y\" \x01",
              {{0, "Hello,", "Identifier"},
               {0, "world!", "Identifier"},
               {0, "42", "Number"},
               {0, "{x}=\"y\"", "Identifier"},
               {0, " ", "Space"},
               {0, "\x01", "Symbol"}});
}

TEST(UriTokens, AddressesStandOut) {
  TUriHighlighter uri;
  ExpectSpans(uri, "See http://example.com/a?b=c, www.test.org. or mailto:ann@example.com",
              {{0, "See", "Identifier"},
               {0, "http://example.com/a?b=c", "URI"},
               {0, ",", "Symbol"},
               {0, "www.test.org", "URI"},
               {0, "or", "Identifier", 1},
               {0, "mailto:ann@example.com", "URI"}});
}

}  // namespace
}  // namespace tervil
