#pragma once

// The UTF-16 and UTF-32 forms of Unicode. They are not rows of the charset table: a document is
// read in one of them when its bytes show it (a byte-order mark, or the NUL bytes that such text
// has beside every ASCII character), and written back in the same form.

#include <string>
#include <string_view>

namespace tervil {

struct TUnicodeForm {
  std::string_view name;  // "utf-16le", "utf-16be", "utf-32le", "utf-32be"
  int unitSize;           // 2 or 4 bytes
  bool bigEndian;
};

// The form of this name, or nullptr.
const TUnicodeForm* FindUnicodeForm(std::string_view name);
// The form the bytes are written in, or nullptr when they are not (completely) valid UTF-16 or
// UTF-32 or show neither a byte-order mark nor the NUL pattern. A byte-order mark stays part of the
// text (as U+FEFF), so that writing the text back writes it again.
const TUnicodeForm* DetectUnicodeForm(std::string_view bytes);

// Strict conversions: false for bytes that are not valid in the form (a cut unit, a lone
// surrogate, a value beyond U+10FFFF) or for text that is not valid UTF-8.
bool DecodeUnicodeForm(const TUnicodeForm& form, std::string_view bytes, std::string& utf8);
bool EncodeUnicodeForm(const TUnicodeForm& form, std::string_view utf8, std::string& bytes);

}  // namespace tervil
