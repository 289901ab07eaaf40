#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/explorer/FileOperations.h"
#include "core/explorer/TempFolder.h"

namespace tervil::explorer {
namespace {

using testing::ReadAll;
using testing::TTempFolder;
namespace fs = std::filesystem;

TConflictAnswer Answer(TConflictChoice choice, bool forAll = false) {
  return {choice, forAll};
}

TEST(FileOperation, CopiesFoldersRecursivelyKeepingModesTimesAndLinks) {
  TTempFolder src, dst;
  const std::string script = src.Write("site/bin/run.sh", "#!/bin/sh\n");
  fs::permissions(script, fs::perms::owner_all);
  src.Write("site/index.php", "<?php");
  fs::create_symlink("index.php", src / "site/link.php");
  const auto old = fs::last_write_time(script) - std::chrono::hours(5);
  fs::last_write_time(script, old);

  TFileOperation op;
  const TOperationResult result = op.Copy({src / "site"}, dst.Path().string());
  ASSERT_TRUE(result.Ok()) << (result.Errors.empty() ? "" : result.Errors[0]);
  EXPECT_EQ(result.Done, 1);
  EXPECT_EQ(ReadAll(dst / "site/index.php"), "<?php");
  EXPECT_EQ(fs::status(dst / "site/bin/run.sh").permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::last_write_time(dst / "site/bin/run.sh"), old);
  EXPECT_TRUE(fs::is_symlink(dst / "site/link.php"));
  EXPECT_EQ(fs::read_symlink(dst / "site/link.php"), "index.php");
  EXPECT_TRUE(fs::exists(src / "site/index.php"));
}

TEST(FileOperation, ConflictChoicesAreHonouredAndForAllIsAskedOnce) {
  struct Case {
    TConflictChoice choice;
    const char* expectedA;
    bool renamed;
  } cases[] = {{TConflictChoice::Overwrite, "new", false},
               {TConflictChoice::Skip, "old", false},
               {TConflictChoice::Rename, "old", true}};
  for (const auto& c : cases) {
    TTempFolder src, dst;
    src.Write("a.txt", "new");
    src.Write("b.txt", "new");
    dst.Write("a.txt", "old");
    dst.Write("b.txt", "old");
    int questions = 0;
    TFileOperation op;
    op.OnConflict = [&](const std::string&, bool) {
      ++questions;
      return Answer(c.choice, true);
    };
    EXPECT_TRUE(op.Copy({src / "a.txt", src / "b.txt"}, dst.Path().string()).Ok());
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(ReadAll(dst / "a.txt"), c.expectedA);
    EXPECT_EQ(ReadAll(dst / "b.txt"), c.expectedA);
    EXPECT_EQ(fs::exists(dst / "a (2).txt"), c.renamed);
  }
}

TEST(FileOperation, CancelMidwayLeavesNoHalfWrittenFile) {
  TTempFolder src, dst;
  src.Write("big.bin", std::string(3 << 20, 'x'));
  src.Write("later.txt", "later");
  TFileOperation op;
  op.OnProgress = [&](const TProgress& p) {
    EXPECT_EQ(p.BytesTotal, (3u << 20) + 5);
    op.Cancel();
  };
  const TOperationResult result =
      op.Copy({src / "big.bin", src / "later.txt"}, dst.Path().string());
  EXPECT_TRUE(result.Cancelled);
  EXPECT_TRUE(fs::is_empty(dst.Path()));
}

TEST(FileOperation, RefusesToCopyOrMoveAFolderIntoItself) {
  TTempFolder tmp;
  tmp.Write("site/a.txt", "a");
  TFileOperation op;
  EXPECT_EQ(op.Copy({tmp / "site"}, tmp / "site").Errors.size(), 1u);
  EXPECT_EQ(op.Move({tmp / "site"}, tmp / "site").Errors.size(), 1u);
  EXPECT_EQ(ReadAll(tmp / "site/a.txt"), "a");
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp / "site"), {}), 1);
}

TEST(FileOperation, CopyOntoItselfMakesADuplicate) {
  TTempFolder tmp;
  tmp.Write("a.txt", "a");
  TFileOperation op;
  EXPECT_TRUE(op.Copy({tmp / "a.txt"}, tmp.Path().string()).Ok());
  EXPECT_EQ(ReadAll(tmp / "a (2).txt"), "a");
}

TEST(FileOperation, UnreadableSourceIsReportedAndOthersStillCopy) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads everything";
  TTempFolder src, dst;
  const std::string secret = src.Write("secret.txt", "s");
  fs::permissions(secret, fs::perms::none);
  src.Write("open.txt", "o");
  TFileOperation op;
  const TOperationResult result = op.Copy({secret, src / "open.txt"}, dst.Path().string());
  ASSERT_EQ(result.Errors.size(), 1u);
  EXPECT_NE(result.Errors[0].find("secret.txt"), std::string::npos);
  EXPECT_EQ(ReadAll(dst / "open.txt"), "o");
  EXPECT_FALSE(fs::exists(dst / "secret.txt"));
}

