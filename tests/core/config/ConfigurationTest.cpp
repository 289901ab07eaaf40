#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/common/Paths.h"
#include "core/config/Configuration.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

const std::string R = "Software\\Tervil Editor";

class ConfigurationTest : public ::testing::Test {
 protected:
  std::string File() const { return dir_.File("registry.reg"); }
  // A store as a new program start would see it.
  TSettingsStore& Reopen() {
    store_ = std::make_unique<TSettingsStore>(File());
    store_->Load();
    return *store_;
  }

  test::TTempDir dir_;
  std::unique_ptr<TSettingsStore> store_;
};

TEST_F(ConfigurationTest, EmptyStoreGivesDefaultsAndFirstExitWritesThemAll) {
  {
    TConfiguration config(Reopen());
    EXPECT_EQ(config.ConfigName, "default");
    EXPECT_EQ(config.ConfigNames, std::vector<std::string>{"default"});
    EXPECT_EQ(config.TabWidth, 4);
    EXPECT_EQ(config.EditorBackground, 0xFF000005u);
    EXPECT_EQ(config.ActiveLineColor, 0x1FFFFFFFu);
    EXPECT_EQ(config.LeftViewDir, HomeDirectory());
    config.SaveAtExit();
  }
  TSettingsStore& store = Reopen();
  EXPECT_EQ(store.ReadString(R, "lastconfig"), "default");
  EXPECT_FALSE(store.ReadBool(R, "multipleinstances"));
  EXPECT_TRUE(store.ReadBool(R, "checkver"));

  const std::string key = R + "\\default";
  struct Expected {
    const char* name;
    std::uint32_t value;
  };
  const Expected integers[] = {
      {"unixeol", 1},
      {"autodetecteol", 1},
      {"showhiddenfiles", 1},
      {"multipleinstances", 0},
      {"reopenfiles", 0},
      {"enhancehomekey", 1},
      {"smarttabs", 0},
      {"tabstospaces", 1},
      {"spacestotabs", 0},
      {"activelinecolor", 0x1FFFFFFF},
      {"editorbackground", 0xFF000005},
      {"rightedge", 80},
      {"rightedgecolor", 0x808080},
      {"tabwidth", 4},
      {"fontsize", 10},
      {"bracketcolor", 0xC0DCC0},
      {"variablecolor", 0xF0CAA6},
      {"autoclose", 1},
      {"autosave", 0},
      {"autosavebackup", 0},
      {"autosaveinterval", 300000},
      {"autoindent", 1},
      {"continuelists", 0},
      {"tabclosebutton", 1},
      {"gutter", 1},
  };
  for (const auto& e : integers) EXPECT_EQ(store.ReadInteger(key, e.name), e.value) << e.name;
  EXPECT_EQ(store.ReadString(key, "defaultencoding"), "");
  EXPECT_EQ(store.ReadString(key, "encodingfilter"),
            "*.php;*.phtml;*.php3;*.htm;*.html;*.css;*.js;*.xml;*.inc;*.sql;");
  EXPECT_EQ(store.ReadString(key, "supportedextensions").substr(0, 14), "*.php; *.phtml");
  for (const char* text : {"leftviewdir", "rightviewdir", "runwithdefault", "phppath"})
    EXPECT_TRUE(store.ValueExists(key, text)) << text;
  EXPECT_EQ(store.ReadString(key, "fontname"), "");  // the system's fixed-pitch font
  EXPECT_EQ(store.ValueNames(key).size(), std::size(integers) + 8);
  EXPECT_TRUE(store.KeyExists(key + "\\RecentFiles"));
  EXPECT_TRUE(store.KeyExists(key + "\\UserCodes"));
}

