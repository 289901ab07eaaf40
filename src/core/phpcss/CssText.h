#pragma once

// Small text helpers of the CSS tools.

#include <string>
#include <string_view>

namespace tervil {

// Without the leading and trailing characters at or below the space.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// A–Z lower-cased; other characters as they are.
inline std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

}  // namespace tervil
