#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/search/ReplaceDefinitions.h"

namespace tervil {
namespace {

namespace fs = std::filesystem;

struct ParseCase {
  const char* name;
  std::string text;
  std::vector<TReplacePair> pairs;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << c.name;
}

class DefinitionLines : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DefinitionLines, SplitAtTheFirstBar) {
  EXPECT_EQ(ParseReplaceDefinitions(GetParam().text), GetParam().pairs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DefinitionLines,
    ::testing::Values(ParseCase{"pairs_in_order", "a|b\nb|c\n", {{"a", "b"}, {"b", "c"}}},
                      ParseCase{"later_bars_belong_to_the_replacement", "x|y|z", {{"x", "y|z"}}},
                      ParseCase{"line_without_bar_has_empty_search",
                                "plain\n|gone",
                                {{"", "plain"}, {"", "gone"}}},
                      ParseCase{"empty_replacement", "&nbsp;|", {{"&nbsp;", ""}}},
                      ParseCase{"every_line_break",
                                "a|1\r\nb|2\rc|3\n\nd|4",
                                {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"", ""}, {"d", "4"}}},
                      ParseCase{"empty_file", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefinitionFile, BinaryMissingAndUnreadableFilesAreErrors) {
  EXPECT_THROW(ParseReplaceDefinitions(std::string("a|b\0c", 5)), TDefinitionFileError);
  try {
    ReadReplaceDefinitions("/nonexistent/format/html.txt");
    FAIL() << "no error";
  } catch (const TDefinitionFileError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/format/html.txt"), std::string::npos);
  }
}

TEST(DefinitionFile, UserFilesComeFirstAndHideProgramFilesOfTheSameName) {
  const fs::path root =
      fs::path(std::getenv("TERVIL_TEST_TMP") ? std::getenv("TERVIL_TEST_TMP") : "/tmp") /
      "replace-definitions";
  fs::remove_all(root);
  fs::create_directories(root / "user");
  fs::create_directories(root / "program" / "subfolder");
  for (const char* name : {"user/quotes.txt", "user/mine.txt", "program/quotes.txt",
                           "program/entities.txt", "program/cleanup.txt"})
    std::ofstream(root / name) << "a|b\n";
  const auto files = ListReplaceDefinitions(
      {(root / "user").string(), (root / "program").string(), (root / "missing").string()});
  std::vector<std::string> names;
  for (const auto& f : files) names.push_back(f.Name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"mine.txt", "quotes.txt", "cleanup.txt", "entities.txt"}));
  ASSERT_NE(FindReplaceDefinition(files, "quotes.txt"), nullptr);
  EXPECT_EQ(FindReplaceDefinition(files, "quotes.txt")->Path, (root / "user/quotes.txt").string());
  EXPECT_EQ(FindReplaceDefinition(files, "subfolder"), nullptr);
  EXPECT_EQ(ReadReplaceDefinitions(FindReplaceDefinition(files, "mine.txt")->Path),
            (std::vector<TReplacePair>{{"a", "b"}}));
  fs::remove_all(root);
}

}  // namespace
}  // namespace tervil