TEST_F(ConfigurationTest, RecentFilesHoldAtMost96AndMoveToTheFront) {
  TConfiguration config(Reopen());
  for (int i = 0; i < 97; ++i)
    config.AddRecentFile({0, 0, 1, "/f" + std::to_string(i), "", "", false});
  ASSERT_EQ(config.RecentList.size(), 96u);
  EXPECT_EQ(config.RecentList.front().fileName, "/f96");
  EXPECT_EQ(config.IndexOfRecentFile("/f0"), -1);

  config.AddRecentFile({3, 7, 2, "/f50", "windows-1252", "PHP", true});
  EXPECT_EQ(config.RecentList.size(), 96u);
  EXPECT_EQ(config.IndexOfRecentFile("/f50"), 0);
  // Names are compared exactly: these are two different files.
  EXPECT_EQ(config.IndexOfRecentFile("/F50"), -1);
  config.AddRecentFile({0, 0, 1, "", "", "", false});  // a record without a name is ignored
  EXPECT_EQ(config.RecentList.size(), 96u);
  config.Save();

  TConfiguration again(Reopen());
  ASSERT_EQ(again.RecentList.size(), 96u);
  const TRecentFile& r = again.RecentList.front();
  EXPECT_EQ(r.fileName, "/f50");
  EXPECT_EQ(r.caretX, 3);
  EXPECT_EQ(r.caretY, 7);
  EXPECT_EQ(r.topLine, 2);
  EXPECT_EQ(r.encoding, "windows-1252");
  EXPECT_EQ(r.highlighter, "PHP");
  EXPECT_TRUE(r.reopen);
}

TEST_F(ConfigurationTest, FewerUserCodesLeaveNoStaleIndexes) {
  {
    TConfiguration config(Reopen());
    for (int i = 0; i < 5; ++i)
      config.UserCodeList.push_back({"c" + std::to_string(i), "<b>", "</b>"});
    config.Save();
    config.UserCodeList.resize(3);
    config.Save();
  }
  TSettingsStore& store = Reopen();
  const std::string key = R + "\\default\\UserCodes";
  EXPECT_TRUE(store.ValueExists(key, "usercode_caption2"));
  for (const char* name : {"usercode_caption3", "usercode_before3", "usercode_after4"})
    EXPECT_FALSE(store.ValueExists(key, name)) << name;
  TConfiguration again(store);
  ASSERT_EQ(again.UserCodeList.size(), 3u);
  EXPECT_EQ(again.UserCodeList[1].before, "<b>");
  EXPECT_EQ(again.UserCodeList[1].after, "</b>");
}

TEST_F(ConfigurationTest, SwitchingToAnEmptyConfigurationKeepsMissingValues) {
  TConfiguration config(Reopen());
  config.FontSize = 14;
  config.AddConfig("project_b");
  config.SwitchTo("project_b");
  EXPECT_EQ(config.ConfigName, "project_b");
  EXPECT_EQ(config.FontSize, 14);
  config.SaveAtExit();

  TConfiguration again(Reopen());
  EXPECT_EQ(again.ConfigName, "project_b");
  EXPECT_NE(std::find(again.ConfigNames.begin(), again.ConfigNames.end(), "default"),
            again.ConfigNames.end());
}

TEST_F(ConfigurationTest, NewConfigurationIsListedAfterRestartAndDeleteRemovesIt) {
  {
    TConfiguration config(Reopen());
    config.AddConfig("site-1");
  }
  {
    TConfiguration config(Reopen());
    EXPECT_NE(std::find(config.ConfigNames.begin(), config.ConfigNames.end(), "site-1"),
              config.ConfigNames.end());
    config.DeleteConfig("site-1");
    EXPECT_EQ(std::find(config.ConfigNames.begin(), config.ConfigNames.end(), "site-1"),
              config.ConfigNames.end());
  }
  EXPECT_FALSE(Reopen().KeyExists(R + "\\site-1"));
}

TEST_F(ConfigurationTest, WrongTypeEndsReadingOfTheConfigurationKey) {
  TSettingsStore& store = Reopen();
  const std::string key = R + "\\default";
  store.WriteInteger(key, "unixeol", 0);          // read before the bad value
  store.WriteString(key, "rightedge", "eighty");  // wrong type
  store.WriteInteger(key, "tabwidth", 8);         // after it: not read
  store.Flush();
  TConfiguration config(Reopen());
  EXPECT_FALSE(config.UnixEol);
  EXPECT_EQ(config.RightEdge, 80);
  EXPECT_EQ(config.TabWidth, 4);
}

