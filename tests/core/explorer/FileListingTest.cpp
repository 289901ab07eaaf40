#include <gtest/gtest.h>

#include <algorithm>

#include "core/explorer/FileListing.h"
#include "core/explorer/TempFolder.h"

namespace tervil::explorer {
namespace {

using testing::TTempFolder;
namespace fs = std::filesystem;

TFileEntry File(const std::string& name, std::uint64_t size, std::time_t time = 0) {
  TFileEntry e;
  e.Name = name;
  e.Size = size;
  e.Modified = time;
  return e;
}

TFileEntry Dir(const std::string& name, std::time_t time = 0) {
  TFileEntry e = File(name, 0, time);
  e.IsDir = true;
  return e;
}

std::vector<std::string> Names(const std::vector<TFileEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.Name);
  return names;
}

TEST(FileSizeText, ShowsWholeKilobytesAndMegabytes) {
  const std::pair<std::uint64_t, const char*> cases[] = {{0, "1 KB"},
                                                         {1023, "1 KB"},
                                                         {1229, "1 KB"},
                                                         {1800, "2 KB"},
                                                         {1024 * 1023, "1,023 KB"},
                                                         {1048575, "1,024 KB"},
                                                         {5242880, "5 MB"},
                                                         {1048576ull * 2500, "2,500 MB"}};
  for (const auto& [size, text] : cases) EXPECT_EQ(FileSizeText(size), text) << size;
  EXPECT_EQ(FileSizeText(1024 * 1000, "\xC2\xA0"),
            "1\xC2\xA0"
            "000 KB");
}

TEST(FileSizeText, ReadsBackAtTheShownPrecision) {
  EXPECT_EQ(SizeFromText("1,500 KB"), 1500u * 1024);
  EXPECT_EQ(SizeFromText("5 MB"), 5u * 1048576);
  EXPECT_EQ(SizeFromText(""), 0u);
}

TEST(SortEntries, NameKeepsUpAndFoldersFirstInBothDirections) {
  std::vector<TFileEntry> entries = {File("b.php", 1), Dir("zeta"), File("A.css", 1), Dir(".."),
                                     Dir("alpha")};
  SortEntries(entries, TSortColumn::Name, 1);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"..", "alpha", "zeta", "A.css", "b.php"}));
  SortEntries(entries, TSortColumn::Name, -1);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"..", "zeta", "alpha", "b.php", "A.css"}));
}

TEST(SortEntries, SizeComparesShownTextsAndDateKeepsFoldersFirst) {
  EXPECT_FALSE(EntryBefore(File("a", 1229), File("b", 1434), TSortColumn::Size, 1));
  EXPECT_FALSE(EntryBefore(File("b", 1434), File("a", 1229), TSortColumn::Size, 1));
  EXPECT_TRUE(EntryBefore(Dir("d"), File("a", 5), TSortColumn::Size, 1));
  EXPECT_TRUE(EntryBefore(File("a", 5000), File("b", 5), TSortColumn::Size, -1));
  std::vector<TFileEntry> entries = {File("old", 1, 100), File("new", 1, 200), Dir("d", 300)};
  SortEntries(entries, TSortColumn::Date, -1);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"d", "new", "old"}));
}

TEST(MatchesMask, UsesWildcards) {
  EXPECT_TRUE(MatchesMask("index.php", "*.php"));
  EXPECT_TRUE(MatchesMask("a1.txt", "a?.txt"));
  EXPECT_FALSE(MatchesMask("index.phps", "*.php"));
  EXPECT_FALSE(MatchesMask(".hidden.php", "*.php"));
}

TEST(IsLeftoverName, BackupsAndEditorLeftovers) {
  EXPECT_TRUE(IsLeftoverName("page.php.tvl0"));
  EXPECT_TRUE(IsLeftoverName("page.bak"));
  EXPECT_TRUE(IsLeftoverName("page.~php"));
  EXPECT_FALSE(IsLeftoverName("page.BAK"));
  EXPECT_FALSE(IsLeftoverName("page.php"));
}

TEST(ListFolder, ListsUpFoldersFilesAndOddNames) {
  TTempFolder tmp;
  tmp.Write("a.php", "12345");
  tmp.Write(".hidden", "");
  tmp.Write("line\nbreak.txt", "");
  tmp.Write("bad\xff\xfe.txt", "");
  fs::create_directory(tmp.Path() / "sub");
  TListing listing = ListFolder(tmp.Path().string(), false);
  ASSERT_TRUE(listing.Error.empty());
  auto names = Names(listing.Entries);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"..", "a.php", "bad\xff\xfe.txt", "line\nbreak.txt", "sub"}));
  const auto file = std::find_if(listing.Entries.begin(), listing.Entries.end(),
                                 [](const TFileEntry& e) { return e.Name == "a.php"; });
  EXPECT_EQ(file->Size, 5u);
  EXPECT_FALSE(file->IsDir);
  EXPECT_EQ(ListFolder(tmp.Path().string(), true).Entries.size(), 6u);
}

TEST(ListFolder, RootHasNoUpAndErrorsAreReported) {
  const auto root = Names(ListFolder("/", false).Entries);
  EXPECT_EQ(std::count(root.begin(), root.end(), ".."), 0);
  TTempFolder tmp;
  EXPECT_FALSE(ListFolder(tmp / "missing", false).Error.empty());
}

}  // namespace
}  // namespace tervil::explorer
