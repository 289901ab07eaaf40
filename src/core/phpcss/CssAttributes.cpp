#include "core/phpcss/CssAttributes.h"

#include <algorithm>

#include "core/common/TextFile.h"
#include "core/phpcss/CssText.h"
#include "core/text/TextProcessor.h"

namespace tervil {

namespace {

constexpr std::size_t kProblemsShown = 5;

}  // namespace

TCssEditStyle TCssAttr::EditStyle() const {
  if (style == "espicklist") return TCssEditStyle::kPickList;
  if (style == "esellipsis") return TCssEditStyle::kEllipsis;
  return TCssEditStyle::kSimple;
}

std::vector<std::string> TCssAttr::PickList() const {
  std::vector<std::string> items;
  TStringList parts;
  SplitByChar(U'|', values, parts);
  for (const std::string& part : parts)
    if (const std::string_view item = TrimBlanks(part); !item.empty()) items.emplace_back(item);
  return items;
}

void TCssAttributeTable::LoadText(std::string_view text, std::vector<std::string>& problems) {
  attributes_.clear();
  index_.clear();
  std::size_t unreadable = 0;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    // A space at the end lets an unquoted last value end there.
    const std::string line = std::string(text.substr(start, end - start)) + ' ';
    start = end + 1;
    ++lineNumber;
    if (TrimBlanks(line).empty()) continue;
    TCssAttr attr{GetAttributeValue("values", line, false), GetAttributeValue("style", line, false),
                  GetAttributeValue("name", line, false),
                  GetAttributeValue("uservalue", line, false),
                  GetAttributeValue("kind", line, false)};
    if (attr.name.empty()) {
      if (++unreadable <= kProblemsShown)
        problems.push_back("css.tvd, line " + std::to_string(lineNumber) +
                           ": no property name; the line is skipped.");
      continue;
    }
    index_.try_emplace(attr.name, attributes_.size());
    attributes_.push_back(std::move(attr));
  }
  if (unreadable > kProblemsShown)
    problems.push_back("css.tvd: " + std::to_string(unreadable - kProblemsShown) +
                       " more lines without a property name are skipped.");
}

bool TCssAttributeTable::LoadFile(const std::string& path, std::vector<std::string>& problems) {
  std::string text;
  std::string error;
  if (!ReadFileBytes(path, text, &error)) {
    attributes_.clear();
    index_.clear();
    problems.push_back(error + " The Css Editor shows every property as plain text.");
    return false;
  }
  LoadText(text, problems);
  return true;
}

const TCssAttr* TCssAttributeTable::Find(std::string_view name) const {
  const auto found = index_.find(std::string(name));
  return found == index_.end() ? nullptr : &attributes_[found->second];
}

std::vector<std::string> TCssAttributeTable::SortedNames() const {
  std::vector<std::string> names;
  names.reserve(attributes_.size());
  for (const TCssAttr& attr : attributes_) names.push_back(attr.name);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace tervil
