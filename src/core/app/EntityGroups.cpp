#include "core/app/EntityGroups.h"

#include <algorithm>

#include "core/common/Utf8.h"

namespace tervil {

std::string EntityGroupOf(const TEntityItem& item) {
  const std::string& caption = item.caption;
  std::size_t length = 0;
  const char32_t c = caption.empty() ? 0 : utf8::Decode(caption.data(), caption.size(), length);
  // A caption that names its character shows it first, then two spaces.
  if (c == 0 || caption.compare(length, 2, "  ") != 0) return "Spaces and marks";
  if ((c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) || c == 0x2C6 || c == 0x2DC)
    return "Latin letters";
  if (c >= 0x370 && c <= 0x3FF) return "Greek letters";
  if (c >= 0x2190 && c <= 0x21FF) return "Arrows";
  if ((c >= 0x2200 && c <= 0x22FF) || (c >= 0x2308 && c <= 0x230B) || c == 0x2329 || c == 0x232A ||
      c == 0xD7 || c == 0xF7 || c == 0xB1 || c == 0xAC || c == 0x2032 || c == 0x2033 || c == 0x2044)
    return "Mathematical symbols";
  if (c < 0x100 || (c >= 0x2000 && c <= 0x206F)) return "Punctuation and signs";
  return "Other symbols";
}

std::vector<TEntityGroup> GroupEntities(const std::vector<TEntityItem>& items,
                                        std::size_t maxPerGroup) {
  maxPerGroup = std::max<std::size_t>(maxPerGroup, 1);
  std::vector<TEntityGroup> whole;
  for (const TEntityItem& item : items) {
    const std::string title = EntityGroupOf(item);
    auto group = std::find_if(whole.begin(), whole.end(),
                              [&title](const TEntityGroup& g) { return g.title == title; });
    if (group == whole.end()) group = whole.insert(whole.end(), TEntityGroup{title, {}});
    group->items.push_back(item);
  }
  std::vector<TEntityGroup> groups;
  for (TEntityGroup& group : whole) {
    const std::size_t parts = (group.items.size() + maxPerGroup - 1) / maxPerGroup;
    if (parts <= 1) {
      groups.push_back(std::move(group));
      continue;
    }
    // Parts of even size, as long as the limit allows.
    const std::size_t size = (group.items.size() + parts - 1) / parts;
    for (std::size_t part = 0; part < parts; ++part) {
      const auto first = group.items.begin() + static_cast<std::ptrdiff_t>(part * size);
      const auto last = group.items.begin() + static_cast<std::ptrdiff_t>(
                                                  std::min(group.items.size(), (part + 1) * size));
      groups.push_back({group.title + " " + std::to_string(part + 1), {first, last}});
    }
  }
  return groups;
}

}  // namespace tervil
