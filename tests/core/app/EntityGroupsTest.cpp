#include <gtest/gtest.h>

#include "core/app/EntityGroups.h"

namespace tervil {
namespace {

TEST(EntityGroups, KindOfTheCharacter) {
  const struct {
    const char* caption;
    const char* group;
  } cases[] = {
      {"No-break space", "Spaces and marks"},
      {"\xC3\xA9  Small e with acute", "Latin letters"},
      {"\xC3\x97  Multiplication sign", "Mathematical symbols"},
      {"\xCE\xB1  Small alpha", "Greek letters"},
      {"\xE2\x87\x91  Upwards double arrow", "Arrows"},
      {"\xE2\x88\x91  N-ary summation", "Mathematical symbols"},
      {"&  Ampersand", "Punctuation and signs"},
      {"\xE2\x80\x9D  Right double quotation mark", "Punctuation and signs"},
      {"\xE2\x99\xA6  Black diamond suit", "Other symbols"},
      {"", "Spaces and marks"},
  };
  for (const auto& c : cases) EXPECT_EQ(EntityGroupOf({c.caption, "&x;"}), c.group) << c.caption;
}

TEST(EntityGroups, GroupsKeepOrderAndSplitLongOnes) {
  std::vector<TEntityItem> items = {{"&  Ampersand", "&amp;"}};
  for (int i = 0; i < 7; ++i) items.push_back({"\xC3\xA9  e " + std::to_string(i), "&e;"});
  items.push_back({"<  Less-than sign", "&lt;"});
  const std::vector<TEntityGroup> groups = GroupEntities(items, 3);
  std::vector<std::string> titles;
  std::vector<std::size_t> sizes;
  for (const TEntityGroup& g : groups) {
    titles.push_back(g.title);
    sizes.push_back(g.items.size());
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"Punctuation and signs", "Latin letters 1",
                                              "Latin letters 2", "Latin letters 3"}));
  EXPECT_EQ(sizes, (std::vector<std::size_t>{2, 3, 3, 1}));
  EXPECT_EQ(groups[1].items.front().caption, "\xC3\xA9  e 0");
  EXPECT_EQ(groups[3].items.front().caption, "\xC3\xA9  e 6");
}

}  // namespace
}  // namespace tervil
