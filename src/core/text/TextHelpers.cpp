// The free string and string-list helpers of the text processor.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Utf8.h"
#include "core/text/TextProcessor.h"

namespace tervil {

std::string ReplaceOccurrences(std::string_view pattern, std::string_view replacement, int count,
                               std::string_view source) {
  if (pattern.empty() || count == 0) return std::string(source);
  std::string out;
  out.reserve(source.size());
  std::size_t pos = 0;
  for (int done = 0; count < 0 || done < count; ++done) {
    const std::size_t found = source.find(pattern, pos);
    if (found == std::string_view::npos) break;
    out.append(source.substr(pos, found - pos));
    out.append(replacement);
    pos = found + pattern.size();
  }
  out.append(source.substr(pos));
  return out;
}

std::string JoinLines(const TStringList& lines, std::string_view separator) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + separator.size();
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out.append(separator);
    out.append(lines[i]);
  }
  return out;
}

void RemoveBlankLines(TStringList& lines) {
  std::erase_if(lines, [](const std::string& line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
  });
}

void SplitByCharSet(std::string_view delimiters, std::string_view text, TStringList& items) {
  std::array<bool, 128> asciiDelimiter{};
  std::vector<char32_t> otherDelimiters;
  for (std::size_t i = 0; i < delimiters.size();) {
    char32_t cp;
    if (!utf8::NextChar(delimiters, i, cp)) continue;
    if (cp < 0x80) {
      asciiDelimiter[cp] = true;
    } else {
      otherDelimiters.push_back(cp);
    }
  }
  items.clear();
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t at = i;
    const auto byte = static_cast<unsigned char>(text[i]);
    bool delimiter;
    if (byte < 0x80) {
      delimiter = asciiDelimiter[byte];
      ++i;
    } else {
      char32_t cp;
      delimiter =
          utf8::NextChar(text, i, cp) &&
          std::find(otherDelimiters.begin(), otherDelimiters.end(), cp) != otherDelimiters.end();
    }
    if (delimiter) {
      items.emplace_back(text.substr(start, at - start));
      start = i;
    }
  }
  items.emplace_back(text.substr(start));
}

void SplitByChar(char32_t delimiter, std::string_view text, TStringList& items) {
  std::string delimiterText;
  utf8::Append(delimiterText, delimiter);
  SplitByCharSet(delimiterText, text, items);
}

char32_t LastNonBlankChar(std::string_view text, std::size_t position) {
  char32_t last = 0;
  std::size_t i = 0;
  for (std::size_t index = 0; index < position && i < text.size(); ++index) {
    char32_t cp;
    if (!utf8::NextChar(text, i, cp)) cp = utf8::kReplacementChar;
    if (cp > ' ') last = cp;
  }
  return last;
}

std::size_t LastPos(std::string_view pattern, std::string_view text) {
  if (pattern.empty()) return 0;
  const std::size_t found = text.rfind(pattern);
  if (found == std::string_view::npos) return 0;
  return utf8::CountCharsTolerant(text.substr(0, found)) + 1;
}

std::string GetAttributeValue(std::string_view name, std::string_view tag, bool wrap) {
  std::string key(1, ' ');
  key.append(name);
  if (tag.find(key) == std::string_view::npos) return {};
  for (const auto& row : AttributeQuotePatterns) {
    const std::string pattern = key + std::string(row.opener);  // space, name, opener
    const std::size_t found = tag.find(pattern);
    if (found == std::string_view::npos) continue;
    const std::size_t valueStart = found + pattern.size();
    const std::size_t closer = tag.find(row.closer, valueStart);
    const std::string value = closer == std::string_view::npos
                                  ? std::string()
                                  : std::string(tag.substr(valueStart, closer - valueStart));
    if (!wrap) return value;
    std::string wrapped(row.opener);
    wrapped.append(value).append(row.closer);
    return wrapped;
  }
  return {};
}

}  // namespace tervil
