#pragma once

#include <string>
#include <string_view>

namespace tervil {

// File names are bytes; the user interface works with UTF-16 text. A name that is valid UTF-8
// maps to its characters. Each byte of a name that does not form valid UTF-8 maps to a lone low
// surrogate, U+DC80 to U+DCFF, which valid UTF-8 never yields, so that the way back gives the
// exact bytes again and two names never meet in one text (the byte 0xE9 and the character U+FFFD
// stay apart).
std::u16string PathToUtf16(std::string_view bytes);

// The bytes of a name made by PathToUtf16. Other text is written as UTF-8 (a stray surrogate
// that no name can yield becomes U+FFFD).
std::string PathFromUtf16(std::u16string_view text);

}  // namespace tervil
