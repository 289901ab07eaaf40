#pragma once

// UTF-7 (RFC 2152), read strictly and written with every optional direct character direct, so
// that plain ASCII text reads and writes back unchanged.

#include <string>
#include <string_view>

namespace tervil::utf7 {

// Decodes UTF-7 into UTF-8, appending to `out`. Returns false when the bytes are not valid
// UTF-7: a byte that may not stand for itself (above 0x7F, backslash, "~", a control character
// other than tab, CR and LF), a "+" that starts no base64 run, padding bits that are not zero, a
// surrogate without its partner, or a run cut off inside a character.
bool Decode(std::string_view bytes, std::string& out);

// Encodes UTF-8 text as UTF-7, appending to `out`. Every base64 run is closed with "-". A byte
// that is not valid UTF-8 is written as U+FFFD.
void Encode(std::string_view text, std::string& out);

}  // namespace tervil::utf7
