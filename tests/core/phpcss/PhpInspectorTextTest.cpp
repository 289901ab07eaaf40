// Captions and images of the code inspector, and the accessor generator's text.

#include <gtest/gtest.h>

#include "core/phpcss/PhpInspectorText.h"

namespace tervil {
namespace {

TEST(PhpInspectorText, Captions) {
  TPHPClass cls;
  cls.Name = "Counter";
  EXPECT_EQ(PhpClassCaption(cls), "Counter");
  cls.ParentName = "Base";
  EXPECT_EQ(PhpClassCaption(cls), "Counter (Base)");

  TPHPField field;
  field.Name = "$count";
  field.TypeName = "int";
  field.DefaultValue = "0";
  EXPECT_EQ(PhpFieldCaption(field), "$count:int = 0");
  field.TypeName = "  ";
  field.DefaultValue = "[\n    1,\n    2,\n]";
  EXPECT_EQ(PhpFieldCaption(field), "$count = [ 1, 2, ]") << "blank types show no colon";

  TPHPMethod method;
  method.Name = "add";
  method.Parameters = " $a, $b ";
  method.TypeName = "int";
  EXPECT_EQ(PhpMethodCaption(method), "add($a, $b) : int");
  method.Parameters = "";
  method.TypeName = "";
  EXPECT_EQ(PhpMethodCaption(method), "add()");
  method.Parameters = "\n        private int $x,\n        $y\n    ";
  EXPECT_EQ(PhpMethodCaption(method), "add(private int $x, $y)") << "one line";
}

TEST(PhpInspectorText, ImagesAndStateMarks) {
  TPHPClass cls;
  EXPECT_EQ(PhpClassImage(cls), piClass);
  cls.IsInterface = true;
  EXPECT_EQ(PhpClassImage(cls), piInterface);
  cls.IsAbstract = true;
  EXPECT_EQ(PhpClassImage(cls), piAbstractClass) << "abstract wins over interface";
  TPHPMethod method;
  EXPECT_EQ(PhpMethodState(method), psNone);
  method.IsAbstract = true;
  EXPECT_EQ(PhpMethodState(method), psAbstract);
  method.IsFinal = true;
  EXPECT_EQ(PhpMethodState(method), psFinal) << "final wins";
}

TEST(PhpInspectorText, VariableAtTheCaret) {
  const struct {
    const char* line;
    int column;
    const char* word;
  } cases[] = {
      {"  $name = 1;", 5, "$name"},    // inside the word
      {"  $name = 1;", 4, "$name"},    // at the word's first letter
      {"  $name = 1;", 8, "$name"},    // just after the word
      {"  $name = 1;", 3, "$name"},    // on the "$"
      {"  $this->name;", 11, "name"},  // a property after "->" has no "$"
      {"  name", 4, "name"},
      {"  = 1;", 2, ""},
      {"$_id", 2, "$_id"},
      {"$\xC3\xA9t\xC3\xA9 = 1", 3, "$\xC3\xA9t\xC3\xA9"},
      {"", 1, ""},
      {"$x", 9, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PhpVariableAt(c.line, c.column), c.word) << c.line << " @" << c.column;
}

TEST(PhpInspectorText, AccessorText) {
  EXPECT_EQ(PhpAccessorText("$x", "", 4),
            "\rpublic function getX() {\r    return $this->x;\r}\r"
            "public function setX($value) {\r    $this->x = $value; \r}\r");
  EXPECT_EQ(PhpAccessorText("$name", "    ", 2),
            "\r    public function getName() {\r      return $this->name;\r    }\r"
            "    public function setName($value) {\r      $this->name = $value; \r    }\r");
  const std::string underscore = PhpAccessorText("$_id", "", 1);
  EXPECT_NE(underscore.find("function get_id()"), std::string::npos);
  EXPECT_NE(underscore.find("function set_id($value)"), std::string::npos);
  EXPECT_EQ(PhpAccessorText("name", "", 4), "");
  EXPECT_EQ(LeadingSpaces("    $x"), "    ");
  EXPECT_EQ(LeadingSpaces("\t$x"), "") << "a tab ends the indentation";
  EXPECT_EQ(LeadingSpaces("  \t$x"), "  ");
  EXPECT_EQ(LeadingSpaces("   "), "   ");
}

}  // namespace
}  // namespace tervil
