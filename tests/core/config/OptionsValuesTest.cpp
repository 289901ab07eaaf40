#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "core/config/Configuration.h"
#include "core/config/ExtensionChecks.h"
#include "core/config/OptionsValues.h"
#include "core/config/UserCodeEditor.h"
#include "core/highlighters/HighlighterSet.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

class OptionsValuesTest : public ::testing::Test {
 protected:
  OptionsValuesTest() {
    store_ = std::make_unique<TSettingsStore>(dir_.File("registry.reg"));
    store_->Load();
    config_ = std::make_unique<TConfiguration>(*store_);
  }
  test::TTempDir dir_;
  std::unique_ptr<TSettingsStore> store_;
  std::unique_ptr<TConfiguration> config_;
};

// A configuration with every value away from its default; filling the dialog from it and
// applying the dialog to a default configuration gives every value back.
TEST_F(OptionsValuesTest, EveryControlTakesItsValueAndGivesItBack) {
  TConfiguration& c = *config_;
  c.Autosave = true;
  c.AutosaveInterval = 17 * 60000;
  c.AutosaveBackup = true;
  c.DefaultEncoding = "koi8-u";
  c.EncodingFilter = "*.php;";
  c.SupportedExtensions = "*.txt";
  c.ReopenFiles = 2;
  c.UnixEol = false;
  c.AutoDetectEol = false;
  c.CheckVersion = false;
  c.MultipleInstances = true;
  c.ShowHiddenFiles = false;
  c.UserCodeList = {{"one", "<b>", "</b>"}, {"two", "[", "]"}};
  c.TabWidth = 8;
  c.TabsToSpaces = false;
  c.SpacesToTabs = true;
  c.AutoIndent = false;
  c.ContinueLists = true;
  c.AutoClose = false;
  c.TabCloseButton = false;
  c.EnhanceHomeKey = false;
  c.SmartTabs = true;
  c.VariableColor = 0x0000FF;
  c.BracketColor = 0x00FF00;
  c.ActiveLineColor = 0xFF0000;
  c.RightEdgeColor = clNone;
  c.EditorBackground = 0xFF00000F;
  c.RightEdge = 120;
  c.FontSize = 14;
  c.FontName = "DejaVu Sans Mono";
  c.Gutter = false;
  c.PhpPath = "\"/usr/bin/php\"";
  c.Applications = {"Firefox=firefox %s", "Lint=php -l"};
  c.RunWithDefault = "Lint";

  const TOptionsValues v = FillOptions(c);
  EXPECT_TRUE(v.autosave);
  EXPECT_EQ(v.autosaveMinutes, 17);
  EXPECT_EQ(v.defaultEncoding, "koi8-u");
  EXPECT_EQ(v.whitespace, wsSpacesToTabs);
  EXPECT_EQ(v.applications,
            (std::vector<TApplicationRow>{{"Firefox", "firefox %s"}, {"Lint", "php -l"}}));
  EXPECT_EQ(v.defaultApplication, "Lint");
  EXPECT_FALSE(OptionsDiffer(v, c));

  TSettingsStore other(dir_.File("other.reg"));
  TConfiguration d(other);
  ApplyOptions(v, d);
  EXPECT_FALSE(OptionsDiffer(v, d));
  EXPECT_EQ(d.AutosaveInterval, c.AutosaveInterval);
  EXPECT_EQ(d.DefaultEncoding, c.DefaultEncoding);
  EXPECT_EQ(d.ReopenFiles, 2);
  EXPECT_EQ(d.MultipleInstances, true);
  EXPECT_EQ(d.CheckVersion, false);
  EXPECT_EQ(d.TabsToSpaces, false);
  EXPECT_EQ(d.SpacesToTabs, true);
  EXPECT_EQ(d.EditorBackground, 0xFF00000Fu);
  EXPECT_EQ(d.RightEdgeColor, clNone);
  EXPECT_EQ(d.Applications, c.Applications);
  EXPECT_EQ(d.RunWithDefault, "Lint");
  EXPECT_EQ(d.PhpPath, c.PhpPath);
  EXPECT_EQ(d.FontName, "DejaVu Sans Mono");
  EXPECT_FALSE(d.Gutter);
  ASSERT_EQ(d.UserCodeList.size(), 2u);
  EXPECT_EQ(d.UserCodeList[1].before, "[");
}