// Moves within one file system and, where /dev/shm is a tmpfs of its own, across two.
TEST(FileOperation, MovesWithinAndAcrossFileSystems) {
  TTempFolder src;
  std::vector<std::string> targets = {src.Path().parent_path().string()};
  struct stat a {
  }, b{};
  if (stat("/dev/shm", &b) == 0 && stat(src.Path().c_str(), &a) == 0 && a.st_dev != b.st_dev &&
      access("/dev/shm", W_OK) == 0)
    targets.push_back("/dev/shm");
  for (const auto& base : targets) {
    TTempFolder dst(base);
    src.Write("site/page.html", "<p>");
    fs::create_symlink("page.html", src / "site/link");
    TFileOperation op;
    const TOperationResult result = op.Move({src / "site"}, dst.Path().string());
    ASSERT_TRUE(result.Ok()) << base;
    EXPECT_FALSE(fs::exists(src / "site")) << base;
    EXPECT_EQ(ReadAll(dst / "site/page.html"), "<p>") << base;
    EXPECT_TRUE(fs::is_symlink(dst / "site/link")) << base;
  }
}

TEST(FileOperation, MoveKeepsTheSourceWhenPartOfTheCopyFails) {
  TTempFolder src, dst;
  src.Write("site/a.txt", "a");
  fs::create_directory(dst / "site");
  dst.Write("site/keep.txt", "k");
  ASSERT_EQ(mkfifo((src / "site/pipe").c_str(), 0600), 0);  // cannot be copied
  TFileOperation op;
  op.OnConflict = [](const std::string&, bool) { return Answer(TConflictChoice::Overwrite); };
  const TOperationResult result = op.Move({src / "site"}, dst.Path().string());
  EXPECT_EQ(result.Errors.size(), 1u);
  EXPECT_TRUE(fs::exists(src / "site/a.txt"));
  EXPECT_TRUE(fs::exists(src / "site/pipe"));
  EXPECT_EQ(ReadAll(dst / "site/a.txt"), "a");
  EXPECT_EQ(ReadAll(dst / "site/keep.txt"), "k");
}

// A folder moved onto one of the same name, merged: each answer to the clash of a.txt decides
// what leaves the source; nothing skipped or left behind by a cancel is lost.
TEST(FileOperation, MergingMoveRemovesOnlyWhatArrived) {
  struct Case {
    TConflictChoice fileChoice;
    bool sourceFolderLeft;  // with what was not carried over
    const char* targetA;
    bool renamedCopy;
  } cases[] = {{TConflictChoice::Skip, true, "old", false},
               {TConflictChoice::Overwrite, false, "new", false},
               {TConflictChoice::Rename, false, "old", true},
               {TConflictChoice::Cancel, true, "old", false}};
  for (const auto& c : cases) {
    TTempFolder src, dst;
    src.Write("site/a.txt", "new");
    src.Write("site/b.txt", "b");
    src.Write("site/sub/c.txt", "c");
    dst.Write("site/a.txt", "old");
    TFileOperation op;
    op.OnConflict = [&](const std::string&, bool isDir) {
      return Answer(isDir ? TConflictChoice::Overwrite : c.fileChoice);
    };
    const TOperationResult result = op.Move({src / "site"}, dst.Path().string());
    const int choice = static_cast<int>(c.fileChoice);
    EXPECT_TRUE(result.Errors.empty()) << choice;
    EXPECT_EQ(result.Cancelled, c.fileChoice == TConflictChoice::Cancel) << choice;
    EXPECT_EQ(fs::exists(src / "site"), c.sourceFolderLeft) << choice;
    EXPECT_EQ(ReadAll(dst / "site/a.txt"), c.targetA) << choice;
    EXPECT_EQ(fs::exists(dst / "site/a (2).txt"), c.renamedCopy) << choice;
    if (c.fileChoice == TConflictChoice::Skip) {
      EXPECT_EQ(ReadAll(src / "site/a.txt"), "new");
      EXPECT_FALSE(fs::exists(src / "site/b.txt"));
      EXPECT_FALSE(fs::exists(src / "site/sub"));
      EXPECT_EQ(ReadAll(dst / "site/sub/c.txt"), "c");
    }
    if (c.fileChoice == TConflictChoice::Cancel) {
      EXPECT_EQ(ReadAll(src / "site/a.txt"), "new");
      EXPECT_EQ(ReadAll(src / "site/b.txt"), "b");
      EXPECT_EQ(ReadAll(src / "site/sub/c.txt"), "c");
    }
  }
}

TEST(FileOperation, CancelledFolderCopyKeepsTheFolderMode) {
  TTempFolder src, dst;
  src.Write("site/big.bin", std::string(3 << 20, 'x'));
  fs::permissions(src / "site", fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
  TFileOperation op;
  op.OnProgress = [&](const TProgress&) { op.Cancel(); };
  EXPECT_TRUE(op.Copy({src / "site"}, dst.Path().string()).Cancelled);
  EXPECT_EQ(fs::status(dst / "site").permissions(), fs::status(src / "site").permissions());
  EXPECT_FALSE(fs::exists(dst / "site/big.bin"));
}

TEST(FileOperation, DeletesFilesAndFolders) {
  TTempFolder tmp;
  tmp.Write("dir/sub/a.txt", "a");
  tmp.Write("b.txt", "b");
  TFileOperation op;
  const TOperationResult result = op.Delete({tmp / "dir", tmp / "b.txt"});
  EXPECT_TRUE(result.Ok());
  EXPECT_EQ(result.Done, 2);
  EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

TEST(FreeName, CountsUpBeforeTheExtension) {
  TTempFolder tmp;
  tmp.Write("a.txt", "");
  tmp.Write("a (2).txt", "");
  EXPECT_EQ(FreeName(tmp.Path().string(), "a.txt"), "a (3).txt");
  EXPECT_EQ(FreeName(tmp.Path().string(), ".bashrc"), ".bashrc (2)");
}

}  // namespace
}  // namespace tervil::explorer