TEST_F(ConfigurationTest, NumberedListsEndAtTheFirstMissingIndex) {
  TSettingsStore& store = Reopen();
  const std::string key = R + "\\default";
  store.WriteString(key, "application0", "Firefox=firefox %s");
  store.WriteString(key, "application2", "Never=read");
  store.WriteString(key + "\\RecentFiles", "recentfile_filename0", "/a");
  store.WriteString(key + "\\RecentFiles", "recentfile_filename2", "/c");
  store.WriteInteger(key, "multipleinstances", 1);  // only the root copy counts
  store.Flush();
  TConfiguration config(Reopen());
  EXPECT_EQ(config.Applications, std::vector<std::string>{"Firefox=firefox %s"});
  ASSERT_EQ(config.RecentList.size(), 1u);
  EXPECT_EQ(config.RecentList[0].topLine, 1);  // default for a missing field
  EXPECT_FALSE(config.MultipleInstances);
}

TEST_F(ConfigurationTest, SavingFewerApplicationsDeletesTheRest) {
  {
    TConfiguration config(Reopen());
    config.SetApplications({"a=1", "b=2", "c=3"});
    config.Save();
    config.SetApplications({"z=9"});
    config.Save();
  }
  TConfiguration again(Reopen());
  EXPECT_EQ(again.Applications, std::vector<std::string>{"z=9"});
}

TEST_F(ConfigurationTest, PlacementRoundTripsOnlyWhatWasStored) {
  {
    TConfiguration config(Reopen());
    TPlacement console;
    console.visible = false;
    console.left = 10;
    console.top = -5;
    console.width = 300;
    console.height = 200;
    console.dock = "DockPanelBottom";
    config.SavePlacement("Console", console);
    TPlacement bar;
    bar.visible = true;
    config.SavePlacement("MainToolbar", bar);
    config.SaveAtExit();
  }
  TConfiguration config(Reopen());
  TPlacement console = config.LoadPlacement("Console");
  EXPECT_EQ(console.visible, false);
  EXPECT_EQ(console.top, -5);
  EXPECT_EQ(console.dock, "DockPanelBottom");
  TPlacement bar = config.LoadPlacement("MainToolbar");
  EXPECT_EQ(bar.visible, true);
  EXPECT_FALSE(bar.left.has_value());
  EXPECT_FALSE(config.LoadPlacement("HtmlEditor").dock.has_value());
}

// The owner's highlighters are loaded before the configuration's values and saved first.
TEST_F(ConfigurationTest, OwnerKeepsHighlighterColoursInTheActiveConfiguration) {
  struct Owner : TConfigurationOwner {
    std::vector<std::string> calls;
    void LoadHighlighterAttributes(TSettingsStore&, const std::string& key) override {
      calls.push_back("load " + key);
    }
    void SaveHighlighterAttributes(TSettingsStore&, const std::string& key) override {
      calls.push_back("save " + key);
    }
  } owner;
  TConfiguration config(Reopen(), &owner);
  config.Save();
  EXPECT_EQ(owner.calls, (std::vector<std::string>{"load " + R + "\\default\\Highlighters",
                                                   "save " + R + "\\default\\Highlighters"}));
}

// The marks follow the documents open now: a record of a file no longer open loses its mark.
TEST_F(ConfigurationTest, ReopenMarksAreSetForExactlyTheGivenFiles) {
  TConfiguration config(Reopen());
  for (const char* file : {"/w/a.php", "/w/b.php", "/w/c.php"}) {
    TRecentFile record;
    record.fileName = file;
    config.AddRecentFile(record);
  }
  config.SetReopenMarks({"/w/a.php", "/w/c.php"});
  config.SetReopenMarks({"/w/b.php", "/w/A.php"});
  std::vector<bool> marks;
  for (const auto& record : config.RecentList) marks.push_back(record.reopen);
  EXPECT_EQ(marks, (std::vector<bool>{false, true, false}));  // c, b, a
}

}  // namespace
}  // namespace tervil
