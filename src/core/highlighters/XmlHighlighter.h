#pragma once

#include "core/highlighters/MarkupLexer.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// XML: elements, attributes and values, entity references, comments, CDATA sections,
// processing instructions and the document type declaration with its internal subset.
class TXmlHighlighter : public TSyntaxHighlighter {
 public:
  TXmlHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  TMarkupStyle style_;
};

}  // namespace tervil
