#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/app/ShellCommands.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

TEST(OnlinePageUrl, IsThePageOnTheMakersSiteAndNothingWithoutAnHttpAddress) {
  const struct {
    const char* server;
    const char* url;
  } cases[] = {
      {"https://example.org", "https://example.org/qendra.php?id=1"},
      {"http://example.org/", "http://example.org/qendra.php?id=1"},
      {"", ""},
      {"ftp://example.org", ""},
      {"javascript:alert(1)", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(OnlinePageUrl(c.server), c.url) << c.server;
}

TEST(PhpManualPage, NamesTheFunctionPageWithHyphensWhenItIsInstalled) {
  test::TTempDir dir;
  std::ofstream(dir.File("function.str-replace.html")) << "<html></html>";
  std::ofstream(dir.File("function.strlen.html")) << "<html></html>";
  const struct {
    const char* word;
    bool found;
    const char* page;
  } cases[] = {
      {"str_replace", true, "function.str-replace.html"},
      {"strlen", true, "function.strlen.html"},
      {"array_map", false, ""},  // no such page installed
      {"", false, ""},
      {"..", false, ""},
      {"a/b", false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PhpManualPage(dir.Path(), c.word), c.found ? dir.File(c.page) : "") << c.word;
  EXPECT_EQ(PhpManualPage(dir.File("missing"), "strlen"), "");
}

TEST(ParseLineNumber, TakesDecimalNumbersAndReportsAnythingElse) {
  const struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"12", true, 12},  {" 7 ", true, 7},  {"+3", true, 3},           {"-2", true, -2},
      {"0", true, 0},    {"", false, 0},    {"abc", false, 0},         {"12a", false, 0},
      {"1.5", false, 0}, {"++1", false, 0}, {"99999999999", false, 0}, {"+", false, 0},
  };
  for (const auto& c : cases) {
    std::string error;
    const std::optional<int> line = ParseLineNumber(c.text, error);
    ASSERT_EQ(line.has_value(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(*line, c.value) << c.text;
      EXPECT_EQ(error, "");
    } else {
      EXPECT_EQ(error, std::string("'") + c.text + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace tervil
