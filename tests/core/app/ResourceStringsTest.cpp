#include <gtest/gtest.h>

#include "core/app/ResourceStrings.h"

namespace tervil {
namespace {

TEST(ResourceStrings, LookupRules) {
  TResourceStrings table({"Plain=Value", " Spaced  =  padded value  ", "Eq=a=b = c",
                          "no separator here", "Plain=second"});
  struct Case {
    const char* key;
    const char* expected;
  } cases[] = {
      {"Plain", "Value"},          // the first matching line wins
      {"Spaced", "padded value"},  // key and value are trimmed
      {"Eq", "a=b = c"},           // only the first "=" separates
      {"plain", ""},               // keys are case-sensitive
      {"Missing", ""},             // no line: empty text
      {"", "no separator here"},   // a line without "=" has an empty key
  };
  for (const auto& c : cases) EXPECT_EQ(table.Lookup(c.key), c.expected) << c.key;
}

TEST(ResourceStrings, MainWindowTable) {
  TResourceStrings table(MainWindowMessages());
  EXPECT_EQ(table.Items().size(), 30u);
  EXPECT_EQ(table.Lookup("AppName"), "Tervil Editor");
  EXPECT_EQ(table.Lookup("OpenedCount"), "Opened Editors:");
  EXPECT_EQ(table.Lookup("appname"), "");
  EXPECT_EQ(table.Lookup("BadConfigName"),
            "The name of the config must contain letters, digits, \"_\", \"-\" only and must "
            "contain at least one character");
  EXPECT_EQ(table.Lookup("LargeFile"), "Selected file is large. Are you sure you want to open it?");
  // Every line has a key of its own.
  for (const auto& line : table.Items()) {
    std::string key = line.substr(0, line.find('='));
    EXPECT_EQ(table.Lookup(key),
              line.substr(line.find('=') + 1).substr(0, table.Lookup(key).size()));
  }
}

TEST(ResourceStrings, OtherTables) {
  EXPECT_EQ(TResourceStrings(OptionsDialogMessages()).Lookup("3"), "Applications");
  EXPECT_EQ(TResourceStrings(OptionsDialogMessages()).Items().size(), 8u);
  EXPECT_EQ(TResourceStrings(ConsoleWindowMessages()).Lookup("Finished"), "Finished");
  EXPECT_EQ(TResourceStrings(DiskExplorerMessages()).Lookup("DirectoryAlreadExists"),
            "Directory with this name already exists");
  EXPECT_EQ(TResourceStrings(DiskExplorerMessages()).Items().size(), 7u);
  EXPECT_EQ(TResourceStrings(CodeInspectorMessages()).Lookup("Fields"), "Fields");
}

}  // namespace
}  // namespace tervil
