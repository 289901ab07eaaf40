#pragma once

// The texts and image choices of the PHP code inspector, and the accessor generator's text.

#include <string>
#include <string_view>

#include "core/phpcss/PhpAnalyser.h"

namespace tervil {

// Node images of the code inspector's tree.
enum TPhpNodeImage {
  piPrivate = 0,  // a member's image is its Visibility
  piProtected = 1,
  piPublic = 2,
  piInterface = 3,
  piAbstractClass = 4,
  piStaticOverlay = 5,  // drawn over a static member's image
  piClass = 6,          // classes, traits, enums and the group nodes
  piFunction = 7,
};

// State marks of method nodes.
enum TPhpNodeState { psNone = 0, psFinal = 1, psAbstract = 2 };

// Captions; line breaks and runs of white space inside them read as single spaces.
// "Name (Parent)".
std::string PhpClassCaption(const TPHPClass& cls);
// "$count:int = 0".
std::string PhpFieldCaption(const TPHPField& field);
// "add($a, $b) : int".
std::string PhpMethodCaption(const TPHPMethod& method);

// The class image: abstract before interface before plain class.
int PhpClassImage(const TPHPClass& cls);
// Final wins over abstract.
int PhpMethodState(const TPHPMethod& method);

// The PHP variable at a caret column (from 1) of a line: the word there (or ending just before
// it), extended to its end, with the "$" before it; or a "$" at the caret with the word after
// it. Empty when there is no word; without "$" when the word has none.
std::string PhpVariableAt(std::string_view line, int column);

// The text "Add get/set methods" inserts after the line of the variable `word` ("$name"):
// a line break, then a getter and a setter indented by `indent`, their bodies by `tabWidth`
// more spaces, each line ending with a CR. Empty unless `word` starts with "$".
std::string PhpAccessorText(std::string_view word, std::string_view indent, int tabWidth);

// The run of spaces at the start of a line (a tab ends it).
std::string_view LeadingSpaces(std::string_view line);

}  // namespace tervil
