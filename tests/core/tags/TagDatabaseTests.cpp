#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/tags/TagsEditor.h"
#include "support/GrowthTiming.h"

namespace tervil {
namespace {

using Strings = std::vector<std::string>;

std::string TagWithProperty(const std::string& property) {
  return "<tag name=\"a\" double=\"double\">\r\n" + property + "\r\n</tag>\r\n";
}

THtmlTagsEditor Load(const std::string& text) {
  THtmlTagsEditor tags;
  tags.LoadText(text);
  return tags;
}

constexpr int kIdA = 54;

TEST(TagDatabase, SingleDescribedTag) {
  auto tags = Load(
      TagWithProperty("<property name=\"href\" values=\"\" uservalue=\"true\" style=\"esellipsis\" "
                      "info=\"Link target\">"));
  EXPECT_EQ(tags.KnownTags(), Strings{"a"});
  EXPECT_EQ(tags.IndexOfTag("a"), 0);
  EXPECT_TRUE(tags.HasClosingTag(0));
  EXPECT_FALSE(tags.IsDeprecated(0));
  EXPECT_EQ(tags.TagFlags(0), htoDouble);
  ASSERT_EQ(tags.Attributes(kIdA).size(), 1u);
  const AttrStruct& href = tags.Attributes(kIdA)[0];
  EXPECT_EQ(href.Name, "href");
  EXPECT_TRUE(href.Values.empty());
  EXPECT_TRUE(href.UserValue);
  EXPECT_EQ(href.EditStyle, esEllipsis);
  EXPECT_EQ(href.Info, "link target");
  EXPECT_EQ(href.Special, "");
  EXPECT_TRUE(tags.Attributes(1).empty());
}

struct ValuesCase {
  const char* valuesText;
  Strings values;
  const char* special;
};

class TagDatabaseValues : public testing::TestWithParam<ValuesCase> {};

TEST_P(TagDatabaseValues, FillsTheValueList) {
  const ValuesCase& c = GetParam();
  auto tags = Load(TagWithProperty(std::string("<property name=\"x\" values=\"") + c.valuesText +
                                   "\" uservalue=\"false\" style=\"espicklist\" info=\"\">"));
  ASSERT_EQ(tags.Attributes(kIdA).size(), 1u);
  const AttrStruct& attr = tags.Attributes(kIdA)[0];
  EXPECT_EQ(attr.Values, c.values);
  EXPECT_EQ(attr.Special, c.special);
  EXPECT_EQ(attr.EditStyle, esPickList);
  EXPECT_FALSE(attr.UserValue);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagDatabaseValues,
    testing::Values(ValuesCase{"left|center|right", {"", "left", "center", "right"}, ""},
                    ValuesCase{"", {}, ""}, ValuesCase{"   ", {}, ""},
                    ValuesCase{" a | b ", {"", "a", "b"}, ""},
                    ValuesCase{"a||b", {"", "a", "", "b"}, ""}, ValuesCase{"x", {"", "x"}, ""},
                    // The last character always belongs to the last piece.
                    ValuesCase{"a|b|", {"", "a", "b|"}, ""},
                    ValuesCase{"Top|BOTTOM", {"", "top", "bottom"}, ""},
                    ValuesCase{"colors", {"", "colors"}, ""},
                    ValuesCase{"color|lang", {"", "color", "lang"}, ""}));

TEST(TagDatabase, NamedValueSets) {
  struct Case {
    const char* valuesText;
    const char* special;
    std::size_t count;
    const char* first;
    const char* last;
  };
  for (const Case& c :
       {Case{"color", "color", 140, "#000000", "#ffffff"},
        Case{" Color ", "color", 140, "#000000", "#ffffff"}, Case{"lang", "lang", 34, "cs", "zh"},
        Case{"MIME", "mime", 38, "text/css", "video/x-sgi-movie"}}) {
    SCOPED_TRACE(c.valuesText);
    auto tags =
        Load(TagWithProperty(std::string("<property name=\"x\" values=\"") + c.valuesText + "\">"));
    ASSERT_EQ(tags.Attributes(kIdA).size(), 1u);
    const AttrStruct& attr = tags.Attributes(kIdA)[0];
    EXPECT_EQ(attr.Special, c.special);
    ASSERT_EQ(attr.Values.size(), c.count);
    EXPECT_EQ(attr.Values.front(), c.first);
    EXPECT_EQ(attr.Values.back(), c.last);
  }
}

TEST(TagDatabase, ColorSetIsSortedWithDuplicates) {
  const auto colors = ColorValueSet();
  EXPECT_TRUE(std::is_sorted(colors.begin(), colors.end()));
  EXPECT_EQ(std::count(colors.begin(), colors.end(), "#00ffff"), 2);  // aqua, cyan
  EXPECT_EQ(std::count(colors.begin(), colors.end(), "#ff00ff"), 2);  // fuchsia, magenta
  EXPECT_EQ(std::count(colors.begin(), colors.end(), "#808080"), 1);  // gray
  for (std::string_view c : colors) {
    ASSERT_EQ(c.size(), 7u);
    EXPECT_EQ(c.find_first_not_of("#0123456789abcdef"), std::string_view::npos) << c;
  }
}

TEST(TagDatabase, IndexOfTagIsExactWhileTagIdIgnoresCase) {
  auto tags = Load("<tag name=\"a\">\n</tag>\n");
  EXPECT_EQ(tags.IndexOfTag("A"), -1);
  EXPECT_EQ(tags.IndexOfTag("a"), 0);
  struct Case {
    const char* name;
    int id;
  };
  for (const Case& c :
       {Case{"A", 54}, Case{"a", 54}, Case{"noframes", 1}, Case{"WBR", 119}, Case{"Td", 44},
        Case{"!DOCTYPE", 96}, Case{"!doctype", 96}, Case{"xyz", 0}, Case{"", 0}, Case{"a ", 0}}) {
    int id = -1;
    EXPECT_EQ(THtmlTagsEditor::TagId(c.name, id), c.id != 0) << c.name;
    EXPECT_EQ(id, c.id) << c.name;
  }
}

TEST(TagDatabase, KnownTagsFollowTheBuiltInOrder) {
  auto tags = Load(
      "<tag name=\"wbr\">\n</tag>\n<tag name=\"a\">\n</tag>\n<tag name=\"td\">\n"
      "</tag>\n<tag name=\"!DOCTYPE\">\n</tag>\n<tag name=\"xyz\">\n</tag>\n");
  EXPECT_EQ(tags.KnownTags(), (Strings{"td", "a", "wbr"}));
}

TEST(TagDatabase, TagHeads) {
  struct Case {
    const char* text;
    int index;
    Thtmltagsoptions flags;
  };
  for (const Case& c : {
           Case{"<tag name=\"a\">", 0, 0}, Case{"<TAG NAME=\"A\" DOUBLE=\"DOUBLE\">", 0, htoDouble},
           Case{"<tag name=\"a\" deprecated=\"deprecated\">", 0, htoDeprecated},
           Case{"<tag name=\"a\" double='double' deprecated = \"deprecated\">", 0,
                htoDouble | htoDeprecated},
           Case{"<tag name=\"a\" double=\"yes\">", 0, 0},
           Case{"<tag name=\"a\" double=double>", 0, 0},  // unquoted at the end: empty
           Case{"<tag name=\"a\" double=double >", 0, htoDouble},
           Case{"<tag name=\"a\">\n<tag name=\"a\" double=\"double\">", 0, 0},  // first wins
           Case{"<tag  name=\"a\" double=\"double\">", -1, 0},  // two spaces: not found
           Case{"<tag name='a'>", -1, 0},
           Case{"<tag name=\"a\"", 0, 0},  // no ">": the head runs to the end
       }) {
    SCOPED_TRACE(c.text);
    auto tags = Load(c.text);
    EXPECT_EQ(tags.IndexOfTag("a"), c.index);
    EXPECT_EQ(tags.TagFlags(0), c.flags);
  }
}

TEST(TagDatabase, PropertyFields) {
  auto tags = Load(
      "<tag name=\"a\">\n"
      "<property name=\"one\" values=\"x|y\" uservalue=\"TRUE\" style=\"esPickList\" "
      "info=\"Ärger and Ünits\">\n"
      "<property name = 'two' style=\"esfancy\">\n"
      "<property>\n"
      "</tag>\n");
  const auto& attrs = tags.Attributes(kIdA);
  ASSERT_EQ(attrs.size(), 3u);
  EXPECT_EQ(attrs[0].Name, "one");
  EXPECT_TRUE(attrs[0].UserValue);
  EXPECT_EQ(attrs[0].EditStyle, esPickList);
  EXPECT_EQ(attrs[0].Info, "ärger and ünits");
  EXPECT_EQ(attrs[1].Name, "two");
  EXPECT_EQ(attrs[1].EditStyle, esNone);
  EXPECT_FALSE(attrs[1].UserValue);
  EXPECT_TRUE(attrs[1].Values.empty());
  EXPECT_EQ(attrs[2].Name, "");
}

TEST(TagDatabase, PropertiesTouchingEachOtherLoseTheSecond) {
  auto tags = Load(
      "<tag name=\"a\">\n"
      "<property name=\"one\"><property name=\"two\">\n"
      "<property name=\"three\">\n"
      "</tag>\n");
  Strings names;
  for (const auto& attr : tags.Attributes(kIdA)) names.push_back(attr.Name);
  EXPECT_EQ(names, (Strings{"one", "three"}));
}

TEST(TagDatabase, BodyEndsAtTheFirstClosingElement) {
  auto tags = Load(
      "<tag name=\"b\">\n<property name=\"x\">\n</tag>\n"
      "<tag name=\"a\">\n<property name=\"y\">\n");  // a is never closed
  EXPECT_EQ(tags.KnownTags(), (Strings{"a", "b"}));
  int idB;
  ASSERT_TRUE(THtmlTagsEditor::TagId("b", idB));
  EXPECT_EQ(tags.Attributes(idB).size(), 1u);
  EXPECT_TRUE(tags.Attributes(kIdA).empty());
}

TEST(TagDatabase, AttributeInfoAndSpecial) {
  auto tags =
      Load(TagWithProperty("<property name=\"color\" values=\"color\" info=\"Text colour\">\n"
                           "<property name=\"old\" info=\"deprecated\">"));
  EXPECT_EQ(tags.AttributeInfo("a", "color"), "text colour");
  EXPECT_EQ(tags.AttributeInfo("A", "color"), "text colour");
  EXPECT_EQ(tags.AttributeSpecial("a", "color"), "color");
  EXPECT_EQ(tags.AttributeInfo("a", "old"), "deprecated");
  EXPECT_EQ(tags.AttributeSpecial("a", "old"), "");
  EXPECT_EQ(tags.AttributeInfo("a", "COLOR"), "");
  EXPECT_EQ(tags.AttributeInfo("b", "color"), "");
  EXPECT_EQ(tags.AttributeInfo("xyz", "color"), "");
}

TEST(TagDatabase, OutOfRangeLookups) {
  THtmlTagsEditor tags;
  EXPECT_TRUE(tags.KnownTags().empty());
  EXPECT_EQ(tags.IndexOfTag("a"), -1);
  EXPECT_EQ(tags.TagFlags(-1), 0);
  EXPECT_EQ(tags.TagFlags(5), 0);
  EXPECT_TRUE(tags.Attributes(0).empty());
  EXPECT_TRUE(tags.Attributes(120).empty());
  EXPECT_TRUE(tags.Attributes(-3).empty());
  EXPECT_EQ(tags.CurrentTag(), HtmlTag{});
}

TEST(TagDatabase, ReloadingReplacesEverything) {
  auto tags = Load(TagWithProperty("<property name=\"href\">"));
  tags.SetCurrentTag({"a", kIdA});
  tags.LoadText("<tag name=\"b\">\n</tag>\n");
  EXPECT_EQ(tags.KnownTags(), Strings{"b"});
  EXPECT_TRUE(tags.Attributes(kIdA).empty());
  EXPECT_EQ(tags.CurrentTag(), HtmlTag{});
}

TEST(TagDatabase, MalformedTextLoadsWhatItCan) {
  std::string huge = TagWithProperty("<property name=\"x\" values=\"" + std::string(1 << 20, 'v') +
                                     "|" + std::string(1 << 20, 'w') + "\">");
  std::string manyProperties = "<tag name=\"a\">\n";
  for (int i = 0; i < 20000; ++i) manyProperties += "<property name=\"p\" values=\"a|b\">\n";
  manyProperties += "</tag>\n";
  std::string binary;
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) binary.push_back(static_cast<char>(random()));
  std::string headsOnly;
  for (std::string_view name : BuiltInTagNames())
    headsOnly += "<tag name=\"" + std::string(name) + "\">\n<property name=\"x\n";

