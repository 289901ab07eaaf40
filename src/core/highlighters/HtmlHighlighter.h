#pragma once

#include "core/highlighters/MarkupHighlighter.h"

namespace tervil {

// HTML: tags (known and unknown names), attributes and their values, entities, comments and
// the document type declaration.
class THtmlHighlighter : public TMarkupHighlighter {
 public:
  THtmlHighlighter();
};

}  // namespace tervil
