#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// The attributes a markup language (HTML, XML) gives to the parts of its text.
struct TMarkupStyle {
  const THighlighterAttribute* text = nullptr;
  const THighlighterAttribute* space = nullptr;
  const THighlighterAttribute* symbol = nullptr;  // < > </ /> =
  const THighlighterAttribute* tagName = nullptr;
  const THighlighterAttribute* unknownTagName = nullptr;  // names missing from knownTags
  const THighlighterAttribute* attributeName = nullptr;
  const THighlighterAttribute* attributeValue = nullptr;
  const THighlighterAttribute* comment = nullptr;
  const THighlighterAttribute* entity = nullptr;
  const THighlighterAttribute* declaration = nullptr;  // <!DOCTYPE ...>
  const THighlighterAttribute* processing = nullptr;   // <? ... ?>
  const THighlighterAttribute* cdata = nullptr;        // <![CDATA[ ... ]]>
  const TKeywordSet* knownTags = nullptr;              // nullptr: every name is a tag name
  bool xml = false;  // CDATA sections, "?>" ends a processing instruction, case-sensitive names
};

// Tokenizes the scanner's range as markup, starting in `state` (0: text), and returns the state
// at the end of the range. Tags, attribute values, comments and declarations may span lines.
THighlighterState TokenizeMarkup(TScanner& s, THighlighterState state, TTokenWriter& out,
                                 const TMarkupStyle& style);

// Base of the markup highlighters: the derived constructor fills in style_ and then calls
// SetMarkupDefaults().
class TMarkupHighlighter : public TSyntaxHighlighter {
 public:
  using TSyntaxHighlighter::TSyntaxHighlighter;

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 protected:
  // Comments, attribute names, tag names, attribute values, space and symbols stand for the
  // kinds of text.
  void SetMarkupDefaults();

  TMarkupStyle style_;
};

}  // namespace tervil
