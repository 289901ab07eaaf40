// The PHP analyser: the documented example, a table of snippets with their models, offsets, doc
// comments and bad input.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/common/Utf8.h"
#include "core/phpcss/PhpAnalyser.h"

namespace tervil {
namespace {

std::string VisibilityText(int visibility) {
  return visibility == kPhpPrivate ? " private" : visibility == kPhpProtected ? " protected" : "";
}

std::string DescriptionText(const TPHPStruct& element) {
  return element.Description.empty() ? "" : " \"" + std::string(element.Description) + "\"";
}

std::string ClassKindText(const TPHPClass& cls) {
  switch (cls.Kind) {
    case TPHPClassKind::Interface:
      return "interface ";
    case TPHPClassKind::Trait:
      return "trait ";
    case TPHPClassKind::Enum:
      return "enum ";
    case TPHPClassKind::Class:
      break;
  }
  return "class ";
}

std::string MethodLine(const TPHPMethod& m) {
  return std::string(m.Name) + "(" + std::string(m.Parameters) + ")" +
         (m.TypeName.empty() ? "" : ":" + std::string(m.TypeName)) + VisibilityText(m.Visibility) +
         (m.IsStatic ? " static" : "") + (m.IsAbstract ? " abstract" : "") +
         (m.IsFinal ? " final" : "") + DescriptionText(m);
}

std::string FieldLine(const TPHPField& f) {
  return std::string(f.Name) + (f.TypeName.empty() ? "" : ":" + std::string(f.TypeName)) +
         (f.DefaultValue.empty() ? "" : " = " + std::string(f.DefaultValue)) +
         VisibilityText(f.Visibility) + (f.IsStatic ? " static" : "") +
         (f.IsConst ? " const" : "") + (f.IsReadonly ? " readonly" : "") + DescriptionText(f);
}

// The model as lines: classes with their fields and methods indented, then global functions.
std::string Describe(const TPHPAnalyser& a) {
  std::string out;
  for (const auto& c : a.Classes) {
    out += ClassKindText(*c) + std::string(c->Name) +
           (c->ParentName.empty() ? "" : " : " + std::string(c->ParentName)) +
           (c->IsAbstract ? " abstract" : "") + DescriptionText(*c) + "\n";
    for (const auto& f : c->Fields) out += "  " + FieldLine(*f) + "\n";
    for (const auto& m : c->Methods) out += "  " + MethodLine(*m) + "\n";
  }
  for (const auto& f : a.Functions) out += MethodLine(*f) + "\n";
  return out;
}

std::string Analyse(const std::string& text) {
  TPHPAnalyser analyser;
  analyser.Analyse(text);
  return Describe(analyser);
}

int OffsetOf(const std::string& text, const std::string& needle, std::size_t from = 0) {
  return static_cast<int>(
      utf8::CountChars(std::string_view(text).substr(0, text.find(needle, from))));
}

const char* const kExample =
    "<?php\n"
    "/**\n"
    " * Keeps a counter.\n"
    " * @author nobody\n"
    " */\n"
    "class Counter extends Base {\n"
    "    /** @var int */\n"
    "    private static $count = 0;\n"
    "    const STEP = 1;\n"
    "    /**\n"
    "     * Returns the new value.\n"
    "     * @return int\n"
    "     */\n"
    "    public function add($by = 1) {\n"
    "        self::$count += $by;\n"
    "        return self::$count;\n"
    "    }\n"
    "}\n"
    "function total($a, $b) { return $a; }\n"
    "?>\n";

TEST(PhpAnalyser, BuildsTheModelOfTheDocumentedExample) {
  EXPECT_EQ(Analyse(kExample),
            "class Counter : Base \"Keeps a counter.\"\n"
            "  $count:int = 0 private static\n"
            "  STEP = 1 const\n"
            "  add($by = 1):int \"Returns the new value.\"\n"
            "total($a, $b)\n");
}

TEST(PhpAnalyser, OffsetsOfTheDocumentedExample) {
  const std::string text = kExample;
  TPHPAnalyser a;
  a.Analyse(text);
  ASSERT_EQ(a.Classes.size(), 1u);
  const TPHPClass& counter = *a.Classes[0];
  EXPECT_EQ(counter.StartPos, OffsetOf(text, "{\n    /** @var"));
  EXPECT_EQ(counter.EndPos, OffsetOf(text, "}\nfunction total"));
  ASSERT_EQ(counter.Methods.size(), 1u);
  EXPECT_EQ(counter.Methods[0]->StartPos, OffsetOf(text, "    public function add"));
  EXPECT_EQ(counter.Methods[0]->EndPos, OffsetOf(text, "}\n}\nfunction"));
  ASSERT_EQ(counter.Fields.size(), 2u);
  EXPECT_EQ(counter.Fields[0]->StartPos, OffsetOf(text, "    private static"));
  EXPECT_EQ(counter.Fields[0]->EndPos, OffsetOf(text, "0;\n    const"));
  EXPECT_EQ(counter.Fields[1]->StartPos, OffsetOf(text, "    const STEP"));
  EXPECT_EQ(counter.Fields[1]->EndPos, OffsetOf(text, "1;\n    /**"));
  ASSERT_EQ(a.Functions.size(), 1u);
  EXPECT_EQ(a.Functions[0]->StartPos, OffsetOf(text, "function total"));
  EXPECT_EQ(a.Functions[0]->EndPos, OffsetOf(text, "}\n?>"));
}

TEST(PhpAnalyser, OffsetsCountCharactersAndLineBreaksAsTheyAreInTheText) {
  // CR LF counts two, a multi-byte character one.
  const std::string text = "<?php\r\n// \xC3\xA9t\xC3\xA9\r\nclass A {\r\n  function m() {}\r\n}";
  TPHPAnalyser a;
  a.Analyse(text);
  ASSERT_EQ(a.Classes.size(), 1u);
  EXPECT_EQ(a.Classes[0]->StartPos, 23);
  EXPECT_EQ(a.Classes[0]->EndPos, 45);
  ASSERT_EQ(a.Classes[0]->Methods.size(), 1u);
  EXPECT_EQ(a.Classes[0]->Methods[0]->StartPos, 26) << "the start of the member's line";
  EXPECT_EQ(a.Classes[0]->Methods[0]->EndPos, 42);
  EXPECT_EQ(a.Classes[0]->Description, "\xC3\xA9t\xC3\xA9");
}

struct TSnippetCase {
  const char* Title;
  const char* Php;
  const char* Model;
};

// The cases the scanning rules name, and the modern PHP they must not misread.
const TSnippetCase kSnippetCases[] = {
    {"empty text", "", ""},
    {"no declarations", "<?php echo 1; $x = 2;", ""},
    {"class then function", "class A {}\nfunction f() { }", "class A\nf()\n"},
    {"no space before the brace", "class Foo{", "class Foo\n"},
    {"header words", "abstract class Foo extends Bar implements Baz {}",
     "class Foo : Bar abstract\n"},
    {"a later function of the same name replaces the first in its place",
     "function init() {}\nfunction other() {}\nfunction init($second) {}",
     "init($second)\nother()\n"},
    {"a doc comment cut at the tag", "class A {\n/** @var int */\npublic $n;\n}",
     "class A\n  $n:int\n"},
    {"a single # comment is no doc comment", "# note\nfunction f() {}", "f()\n"},
    {"a ## comment is", "## note\nfunction f() {}", "f() \"note\"\n"},
    {"field modifiers", "class A { private static $count = 0; const MAX = 10; }",
     "class A\n  $count = 0 private static\n  MAX = 10 const\n"},
    {"var declares a public property", "class A { var $x; }", "class A\n  $x\n"},
    {"any white space separates modifiers", "class A { public  $x; protected\t$y; }",
     "class A\n  $x\n  $y protected\n"},
    {"keywords in strings and comments", "<?php echo \"class Foo\"; // class Bar\n# function g()",
     ""},
    {"a line comment ends at its line break even after /*",
     "// see /* here\nfunction f() {}\n/* function g() {} */", "f() \"see /* here\"\n"},
    {"text outside PHP blocks", "<?php class A {} ?>\nfunction g() {}\n<?php function h() {}",
     "class A\nh()\n"},
    {"text before the first opening tag is outside PHP", "<p>Don't</p><?php function f() {}",
     "f()\n"},
    {"a text without opening tag is read as code", "function f() {}", "f()\n"},
    {"parameters up to the matching parenthesis", "function f($a = array()) {}",
     "f($a = array())\n"},
    {"interface methods without body", "interface I { function a(); function b(); }",
     "interface I\n  a()\n  b()\n"},
    {"interfaces extend several", "interface I extends A, \\B\\C {}", "interface I : A, \\B\\C\n"},
    {"keywords are case-insensitive", "CLASS A { PUBLIC STATIC FUNCTION M() {} }\nFUNCTION F() {}",
     "class A\n  M() static\nF()\n"},
    {"no word boundary is crossed", "function myfunction_x() {} $classes = 1;", "myfunction_x()\n"},
    {"abstract and final methods",
     "abstract class A { abstract protected function a(); final public static function b() {} "
     "private function c() {} }",
     "class A abstract\n  a() protected abstract\n  b() static final\n  c() private\n"},
    {"a reference-returning function", "function &ref() {}", "ref()\n"},
    {"methods named like keywords", "class A { function list() {} function new() {} }",
     "class A\n  list()\n  new()\n"},
    {"traits", "trait T { protected $x; function t() {} }", "trait T\n  $x protected\n  t()\n"},
    {"trait use with a block",
     "class A { use T, U { T::a insteadof U; b as protected c; } "
     "function m() {} }",
     "class A\n  m()\n"},
    {"backed enums with cases and methods",
     "enum Suit: string implements HasColor { case Hearts = 'H'; case Spades = 'S'; "
     "const Wild = self::Spades; public function color(): string { return 'Red'; } }",
     "enum Suit\n  Hearts = 'H' const\n  Spades = 'S' const\n  Wild = self::Spades const\n"
     "  color():string\n"},
    {"a function named enum is no enum", "function enum() {} enum(1);", "enum()\n"},
    {"typed, nullable and union properties",
     "class A { private ?int $a = null; protected int|string $b; public static array $c = [1, "
     "2]; }",
     "class A\n  $a:?int = null private\n  $b:int|string protected\n  $c:array = [1, 2] static\n"},
    {"readonly properties and classes", "final readonly class P { public readonly string $name; }",
     "class P\n  $name:string readonly\n"},
    {"several properties in one declaration", "class A { public $a = 1, $b, $c = 'x;y'; }",
     "class A\n  $a = 1\n  $b\n  $c = 'x;y'\n"},
    {"typed and listed constants", "class A { const int X = 1, Y = 2; }",
     "class A\n  X:int = 1 const\n  Y:int = 2 const\n"},
    {"constructor property promotion",
     "class P { public function __construct(private int $x, protected readonly ?Foo $y = null, "
     "$plain = 3) {} }",
     "class P\n  $x:int private\n  $y:?Foo = null protected readonly\n"
     "  __construct(private int $x, protected readonly ?Foo $y = null, $plain = 3)\n"},
    {"a visibility before a DNF type is no visibility of writing",
     "class A { private (A&B)|null $x; public function __construct(protected (C&D)|null $y) {} "
     "public private(set) int $z; }",
     "class A\n  $x:(A&B)|null private\n  $y:(C&D)|null protected\n  $z:int\n"
     "  __construct(protected (C&D)|null $y)\n"},
    {"what follows __halt_compiler(); is data",
     "<?php class A {}\n__halt_compiler(); class B {} function f() {}", "class A\n"},
    {"__halt_compiler as a method name halts nothing",
     "class A { function __halt_compiler() {} }\nclass B {}",
     "class A\n  __halt_compiler()\nclass B\n"},
    {"a function body holds no members",
     "class A { function f() { $x = new class { public $in; }; if (1) { } } public $out; }",
     "class A\n  $out\n  f()\n"},
    {"declared types where the doc comment names none",
     "class A { /** @var Foo[] */ public array $list; public function f(): ?static {} "
     "/** @return int */ public function g(): mixed {} }",
     "class A\n  $list:Foo[]\n  f():?static\n  g():int\n"},
    {"attributes",
     "#[Entity]\nclass A {\n  #[Column(type: 'int'), Id] public int $id;\n  "
     "#[Route('/x', methods: ['GET'])] public function show() {}\n}",
     "class A\n  $id:int\n  show()\n"},
    {"a doc comment before the attributes describes the declaration",
     "/** Shows it. */\n#[Route('/x')]\nfunction show() {}", "show() \"Shows it.\"\n"},
    {"closures, arrow functions and static closures are no declarations",
     "$f = function($x) { function inner() {} return $x; };\narray_map(static fn($y) => $y, "
     "[]);\n$g = static function() use ($f) : int { return 1; };\nfunction real() {}",
     "real()\n"},
    {"anonymous classes are no declarations",
     "$o = new class(1) extends Base implements I { public $p; function m() {} };\n"
     "$r = new readonly class {};\nfunction real() {}",
     "real()\n"},
    {"::class, ->class and ->function are no declarations",
     "$a = Foo::class; $b = $x->class; $x->function(); $c = $y?->class;\nfunction real() {}",
     "real()\n"},
    {"use function imports are no declarations",
     "use function Foo\\bar;\nuse function Foo\\{baz, qux};\nfunction real() {}", "real()\n"},
    {"escaped quotes",
     "$s = 'it\\'s class Foo {'; $t = \"say \\\"class Bar {\\\"\";\n"
     "function real() {}",
     "real()\n"},
    {"interpolation with nested strings",
     "$s = \"{$a['}']} class X {\"; $t = \"${b}\";\nfunction real() {}", "real()\n"},
    {"heredoc and nowdoc",
     "$h = <<<EOT\nclass Fake {\n  EOT_NOT_END\n  EOT;\n$n = <<<'X'\n?> function fake() {}\nX;\n"
     "function real() {}",
     "real()\n"},
    {"?> inside strings keeps PHP open", "$s = '?>'; $t = \"?> class Fake {\";\nfunction real() {}",
     "real()\n"},
    {"?> ends a line comment", "<?php // comment ?>\nfunction fake() {}\n<?php function real() {}",
     "real()\n"},
    {"conditional and namespaced declarations",
     "namespace N {\n  if (!function_exists('f')) { function f() {} }\n  class C {}\n}",
     "class C\nf()\n"},
    {"nested named functions stay inside their bodies",
     "function outer() { function inner() {} class Local {} }", "outer()\n"},
    {"property hooks",
     "class A { public string $name { get => $this->n; set { $this->n = $value; } } "
     "public function after() {} }",
     "class A\n  $name:string\n  after()\n"},
    {"asymmetric visibility", "class A { public private(set) int $x = 0; }",
     "class A\n  $x:int = 0\n"},
};

class PhpSnippet : public testing::TestWithParam<TSnippetCase> {};

TEST_P(PhpSnippet, GivesItsModel) {
  EXPECT_EQ(Analyse(GetParam().Php), GetParam().Model) << GetParam().Php;
}

INSTANTIATE_TEST_SUITE_P(Cases, PhpSnippet, testing::ValuesIn(kSnippetCases),
                         [](const testing::TestParamInfo<TSnippetCase>& info) {
                           return "case" + std::to_string(info.index);
                         });

TEST(PhpAnalyser, ClassesAndFunctionsAreListedSeparately) {
  TPHPAnalyser a;
  a.Analyse("<?php\nfunction f() {}\nclass f {}\nclass f { function g() {} }");
  ASSERT_EQ(a.Classes.size(), 1u) << "a class replaces an earlier class of the same name";
  EXPECT_EQ(a.Classes[0]->Methods.size(), 1u);
  EXPECT_EQ(a.Functions.size(), 1u);
  a.Analyse("");
  EXPECT_TRUE(a.Classes.empty());
  EXPECT_TRUE(a.Functions.empty()) << "each run starts afresh";
}

TEST(PhpAnalyser, MemberOffsetsPointAtTheirStatements) {
  const std::string text =
      "class A {\n  function m() {}\n  public $a = 1,\n    $b; public $c, $d;\n"
      "  public function __construct(private $p) {}\n}";
  TPHPAnalyser a;
  a.Analyse(text);
  ASSERT_EQ(a.Classes.size(), 1u);
  const TPHPClass& c = *a.Classes[0];
  EXPECT_EQ(c.Methods[0]->StartPos, 10) << "the first space of the member's line";
  ASSERT_EQ(c.Fields.size(), 5u);
  EXPECT_EQ(c.Fields[0]->StartPos, OffsetOf(text, "  public $a"));
  EXPECT_EQ(c.Fields[1]->StartPos, OffsetOf(text, "    $b")) << "a line of its own";
  EXPECT_EQ(c.Fields[2]->StartPos, OffsetOf(text, " public $c"));
  EXPECT_EQ(c.Fields[3]->StartPos, OffsetOf(text, " public $c")) << "shares the statement";
  EXPECT_EQ(c.Fields[3]->EndPos, OffsetOf(text, "d;"));
  EXPECT_EQ(c.Fields[4]->Name, "$p");
  EXPECT_EQ(c.Fields[4]->StartPos, OffsetOf(text, "private $p"));
  EXPECT_EQ(c.Fields[4]->EndPos, OffsetOf(text, "p) {}"));
  EXPECT_EQ(c.Fields[4]->Visibility, kPhpPrivate);
}

// A document of many thousand tokens: what the analyser has read is let go while it reads on,
// and runs of comments, modifiers and doc comments reach back across that.
TEST(PhpAnalyser, LargeDocumentsKeepEveryDeclaration) {
  std::string text = "<?php\n";
  constexpr int kClasses = 3000;
  for (int n = 0; n < kClasses; ++n) {
    const std::string id = std::to_string(n);
    for (int c = 0; c < 20; ++c) text += "// note\n";
    text += "/** Class " + id + ". */\nfinal\n#[A]\nclass C" + id +
            " extends B {\n  /** @var int */ private $a = " + id +
            ";\n  public function m(): int { return [1, (2)][0]; }\n}\nfunction f" + id + "() {}\n";
  }
  for (int c = 0; c < 100'000; ++c) text += "# spacer\n";
  text += "/** Last. */ abstract class Last { const K = 1; }";
  TPHPAnalyser a;
  a.Analyse(text);
  ASSERT_EQ(a.Classes.size(), kClasses + 1u);
  ASSERT_EQ(a.Functions.size(), static_cast<std::size_t>(kClasses));
  for (int n = 0; n < kClasses; n += 997) {
    const TPHPClass& c = *a.Classes[n];
    const std::string id = std::to_string(n);
    EXPECT_EQ(c.Name, "C" + id);
    EXPECT_EQ(c.ParentName, "B");
    EXPECT_EQ(c.Description, "Class " + id + ".");
    ASSERT_EQ(c.Fields.size(), 1u);
    EXPECT_EQ(c.Fields[0]->DefaultValue, id);
    EXPECT_EQ(c.Fields[0]->Visibility, kPhpPrivate);
    ASSERT_EQ(c.Methods.size(), 1u);
    EXPECT_EQ(c.Methods[0]->TypeName, "int");
    EXPECT_EQ(c.StartPos, OffsetOf(text, "{\n  /** @var int */ private $a = " + id + ";"));
    EXPECT_EQ(a.Functions[n]->Name, "f" + id);
  }
  const TPHPClass& last = *a.Classes.back();
  EXPECT_EQ(last.Name, "Last");
  EXPECT_TRUE(last.IsAbstract);
  EXPECT_EQ(last.Description, "Last.");
  ASSERT_EQ(last.Fields.size(), 1u);
  EXPECT_TRUE(last.Fields[0]->IsConst);
}

// Every name of a list spread over lines starts on its own line; those sharing a line start
// where the first of that line does.
TEST(PhpAnalyser, ListedMembersStartOnTheirOwnLines) {
  const struct {
    const char* Php;
    std::vector<const char*> Starts;  // where each field starts, as the text from there on
  } cases[] = {
      {"class K {\n  const A = 1, B = 2,\n    C = 3, D = 4;\n}",
       {"  const A", "  const A", "    C = 3", "    C = 3"}},
      {"class K {\n  public $a,\n    $b;\n}", {"  public $a", "    $b"}},
      {"class K {\n  public $a = [\n1], $b, $c;\n}", {"  public $a", "1], $b", "1], $b"}},
  };
  for (const auto& c : cases) {
    const std::string text = c.Php;
    TPHPAnalyser a;
    a.Analyse(text);
    ASSERT_EQ(a.Classes.size(), 1u) << text;
    ASSERT_EQ(a.Classes[0]->Fields.size(), c.Starts.size()) << text;
    for (std::size_t i = 0; i < c.Starts.size(); ++i)
      EXPECT_EQ(a.Classes[0]->Fields[i]->StartPos, OffsetOf(text, c.Starts[i]))
          << text << " field " << a.Classes[0]->Fields[i]->Name;
  }
}

TEST(PhpDocComments, TagValuesAndDescriptions) {
  EXPECT_EQ(PhpDocTag("/** @var int $count", "var"), "int");
  EXPECT_EQ(PhpDocTag("/** @var string ", "var"), "string");
  EXPECT_EQ(PhpDocTag("/**\n * @return\n * int", "return"), "");
  EXPECT_EQ(PhpDocTag("/** nothing", "var"), "");
  EXPECT_EQ(CleanPhpComment("/**\n * Returns the sum.\n * @return int\n "), "Returns the sum.");
  EXPECT_EQ(CleanPhpComment("/**\n * First line\n * second line.\n "), "First linesecond line.");
  EXPECT_EQ(CleanPhpComment("// a line comment"), "a line comment");
  EXPECT_EQ(CleanPhpComment("/* x */ tail"), "x");
  EXPECT_EQ(CleanPhpComment(""), "");
  EXPECT_EQ(PhpStatementStart("a;  b c", 5), 2u);
  EXPECT_EQ(PhpStatementStart("abc", 2), 0u);
  EXPECT_EQ(PhpStatementStart("a;b", 2), 2u);
}

TEST(PhpDocComments, NearestCommentWithOnlyBlankLinesBetween) {
  EXPECT_EQ(Analyse("/** Far. */\n\n\nfunction f() {}"), "f() \"Far.\"\n");
  EXPECT_EQ(Analyse("/** Gone. */ $x = 1;\nfunction f() {}"), "f()\n");
  EXPECT_EQ(Analyse("$s = 'a // b';\nfunction f() {}"), "f()\n")
      << "// inside a string is no comment";
  EXPECT_EQ(Analyse("/**\n * Lists.\n * See http://example.com/x\n */\nfunction f() {}"),
            "f() \"Lists.See http://example.com/x\"\n");
}

// Every offset lies within the text and every element ends at or after its start.
void ExpectOffsetsInside(const TPHPAnalyser& a, const std::string& text) {
  const int length = static_cast<int>(utf8::CountCharsTolerant(text));
  const auto check = [length](const TPHPStruct& e) {
    EXPECT_GE(e.StartPos, 0);
    EXPECT_LE(e.StartPos, length);
    EXPECT_GE(e.EndPos, 0);
    EXPECT_LT(e.EndPos, std::max(length, 1));
  };
  for (const auto& c : a.Classes) {
    check(*c);
    for (const auto& f : c->Fields) check(*f);
    for (const auto& m : c->Methods) check(*m);
  }
  for (const auto& f : a.Functions) check(*f);
}

TEST(PhpAnalyserBadInput, ReturnsWhatItFoundAndStaysInsideTheText) {
  const std::vector<std::string> texts = {
      "class A { function m() { if (1) { ",
      "class A { public $x = 'unterminated; function m() {} }",
      "class A { /* unterminated comment function m() {} }",
      "function f($a = array( { } class B {",
      "$h = <<<EOT\nno end class X {}",
      "class A { public function m(",
      "class A { public $x = ",
      "}}}}} function f() {} {{{{",
      "class",
      "function",
      "enum E:",
      "class A { const }",
      "class A { public function __construct(public",
      "#[",
      "\"{$",
      "<?php",
      "<?php ?>",
  };
  for (const auto& text : texts) {
    TPHPAnalyser a;
    a.Analyse(text);
    ExpectOffsetsInside(a, text);
  }
  TPHPAnalyser a;
  a.Analyse("class A { function m() { if (1) { ");
  ASSERT_EQ(a.Classes.size(), 1u);
  EXPECT_EQ(a.Classes[0]->Methods.size(), 1u) << "an unclosed body runs to the end";
  EXPECT_EQ(Analyse("function f($a = array( { } class B {"), "class B\nf($a = array( )\n")
      << "unbalanced parameters end where the body begins";
}

TEST(PhpAnalyserBadInput, RandomBytes) {
  std::mt19937 random(19);
  const std::string alphabet = "{}()[];$\"'`#/*?<>=:,\\\n\r\t abcfunctionclass\x01\xC3\xA9\xFF";
  for (int round = 0; round < 200; ++round) {
    std::string text(1 + random() % 400, ' ');
    for (char& c : text) {
      c = (round % 2) ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
    }
    TPHPAnalyser a;
    a.Analyse(text);
    ExpectOffsetsInside(a, text);
  }
}

TEST(PhpAnalyserBadInput, DeepNestingAndLongLines) {
  std::string closures;
  for (int i = 0; i < 20000; ++i) closures += "$f = function() { ";
  closures += "function inner() {}";
  EXPECT_EQ(Analyse("<?php function outer() { " + closures), "outer()\n");
  EXPECT_EQ(Analyse(closures + "\nfunction g() {}"), "");

  std::string strings = "<?php $s = ";
  for (int i = 0; i < 5000; ++i) strings += "\"{$a[";
  EXPECT_EQ(Analyse(strings + "\nfunction f() {}"), "");

  std::string line = "<?php ";
  for (int i = 0; i < 60000; ++i)
    line += "function f" + std::to_string(i % 7) + "($x) { return 1; } ";
  TPHPAnalyser a;
  a.Analyse(line);
  EXPECT_EQ(a.Functions.size(), 7u);
  std::string words(10'000'000, 'x');  // a 10 MB line
  for (std::size_t i = 0; i < words.size(); i += 9) words.replace(i, 9, "function ");
  a.Analyse(words);
  EXPECT_TRUE(a.Functions.empty());
}

}  // namespace
}  // namespace tervil
