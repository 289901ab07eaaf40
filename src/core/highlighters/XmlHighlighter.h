#pragma once

#include "core/highlighters/MarkupHighlighter.h"

namespace tervil {

// XML: elements, attributes and values, entity references, comments, CDATA sections,
// processing instructions and the document type declaration with its internal subset.
class TXmlHighlighter : public TMarkupHighlighter {
 public:
  TXmlHighlighter();
};

}  // namespace tervil
