#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editor/TagMatching.h"

namespace tervil {
namespace {

TTagText TextOf(const std::vector<std::string>& lines, int stringLine = 0) {
  TTagText text;
  text.LineCount = [&lines] { return static_cast<int>(lines.size()); };
  text.Line = [&lines](int index) { return lines.at(static_cast<std::size_t>(index)); };
  text.InStringOrComment = [stringLine](TBufferPos pos) { return pos.Line == stringLine; };
  return text;
}

struct MatchCase {
  std::vector<std::string> lines;
  TBufferPos caret;
  TBufferPos match;
  int stringLine = 0;  // a line whose text counts as string or comment
};

class MatchingTag : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchingTag, FindsThePartner) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(FindMatchingTag(TextOf(c.lines, c.stringLine), c.caret), c.match);
}

INSTANTIATE_TEST_SUITE_P(Cases, MatchingTag,
                         testing::Values(MatchCase{{"<div><div></div></div>"}, {3, 1}, {19, 1}},
                                         MatchCase{{"<div><div></div></div>"}, {19, 1}, {2, 1}},
                                         MatchCase{{"<div><div></div></div>"}, {8, 1}, {13, 1}},
                                         MatchCase{{"<p>", " <b>x</b>", "</p>"}, {2, 1}, {3, 3}},
                                         MatchCase{{"<p>", " <b>x</b>", "</p>"}, {4, 3}, {2, 1}},
                                         MatchCase{{"</p>"}, {3, 1}, {0, 0}},
                                         MatchCase{{"<p>"}, {2, 1}, {0, 0}},
                                         MatchCase{{"<p>", "'</p>'", "</p>"}, {2, 1}, {3, 3}, 2},
                                         MatchCase{{"<pre></p>"}, {2, 1}, {0, 0}},
                                         MatchCase{{"text"}, {2, 1}, {0, 0}},
                                         MatchCase{{"<DIV></div>"}, {2, 1}, {0, 0}},
                                         MatchCase{{"<p>"}, {2, 9}, {0, 0}}));

TEST(MatchingTag, StopsAfterTheScanLimit) {
  std::vector<std::string> lines(1000, std::string(1000, 'x'));
  lines.front() = "<p>";
  lines.back() = "</p>";
  EXPECT_EQ(FindMatchingTag(TextOf(lines), {2, 1}), (TBufferPos{0, 0}));
  lines.resize(100);
  lines.back() = "</p>";
  EXPECT_EQ(FindMatchingTag(TextOf(lines), {2, 1}), (TBufferPos{3, 100}));
}

TEST(MatchingTag, StopsAfterCountingTooManyTagsOfTheName) {
  std::vector<std::string> lines{"<p>"};
  for (int i = 0; i < kTagCountLimit / 2 - 1; ++i) lines.push_back("<p></p>");
  lines.push_back("</p>");
  EXPECT_EQ(FindMatchingTag(TextOf(lines), {2, 1}),
            (TBufferPos{3, static_cast<int>(lines.size())}));
  lines.insert(lines.begin() + 1, "<p></p>");
  EXPECT_EQ(FindMatchingTag(TextOf(lines), {2, 1}), (TBufferPos{0, 0}));
}

}  // namespace
}  // namespace tervil
