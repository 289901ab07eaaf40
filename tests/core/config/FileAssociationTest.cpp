#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "core/config/FileAssociation.h"
#include "core/config/KeyFile.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

using test::TTempDir;

const std::map<std::string, std::string> kTypes = {
    {".php", "application/x-php"}, {".html", "text/html"}, {".css", "text/css"}};

std::string MimeOf(const std::string& extension) {
  const auto it = kTypes.find(extension);
  return it == kTypes.end() ? std::string() : it->second;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Spit(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

// Temporary XDG folders: data/applications for desktop entries, config/mimeapps.list.
struct TXdgFolders {
  TTempDir dir;
  std::string data = dir.File("data");
  std::string config = dir.File("config");
  std::string mimeapps = config + "/mimeapps.list";
  TFileAssociation association{TAssociationPlaces{data + "/applications", mimeapps}, MimeOf};

  TXdgFolders() {
    ::mkdir(data.c_str(), 0755);
    ::mkdir((data + "/applications").c_str(), 0755);
    ::mkdir(config.c_str(), 0755);
  }
  std::string Entry() const { return Slurp(data + "/applications/tervil-editor.desktop"); }
};

std::optional<std::string> DefaultsOf(const std::string& mimeappsText, const std::string& type) {
  TKeyFile file;
  file.Parse(mimeappsText);
  return file.Get("Default Applications", type);
}

struct AssociationCase {
  const char* name;
  const char* before;  // mimeapps.list, nullptr for none
  enum { Associate, Unassociate } operation;
  const char* extension;
  bool result;
  std::optional<std::string> phpDefaults;  // the list for application/x-php afterwards
  bool associatedAfter;
};

TEST(FileAssociation, AssociateAndUnassociateOnMimeappsList) {
  const std::vector<AssociationCase> cases = {
      {"first association creates the list", nullptr, AssociationCase::Associate, ".php", true,
       "tervil-editor.desktop;", true},
      {"another opener stays after the editor",
       "[Default Applications]\napplication/x-php=other.desktop;\n", AssociationCase::Associate,
       ".php", true, "tervil-editor.desktop;other.desktop;", true},
      {"associating twice lists the editor once",
       "[Default Applications]\napplication/x-php=other.desktop;tervil-editor.desktop;\n",
       AssociationCase::Associate, ".php", true, "tervil-editor.desktop;other.desktop;", true},
      {"an unknown extension changes nothing", nullptr, AssociationCase::Associate, ".zzz", false,
       std::nullopt, false},
      {"unassociating gives the type back to the program after the editor",
       "[Default Applications]\napplication/x-php=tervil-editor.desktop;other.desktop;\n",
       AssociationCase::Unassociate, ".php", true, "other.desktop;", false},
      {"unassociating the only opener removes the key",
       "[Default Applications]\napplication/x-php=tervil-editor.desktop;\n",
       AssociationCase::Unassociate, ".php", true, std::nullopt, false},
      {"another program's association is left alone",
       "[Default Applications]\napplication/x-php=other.desktop;tervil-editor.desktop;\n",
       AssociationCase::Unassociate, ".php", false, "other.desktop;tervil-editor.desktop;", false},
      {"no association: nothing is created", nullptr, AssociationCase::Unassociate, ".php", false,
       std::nullopt, false},
      {"another type's association is not ours",
       "[Default Applications]\ntext/html=tervil-editor.desktop;\n", AssociationCase::Unassociate,
       ".php", false, std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TXdgFolders xdg;
    if (c.before) Spit(xdg.mimeapps, c.before);
    const bool result = c.operation == AssociationCase::Associate
                            ? xdg.association.Associate(c.extension, "open", "/usr/bin/tervil")
                            : xdg.association.Unassociate(c.extension);
    EXPECT_EQ(result, c.result);
    if (!c.before && !c.result) {
      EXPECT_FALSE(Exists(xdg.mimeapps));
      continue;
    }
    EXPECT_EQ(DefaultsOf(Slurp(xdg.mimeapps), "application/x-php"), c.phpDefaults);
    EXPECT_EQ(xdg.association.IsAssociated(".php"), c.associatedAfter);
    if (c.before && !c.result) {
      EXPECT_EQ(Slurp(xdg.mimeapps), c.before);
    }
  }
}

TEST(FileAssociation, OtherGroupsKeysAndCommentsSurvive) {
  TXdgFolders xdg;
  const std::string before =
      "# chosen in the file manager\n"
      "[Added Associations]\n"
      "application/x-php=other.desktop;\n"
      "\n"
      "[Default Applications]\n"
      "image/png=viewer.desktop;\n"
      "\n"
      "[Removed Associations]\n"
      "text/css=old.desktop;\n";
  Spit(xdg.mimeapps, before);
  ASSERT_TRUE(xdg.association.Associate(".php", "open", "/usr/bin/tervil"));
  EXPECT_EQ(Slurp(xdg.mimeapps),
            "# chosen in the file manager\n"
            "[Added Associations]\n"
            "application/x-php=other.desktop;\n"
            "\n"
            "[Default Applications]\n"
            "image/png=viewer.desktop;\n"
            "application/x-php=tervil-editor.desktop;\n"
            "\n"
            "[Removed Associations]\n"
            "text/css=old.desktop;\n");
  ASSERT_TRUE(xdg.association.Unassociate(".php"));
  EXPECT_EQ(Slurp(xdg.mimeapps), before);
}

TEST(FileAssociation, TheDesktopEntryStartsTheProgramWithTheFile) {
  TXdgFolders xdg;
  ASSERT_TRUE(xdg.association.Associate(".php", "open", "/opt/tervil/bin/tervil"));
  ASSERT_TRUE(xdg.association.Associate(".css", "open", "/opt/tervil/bin/tervil"));
  TKeyFile entry;
  entry.Parse(xdg.Entry());
  EXPECT_EQ(entry.Get("Desktop Entry", "Type"), "Application");
  EXPECT_EQ(entry.Get("Desktop Entry", "Name"), "Tervil Editor");
  EXPECT_EQ(entry.Get("Desktop Entry", "Exec"), "/opt/tervil/bin/tervil %f");
  EXPECT_EQ(entry.Get("Desktop Entry", "Icon"), "tervil-editor");
  EXPECT_EQ(entry.Get("Desktop Entry", "MimeType"), "application/x-php;text/css;");

  // A moved program: the next association points the entry at the new place; the icon follows
  // at every start, but only into an entry that exists.
  ASSERT_TRUE(xdg.association.Associate(".php", "open", "/home/ann/tervil/tervil"));
  EXPECT_TRUE(xdg.association.RegisterIcon("/home/ann/tervil/data/icons/tervil-editor.svg"));
  entry.Parse(xdg.Entry());
  EXPECT_EQ(entry.Get("Desktop Entry", "Exec"), "/home/ann/tervil/tervil %f");
  EXPECT_EQ(entry.Get("Desktop Entry", "Icon"), "/home/ann/tervil/data/icons/tervil-editor.svg");

  TXdgFolders fresh;
  EXPECT_FALSE(fresh.association.RegisterIcon("/x/tervil-editor.svg"));
  EXPECT_FALSE(Exists(fresh.data + "/applications/tervil-editor.desktop"));
}

TEST(FileAssociation, ProgramPathsAreQuotedForTheExecLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/usr/bin/tervil", "/usr/bin/tervil"},
      {"/home/ann/My Programs/tervil", "\"/home/ann/My Programs/tervil\""},
      {"/opt/$HOME/te\"r`v", "\"/opt/\\\\$HOME/te\\\\\"r\\\\`v\""},
      {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
      {"/opt/100%/tervil", "/opt/100%%/tervil"},
      {"/opt/a;b/tervil", "\"/opt/a;b/tervil\""},
  };
  for (const auto& [program, exec] : cases) EXPECT_EQ(DesktopExecProgram(program), exec) << program;
}

TEST(FileAssociation, FilesThatCannotBeWrittenGiveTheSystemsMessage) {
  TXdgFolders xdg;
  // The config folder is a plain file: the list cannot be created.
  TTempDir dir;
  Spit(dir.File("config"), "not a folder");
  TFileAssociation blocked{
      TAssociationPlaces{xdg.data + "/applications", dir.File("config") + "/mimeapps.list"},
      MimeOf};
  try {
    blocked.Associate(".php", "open", "/usr/bin/tervil");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("Not a directory"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(blocked.IsAssociated(".php"));

  // A list that cannot be read is never written over.
  ::mkdir(xdg.mimeapps.c_str(), 0755);
  EXPECT_THROW(xdg.association.Associate(".php", "open", "/usr/bin/tervil"), std::runtime_error);
  EXPECT_THROW(xdg.association.Unassociate(".php"), std::runtime_error);
  EXPECT_FALSE(xdg.association.IsAssociated(".php"));
}

TEST(FileAssociation, AListBehindASymbolicLinkIsUpdatedWhereItLives) {
  TXdgFolders xdg;
  const std::string real = xdg.dir.File("dotfiles-mimeapps.list");
  Spit(real, "[Default Applications]\ntext/html=other.desktop;\n");
  ASSERT_EQ(::symlink(real.c_str(), xdg.mimeapps.c_str()), 0);
  ASSERT_TRUE(xdg.association.Associate(".html", "open", "/usr/bin/tervil"));
  struct stat info;
  ASSERT_EQ(::lstat(xdg.mimeapps.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(DefaultsOf(Slurp(real), "text/html"), "tervil-editor.desktop;other.desktop;");
}

// xdg-mime (xdg-utils) is the desktop's own reader of these files.
std::string XdgMimeDefault(const TXdgFolders& xdg, const std::string& type) {
  const std::string command = "env -i PATH=/usr/bin:/bin HOME='" + xdg.dir.Path() +
                              "' XDG_DATA_HOME='" + xdg.data + "' XDG_CONFIG_HOME='" + xdg.config +
                              "' XDG_DATA_DIRS='" + xdg.dir.File("system") + "' XDG_CONFIG_DIRS='" +
                              xdg.dir.File("etc") + "' xdg-mime query default " + type + " 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ::pclose(pipe);
  }
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

TEST(FileAssociation, XdgMimeSeesTheEditorAndThenTheOtherProgramAgain) {
  TXdgFolders xdg;
  // The other program and the editor are both real programs here.
  const std::string program = xdg.dir.File("tervil");
  Spit(program, "#!/bin/sh\n");
  ::chmod(program.c_str(), 0755);
  Spit(xdg.data + "/applications/other.desktop",
       "[Desktop Entry]\nType=Application\nName=Other\nExec=true %f\n"
       "MimeType=application/x-php;text/css;\n");
  Spit(xdg.mimeapps,
       "[Default Applications]\napplication/x-php=other.desktop;\ntext/css=other.desktop;\n");
  ASSERT_EQ(XdgMimeDefault(xdg, "application/x-php"), "other.desktop");

  ASSERT_TRUE(xdg.association.Associate(".php", "open", program));
  EXPECT_EQ(XdgMimeDefault(xdg, "application/x-php"), "tervil-editor.desktop");
  const std::string validate =
      "desktop-file-validate '" + xdg.data + "/applications/tervil-editor.desktop' >/dev/null 2>&1";
  EXPECT_EQ(std::system(validate.c_str()), 0) << xdg.Entry();
  EXPECT_EQ(XdgMimeDefault(xdg, "text/css"), "other.desktop");

  // css belongs to the other program: unassociating it leaves it there.
  EXPECT_FALSE(xdg.association.Unassociate(".css"));
  EXPECT_EQ(XdgMimeDefault(xdg, "text/css"), "other.desktop");

  ASSERT_TRUE(xdg.association.Unassociate(".php"));
  EXPECT_EQ(XdgMimeDefault(xdg, "application/x-php"), "other.desktop");
}

}  // namespace
}  // namespace tervil
