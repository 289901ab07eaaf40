#pragma once

// Escaping of user text that the generators write into HTML markup.

#include <string>
#include <string_view>

namespace tervil {

// Text for a double-quoted attribute value: "&" (unless it already starts a character
// reference such as "&amp;" or "&#233;"), "<", ">" and the double quote become references.
// Line breaks and tabs become spaces, so that an attribute never spans lines.
std::string EscapeAttribute(std::string_view text);

// Text for element content: like EscapeAttribute, but double quotes stay as typed.
std::string EscapeContent(std::string_view text);

// Whether the text at `pos` (an "&") starts a complete character reference: a name of letters
// and digits, or "#" with decimal digits, or "#x" with hexadecimal digits, then ";".
bool StartsCharacterReference(std::string_view text, std::size_t pos);

}  // namespace tervil
