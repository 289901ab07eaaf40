#pragma once

#include "core/highlighters/LexerTools.h"

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

}  // namespace tervil