  struct Case {
    const char* label;
    std::string text;
    std::size_t known;
  };
  const std::vector<Case> cases = {
      {"unclosed property", "<tag name=\"a\">\n<property name=\"x\" values=\"a|b", 1},
      {"property without end", "<tag name=\"a\">\n<property name=\"x\" values=\"a|b\n</tag>", 1},
      {"missing quotes", "<tag name=\"a\" double=double\n<property name=x values=a|b>\n</tag>", 1},
      {"huge value", huge, 1},
      {"many properties", manyProperties, 1},
      {"binary junk", binary, 0},
      {"binary junk around a tag", binary + TagWithProperty("<property name=\"x\">") + binary, 1},
      {"heads only", headsOnly, 118},
      {"nothing", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto tags = Load(c.text);
    EXPECT_EQ(tags.KnownTags().size(), c.known);
  }
  auto tags = Load(huge);
  ASSERT_EQ(tags.Attributes(kIdA).size(), 1u);
  EXPECT_EQ(tags.Attributes(kIdA)[0].Values.size(), 3u);
  EXPECT_EQ(Load(manyProperties).Attributes(kIdA).size(), 20000u);
}

// Repeats `unit` after `head` until the text is `length` long, then appends `tail`.
std::string Repeated(const std::string& head, const std::string& unit, const std::string& tail,
                     std::size_t length) {
  std::string text = head;
  while (text.size() < length) text += unit;
  return text + tail;
}

std::string EveryHead(const std::string& afterName) {
  std::string heads;
  for (std::string_view name : BuiltInTagNames())
    heads += "<tag name=\"" + std::string(name) + "\"" + afterName;
  return heads;
}

// Hostile data files cost no more per byte than a well-formed file of the same size that
// describes one tag with many properties, the most work a byte of a real file asks for; and
// the cost per byte stays level as the file grows.
TEST(TagDatabase, LoadingTakesTimeInProportionToTheText) {
  constexpr std::size_t kLength = 200000;
  const std::string property = "<property name=\"p\" values=\"a|b\" info=\"x\">\n";
  const auto manyProperties = [&](std::size_t n) {
    return Repeated("<tag name=\"a\">\n", property, "</tag>\n", n);
  };
  const struct {
    const char* label;
    std::function<std::string(std::size_t)> make;
  } shapes[] = {
      {"heads left open",
       [](std::size_t n) { return Repeated("", EveryHead(" double=\"double\" "), "", n); }},
      {"every tag open up to the one closer at the end",
       [&](std::size_t n) { return Repeated(EveryHead(">\n"), property, "</tag>\n", n); }},
      {"properties without an end in every tag",
       [](std::size_t n) {
         return EveryHead(">\n") + Repeated("", "<property name=\"x\" ", "</tag>", n);
       }},
      {"openers without a name", [](std::size_t n) { return Repeated("", "<tag name=\"", "", n); }},
      {"closers only", [](std::size_t n) { return Repeated("<tag name=\"a\">", "</tag>", "", n); }},
      {"many properties", manyProperties}};
  const auto load = [](const std::string& text) {
    THtmlTagsEditor tags;
    tags.LoadText(text);
  };
  const std::string baseline = manyProperties(kLength);
  for (const auto& shape : shapes) {
    SCOPED_TRACE(shape.label);
    EXPECT_LE(timing::RelativeCost(load, shape.make(kLength), baseline), timing::kGrowthBound);
    EXPECT_LE(timing::TimeGrowth(load, shape.make, kLength / 10), timing::kGrowthBound);
  }
}

std::string TempDir() {
  const char* dir = std::getenv("TERVIL_TEST_TMP");
  std::string path = dir ? dir : testing::TempDir();
  std::filesystem::create_directories(path);
  return path;
}

TEST(TagDatabase, ReadsAFile) {
  const std::string path = TempDir() + "/tags_reads_a_file.tvd";
  {
    std::ofstream out(path, std::ios::binary);
    out << "<TAG NAME=\"BR\">\r\n<PROPERTY NAME=\"CLEAR\" VALUES=\"LEFT|ALL\">\r\n</TAG>\r\n";
  }
  THtmlTagsEditor tags(path);
  EXPECT_EQ(tags.KnownTags(), Strings{"br"});
  EXPECT_EQ(tags.FileText(),
            "<tag name=\"br\">\r\n<property name=\"clear\" values=\"left|all\">\r\n</tag>\r\n");
  int id;
  ASSERT_TRUE(THtmlTagsEditor::TagId("br", id));
  ASSERT_EQ(tags.Attributes(id).size(), 1u);
  EXPECT_EQ(tags.Attributes(id)[0].Values, (Strings{"", "left", "all"}));
  std::filesystem::remove(path);
}

TEST(TagDatabase, MissingFileIsReportedLikeOtherDataFiles) {
  const std::string path = TempDir() + "/no_such_dir/html.tvd";
  try {
    THtmlTagsEditor tags(path);
    FAIL() << "no error";
  } catch (const TTagsFileError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + path + "\". No such file or directory");
  }
}

// ---- The shipped data file

class ShippedTagDatabase : public testing::Test {
 protected:
  static void SetUpTestSuite() { tags_ = new THtmlTagsEditor(TERVIL_SOURCE_DIR "/data/html.tvd"); }
  static void TearDownTestSuite() {
    delete tags_;
    tags_ = nullptr;
  }
  static const AttrStruct* Find(const char* tag, const char* attribute) {
    int id;
    if (!THtmlTagsEditor::TagId(tag, id)) return nullptr;
    for (const auto& attr : tags_->Attributes(id))
      if (attr.Name == attribute) return &attr;
    return nullptr;
  }
  static THtmlTagsEditor* tags_;
};

THtmlTagsEditor* ShippedTagDatabase::tags_ = nullptr;

TEST_F(ShippedTagDatabase, DescribesEveryBuiltInTagButTheDoctype) {
  EXPECT_EQ(tags_->KnownTags().size(), 118u);
  for (std::string_view name : BuiltInTagNames()) {
    if (name == "!DOCTYPE") continue;
    const int index = tags_->IndexOfTag(name);
    ASSERT_GE(index, 0) << name;
    int id;
    ASSERT_TRUE(THtmlTagsEditor::TagId(name, id));
    EXPECT_FALSE(tags_->Attributes(id).empty()) << name;
  }
}

TEST_F(ShippedTagDatabase, RealFacts) {
  const AttrStruct* href = Find("a", "href");
  ASSERT_NE(href, nullptr);
  EXPECT_EQ(href->EditStyle, esEllipsis);
  EXPECT_TRUE(href->UserValue);

  EXPECT_FALSE(tags_->HasClosingTag(tags_->IndexOfTag("br")));
  EXPECT_FALSE(tags_->HasClosingTag(tags_->IndexOfTag("img")));
  EXPECT_TRUE(tags_->HasClosingTag(tags_->IndexOfTag("table")));
  EXPECT_TRUE(tags_->HasClosingTag(tags_->IndexOfTag("p")));
  EXPECT_TRUE(tags_->IsDeprecated(tags_->IndexOfTag("font")));
  EXPECT_TRUE(tags_->IsDeprecated(tags_->IndexOfTag("center")));
  EXPECT_FALSE(tags_->IsDeprecated(tags_->IndexOfTag("div")));

  const AttrStruct* type = Find("input", "type");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->EditStyle, esPickList);
  for (const char* html5 : {"email", "url", "tel", "search", "number", "range", "color", "date",
                            "month", "week", "time", "datetime-local", "text", "checkbox"})
    EXPECT_NE(std::find(type->Values.begin(), type->Values.end(), html5), type->Values.end())
        << html5;

  const AttrStruct* bgcolor = Find("body", "bgcolor");
  ASSERT_NE(bgcolor, nullptr);
  EXPECT_EQ(bgcolor->Special, "color");
  EXPECT_EQ(bgcolor->Values.size(), 140u);
  EXPECT_EQ(tags_->AttributeSpecial("script", "type"), "mime");
  EXPECT_EQ(tags_->AttributeSpecial("html", "lang"), "lang");
  EXPECT_EQ(tags_->AttributeInfo("td", "bgcolor"), "deprecated");

  const AttrStruct* method = Find("form", "method");
  ASSERT_NE(method, nullptr);
  EXPECT_EQ(method->Values, (Strings{"", "get", "post", "dialog"}));
}

}  // namespace
}  // namespace tervil
