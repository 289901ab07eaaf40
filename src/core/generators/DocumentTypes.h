#pragma once

// The document types of the "New..." command: the highlighter a new page gets, its default
// file extension and its initial text.

#include <string>
#include <string_view>
#include <vector>

namespace tervil {

struct TDocumentType {
  std::string Caption;
  // The language name of a single highlighter, or empty for the multi-language highlighter.
  std::string Highlighter;
  std::string Extension;    // with its dot
  std::string InitialText;  // empty: the page keeps its empty text
  bool WordWrap = false;
};

// The types in the order the dialog lists them: sorted by caption.
const std::vector<TDocumentType>& DocumentTypes();
const TDocumentType* FindDocumentType(std::string_view caption);

// The file name a new page of the type gets: the typed name with the type's extension added
// when it has none (the part after the last "/" holds no "."). An empty name stays empty.
std::string NewDocumentFileName(std::string_view typed, const TDocumentType& type);

}  // namespace tervil
