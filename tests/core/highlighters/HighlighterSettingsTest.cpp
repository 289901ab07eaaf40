// Highlighter colours in the settings store.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/highlighters/HighlighterSet.h"
#include "core/highlighters/HighlighterSettings.h"

namespace tervil {
namespace {

std::string StorePath() {
  const char* tmp = std::getenv("TERVIL_TEST_TMP");
  // One file per test process: the cases run as parallel processes.
  return std::string(tmp ? tmp : "/tmp") + "/highlighter-settings-test-" +
         std::to_string(::getpid()) + ".reg";
}

TEST(HighlighterSettings, KeyPathOfAConfiguration) {
  EXPECT_EQ(HighlighterKeyPath("default", "C/C++"),
            "Software\\Tervil Editor\\default\\Highlighters\\C/C++");
}

TEST(HighlighterSettings, SavesEveryAttributeUnderItsName) {
  TSettingsStore store(StorePath());
  THighlighterSet set;
  std::string key = HighlighterKeyPath("default", "HTML");
  SaveHighlighterAttributes(store, key, set.Html());
  EXPECT_EQ(store.SubkeyNames(key).size(), set.Html().Attributes().size());
  std::string comment = key + "\\Comment";
  EXPECT_EQ(store.ReadInteger(comment, "Foreground"), clSilver);
  EXPECT_EQ(store.ReadInteger(comment, "Background"), clNone);
  EXPECT_EQ(store.ReadInteger(comment, "Style"), static_cast<std::uint32_t>(fsItalic));
}

TEST(HighlighterSettings, LoadsWhatWasSaved) {
  TSettingsStore store(StorePath());
  THighlighterSet saved;
  auto* keyword = saved.Java().FindAttribute("Reserved Word");
  keyword->foreground = 0x123456;
  keyword->background = clWindow;
  keyword->style = fsUnderline | fsStrikeOut;
  std::string key = HighlighterKeyPath("work", "Java");
  SaveHighlighterAttributes(store, key, saved.Java());

  THighlighterSet loaded;
  LoadHighlighterAttributes(store, key, loaded.Java());
  auto savedAttributes = saved.Java().Attributes();
  auto loadedAttributes = loaded.Java().Attributes();
  ASSERT_EQ(savedAttributes.size(), loadedAttributes.size());
  for (std::size_t i = 0; i < savedAttributes.size(); ++i) {
    EXPECT_EQ(loadedAttributes[i]->foreground, savedAttributes[i]->foreground);
    EXPECT_EQ(loadedAttributes[i]->background, savedAttributes[i]->background);
    EXPECT_EQ(loadedAttributes[i]->style, savedAttributes[i]->style);
  }
}

TEST(HighlighterSettings, MissingOrWrongTypedValuesLeaveTheAttribute) {
  TSettingsStore store(StorePath());
  std::string key = HighlighterKeyPath("default", "PHP");
  store.WriteString(key + "\\Variable", "Foreground", "green");
  store.WriteInteger(key + "\\Variable", "Style", 0xFF);
  store.WriteInteger(key + "\\Comment", "Background", clYellow);

  THighlighterSet set;
  LoadHighlighterAttributes(store, key, set.Php());
  auto* variable = set.Php().FindAttribute("Variable");
  EXPECT_EQ(variable->foreground, clGreen);
  EXPECT_EQ(variable->style, fsBold | fsItalic | fsUnderline | fsStrikeOut);
  auto* comment = set.Php().FindAttribute("Comment");
  EXPECT_EQ(comment->background, clYellow);
  EXPECT_EQ(comment->foreground, clGray);
  EXPECT_EQ(set.Php().FindAttribute("Number")->foreground, 0x007575u);

  LoadHighlighterAttributes(store, HighlighterKeyPath("missing", "PHP"), set.Php());
  EXPECT_EQ(comment->background, clYellow);
}

}  // namespace
}  // namespace tervil
