#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tervil::utf8 {

// The editor keeps its text as valid UTF-8 with LF as the only line break. A character is one
// code point: a lead byte and its continuation bytes.

inline bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Number of code points in valid UTF-8 text.
std::size_t CountChars(const char* text, std::size_t size);
inline std::size_t CountChars(std::string_view text) {
  return CountChars(text.data(), text.size());
}

// Byte index after skipping `chars` code points of valid UTF-8 text, clamped to `size`.
// `skipped` (optional) receives the number of code points actually skipped.
std::size_t AdvanceChars(const char* text, std::size_t size, std::size_t chars,
                         std::size_t* skipped = nullptr);

// Length of the longest prefix of `text` that is valid UTF-8 (strict: no overlong forms, no
// surrogates, nothing above U+10FFFF).
std::size_t ValidPrefix(const char* text, std::size_t size);
inline bool IsValid(std::string_view text) {
  return ValidPrefix(text.data(), text.size()) == text.size();
}

// Length of the valid sequence starting at text[0], or 0 when it is not valid.
std::size_t SequenceLength(const char* text, std::size_t size);

// Whether text is already as the buffer keeps it: valid UTF-8 without CR.
bool IsNormalized(std::string_view text);

// Normalises text for the buffer: CR LF and lone CR become LF, and every byte that is not part of
// a valid UTF-8 sequence is taken as the Latin-1 character of that value. Appends to `out`.
// Returns true when `out` received only ASCII bytes.
bool NormalizeAppend(std::string_view text, std::string& out);

// Decodes the code point at text[0]; sets `length` to its byte count (at least 1).
char32_t Decode(const char* text, std::size_t size, std::size_t& length);
// Decodes the code point that ends at text[end]; sets `length` to its byte count.
char32_t DecodeBefore(const char* text, std::size_t end, std::size_t& length);

void Append(std::string& out, char32_t cp);
std::string Encode(char32_t cp);

// Unicode letter and digit classification and simple case mapping.
bool IsAlnum(char32_t cp);
bool IsSpace(char32_t cp);
char32_t ToLower(char32_t cp);
char32_t ToUpper(char32_t cp);
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);

// Letters, digits and "_": the characters of a word for the editor.
inline bool IsWordChar(char32_t cp) {
  if (cp < 0x80) {
    return (cp >= '0' && cp <= '9') || (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') ||
           cp == '_';
  }
  return IsAlnum(cp);
}

}  // namespace tervil::utf8