// How stored values show in the controls and what Ok writes back.
TEST_F(OptionsValuesTest, StoredValuesShowInsideTheControlsRanges) {
  struct Case {
    const char* name;
    std::function<void(TConfiguration&)> store;
    std::function<int(const TOptionsValues&)> shown;
    int expectedShown;
    std::function<int(const TConfiguration&)> saved;
    int expectedSaved;
  };
  auto minutes = [](const TOptionsValues& v) { return v.autosaveMinutes; };
  auto interval = [](const TConfiguration& c) { return c.AutosaveInterval; };
  auto tab = [](const TOptionsValues& v) { return v.tabWidth; };
  auto savedTab = [](const TConfiguration& c) { return c.TabWidth; };
  auto font = [](const TOptionsValues& v) { return v.fontSize; };
  auto savedFont = [](const TConfiguration& c) { return c.FontSize; };
  auto edge = [](const TOptionsValues& v) { return v.rightEdge; };
  auto savedEdge = [](const TConfiguration& c) { return c.RightEdge; };
  const std::vector<Case> cases = {
      {"90000 ms is one minute", [](auto& c) { c.AutosaveInterval = 90000; }, minutes, 1, interval,
       60000},
      {"less than a minute shows the least", [](auto& c) { c.AutosaveInterval = 1000; }, minutes, 1,
       interval, 60000},
      {"more than an hour shows the most", [](auto& c) { c.AutosaveInterval = 9000000; }, minutes,
       60, interval, 3600000},
      {"tab width 0", [](auto& c) { c.TabWidth = 0; }, tab, 1, savedTab, 1},
      {"tab width 40", [](auto& c) { c.TabWidth = 40; }, tab, 16, savedTab, 16},
      {"font size -3", [](auto& c) { c.FontSize = -3; }, font, 1, savedFont, 1},
      {"font size 72", [](auto& c) { c.FontSize = 72; }, font, 48, savedFont, 48},
      {"right edge 10", [](auto& c) { c.RightEdge = 10; }, edge, 25, savedEdge, 25},
      {"right edge 999", [](auto& c) { c.RightEdge = 999; }, edge, 200, savedEdge, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TConfiguration config(*store_);
    c.store(config);
    const TOptionsValues v = FillOptions(config);
    EXPECT_EQ(c.shown(v), c.expectedShown);
    ApplyOptions(v, config);
    EXPECT_EQ(c.saved(config), c.expectedSaved);
  }
  // Numbers typed out of range are kept inside it as well.
  TOptionsValues typed = FillOptions(*config_);
  typed.tabWidth = 99;
  typed.autosaveMinutes = 0;
  ApplyOptions(typed, *config_);
  EXPECT_EQ(config_->TabWidth, 16);
  EXPECT_EQ(config_->AutosaveInterval, 60000);
}

TEST_F(OptionsValuesTest, WhitespaceChoiceFollowsTheTwoFlags) {
  struct Case {
    bool tabsToSpaces, spacesToTabs;
    int shown;
    bool savedTabsToSpaces, savedSpacesToTabs;
  };
  const Case cases[] = {{true, false, wsTabsToSpaces, true, false},
                        {false, true, wsSpacesToTabs, false, true},
                        {true, true, wsTabsToSpaces, true, false},
                        {false, false, wsNoChange, false, false}};
  for (const Case& c : cases) {
    config_->TabsToSpaces = c.tabsToSpaces;
    config_->SpacesToTabs = c.spacesToTabs;
    const TOptionsValues v = FillOptions(*config_);
    EXPECT_EQ(v.whitespace, c.shown);
    ApplyOptions(v, *config_);
    EXPECT_EQ(config_->TabsToSpaces, c.savedTabsToSpaces);
    EXPECT_EQ(config_->SpacesToTabs, c.savedSpacesToTabs);
  }
}

TEST_F(OptionsValuesTest, ListsShowWhatTheyOffer) {
  config_->DefaultEncoding = "no-such-charset";
  config_->UserCodeList = {{"  ", "a", "b"}, {"kept", "c", "d"}};
  TOptionsValues v = FillOptions(*config_);
  EXPECT_EQ(v.defaultEncoding, "");
  ASSERT_EQ(v.userCodes.size(), 1u);
  EXPECT_EQ(v.userCodes[0].caption, "kept");

  struct Case {
    const char* name;
    std::string phpPath;
    std::vector<std::string> applications;
    std::string runWithDefault;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"the stored name", "/usr/bin/php", {"A=a", "B=b"}, "B", "B"},
      {"PHP with a PHP path", "/usr/bin/php", {"A=a"}, "PHP", "PHP"},
      {"no PHP without a path", " ", {"A=a"}, "PHP", "A"},
      {"an unknown name shows the first", "", {"A=a", "B=b"}, "Gone", "A"},
      {"nothing to offer", "", {"=nameless"}, "x", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    config_->PhpPath = c.phpPath;
    config_->Applications = c.applications;
    config_->RunWithDefault = c.runWithDefault;
    EXPECT_EQ(FillOptions(*config_).defaultApplication, c.shown);
  }
}

TEST(OptionsDefaultApplication, RebuiltListKeepsTheSelectionWherePossible) {
  const std::vector<TApplicationRow> rows = {{"A", "a"}, {"", "x"}, {"B", "b"}};
  EXPECT_EQ(DefaultApplicationNames("", rows), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(DefaultApplicationNames("/bin/php", rows), (std::vector<std::string>{"PHP", "A", "B"}));
  const std::vector<std::string> names = {"PHP", "A", "B"};
  EXPECT_EQ(DefaultApplicationIndex(names, "B", 0), 2);
  EXPECT_EQ(DefaultApplicationIndex(names, "Gone", 1), 1);
  EXPECT_EQ(DefaultApplicationIndex(names, "Gone", 7), 0);
  EXPECT_EQ(DefaultApplicationIndex({}, "A", 0), -1);
  EXPECT_TRUE(ApplicationNameTaken(rows, 0, "B"));
  EXPECT_FALSE(ApplicationNameTaken(rows, 2, "B"));
}

TEST_F(OptionsValuesTest, EveryEditIsSeenByTheComparison) {
  const std::vector<std::pair<const char*, std::function<void(TOptionsValues&)>>> edits = {
      {"autosave", [](auto& v) { v.autosave = !v.autosave; }},
      {"interval", [](auto& v) { v.autosaveMinutes = 9; }},
      {"encoding", [](auto& v) { v.defaultEncoding = "utf-8"; }},
      {"filter", [](auto& v) { v.encodingFilter += "*.x;"; }},
      {"reopen", [](auto& v) { v.reopenFiles = 2; }},
      {"multiple instances", [](auto& v) { v.multipleInstances = true; }},
      {"user code text",
       [](auto& v) {
         v.userCodes = {{"a", "b", "c"}};
       }},
      {"tab width", [](auto& v) { v.tabWidth = 2; }},
      {"whitespace", [](auto& v) { v.whitespace = wsNoChange; }},
      {"smart tabs", [](auto& v) { v.smartTabs = true; }},
      {"colour", [](auto& v) { v.bracketColor = clRed; }},
      {"right edge", [](auto& v) { v.rightEdge = 100; }},
      {"font size", [](auto& v) { v.fontSize = 12; }},
      {"font name", [](auto& v) { v.fontName = "Mono"; }},
      {"gutter", [](auto& v) { v.gutter = false; }},
      {"php path", [](auto& v) { v.phpPath = "/bin/php"; }},
      {"application row",
       [](auto& v) {
         v.applications.push_back({"A", "a"});
       }},
  };
  config_->UserCodeList = {{"a", "b", "x"}};
  EXPECT_FALSE(OptionsDiffer(FillOptions(*config_), *config_));
  for (const auto& [name, edit] : edits) {
    SCOPED_TRACE(name);
    TOptionsValues v = FillOptions(*config_);
    edit(v);
    EXPECT_TRUE(OptionsDiffer(v, *config_));
  }
}

TEST(OptionsConfigName, NewNamesFollowTheRules) {
  const std::vector<std::string> existing = {"default", "work"};
  struct Case {
    const char* name;
    TConfigNameCheck expected;
  };
  const Case cases[] = {
      {"my-config", TConfigNameCheck::Ok},  {"A_b9", TConfigNameCheck::Ok},
      {"my config", TConfigNameCheck::Bad}, {"", TConfigNameCheck::Bad},
      {" ", TConfigNameCheck::Bad},         {"caf\xC3\xA9", TConfigNameCheck::Bad},
      {"a\\b", TConfigNameCheck::Bad},      {"work", TConfigNameCheck::Exists},
      {"Work", TConfigNameCheck::Ok},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckNewConfigName(c.name, existing), c.expected) << c.name;
}

TEST(OptionsPaths, BrowseStartsUnquotedAndWritesQuoted) {
  EXPECT_EQ(UnquotedPath("  \"/usr/bin/php\" "), "/usr/bin/php");
  EXPECT_EQ(UnquotedPath("\"\""), "");
  EXPECT_EQ(QuotedPath("/opt/my app/run"), "\"/opt/my app/run\"");
}

// The user-code button: sequences of the user's steps and what the group shows after each.
TEST(OptionsUserCodes, ButtonFollowsSelectionAndCaption) {
  using B = TUserCodeEditor::TButton;
  TUserCodeEditor e({{"one", "<1>", "</1>"}, {"two", "<2>", "</2>"}});
  EXPECT_EQ(e.Button(), B::Add);

  e.Select(1);
  EXPECT_EQ(e.Button(), B::Update);
  EXPECT_EQ(e.Before(), "<2>");
  e.SetCaption(" ");
  EXPECT_EQ(e.Button(), B::Delete);
  e.SetCaption("deux");
  EXPECT_EQ(e.Button(), B::Update);
  e.SetAfter("<end>");
  e.Press();  // updates the row
  EXPECT_EQ(e.Codes()[1].caption, "deux");
  EXPECT_EQ(e.Codes()[1].after, "<end>");
  EXPECT_EQ(e.Button(), B::Add);
  EXPECT_EQ(e.Selected(), -1);
  EXPECT_EQ(e.Caption(), "");

  e.Select(0);
  e.SetCaption("");
  e.Press();  // a blank caption deletes the row
  ASSERT_EQ(e.Codes().size(), 1u);
  EXPECT_EQ(e.Codes()[0].caption, "deux");

  e.SetCaption("");  // no row: a blank caption adds nothing, the button stays "Add"
  EXPECT_EQ(e.Button(), B::Add);
  e.Press();
  EXPECT_EQ(e.Codes().size(), 1u);
  e.SetCaption("three");
  e.SetBefore("[");
  e.Press();
  ASSERT_EQ(e.Codes().size(), 2u);
  EXPECT_EQ(e.Codes()[1].before, "[");

  e.Select(0);
  e.Select(-1);  // deselecting clears the boxes
  EXPECT_EQ(e.Button(), B::Add);
  EXPECT_EQ(e.Before(), "");
  e.Select(0);
  e.DeleteSelected();
  ASSERT_EQ(e.Codes().size(), 1u);
  EXPECT_EQ(e.Codes()[0].caption, "three");
  e.Select(5);  // no such row
  EXPECT_EQ(e.Button(), B::Add);
}

TEST(OptionsExtensions, ListIsSortedWithEachExtensionOnce) {
  EXPECT_EQ(ParseExtensionList(".php\r\n\n  .css \n.php\nhtml\n.a b\n.js"),
            (std::vector<std::string>{".css", ".js", ".php"}));
  EXPECT_TRUE(ParseExtensionList("").empty());
}

TEST(OptionsExtensions, ChecksAssociateAndLeaveOtherProgramsAlone) {
  test::TTempDir dir;
  const std::string mimeapps = dir.File("mimeapps.list");
  ::mkdir(dir.File("applications").c_str(), 0755);
  std::ofstream(mimeapps) << "[Default Applications]\ntext/html=other.desktop;\n";
  TFileAssociation association({dir.File("applications"), mimeapps}, [](const std::string& ext) {
    return ext == ".php"    ? std::string("application/x-php")
           : ext == ".html" ? std::string("text/html")
                            : std::string();
  });
  ApplyExtensionChecks(association, {{".html", false}, {".php", true}}, "/usr/bin/tervil");
  EXPECT_EQ(ReadExtensionChecks(association, {".html", ".php"}),
            (std::vector<TExtensionCheck>{{".html", false}, {".php", true}}));
  std::stringstream text;
  text << std::ifstream(mimeapps).rdbuf();
  EXPECT_NE(text.str().find("text/html=other.desktop;"), std::string::npos);

  ApplyExtensionChecks(association, {{".php", false}}, "/usr/bin/tervil");
  EXPECT_FALSE(association.IsAssociated(".php"));
}

TEST(OptionsHighlighterColours, RestorePutsBackWhatWasTaken) {
  THighlighterSet set;
  THighlighter* php = &set.Php();
  THighlighterAttribute* first = php->Attributes().front();
  const THighlighterAttribute before = *first;
  THighlighterColours saved;
  saved.Take({php});
  first->foreground = before.foreground == clRed ? clBlue : clRed;
  first->style = fsBold | fsStrikeOut;
  saved.Restore();
  EXPECT_EQ(first->foreground, before.foreground);
  EXPECT_EQ(first->style, before.style);
}

}  // namespace
}  // namespace tervil
