#include "core/highlighters/LexerTools.h"

#include <algorithm>
#include <cstring>

namespace tervil {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(static_cast<unsigned char>(a[i])) !=
        AsciiLower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

TKeywordSet::TKeywordSet(std::initializer_list<std::string_view> words, bool ignoreCase)
    : ignoreCase_(ignoreCase) {
  std::size_t capacity = 16;
  while (capacity < words.size() * 3) capacity *= 2;
  mask_ = static_cast<std::uint32_t>(capacity - 1);
  slots_.assign(capacity, -1);
  for (std::string_view word : words) {
    if (word.empty() || Contains(word)) continue;
    words_.emplace_back(word);
    minLength_ = std::min(minLength_, word.size());
    maxLength_ = std::max(maxLength_, word.size());
    std::uint32_t slot = Hash(word) & mask_;
    while (slots_[slot] >= 0) slot = (slot + 1) & mask_;
    slots_[slot] = static_cast<std::int32_t>(words_.size() - 1);
  }
}

std::uint32_t TKeywordSet::Hash(std::string_view word) const {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : word) {
    h ^= ignoreCase_ ? AsciiLower(c) : c;
    h *= 16777619u;
  }
  return h ^ (h >> 15);
}

bool TKeywordSet::Contains(std::string_view word) const {
  if (word.size() < minLength_ || word.size() > maxLength_) return false;
  std::uint32_t slot = Hash(word) & mask_;
  while (slots_[slot] >= 0) {
    const std::string& candidate = words_[static_cast<std::size_t>(slots_[slot])];
    if (candidate.size() == word.size() &&
        (ignoreCase_ ? EqualsNoCase(candidate, word)
                     : std::memcmp(candidate.data(), word.data(), word.size()) == 0))
      return true;
    slot = (slot + 1) & mask_;
  }
  return false;
}

std::uint32_t TLabelTable::Intern(std::string_view label) {
  auto it = ids_.find(std::string(label));
  if (it != ids_.end()) return it->second;
  if (labels_.size() > kMaxId) return 0;
  auto id = static_cast<std::uint32_t>(labels_.size());
  labels_.emplace_back(label);
  ids_.emplace(std::string(label), id);
  return id;
}

std::string_view TLabelTable::Label(std::uint32_t id) const {
  return id < labels_.size() ? std::string_view(labels_[id]) : std::string_view();
}

void TScanner::AdvanceChar() {
  if (pos >= end_) return;
  auto lead = static_cast<unsigned char>(data_[pos++]);
  if (lead < 0xC0) return;
  int continuation = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  while (continuation-- > 0 && pos < end_ &&
         (static_cast<unsigned char>(data_[pos]) & 0xC0) == 0x80)
    ++pos;
}

bool TScanner::SkipTo(std::string_view terminator) {
  std::size_t found = Rest().find(terminator);
  if (found == std::string_view::npos) {
    pos = end_;
    return false;
  }
  pos += found;
  return true;
}

bool TScanner::SkipPast(std::string_view terminator) {
  if (!SkipTo(terminator)) return false;
  pos += terminator.size();
  return true;
}

bool TScanner::EndsWithEscape() const {
  std::size_t count = 0;
  while (count < end_ - begin_ && data_[end_ - 1 - count] == '\\') ++count;
  return count % 2 == 1;
}

bool TScanner::SkipQuoted(unsigned char quote, unsigned char escape, bool doubled) {
  while (pos < end_) {
    auto c = static_cast<unsigned char>(data_[pos]);
    if (c == escape && escape != 0) {
      pos = (end_ - pos >= 2) ? pos + 2 : end_;
      continue;
    }
    ++pos;
    if (c == quote) {
      if (doubled && Peek() == quote) {
        ++pos;
        continue;
      }
      return true;
    }
  }
  return false;
}

namespace {

void SkipDigits(TScanner& s, bool (*isDigit)(unsigned char), char separator) {
  while (!s.AtEnd()) {
    unsigned char c = s.Peek();
    if (isDigit(c) ||
        (separator != 0 && c == static_cast<unsigned char>(separator) && isDigit(s.Peek(1)))) {
      s.Advance();
    } else {
      break;
    }
  }
}

// A number with a base prefix (0x1F, 0b101, 0o17) that the syntax allows.
bool ScanPrefixedNumber(TScanner& s, const TNumberSyntax& syntax) {
  if (s.Peek() != '0') return false;
  struct TPrefix {
    unsigned char letter;
    bool allowed;
    bool (*isDigit)(unsigned char);
  };
  const TPrefix prefixes[] = {{'x', syntax.hexPrefix, IsHexDigit},
                              {'b', syntax.binaryPrefix, IsBinaryDigit},
                              {'o', syntax.octalPrefix, IsOctalDigit}};
  const unsigned char letter = AsciiLower(s.Peek(1));
  for (const TPrefix& prefix : prefixes) {
    if (prefix.allowed && letter == prefix.letter && prefix.isDigit(s.Peek(2))) {
      s.Advance(2);
      SkipDigits(s, prefix.isDigit, syntax.separator);
      return true;
    }
  }
  return false;
}

void ScanDecimalNumber(TScanner& s, char separator) {
  SkipDigits(s, IsDigit, separator);
  if (s.Peek() == '.' && IsDigit(s.Peek(1))) {
    s.Advance();
    SkipDigits(s, IsDigit, separator);
  }
  if (AsciiLower(s.Peek()) == 'e') {
    std::size_t sign = (s.Peek(1) == '+' || s.Peek(1) == '-') ? 1 : 0;
    if (IsDigit(s.Peek(1 + sign))) {
      s.Advance(1 + sign);
      SkipDigits(s, IsDigit, separator);
    }
  }
}

}  // namespace

void ScanNumber(TScanner& s, const TNumberSyntax& syntax) {
  if (!ScanPrefixedNumber(s, syntax)) ScanDecimalNumber(s, syntax.separator);
  if (syntax.suffixes) s.SkipWhile([](unsigned char c) { return IsLetter(c) || IsDigit(c); });
}

std::size_t ByteOffsetOfColumn(std::string_view line, int column) {
  if (column <= 1) return 0;
  int current = 1;
  for (std::size_t i = 1; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 && ++current == column) return i;
  }
  return line.size();
}

}  // namespace tervil
