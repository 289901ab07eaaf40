#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/process/CommandLine.h"

namespace tervil {
namespace {

using TWords = std::vector<std::string>;

TEST(CommandLine, SplitsLikeAShellWithoutExpanding) {
  struct TCase {
    std::string line;
    TWords words;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"php -d a=1  file.php ", {"php", "-d", "a=1", "file.php"}},
      {"\"/opt/my php/php\" -q", {"/opt/my php/php", "-q"}},
      {"a 'b c' \"d e\"", {"a", "b c", "d e"}},
      {"x\"y z\"w", {"xy zw"}},
      {"\"a \\\"q\\\" \\\\ \\$HOME \\n\"", {"a \"q\" \\ $HOME \\n"}},
      {"'$(rm -rf /)' `id` $HOME ; | > *", {"$(rm -rf /)", "`id`", "$HOME", ";", "|", ">", "*"}},
      {"a\\ b c", {"a b", "c"}},
      {"\"\" ''", {"", ""}},
      {"\"unterminated text", {"unterminated text"}},
      {"tab\tseparated\r\nwords", {"tab", "separated", "words"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST(CommandLine, QuotedArgumentsComeBackUnchanged) {
  for (const std::string argument :
       {"plain", "with blank", "a;rm -rf x.php", "quote\"in", "back\\slash", "$HOME `id`", "don't",
        "", "Ärger ünd Öl.php", "tail\\"}) {
    const std::string line = "prog " + QuoteArgument(argument) + " last";
    EXPECT_EQ(SplitCommandLine(line), (TWords{"prog", argument, "last"})) << argument;
  }
}

TEST(CommandLine, FindsProgramsOnThePath) {
  const auto sh = FindOnPath("sh");
  ASSERT_TRUE(sh);
  EXPECT_EQ(sh->front(), '/');
  EXPECT_EQ(FindOnPath(*sh), sh);
  EXPECT_FALSE(FindOnPath("no-such-program-tervil"));
  EXPECT_FALSE(FindOnPath("/etc/passwd"));  // not executable
  EXPECT_FALSE(FindOnPath(""));
}

}  // namespace
}  // namespace tervil
