// The highlighters of the main window: names, filters, default colours and the sorted list.

#include <gtest/gtest.h>

#include "core/highlighters/HighlighterSet.h"

namespace tervil {
namespace {

TEST(HighlighterSet, LanguageNamesAndDefaultFilters) {
  THighlighterSet set;
  struct TRow {
    THighlighter* highlighter;
    const char* name;
    const char* filter;
  };
  const TRow rows[] = {
      {&set.Html(), "HTML", "HTML Document (*.htm,*.html)|*.htm;*.html"},
      {&set.Php(), "PHP", "PHP Files (*.php,*.php3,*.phtml,*.inc)|*.php;*.php3;*.phtml;*.inc"},
      {&set.Css(), "Cascading Style Sheet", ""},
      {&set.JavaScript(), "JavaScript", ""},
      {&set.Xml(), "XML",
       "XML Document (*.xml,*.xsd,*.xsl,*.xslt,*.dtd)|*.xml;*.xsd;*.xsl;*.xslt;*.dtd"},
      {&set.Sql(), "SQL", ""},
      {&set.Perl(), "Perl", "Perl Files (*.pl,*.pm,*.cgi)|*.pl;*.pm;*.cgi"},
      {&set.Java(), "Java", ""},
      {&set.Cpp(), "C/C++", "C++ Files (*.c,*.cpp,*.h,*.hpp)|*.c;*.cpp;*.h;*.hpp"},
      {&set.CSharp(), "C#", ""},
      {&set.VBScript(), "MS VBScript", ""},
      {&set.Pascal(), "Object Pascal", ""},
      {&set.General(), "General", ""},
      {&set.Multi(), "General Multi-Highlighter", ""},
      {&set.MultiPhp(), "General Multi-Highlighter", ""},
  };
  for (const TRow& row : rows) {
    EXPECT_EQ(row.highlighter->LanguageName(), row.name);
    EXPECT_EQ(row.highlighter->DefaultFilter(), row.filter) << row.name;
    EXPECT_EQ(row.highlighter->IsMulti(), std::string(row.name) == "General Multi-Highlighter");
  }
  EXPECT_EQ(set.Components().size(), std::size(rows));
}

TEST(HighlighterSet, ListHasTheThirteenSingleHighlightersSortedWithoutCase) {
  THighlighterSet set;
  THighlighterList list;
  set.ListHighlighters(list, false);
  std::vector<std::string> names;
  for (const auto& [name, highlighter] : list) {
    names.push_back(name);
    EXPECT_EQ(highlighter->LanguageName(), name);
    EXPECT_EQ(set.FindByLanguageName(name), highlighter);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"C#", "C/C++", "Cascading Style Sheet", "General",
                                             "HTML", "Java", "JavaScript", "MS VBScript",
                                             "Object Pascal", "Perl", "PHP", "SQL", "XML"}));
  EXPECT_EQ(set.FindByLanguageName("General Multi-Highlighter"), nullptr);
}

TEST(HighlighterSet, ListAppendsWithoutDuplicatesAndIgnoresMissingArguments) {
  THighlighterSet set;
  TGeneralHighlighter other;
  THighlighterList list = {{"Zeta", &other}, {"General", &other}};
  set.ListHighlighters(list, true);
  EXPECT_EQ(list.size(), 14u);
  EXPECT_EQ(list.back().first, "Zeta");
  auto general = std::find_if(list.begin(), list.end(),
                              [](const auto& entry) { return entry.first == "General"; });
  EXPECT_EQ(general->second, &other);  // the entry already listed wins

  ListHighlighters(nullptr, &list, false);
  EXPECT_EQ(list.size(), 14u);
  ListHighlighters(&set.Components(), nullptr, false);
  set.ListHighlighters(list, false);
  EXPECT_EQ(list.size(), 13u);
}

TEST(HighlighterSet, SingleHighlightersHaveEveryDefaultAttributeAmongTheirAttributes) {
  THighlighterSet set;
  TUriHighlighter uri;
  std::vector<THighlighter*> all(set.Components().begin(), set.Components().end() - 2);
  all.push_back(&uri);
  for (THighlighter* highlighter : all) {
    auto attributes = highlighter->Attributes();
    EXPECT_TRUE(std::is_sorted(attributes.begin(), attributes.end(),
                               [](auto* a, auto* b) { return a->name < b->name; }));
    for (auto kind : {THighlighterDefault::Comment, THighlighterDefault::Identifier,
                      THighlighterDefault::Keyword, THighlighterDefault::String,
                      THighlighterDefault::Whitespace, THighlighterDefault::Symbol}) {
      const THighlighterAttribute* attribute = highlighter->DefaultAttribute(kind);
      ASSERT_NE(attribute, nullptr) << highlighter->LanguageName();
      EXPECT_NE(std::find(attributes.begin(), attributes.end(), attribute), attributes.end());
      EXPECT_TRUE(highlighter->IsDefaultAttribute(attribute, kind));
    }
  }
}

TEST(HighlighterSet, AttributeNamesTheEditingRulesLookFor) {
  THighlighterSet set;
  auto names = [](THighlighter& highlighter) {
    std::vector<std::string> result;
    for (auto* attribute : highlighter.Attributes()) result.push_back(attribute->name);
    return result;
  };
  EXPECT_EQ(names(set.JavaScript()),
            (std::vector<std::string>{"Comment", "Event", "Identifier", "Non-reserved Keyword",
                                      "Number", "Regular Expression", "Reserved Word", "Space",
                                      "String", "Symbol"}));
  EXPECT_EQ(set.JavaScript().DefaultAttribute(THighlighterDefault::Symbol)->name, "Symbol");
  for (THighlighter* highlighter : set.Components()) {
    if (highlighter->IsMulti()) continue;
    EXPECT_EQ(highlighter->DefaultAttribute(THighlighterDefault::Comment)->name, "Comment");
    EXPECT_EQ(highlighter->DefaultAttribute(THighlighterDefault::Whitespace)->name, "Space");
  }
}

