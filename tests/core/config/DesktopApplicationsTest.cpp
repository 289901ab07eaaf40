#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/config/DesktopApplications.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

using test::TTempDir;

void Write(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string Entry(const std::string& name, const std::string& types,
                  const std::string& extra = "") {
  return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + name +
         " %f\nMimeType=" + types + "\n" + extra;
}

std::vector<std::string> Ids(const std::vector<TDesktopApplication>& applications) {
  std::vector<std::string> ids;
  for (const auto& application : applications) ids.push_back(application.id);
  return ids;
}

// A user folder and a system folder, each with entries and association lists.
class DesktopApplicationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folders_.configDirs = {dir_.File("config"), dir_.File("etc")};
    folders_.dataDirs = {dir_.File("local"), dir_.File("usr")};
    Write(dir_.File("usr/applications/viewer.desktop"), Entry("viewer", "text/plain;"));
    Write(dir_.File("usr/applications/phpedit.desktop"),
          Entry("phpedit", "application/x-php;text/plain;"));
    Write(dir_.File("usr/applications/kde/kate.desktop"), Entry("kate", "text/plain;"));
    Write(dir_.File("usr/applications/hidden.desktop"),
          Entry("hidden", "application/x-php;", "NoDisplay=true\n"));
    Write(dir_.File("usr/applications/gone.desktop"),
          Entry("gone", "application/x-php;", "Hidden=true\n"));
    Write(dir_.File("usr/applications/link.desktop"),
          "[Desktop Entry]\nType=Link\nName=link\nURL=x\nMimeType=application/x-php;\n");
    // The user's own copy of an entry wins over the system's.
    Write(dir_.File("local/applications/viewer.desktop"), Entry("myviewer", "text/plain;"));
    Write(dir_.File("usr/applications/other.desktop"), Entry("other", "text/html;"));
  }

  TTempDir dir_;
  TDesktopFolders folders_;
};

TEST_F(DesktopApplicationsTest, ListsTheEntriesOfTheTypeThenOfItsParents) {
  const auto apps = ApplicationsForMimeTypes(folders_, {"application/x-php", "text/plain"});
  EXPECT_EQ(Ids(apps),
            (std::vector<std::string>{"phpedit.desktop", "kde-kate.desktop", "viewer.desktop"}));
  EXPECT_EQ(apps[2].name, "myviewer");
  EXPECT_EQ(apps[2].path, dir_.File("local/applications/viewer.desktop"));
}

TEST_F(DesktopApplicationsTest, DefaultsComeFirstAddedNextAndRemovedOnesGo) {
  Write(dir_.File("config/mimeapps.list"),
        "[Default Applications]\ntext/plain=viewer.desktop;\n"
        "[Added Associations]\napplication/x-php=other.desktop;\n"
        "[Removed Associations]\ntext/plain=kde-kate.desktop;\n");
  Write(dir_.File("etc/mimeapps.list"),
        "[Default Applications]\napplication/x-php=missing.desktop;phpedit.desktop;\n");
  EXPECT_EQ(Ids(ApplicationsForMimeTypes(folders_, {"application/x-php", "text/plain"})),
            (std::vector<std::string>{"phpedit.desktop", "other.desktop", "viewer.desktop"}));
  EXPECT_TRUE(ApplicationsForMimeTypes(folders_, {"image/png"}).empty());
}

TEST(DesktopExecArguments, ReplacesTheFieldCodesInTheSplitCommand) {
  const struct {
    const char* exec;
    std::vector<std::string> arguments;
  } cases[] = {
      {"gedit %U", {"gedit", "/tmp/a b.php"}},
      {"kate -b %f", {"kate", "-b", "/tmp/a b.php"}},
      {"\"/opt/my app/run\" --file=%f", {"/opt/my app/run", "--file=/tmp/a b.php"}},
      {"app %i %c %%", {"app", "App Name", "%"}},
      {"app --open \"quoted \\\"inner\\\"\" %k",
       {"app", "--open", "quoted \"inner\"", "/e.desktop"}},
      {"app", {"app"}},
      {"app \"unclosed", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    const TDesktopApplication application{"app.desktop", "App Name", c.exec, "", "/e.desktop"};
    EXPECT_EQ(DesktopExecArguments(application, "/tmp/a b.php"), c.arguments) << c.exec;
  }
}

}  // namespace
}  // namespace tervil
