#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>

#include "core/app/ReferenceData.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

const std::string kData = TERVIL_SOURCE_DIR "/data";

TEST(ReferenceData, ShippedFilesLoadParallelAndComplete) {
  std::vector<std::string> errors;
  const TCompletionLists lists = LoadCompletionLists(kData, errors);
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_GT(lists.LookupList.size(), 1000u);
  EXPECT_EQ(lists.ParamList.size(), lists.LookupList.size());
  EXPECT_EQ(lists.FullList.size(), lists.LookupList.size());
  EXPECT_EQ(lists.FunctionList.size(), lists.LookupList.size());
  const int strlen = lists.Lookup.Find("STRLEN");
  ASSERT_GE(strlen, 0);
  EXPECT_EQ(lists.ParamList[strlen], "string $string");
  EXPECT_EQ(DescriptionLines(lists.FullList[strlen]).first, "strlen(string $string): int");
  EXPECT_GE(lists.Lookup.Find("mysqli_query"), 0);  // kept beside the reflected functions
  EXPECT_FALSE(lists.AutoCompleteList.empty());
  EXPECT_FALSE(lists.AutoCorrectList.empty());
  // The web platform's objects with inheritance, and the language's built-in objects.
  for (const char* name : {"Document", "HTMLInputElement", "Window", "Math", "JSON", "Array",
                           "String", "Promise", "console"}) {
    EXPECT_NE(lists.JSObjects->Find(name), nullptr) << name;
  }
}

struct BadCase {
  const char* name;
  const char* file;
  std::string content;
  const char* message;  // a part of the one message
  std::size_t functions;
};

void PrintTo(const BadCase& c, std::ostream* os) {
  *os << c.name;
}

class BadReferenceFile : public ::testing::TestWithParam<BadCase> {};

// A broken file costs the aid concerned its entries (or some of them) and one message naming it.
TEST_P(BadReferenceFile, GivesOneMessageNamingTheFile) {
  const BadCase& c = GetParam();
  test::TTempDir dir;
  for (const char* name : {"phpfuncn.tvd", "phpfuncp.tvd", "phpfuncf.tvd", "phpfuncm.tvd"})
    std::ofstream(dir.File(name)) << "a\nb\nc\n";
  for (const char* name : {"autocomplete.tvd", "autocorrect.tvd", "js.tvd"})
    std::ofstream(dir.File(name)) << "\n";
  if (c.content == "<missing>") {
    std::remove(dir.File(c.file).c_str());
  } else {
    std::ofstream(dir.File(c.file), std::ios::binary) << c.content;
  }
  std::vector<std::string> errors;
  const TCompletionLists lists = LoadCompletionLists(dir.Path(), errors);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(c.file), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find(c.message), std::string::npos) << errors[0];
  EXPECT_EQ(lists.LookupList.size(), c.functions);
  EXPECT_EQ(lists.ParamList.size(), c.functions);
  EXPECT_EQ(lists.FunctionList.size(), c.functions);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadReferenceFile,
    ::testing::Values(
        BadCase{"Missing", "phpfuncp.tvd", "<missing>", "Cannot open", 0},
        BadCase{"Empty", "phpfuncf.tvd", "", "lines but", 0},
        BadCase{"NotParallel", "phpfuncm.tvd", "a\nb\n", "has 2 lines", 2},
        BadCase{"LongLines", "phpfuncp.tvd", std::string(100000, 'x') + "\nb\nc\n", "were cut", 3},
        BadCase{"Binary", "phpfuncn.tvd", std::string("a\0b\nc\n", 6), "not a text file", 0},
        BadCase{"BinaryJs", "js.tvd", std::string("\x01\x02<object", 9), "not a text file", 3}));

// Every function that the installed interpreter reports for the listed extensions is in the
// lists, with as many parameters as its reflection gives.
TEST(ReferenceData, FunctionListsMatchTheInstalledInterpreter) {
  if (access("/usr/bin/php", X_OK) != 0) GTEST_SKIP() << "no PHP interpreter";
  test::TTempDir dir;
  std::ofstream(dir.File("list.php")) <<  // the temporary stream is flushed at the ";"
      "<?php $want = [];"
      "foreach (file('" TERVIL_SOURCE_DIR
      "/scripts/data/php-extensions.txt') as $l) {"
      "  $l = trim($l); if ($l !== '' && $l[0] !== '#') $want[strtolower($l)] = 1; }"
      "foreach (get_loaded_extensions() as $e) { if (!isset($want[strtolower($e)])) continue;"
      "  foreach ((new ReflectionExtension($e))->getFunctions() as $f)"
      "    echo $f->getName(), ' ', $f->getNumberOfParameters(), \"\\n\"; }";
  FILE* pipe = popen(("/usr/bin/php " + dir.File("list.php") + " 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::map<std::string, std::size_t> reported;
  char name[512];
  std::size_t count = 0;
  while (std::fscanf(pipe, "%511s %zu", name, &count) == 2) reported[name] = count;
  pclose(pipe);
  ASSERT_GT(reported.size(), 500u);

  std::vector<std::string> errors;
  const TCompletionLists lists = LoadCompletionLists(kData, errors);
  for (const auto& [function, parameters] : reported) {
    const int index = lists.Lookup.Find(function);
    ASSERT_GE(index, 0) << function << " is missing";
    EXPECT_EQ(lists.LookupList[index], function);
    EXPECT_EQ(SplitParameters(lists.ParamList[index]).size(), parameters) << function;
  }
}

}  // namespace
}  // namespace tervil
