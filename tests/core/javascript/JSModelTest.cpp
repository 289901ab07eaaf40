#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tervil
