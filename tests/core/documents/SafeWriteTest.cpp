#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/documents/SafeWrite.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

void MakeOld(const std::string& path) {
  struct utimbuf times {};
  times.actime = times.modtime = std::time(nullptr) - 3600;
  ::utime(path.c_str(), &times);
}

// A write whose time is set back moves the status change time; a new link moves only that.
TEST(SafeWrite, StampsSeeAWriteWithItsTimeSetBack) {
  test::TTempDir dir;
  const std::string file = dir.File("page.css");
  std::string error;
  TFileStamp written;
  ASSERT_TRUE(SafeWriteFile(file, "p { color: red }", &error, &written));
  MakeOld(file);
  const TFileStamp read = GetFileStamp(file);
  EXPECT_FALSE(IsChangedOutside(read, GetFileStamp(file)));
  struct stat before {};
  ::stat(file.c_str(), &before);
  std::fstream(file, std::ios::in | std::ios::out | std::ios::binary) << "p { color: tan }";
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ::utimensat(AT_FDCWD, file.c_str(), times, 0);
  const TFileStamp touched = GetFileStamp(file);
  EXPECT_EQ(touched.time, read.time);
  EXPECT_EQ(touched.size, read.size);
  EXPECT_TRUE(IsChangedOutside(read, touched));
  EXPECT_TRUE(OnlyStatusChanged(read, touched));
  EXPECT_NE(ContentHash("p { color: red }"), ContentHash("p { color: tan }"));
  // The stamp a save reports is the file's stamp after the save.
  ASSERT_TRUE(SafeWriteFile(file, "p {}", &error, &written));
  EXPECT_EQ(written, GetFileStamp(file));
  ASSERT_EQ(::link(file.c_str(), dir.File("twin.css").c_str()), 0);
  EXPECT_TRUE(OnlyStatusChanged(written, GetFileStamp(file)));
  MakeOld(file);
  EXPECT_FALSE(OnlyStatusChanged(written, GetFileStamp(file)));
}

// The hidden copies of killed saves go once no save holds them; nothing else is touched.
TEST(SafeWrite, StaleTemporariesOfTheFileAreRemoved) {
  test::TTempDir dir;
  const std::string file = dir.File("page.php");
  Write(file, "old");
  const std::string stale = dir.File(".page.php.tervil-Ab12Cd");
  const std::string held = dir.File(".page.php.tervil-Held00");
  const std::string fresh = dir.File(".page.php.tervil-Fresh0");
  const std::string other = dir.File(".page.php.tervil-long-name");
  const std::string otherFile = dir.File(".other.php.tervil-Ab12Cd");
  for (const auto& path : {stale, held, fresh, other, otherFile}) Write(path, "partial");
  for (const auto& path : {stale, held, other, otherFile}) MakeOld(path);
  int lock = ::open(held.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);  // a save still running (in this process)
  pid_t child = ::fork();
  if (child == 0) _exit(RemoveStaleTemporaries(file) == 1 ? 0 : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(lock);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(Exists(stale));
  for (const auto& path : {held, fresh, other, otherFile}) EXPECT_TRUE(Exists(path)) << path;

  ASSERT_TRUE(SafeWriteFile(file, "new", nullptr));  // a save cleans up after earlier ones
  EXPECT_FALSE(Exists(held));
  EXPECT_EQ(Read(file), "new");
}

class InterruptedWrites : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CACHE_HOME", cache_.Path().c_str(), 1);
    file_ = dir_.File("linked.txt");
    Write(file_, oldContent_);
    ASSERT_EQ(::link(file_.c_str(), dir_.File("other-link").c_str()), 0);
  }

  // Starts an in-place write of `bytes` that stops after `written` bytes and is killed there.
  void KillWriteAfter(const std::string& bytes, std::size_t written) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SetWriteFunctionForTests([&](int fd, const void* data, std::size_t size) -> long {
        if (size >= bytes.size() &&
            std::string_view(static_cast<const char*>(data), size) == std::string_view(bytes)) {
          [[maybe_unused]] long n = ::write(fd, data, written);
          [[maybe_unused]] long w = ::write(ready[1], "x", 1);
          ::pause();
        }
        return ::write(fd, data, size);
      });
      SafeWriteFile(file_, bytes, nullptr);
      _exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
  }

  test::TTempDir dir_, cache_;
  std::string file_;
  const std::string oldContent_ = std::string(1000, 'o');
};

TEST_F(InterruptedWrites, ACutFileIsFoundAndRestored) {
  KillWriteAfter(std::string(2000, 'n'), 10);
  EXPECT_EQ(Read(file_), std::string(10, 'n'));
  auto found = FindInterruptedWrites();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].target, file_);
  EXPECT_FALSE(found[0].finished);
  EXPECT_TRUE(found[0].targetShorter);
  std::string error;
  ASSERT_TRUE(RestoreInterruptedWrite(found[0], &error)) << error;
  EXPECT_EQ(Read(dir_.File("other-link")), oldContent_);  // in place: the links stay one file
  EXPECT_TRUE(FindInterruptedWrites().empty());
}

TEST_F(InterruptedWrites, ALongerUnfinishedFileIsOfferedAndAFinishedOneIsNot) {
  KillWriteAfter(std::string(2000, 'n'), 1500);
  auto found = FindInterruptedWrites();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_FALSE(found[0].finished);
  EXPECT_FALSE(found[0].targetShorter);
  DiscardInterruptedWrite(found[0]);
  EXPECT_TRUE(FindInterruptedWrites().empty());

  KillWriteAfter(std::string(300, 'n'), 300);  // all written, killed before it cleaned up
  found = FindInterruptedWrites();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(found[0].finished);
}

}  // namespace
}  // namespace tervil
