#include "core/highlighters/SyntaxHighlighter.h"

#include <algorithm>

namespace tervil {

TSyntaxHighlighter::TSyntaxHighlighter(std::string languageName, std::string defaultFilter)
    : languageName_(std::move(languageName)), defaultFilter_(std::move(defaultFilter)) {}

std::vector<THighlighterAttribute*> TSyntaxHighlighter::Attributes() {
  std::vector<THighlighterAttribute*> result;
  result.reserve(attributes_.size());
  for (auto& attribute : attributes_) result.push_back(attribute.get());
  std::stable_sort(result.begin(), result.end(),
                   [](const THighlighterAttribute* a, const THighlighterAttribute* b) {
                     return a->name < b->name;
                   });
  return result;
}

THighlighterAttribute* TSyntaxHighlighter::FindAttribute(std::string_view name) {
  for (auto& attribute : attributes_) {
    if (attribute->name == name) return attribute.get();
  }
  return nullptr;
}

THighlighterAttribute* TSyntaxHighlighter::AddAttribute(std::string name, TColor foreground,
                                                        int style, TColor background) {
  auto attribute = std::make_unique<THighlighterAttribute>();
  attribute->name = std::move(name);
  attribute->foreground = foreground;
  attribute->background = background;
  attribute->style = style;
  attributes_.push_back(std::move(attribute));
  return attributes_.back().get();
}

}  // namespace tervil
