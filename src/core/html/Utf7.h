#pragma once

#include <string>
#include <string_view>

namespace tervil::textutf8 {

// Decodes UTF-7 (RFC 2152) into UTF-8, appending to `out`. Returns false when the bytes are not
// valid UTF-7: a byte above 0x7F, a "+" that starts no base64 run, padding bits that are not
// zero, a surrogate without its partner, or a run cut off inside a character.
bool DecodeUtf7(std::string_view bytes, std::string& out);

}  // namespace tervil::textutf8
