#include <gtest/gtest.h>

#include <fstream>

#include "core/app/ReferenceData.h"
#include "core/common/Paths.h"
#include "core/common/TextFile.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

TEST(Paths, MakeAbsolute) {
  struct Case {
    const char* path;
    const char* base;
    const char* expected;
  } cases[] = {
      {"a.php", "/home/ann", "/home/ann/a.php"},
      {"../b/c.html", "/home/ann/site", "/home/ann/b/c.html"},
      {"./x//y.css", "/w", "/w/x/y.css"},
      {"/etc/hosts", "/home/ann", "/etc/hosts"},
      {"../../..", "/a", "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeAbsolute(c.path, c.base), c.expected) << c.path;
}

TEST(Paths, DeleteFilesInLeavesFolders) {
  test::TTempDir dir;
  std::ofstream(dir.File("a.tvl1")) << "x";
  std::ofstream(dir.File("b")) << "y";
  EnsureDirectory(dir.File("sub"), 0700);
  std::ofstream(dir.File("sub/keep")) << "z";
  EXPECT_EQ(DeleteFilesIn(dir.Path()), 2);
  EXPECT_TRUE(FileExists(dir.File("sub/keep")));
}

TEST(ReferenceData, LineListsSplitAtEveryLineBreakStyle) {
  test::TTempDir dir;
  std::ofstream(dir.File("l.tvd"), std::ios::binary) << "a\r\nb\nc\rd\n";
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadLineList(dir.File("l.tvd"), lines, nullptr));
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(ReferenceData, MissingFilesAreReportedAndEntitiesPairByIndex) {
  test::TTempDir dir;
  std::ofstream(dir.File("entities.tvd")) << "&amp;\n&lt;\n";
  std::ofstream(dir.File("entities_captions.tvd")) << "Ampersand\nLess than\nGreater than\n";
  std::vector<std::string> errors;
  auto items = LoadEntityItems(dir.Path(), errors);
  EXPECT_TRUE(errors.empty());
  // A captions file longer than the entities file: the unmatched caption is left out.
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].caption, "Less than");
  EXPECT_EQ(items[1].text, "&lt;");

  LoadCompletionLists(dir.Path(), errors);
  ASSERT_EQ(errors.size(), 7u);  // the six completion files and js.tvd
  EXPECT_EQ(errors[0],
            "Cannot open file \"" + dir.File("phpfuncn.tvd") + "\". No such file or directory");
}

}  // namespace
}  // namespace tervil
