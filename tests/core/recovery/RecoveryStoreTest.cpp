#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <fstream>

#include "core/recovery/JournalWriter.h"
#include "core/recovery/RecoveryStore.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

TEST(RunFolder, LiveRunsKeepTheirFoldersAndOnlyOneStartClaimsAnEndedRun) {
  test::TTempDir dir;
  const std::string root = dir.File("recovery");
  std::string error;
  TRunFolder first = TRunFolder::Create(root, &error);
  TRunFolder second = TRunFolder::Create(root, &error);
  ASSERT_TRUE(first.Valid()) << error;
  ASSERT_TRUE(second.Valid()) << error;
  EXPECT_NE(first.Path(), second.Path());
  struct stat st {};
  ASSERT_EQ(::stat(root.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  {
    TJournalWriter writer(first.Path(), 1);
    writer.Snapshot(1, {}, "text");
  }
  EXPECT_TRUE(ClaimEndedRuns(root).empty());  // both runs live

  const std::string path = first.Path();
  first.Release();  // the run ended without cleaning up (killed)
  std::vector<TRunFolder> claimed = ClaimEndedRuns(root);
  ASSERT_EQ(claimed.size(), 1u);
  EXPECT_EQ(claimed[0].Path(), path);
  EXPECT_TRUE(ClaimEndedRuns(root).empty());  // a second start at once gets nothing

  claimed[0].Remove();
  EXPECT_FALSE(std::ifstream(path + "/run.lock").good());
  EXPECT_TRUE(ClaimEndedRuns(root).empty());
}

TEST(RunFolder, EndedRunWithoutJournalsIsCleanedUp) {
  test::TTempDir dir;
  std::string error;
  std::string path;
  {
    TRunFolder run = TRunFolder::Create(dir.Path(), &error);
    path = run.Path();
  }
  EXPECT_TRUE(ClaimEndedRuns(dir.Path()).empty());
  EXPECT_FALSE(std::ifstream(path + "/run.lock").good());
}

TEST(RunFolder, UnknownJournalsAreKept) {
  test::TTempDir dir;
  std::string error;
  std::string path;
  {
    TRunFolder run = TRunFolder::Create(dir.Path(), &error);
    path = run.Path();
    std::ofstream(path + "/page-1.tvj") << std::string("TVLJRNL\n\x09\0\0\0", 12);
  }
  std::vector<TRunFolder> runs = ClaimEndedRuns(dir.Path());
  ASSERT_EQ(runs.size(), 1u);
  const auto pages = ReadRecoverablePages(runs);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].contents.state, TJournalContents::State::UnknownFormat);
  runs[0].Remove({pages[0].journal});
  EXPECT_TRUE(std::ifstream(path + "/page-1.tvj").good());
}

TEST(RecoverablePages, FileChangedSinceReadIsFlagged) {
  test::TTempDir dir;
  const std::string file = dir.File("a.html");
  std::ofstream(file) << "<p>old</p>";
  struct stat st {};
  ::stat(file.c_str(), &st);
  TJournalIdentity id;
  id.name = file;
  id.named = true;
  id.fileSize = st.st_size;
  id.fileTime = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  std::string error;
  {
    TRunFolder run = TRunFolder::Create(dir.File("rec"), &error);
    TJournalWriter writer(run.Path(), 1);
    writer.Snapshot(1, id, "<p>new</p>");
  }
  {
    auto runs = ClaimEndedRuns(dir.File("rec"));
    auto pages = ReadRecoverablePages(runs);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_FALSE(pages[0].fileChanged);
    EXPECT_EQ(pages[0].contents.text, "<p>new</p>");
  }
  std::ofstream(file) << "<p>changed elsewhere</p>";
  auto runs = ClaimEndedRuns(dir.File("rec"));
  auto pages = ReadRecoverablePages(runs);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(pages[0].fileChanged);
}

}  // namespace
}  // namespace tervil
