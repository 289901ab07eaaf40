// HTML pages with embedded PHP, CSS and JavaScript.

#include <gtest/gtest.h>

#include <map>

#include "HighlighterTestSupport.h"
#include "core/highlighters/HighlighterSet.h"

namespace tervil {
namespace {

using testing::ExpectSpans;
using testing::TSpan;

class MultiHighlighterTest : public ::testing::Test {
 protected:
  MultiHighlighterTest() {
    for (THighlighter* highlighter : set_.Components()) {
      std::string owner = highlighter->IsMulti() ? "Marker" : highlighter->LanguageName();
      for (THighlighterAttribute* attribute : highlighter->Attributes())
        owners_[attribute] = owner + ":" + attribute->name;
    }
  }

  // Checks the spans with names "Language:Attribute", markers as "Marker:scheme".
  void Expect(std::string_view text, const std::vector<TSpan>& spans) {
    ExpectSpans(set_.Multi(), text, spans, [this](const THighlighterAttribute* attribute) {
      auto it = owners_.find(attribute);
      return it == owners_.end() ? std::string("(unknown)") : it->second;
    });
  }

  THighlighterSet set_;
  std::map<const THighlighterAttribute*, std::string> owners_;
};

TEST_F(MultiHighlighterTest, PhpBlockInsideHtmlIsColouredAsPhp) {
  Expect(
      "<html><body class=\"x\">\n"
      "<p>Hello <?php echo $name; ?> world</p>\n"
      "<?php\n"
      "  $x = \"str\"; // note\n"
      "?>\n"
      "<b>bold</b>",
      {{0, "body", "HTML:Reserved Word"},
       {0, "class", "HTML:Identifier"},
       {1, "Hello", "HTML:Text"},
       {1, "<?php", "Marker:php"},
       {1, "echo", "PHP:Reserved Word"},
       {1, "$name", "PHP:Variable"},
       {1, ";", "PHP:Symbol"},
       {1, "?>", "Marker:php"},
       {1, "world", "HTML:Text"},
       {1, "</", "HTML:Symbol"},
       {2, "<?php", "Marker:php"},
       {3, "$x", "PHP:Variable"},
       {3, "\"str\"", "PHP:String"},
       {3, "// note", "PHP:Comment"},
       {4, "?>", "Marker:php"},
       {5, "b", "HTML:Reserved Word"},
       {5, "bold", "HTML:Text"}});
}

TEST_F(MultiHighlighterTest, ShortOpenTagUsesTheHtmlPhpScheme) {
  Expect("<b><? $a ?></b><?= $b ?>", {{0, "<?", "Marker:htmlphp"},
                                      {0, "$a", "PHP:Variable"},
                                      {0, "?>", "Marker:htmlphp"},
                                      {0, "</", "HTML:Symbol"},
                                      {0, "=", "PHP:Symbol"},
                                      {0, "$b", "PHP:Variable"}});
}

TEST_F(MultiHighlighterTest, StyleElementWrittenInsidePhpIsColouredAsCss) {
  Expect(
      "<?php\n"
      "echo \"<style type=\\\"text/css\\\">\n"
      "  p { color: red; }\n"
      "</style>\";\n"
      "$y = 1;\n"
      "?>\n"
      "<p>after</p>",
      {{1, "echo", "PHP:Reserved Word"},
       {1, "\"", "PHP:String"},
       {1, "<style type=\\\"text/css\\\">", "Marker:css"},
       {2, "p", "Cascading Style Sheet:Selector"},
       {2, "color", "Cascading Style Sheet:Property"},
       {2, "red", "Cascading Style Sheet:Color"},
       {3, "</style>", "Marker:css"},
       {3, "\"", "PHP:String"},
       {3, ";", "PHP:Symbol"},
       {4, "$y", "PHP:Variable"},
       {5, "?>", "Marker:php"},
       {6, "p", "HTML:Reserved Word"},
       {6, "after", "HTML:Text"}});
}

TEST_F(MultiHighlighterTest, ScriptAndStyleElementsInHtml) {
  Expect(
      "<STYLE type=\"text/css\">body { margin: 0 }</Style>\n"
      "<script src=\"a.js\"></script><script>\n"
      "// comment </p>\n"
      "document.write('<b>');\n"
      "</SCRIPT><i>x</i>",
      {{0, "<STYLE type=\"text/css\">", "Marker:css"},
       {0, "body", "Cascading Style Sheet:Selector"},
       {0, "margin", "Cascading Style Sheet:Property"},
       {0, "</Style>", "Marker:css"},
       {1, "<script src=\"a.js\">", "Marker:js"},
       {1, "</script>", "Marker:js"},
       {1, "<script>", "Marker:js"},
       {2, "// comment </p>", "JavaScript:Comment"},
       {3, "document", "JavaScript:Non-reserved Keyword"},
       {3, "'<b>'", "JavaScript:String"},
       {4, "</SCRIPT>", "Marker:js"},
       {4, "i", "HTML:Reserved Word"}});
}

TEST_F(MultiHighlighterTest, PhpInsideScriptColoursAllThreeLanguages) {
  Expect(
      "<script type=\"text/javascript\">\n"
      "var a = <?php echo json_encode($data); ?>;\n"
      "var s = \"<?= $title ?>\", re = /x+/g;\n"
      "if (a) {\n"
      "<?php foreach ($rows as $row) { ?>\n"
      "  alert(s); // js again\n"
      "<?php } ?>\n"
      "}\n"
      "</script>\n"
      "<div>html</div>",
      {{0, "<script type=\"text/javascript\">", "Marker:js"},
       {1, "var", "JavaScript:Reserved Word"},
       {1, "<?php", "Marker:php"},
       {1, "echo", "PHP:Reserved Word"},
       {1, "json_encode", "PHP:Identifier"},
       {1, "$data", "PHP:Variable"},
       {1, "?>", "Marker:php"},
       {1, ";", "JavaScript:Symbol", 1},
       {2, "\"", "JavaScript:String"},
       {2, "<?", "Marker:htmlphp"},
       {2, "$title", "PHP:Variable"},
       {2, "\"", "JavaScript:String", 1},
       {2, "re", "JavaScript:Identifier"},
       {2, "/x+/g", "JavaScript:Regular Expression"},
       {3, "if", "JavaScript:Reserved Word"},
       {4, "foreach", "PHP:Reserved Word"},
       {4, "$rows", "PHP:Variable"},
       {5, "alert", "JavaScript:Non-reserved Keyword"},
       {5, "// js again", "JavaScript:Comment"},
       {6, "}", "PHP:Symbol"},
       {7, "}", "JavaScript:Symbol"},
       {8, "</script>", "Marker:js"},
       {9, "div", "HTML:Reserved Word"},
       {9, "html", "HTML:Text"}});
}

TEST_F(MultiHighlighterTest, PhpInsideStyleResumesTheStyleSheet) {
  Expect(
      "<style>\n"
      "a { color: <?php echo $c; ?>; margin: 0; }\n"
      "</style>",
      {{1, "a", "Cascading Style Sheet:Selector"},
       {1, "color", "Cascading Style Sheet:Property"},
       {1, "$c", "PHP:Variable"},
       {1, "margin", "Cascading Style Sheet:Property"},
       {1, "0", "Cascading Style Sheet:Number"}});
}

TEST_F(MultiHighlighterTest, HtmlResumesInsideTheAttributeValueAfterPhp) {
  Expect("<a href=\"<?php echo $url ?>\" title=x>link</a>", {{0, "href", "HTML:Identifier"},
                                                             {0, "=", "HTML:Symbol"},
                                                             {0, "\"", "HTML:Value"},
                                                             {0, "$url", "PHP:Variable"},
                                                             {0, "\"", "HTML:Value", 1},
                                                             {0, "title", "HTML:Identifier"},
                                                             {0, "link", "HTML:Text"}});
}

TEST_F(MultiHighlighterTest, UnclosedPhpBlockKeepsGoing) {
  Expect("<p>\n<?php\n$a = 1;\n/* open\n</p> */ $b",
         {{2, "$a", "PHP:Variable"}, {4, "</p> */", "PHP:Comment"}, {4, "$b", "PHP:Variable"}});
}

TEST_F(MultiHighlighterTest, MarkersHaveTheSchemeBackgrounds) {
  std::map<std::string, TColor> backgrounds;
  for (THighlighterAttribute* attribute : set_.Multi().Attributes())
    backgrounds[attribute->name] = attribute->background;
  EXPECT_EQ(backgrounds,
            (std::map<std::string, TColor>{
                {"css", clAqua}, {"htmlphp", 0x00BFBF}, {"js", clTeal}, {"php", 0x00BFBF}}));
  std::vector<std::string> phpSchemes;
  for (const TMultiScheme& scheme : set_.MultiPhp().Schemes()) phpSchemes.push_back(scheme.name);
  EXPECT_EQ(phpSchemes, (std::vector<std::string>{"css", "js"}));
  EXPECT_EQ(set_.MultiPhp().DefaultHighlighter(), &set_.Php());
  EXPECT_EQ(set_.Multi().DefaultHighlighter(), &set_.Html());
}

TEST_F(MultiHighlighterTest, DefaultsOfEmbeddedLanguagesCount) {
  TMultiHighlighter& multi = set_.Multi();
  EXPECT_EQ(multi.DefaultAttribute(THighlighterDefault::Comment),
            set_.Html().DefaultAttribute(THighlighterDefault::Comment));
  for (THighlighter* inner :
       std::vector<THighlighter*>{&set_.Html(), &set_.Php(), &set_.Css(), &set_.JavaScript()}) {
    for (auto kind : {THighlighterDefault::Comment, THighlighterDefault::String}) {
      EXPECT_TRUE(multi.IsDefaultAttribute(inner->DefaultAttribute(kind), kind))
          << inner->LanguageName();
    }
  }
  EXPECT_FALSE(multi.IsDefaultAttribute(set_.Php().DefaultAttribute(THighlighterDefault::String),
                                        THighlighterDefault::Comment));
  EXPECT_FALSE(multi.IsDefaultAttribute(nullptr, THighlighterDefault::String));
  EXPECT_FALSE(multi.IsDefaultAttribute(set_.Perl().DefaultAttribute(THighlighterDefault::String),
                                        THighlighterDefault::String));
  EXPECT_FALSE(multi.IsDefaultAttribute(multi.Attributes().front(), THighlighterDefault::Symbol));
}

TEST_F(MultiHighlighterTest, LineStatesStayFewOverALongDocument) {
  std::string block =
      "<div class=\"a\"><?php echo \"x\"; ?></div>\n"
      "<script>var a = <?php echo 1; ?>; /* c\n"
      "*/</script><style>p { color: red }</style>\n";
  std::string text;
  for (int i = 0; i < 200; ++i) text += block;
  testing::TokenizeAll(set_.Multi(), testing::Lines(text));
  EXPECT_LT(set_.Multi().StateCount(), 20u);
}

TEST(MultiHighlighter, RejectsBadExpressionsAndMissingHighlighters) {
  THtmlHighlighter html;
  TMultiHighlighter multi(&html);
  EXPECT_THROW(multi.AddScheme({"bad", "(", "x", false, clNone, &html, false}),
               std::invalid_argument);
  EXPECT_THROW(multi.AddScheme({"none", "a", "b", false, clNone, nullptr, false}),
               std::invalid_argument);
  EXPECT_TRUE(multi.Schemes().empty());
  EXPECT_THROW(TMultiHighlighter(nullptr), std::invalid_argument);
}

TEST(MultiHighlighter, CaseSensitiveSchemesMatchExactly) {
  THtmlHighlighter html;
  TPhpHighlighter php;
  TMultiHighlighter multi(&html);
  multi.AddScheme({"tpl", "\\{\\{", "\\}\\}", true, clYellow, &php, false});
  multi.AddScheme({"Up", "BEGIN", "END", true, clYellow, &php, false});
  std::vector<TToken> tokens;
  multi.TokenizeLine("{{ $a }} begin $b end", 0, tokens);
  std::vector<std::string> names;
  for (const TToken& token : tokens) names.push_back(token.attribute->name);
  EXPECT_EQ(names, (std::vector<std::string>{"tpl", "Space", "Variable", "Space", "tpl", "Space",
                                             "Text", "Space", "Text", "Space", "Text"}));
}

}  // namespace
}  // namespace tervil
