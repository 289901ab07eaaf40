#include <gtest/gtest.h>

#include <algorithm>

#include "core/common/TextFile.h"
#include "core/javascript/JSModel.h"

namespace tervil {
namespace {

const char* kObjects =
    "<object name=\"Node\">\n"
    "<property name=\"nodeName\" type=\"String\" eltype=\"\">Name of the node</property>\n"
    "<method name=\"appendChild\" type=\"Node\" params=\"Node node\" eltype=\"\">Adds</method>\n"
    "</object>\n"
    "  <object name=\"document\" base=\"Node\">  \n"
    "<property name=\"body\" type=\"Element\" eltype=\"\">The body</property>\n"
    "<property name=\"forms\" type=\"Collection\" eltype=\"Form\">The forms</property>\n"
    "<property name=\"fonts\" type=\"Number\" eltype=\"\">Fonts</property>\n"
    "<method name=\"open\" type=\"\" params=\"a, b\" eltype=\"\">Opens</method>\n"
    "<event name=\"onload\" type=\"Event\" eltype=\"\">Loaded</event>\n"
    "<bogus line>\n"
    "</object>\n"
    "<property name=\"outside\" type=\"\" eltype=\"\">ignored</property>\n"
    "<object name=\"Form\">\n"
    "<property name=\"options[]\" type=\"Option\" eltype=\"Option\">Options</property>\n"
    "<property name=\"action\" type=\"String\" eltype=\"\">Action</property>\n"
    "</object>\n"
    "<object>\n"
    "</object>\n";

std::shared_ptr<TJSModel> Model() {
  auto model = std::make_shared<TJSModel>();
  model->LoadFromText(kObjects);
  return model;
}

std::vector<std::string> Names(const std::vector<TJSRow>& rows) {
  std::vector<std::string> names;
  for (const TJSRow& row : rows) names.push_back(row.NameColumn());
  return names;
}

TEST(JSModel, ReadsTheFileFormat) {
  auto model = Model();
  ASSERT_EQ(model->Objects().size(), 4u);
  EXPECT_EQ(model->Objects()[3].name, "");  // an object without a name is kept
  const TJSObject* document = model->Find("document");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->base, "Node");
  ASSERT_EQ(document->properties.size(), 3u);
  EXPECT_EQ(document->properties[1].eltype, "Form");
  EXPECT_EQ(document->properties[1].description, "The forms");
  EXPECT_EQ(document->methods[0].params, "a, b");
  EXPECT_EQ(model->Find("Document"), nullptr);  // names compare exactly
  // Properties, methods, events; the inherited ones after the own ones.
  EXPECT_EQ(Names(model->MemberRows(*document)),
            (std::vector<std::string>{"body", "forms", "fonts", "nodeName", "open(a, b)",
                                      "appendChild(Node node)", "onload"}));
}

TEST(JSModel, AttributeValuesComeFromTheTagOnly) {
  EXPECT_EQ(JSAttributeValue("<p name=\" x \" type=\"T\">name=\"no\"</p>", "name"), "x");
  EXPECT_EQ(JSAttributeValue("<p name=\"x\">type=\"T\"</p>", "type"), "");
  // A name inside another attribute's value is not the attribute.
  EXPECT_EQ(JSAttributeValue("<property name=\"doctype\" type=\"DocumentType\">", "type"),
            "DocumentType");
  EXPECT_EQ(JSAttributeValue("<property name=\"type\" type=\"T\" eltype=\"E\">", "type"), "T");
  EXPECT_EQ(JSAttributeValue("<object name=\"IDBDatabase\" base=\"EventTarget\">", "base"),
            "EventTarget");
  EXPECT_EQ(JSAttributeValue("<object name=\"IDBDatabase\">", "base"), "");
  // Broken tags give nothing rather than a piece of another attribute.
  for (const char* broken : {"<p type=\"T", "<p type=T>", "<p type>", "p type=\"T\"", ""})
    EXPECT_EQ(JSAttributeValue(broken, "type"), "") << broken;
}

struct ResolveCase {
  const char* expression;
  const char* listed;  // "" for the top-level list
  const char* selected;
};

void PrintTo(const ResolveCase& c, std::ostream* os) {
  *os << c.expression;
}

class JSResolve : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(JSResolve, ListsTheObjectOfTheExpression) {
  TJSBrowser browser;
  browser.SetModel(Model());
  browser.Resolve(GetParam().expression);
  EXPECT_EQ(browser.Listed() ? browser.Listed()->name : "", GetParam().listed);
  ASSERT_NE(browser.SelectedRow(), nullptr);
  EXPECT_EQ(browser.SelectedRow()->Name(), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(Cases, JSResolve,
                         ::testing::Values(ResolveCase{"document.fo", "document", "forms"},
                                           ResolveCase{"document.", "document", "body"},
                                           ResolveCase{"DOCUMENT.BO", "document", "body"},
                                           ResolveCase{"doc", "", "document"},
                                           ResolveCase{"document.forms[0].", "Form", "options[]"},
                                           ResolveCase{"document.forms[0].ac", "Form", "action"},
                                           ResolveCase{"document.node", "document", "nodeName"}));

TEST(JSBrowser, NavigatesAndInserts) {
  TJSBrowser browser;
  browser.SetModel(Model());
  browser.Resolve("document.fon");
  EXPECT_EQ(browser.SelectedRow()->Name(), "fonts");
  EXPECT_FALSE(browser.DescendSelected());  // a Number member has nothing to descend into
  browser.SelectPrefix("FORMS");
  ASSERT_TRUE(browser.DescendSelected());
  EXPECT_TRUE(browser.Rows().empty());  // the type "Collection" is not known
  browser.Resolve("document.forms[0].op");
  EXPECT_EQ(JSInsertText(*browser.SelectedRow()), "options");
  EXPECT_EQ(LastJSPart("document.forms[0].op"), "op");
  EXPECT_EQ(LastJSPart("doc"), "doc");
  EXPECT_EQ(JSExpressionBeforeCaret("x = document.forms[0].na", 24), "document.forms[0].na");
  EXPECT_EQ(JSExpressionBeforeCaret("f(a.b(\"x\").", 12), "a.b(\"x\").");
  EXPECT_EQ(JSExpressionBeforeCaret("a] + b", 6), "b");
  EXPECT_EQ(JSExpressionBeforeCaret("x = ", 4), "");
}

TEST(JSBrowser, TheKeywordNewMarksAnInstance) {
  EXPECT_EQ(JSExpressionBeforeCaret("x = new Map().", 14), "new Map().");
  EXPECT_EQ(JSExpressionBeforeCaret("new  Da", 7), "new Da");
  EXPECT_EQ(JSExpressionBeforeCaret("renew Map().", 12), "Map().");
  EXPECT_EQ(JSExpressionBeforeCaret("new ", 4), "");
  EXPECT_EQ(LastJSPart("new Da"), "Da");
  EXPECT_EQ(LastJSPart("new Date().ge"), "ge");
}

// The shipped data: what the popup lists for expressions people type in web pages.
std::shared_ptr<const TJSModel> ShippedModel() {
  static const std::shared_ptr<const TJSModel> model = [] {
    std::string text;
    std::string error;
    EXPECT_TRUE(ReadFileBytes(std::string(TERVIL_SOURCE_DIR) + "/data/js.tvd", text, &error))
        << error;
    auto loaded = std::make_shared<TJSModel>();
    loaded->LoadFromText(text);
    return loaded;
  }();
  return model;
}

struct ShippedCase {
  const char* expression;
  const char* listed;
  bool statics;                     // the constructor's members are listed
  std::vector<const char*> has;     // name columns that must be listed
  std::vector<const char*> hasNot;  // names that must not be listed
};

void PrintTo(const ShippedCase& c, std::ostream* os) {
  *os << c.expression;
}

class JSShippedData : public ::testing::TestWithParam<ShippedCase> {};

TEST_P(JSShippedData, ListsTheMembersOfWhatTheExpressionYields) {
  const ShippedCase& c = GetParam();
  TJSBrowser browser;
  browser.SetModel(ShippedModel());
  browser.Resolve(JSExpressionBeforeCaret(c.expression, std::string_view(c.expression).size()));
  ASSERT_NE(browser.Listed(), nullptr);
  EXPECT_EQ(browser.Listed()->name, c.listed);
  EXPECT_EQ(browser.ListsStatics(), c.statics);
  std::vector<std::string> names;
  for (const TJSRow& row : browser.Rows()) {
    names.push_back(row.NameColumn());
    names.push_back(row.Name());
  }
  auto listed = [&](const char* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  for (const char* name : c.has) EXPECT_TRUE(listed(name)) << name;
  for (const char* name : c.hasNot) EXPECT_FALSE(listed(name)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JSShippedData,
    ::testing::Values(
        ShippedCase{"document.forms[0].",
                    "HTMLFormElement",
                    false,
                    {"elements", "submit()", "action", "id", "addEventListener"},
                    {}},
        ShippedCase{"var f = document.forms[0].elements[2].",
                    "HTMLInputElement",
                    false,
                    {"value", "checked"},
                    {}},
        ShippedCase{"document.getElementsByTagName('x')[0].",
                    "Element",
                    false,
                    {"getAttribute(DOMString qualifiedName)", "innerHTML"},
                    {"length"}},
        ShippedCase{"document.getElementsByTagName('x').",
                    "HTMLCollection",
                    false,
                    {"length"},
                    {"innerHTML"}},
        ShippedCase{"document.getElementById(\"a\").", "Element", false, {"innerHTML"}, {}},
        ShippedCase{"document.getElementsByTagName('form')[0].",
                    "HTMLFormElement",
                    false,
                    {"submit()"},
                    {}},
        ShippedCase{"var c = document.createElement(\"canvas\").",
                    "HTMLCanvasElement",
                    false,
                    {"getContext"},
                    {}},
        ShippedCase{"document.body.querySelector('A').", "HTMLAnchorElement", false, {"href"}, {}},
        ShippedCase{"document.querySelector('a.b').", "Element", false, {"innerHTML"}, {}},
        ShippedCase{
            "x = Math.", "Math", false, {"abs(Number x)", "PI", "max(Number ...values)"}, {}},
        ShippedCase{"m = new Map().",
                    "Map",
                    false,
                    {"get(key)", "set(key, value)", "size", "forEach"},
                    {"length", "groupBy"}},
        ShippedCase{"Promise.", "Promise", true, {"resolve(value?)", "all"}, {"then"}},
        ShippedCase{"new Date().",
                    "Date",
                    false,
                    {"getTime()", "setFullYear(Number year, Number month?, Number date?)"},
                    {"now", "length"}},
        ShippedCase{"Date.", "Date", true, {"now()", "parse(String s)"}, {"getTime"}},
        ShippedCase{
            "new Date().toISOString().", "String", false, {"length", "charAt"}, {"fromCharCode"}},
        ShippedCase{"document.title.", "String", false, {"toUpperCase()"}, {"raw"}},
        ShippedCase{"new RangeError().", "RangeError", false, {"message"}, {}},
        ShippedCase{"new Uint8Array(4).", "Uint8Array", false, {"subarray", "length"}, {}},
        ShippedCase{"window.", "Window", false, {"document", "alert"}, {}}));

TEST(JSShippedData, BrowsingAnObjectListsItsInstancesMembers) {
  TJSBrowser browser;
  browser.SetModel(ShippedModel());
  browser.Resolve("Date");
  ASSERT_EQ(browser.SelectedRow()->Name(), "Date");
  ASSERT_TRUE(browser.DescendSelected());
  EXPECT_FALSE(browser.ListsStatics());
  browser.SelectPrefix("getTi");
  EXPECT_EQ(browser.SelectedRow()->Name(), "getTime");
}

TEST(JSShippedData, BuiltInMethodsHaveTheirParameters) {
  const TJSObject* math = ShippedModel()->Find("Math");
  ASSERT_NE(math, nullptr);
  std::size_t withParams = 0;
  for (const TJSMethod& method : math->methods) {
    if (method.name != "random") withParams += method.params.empty() ? 0 : 1;
  }
  EXPECT_EQ(withParams + 1, math->methods.size());  // every method but random() takes something
}

}  // namespace
}  // namespace tervil
