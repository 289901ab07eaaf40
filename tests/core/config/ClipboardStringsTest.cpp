// The clipboard history's list rules: order, duplicates without regard to case, the limit, the
// list lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/ClipboardStrings.h"

namespace tervil {
namespace {

// One step on the history: 'I' inserts at `index`, 'A' appends, 'T' takes `index` to the top.
struct TStep {
  char op;
  std::size_t index;
  std::string text;
};

struct TCase {
  const char* name;
  int maxCount;
  std::vector<TStep> steps;
  std::vector<std::string> expected;
};

std::string Joined(const TClipboardStrings& list) {
  std::string out;
  for (const std::string& entry : list.Entries()) out += (out.empty() ? "" : "|") + entry;
  return out;
}

TEST(ClipboardStrings, ListRules) {
  const TCase cases[] = {
      {"newest first", 96, {{'I', 0, "a"}, {'I', 0, "b"}, {'I', 0, "c"}}, {"c", "b", "a"}},
      {"same text ignoring case moves up with its own letters",
       96,
       {{'I', 0, "Foo"}, {'I', 0, "bar"}, {'I', 0, "foo"}},
       {"Foo", "bar"}},
      {"non-ASCII letters compare without case",
       96,
       {{'I', 0, "Ärger"}, {'I', 0, "x"}, {'I', 0, "ärger"}},
       {"Ärger", "x"}},
      {"a longer text is no duplicate", 96, {{'I', 0, "ab"}, {'I', 0, "abc"}}, {"abc", "ab"}},
      {"insert beyond the end appends", 96, {{'I', 0, "a"}, {'I', 7, "b"}}, {"a", "b"}},
      {"duplicate moved to a middle index",
       96,
       {{'A', 0, "a"}, {'A', 0, "b"}, {'A', 0, "c"}, {'I', 1, "C"}},
       {"a", "c", "b"}},
      {"the limit drops the oldest", 2, {{'I', 0, "a"}, {'I', 0, "b"}, {'I', 0, "c"}}, {"c", "b"}},
      {"a full list drops an appended text",
       2,
       {{'A', 0, "a"}, {'A', 0, "b"}, {'A', 0, "c"}},
       {"a", "b"}},
      {"no limit at 0", 0, {{'A', 0, "a"}, {'A', 0, "b"}, {'A', 0, "c"}}, {"a", "b", "c"}},
      {"take to top",
       96,
       {{'A', 0, "a"}, {'A', 0, "b"}, {'A', 0, "c"}, {'T', 2, ""}},
       {"c", "a", "b"}},
      {"take out of range changes nothing", 96, {{'A', 0, "a"}, {'T', 3, ""}}, {"a"}},
  };
  for (const TCase& c : cases) {
    TClipboardStrings list(c.maxCount);
    for (const TStep& step : c.steps) {
      if (step.op == 'I') list.Insert(step.index, step.text);
      if (step.op == 'A') list.Add(step.text);
      if (step.op == 'T') list.TakeToTop(step.index);
    }
    TClipboardStrings expected(0);
    for (const std::string& e : c.expected) expected.Add(e);
    EXPECT_EQ(Joined(list), Joined(expected)) << c.name;
  }
}

TEST(ClipboardStrings, TheNinetySeventhCopyPushesTheOldestOut) {
  TClipboardStrings list;
  for (int k = 1; k <= 97; ++k) list.Insert(0, "copy " + std::to_string(k));
  ASSERT_EQ(list.Count(), 96u);
  EXPECT_EQ(list[0], "copy 97");
  EXPECT_EQ(list[95], "copy 2");
  EXPECT_EQ(list.IndexOf("COPY 1"), -1);
  EXPECT_EQ(list.TakeToTop(95), "copy 2");
  EXPECT_EQ(list[0], "copy 2");
}

TEST(ClipboardStrings, ListLines) {
  const std::string long600(600, 'x');
  const std::string wide(600, ' ');
  std::string umlauts;
  for (int k = 0; k < 600; ++k) umlauts += "ü";
  struct {
    std::string text;
    std::string line;
  } const cases[] = {
      {"short", "short"},
      {"a   b\n\n  c\r\nd", "a b cd"},  // line breaks vanish
      {long600, std::string(512, 'x') + "..."},
      {std::string(512, 'y'), std::string(512, 'y')},
      {umlauts, umlauts.substr(0, 1024) + "..."},  // characters, not bytes
      {"a" + wide + "b", "a b"},
      {std::string(20000, '\n') + "tail", "tail"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TClipboardStrings::ListLine(c.text), c.line) << c.text.substr(0, 20);
}

TEST(ClipboardStrings, WindowPlacement) {
  const TScreenRect screen{0, 0, 1920, 1080};
  const TScreenRect work{0, 0, 1920, 1040};
  struct {
    TScreenPoint at;
    TScreenPoint mainTopLeft;
    TScreenPoint expected;
  } const cases[] = {
      {{100, 200}, {0, 0}, {100, 200}},         // fits: at the caret
      {{1800, 200}, {0, 0}, {1520, 200}},       // past the right edge
      {{100, 900}, {0, 0}, {100, 740}},         // past the work area's bottom
      {{1800, 900}, {0, 0}, {1520, 740}},       // both
      {{1800, 900}, {1600, 800}, {1600, 800}},  // never above or left of the main window
      {{10, 20}, {50, 60}, {50, 60}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ClipboardWindowPos(c.at, 400, 300, screen, work, c.mainTopLeft), c.expected)
        << c.at.X << "," << c.at.Y;
}

}  // namespace
}  // namespace tervil
