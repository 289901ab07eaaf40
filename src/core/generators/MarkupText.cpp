#include "core/generators/MarkupText.h"

#include <cctype>

namespace tervil {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsAlnum(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

std::string Escape(std::string_view text, bool quotes) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (c) {
      case '&':
        out += StartsCharacterReference(text, i) ? "&" : "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += quotes ? "&quot;" : "\"";
        break;
      case '\r':
      case '\n':
      case '\t':
        out += ' ';
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

bool StartsCharacterReference(std::string_view text, std::size_t pos) {
  if (pos >= text.size() || text[pos] != '&') return false;
  std::size_t i = pos + 1;
  bool (*accepts)(char) = IsAlnum;
  if (i < text.size() && text[i] == '#') {
    ++i;
    accepts = IsDigit;
    if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
      ++i;
      accepts = IsHexDigit;
    }
  } else if (i >= text.size() || !std::isalpha(static_cast<unsigned char>(text[i]))) {
    return false;
  }
  const std::size_t first = i;
  while (i < text.size() && accepts(text[i])) ++i;
  return i > first && i < text.size() && text[i] == ';';
}

std::string EscapeAttribute(std::string_view text) {
  return Escape(text, true);
}

std::string EscapeContent(std::string_view text) {
  return Escape(text, false);
}

}  // namespace tervil
