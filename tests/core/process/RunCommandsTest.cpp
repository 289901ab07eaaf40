#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "core/process/CommandLine.h"
#include "core/process/RunCommands.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

using TItems = std::vector<std::string>;
using test::TTempDir;

const std::vector<std::string> kApplications = {"Tidy=tidy.exe -q", "X=php -d a=1", "Tidy=other",
                                                "Bare"};

TEST(RunPrograms, ListsPhpFirstThenTheApplications) {
  const TRunPrograms programs("/opt/php/bin/php", kApplications);
  EXPECT_EQ(programs.MenuItems(), (TItems{"PHP", "Tidy", "X", "Tidy", "Bare"}));
  EXPECT_EQ(programs.PrefixOf("PHP"), "/opt/php/bin/php -d log_errors=On -d display_errors=Off ");
  EXPECT_EQ(programs.PrefixOf("Tidy"), "tidy.exe -q");  // the first entry of a name
  EXPECT_EQ(programs.PrefixOf("X"), "php -d a=1");
  EXPECT_EQ(programs.PrefixOf("Bare"), "");
  EXPECT_EQ(programs.PrefixOf("tidy"), std::nullopt);  // names compare with case
}

TEST(RunPrograms, UsesThePhpOnThePathWhenNoneIsConfigured) {
  const auto php = FindOnPath("php");
  const TRunPrograms programs("  ", {});
  EXPECT_EQ(programs.PhpInterpreter(), php.value_or(""));
  EXPECT_EQ(programs.Empty(), !php);

  const char* savedPath = std::getenv("PATH");
  const std::string saved = savedPath ? savedPath : "";
  ::setenv("PATH", "/nonexistent-folder", 1);
  const TRunPrograms none("", {});
  ::setenv("PATH", saved.c_str(), 1);
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(none.DefaultRunWith("PHP"), "");
  EXPECT_EQ(none.PrefixOf("PHP"), std::nullopt);
}

TEST(RunPrograms, QuotesAnInterpreterPathWithBlanks) {
  const TRunPrograms programs("/opt/my php/php", {});
  const std::string prefix = programs.PhpPrefix();
  EXPECT_EQ(SplitCommandLine(prefix),
            (TItems{"/opt/my php/php", "-d", "log_errors=On", "-d", "display_errors=Off"}));
}

TEST(RunPrograms, GivesNewPagesTheDefaultApplication) {
  const TRunPrograms programs("/usr/bin/php", kApplications);
  EXPECT_EQ(programs.DefaultRunWith(""), "");
  EXPECT_EQ(programs.DefaultRunWith(" PHP "), programs.PhpPrefix());
  EXPECT_EQ(programs.DefaultRunWith("Tidy"), "other");  // the last entry of a name
  EXPECT_EQ(programs.DefaultRunWith("X"), "php -d a=1");
  EXPECT_EQ(programs.DefaultRunWith("Nobody"), "");
}

TEST(RunCommands, BuildsTheCommandLineWithTheCopyAsOneArgument) {
  EXPECT_EQ(RunCommandLine("tidy.exe -q", "/d/index.php.tvl0", ""),
            "tidy.exe -q \"/d/index.php.tvl0\" ");
  const std::string nasty = "/d/a;rm -rf x \"q\" $(id).php.tvl0";
  EXPECT_EQ(SplitCommandLine(RunCommandLine("php -q", nasty, "--x 1")),
            (TItems{"php", "-q", nasty, "--x", "1"}));
}

TEST(RunCommands, PutsCopiesBesideTheDocumentOrInTheTempFolder) {
  EXPECT_EQ(TempCopyFolder("/srv/site/index.php", "/tmp/t"), "/srv/site");
  EXPECT_EQ(TempCopyFolder("Unnamed 1", "/tmp/t"), "/tmp/t");
}

TEST(RunCommands, NumbersCopiesFromZeroWithoutReplacingAnything) {
  TTempDir dir;
  const std::string folder = dir.File("new folder");
  EXPECT_EQ(ReserveTempCopy(folder, "index.php"), folder + "/index.php.tvl0");
  EXPECT_EQ(ReserveTempCopy(folder, "index.php"), folder + "/index.php.tvl1");
  ASSERT_EQ(::symlink("/nonexistent", (folder + "/index.php.tvl2").c_str()), 0);
  EXPECT_EQ(ReserveTempCopy(folder, "index.php"), folder + "/index.php.tvl3");
  struct stat info {};
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(RunCommands, ReportsACopyThatCannotBeMade) {
  TTempDir dir;
  std::ofstream(dir.File("file")) << "x";
  EXPECT_THROW(ReserveTempCopy(dir.File("file/sub"), "a.php"), std::system_error);
}

}  // namespace
}  // namespace tervil