// The colours the program starts with (0xBBGGRR); "plain" means neither bold nor italic.
TEST(HighlighterSet, DefaultColours) {
  THighlighterSet set;
  struct TRow {
    THighlighter* highlighter;
    const char* attribute;
    TColor foreground;
    int style;  // -1: not fixed
    TColor background = clNone;
  };
  const TRow rows[] = {
      {&set.Html(), "Entity", clOlive, fsPlain},
      {&set.Html(), "Comment", clSilver, fsItalic},
      {&set.Html(), "Identifier", 0x002359, -1},
      {&set.Html(), "Reserved Word", clNavy, -1},
      {&set.Html(), "Symbol", clNavy, fsPlain},
      {&set.Html(), "Unknown Word", clNavy, -1},
      {&set.Html(), "Value", 0x006A00, -1},
      {&set.Php(), "Comment", clGray, -1},
      {&set.Php(), "Identifier", clMaroon, -1},
      {&set.Php(), "Reserved Word", clBlue, -1},
      {&set.Php(), "Number", 0x007575, -1},
      {&set.Php(), "String", clBlack, -1},
      {&set.Php(), "Symbol", clNavy, -1},
      {&set.Php(), "Variable", clGreen, -1},
      {&set.Css(), "Comment", clGray, -1},
      {&set.Css(), "Property", clNavy, -1},
      {&set.Css(), "Color", clBlue, -1},
      {&set.Css(), "Number", clBlue, -1},
      {&set.Css(), "Selector", clMaroon, fsPlain},
      {&set.Css(), "String", clBlack, -1},
      {&set.Css(), "Value", clBlue, -1},
      {&set.Css(), "Undefined Property", 0x806000, -1},
      {&set.JavaScript(), "Comment", clGray, -1},
      {&set.JavaScript(), "Identifier", 0x002359, -1},
      {&set.JavaScript(), "Reserved Word", clNavy, -1},
      {&set.JavaScript(), "Non-reserved Keyword", 0x003673, -1},
      {&set.JavaScript(), "Event", 0x00336A, -1},
      {&set.JavaScript(), "Number", clBlack, -1},
      {&set.JavaScript(), "String", clBlack, -1},
      {&set.JavaScript(), "Symbol", clNavy, -1},
      {&set.Xml(), "Element Name", clBlue, -1},
      {&set.Xml(), "Attribute Name", 0x00336A, -1},
      {&set.Xml(), "Attribute Value", 0x006A00, fsPlain},
      {&set.Xml(), "Comment", clGray, fsItalic, clNone},
      {&set.Xml(), "Symbol", clNavy, -1},
      {&set.Perl(), "Comment", clGray, -1},
      {&set.Perl(), "Identifier", 0x002359, -1},
      {&set.Perl(), "Invalid Symbol", clRed, -1},
      {&set.Perl(), "Reserved Word", clBlue, -1},
      {&set.Perl(), "Number", 0x006060, -1},
      {&set.Perl(), "Space", clNone, -1, clNone},
      {&set.Perl(), "String", clBlack, -1},
      {&set.Perl(), "Symbol", clNavy, -1},
      {&set.Perl(), "Variable", 0x004400, fsPlain},
      {&set.Java(), "Comment", clGray, -1},
      {&set.Java(), "Reserved Word", clBlue, -1},
      {&set.Java(), "Number", 0x006060, -1},
      {&set.Java(), "Space", clNone, -1, clNone},
      {&set.Java(), "String", clPurple, -1},
      {&set.Cpp(), "Assembler", clGreen, -1},
      {&set.Cpp(), "Reserved Word", clNavy, -1},
      {&set.CSharp(), "Comment", clGreen, -1},
      {&set.CSharp(), "Identifier", 0xE1924A, -1},
      {&set.CSharp(), "Reserved Word", clBlue, fsPlain},
      {&set.CSharp(), "String", clMaroon, -1},
      {&set.VBScript(), "Reserved Word", clNavy, -1},
      {&set.Sql(), "Data Type", clBlue, -1},
      {&set.Sql(), "Function", clBlue, -1},
      {&set.Sql(), "Identifier", clBlack, -1},
      {&set.Sql(), "Reserved Word", clBlue, -1},
      {&set.Pascal(), "Assembler", clGreen, -1},
      {&set.Pascal(), "Comment", clGray, -1},
      {&set.Pascal(), "Reserved Word", clNavy, -1},
      {&set.Pascal(), "Number", clNavy, -1},
      {&set.Pascal(), "String", clNavy, -1},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.highlighter->LanguageName() + " " + row.attribute);
    auto* attribute =
        static_cast<TSyntaxHighlighter*>(row.highlighter)->FindAttribute(row.attribute);
    ASSERT_NE(attribute, nullptr);
    EXPECT_EQ(attribute->foreground, row.foreground);
    EXPECT_EQ(attribute->background, row.background);
    if (row.style >= 0) {
      EXPECT_EQ(attribute->style & (fsBold | fsItalic), row.style);
    }
  }
}

}  // namespace
}  // namespace tervil
