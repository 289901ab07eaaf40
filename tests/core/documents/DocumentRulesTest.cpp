#include <gtest/gtest.h>

#include "core/documents/DocumentRules.h"

namespace tervil {
namespace {

TEST(DocumentRules, FiltersAndSaveAsChoices) {
  auto filters = DocumentFileFilters("*.php; *.htm|*.html");
  ASSERT_EQ(filters.size(), 15u);
  EXPECT_EQ(filters[0].patterns, "*.php; *.htm*.html");
  EXPECT_EQ(QtNameFilter(filters[10]), "C files (*.c *.h *.cpp)");
  EXPECT_EQ(QtNameFilter(filters[14]), "All files (*.*) (*)");
  struct Case {
    const char* ext;
    int filter;
  } cases[] = {{"php", 1}, {"PHTML", 1}, {"css", 3}, {"cgi", 5}, {"h", 10}, {"zip", -1}, {"", -1}};
  for (const auto& c : cases) EXPECT_EQ(PreselectedFilter(filters, c.ext), c.filter) << c.ext;
  EXPECT_EQ(ExtensionForFilter(3), ".css");
  EXPECT_EQ(ExtensionForFilter(8), ".txt");
  EXPECT_EQ(ExtensionForFilter(0), "");
  EXPECT_EQ(ExtensionForFilter(9), "");
}

TEST(DocumentRules, NewDocumentsTakeTheFirstFreeNumber) {
  EXPECT_EQ(NextUnnamedName("Unnamed", {"Start", "Start"}), "Unnamed 1");
  EXPECT_EQ(NextUnnamedName("Unnamed", {"Start", "Unnamed 1", "Unnamed 3"}), "Unnamed 2");
}

TEST(DocumentRules, RecentMenuShowsAtMost16LiveEntries) {
  std::vector<TRecentFile> records;
  for (int i = 0; i < 96; ++i)
    records.push_back({0, 0, 1, "/f" + std::to_string(i), "", "", false});
  auto exists = [](const std::string& p) { return p != "/f1"; };
  auto open = [](const std::string& p) { return p == "/f2"; };
  auto paths = RecentMenuPaths(records, exists, open);
  ASSERT_EQ(paths.size(), 14u);
  EXPECT_EQ(paths.front(), "/f0");
  EXPECT_EQ(paths.back(), "/f15");
}

TEST(DocumentRules, ReopenFlagsAreSetAtExitAndTakenAtStart) {
  std::vector<TRecentFile> records = {{0, 0, 1, "/a", "", "", false},
                                      {0, 0, 1, "/B", "", "", false},
                                      {0, 0, 1, "/c", "", "", false}};
  MarkReopenFiles(records, {"/c", "/a", "/b"});
  auto reopen = TakeReopenFiles(records);
  ASSERT_EQ(reopen.size(), 2u);
  EXPECT_EQ(reopen[0].fileName, "/a");
  EXPECT_EQ(reopen[1].fileName, "/c");
  for (const auto& r : records) EXPECT_FALSE(r.reopen);
}

}  // namespace
}  // namespace tervil
