#include "core/phpcss/CssStyle.h"

#include <algorithm>

#include "core/common/Utf8.h"
#include "core/phpcss/CssText.h"
#include "core/text/TextProcessor.h"

namespace tervil {

namespace {

std::u32string Decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    utf8::NextChar(text, i, cp);
    out.push_back(cp);
  }
  return out;
}

std::string Encode(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t cp : text) utf8::Append(out, cp);
  return out;
}

bool IsPropertyChar(char ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
         ch == '-' || ch == '_';
}

// The inside of a block cut at every ";" that is not in a comment, a quoted string or
// parentheses (so url(a;b) and content: ";" stay whole). False when a comment, a string or a
// parenthesis does not end inside the block.
bool SplitDeclarations(std::string_view inside, std::vector<std::string_view>& parts) {
  std::size_t start = 0;
  int depth = 0;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    const char ch = inside[i];
    if (ch == '/' && i + 1 < inside.size() && inside[i + 1] == '*') {
      const std::size_t end = inside.find("*/", i + 2);
      if (end == std::string_view::npos) return false;
      i = end + 1;
    } else if (ch == '"' || ch == '\'') {
      std::size_t end = i + 1;
      while (end < inside.size() && inside[end] != ch) end += inside[end] == '\\' ? 2 : 1;
      if (end >= inside.size()) return false;
      i = end;
    } else if (ch == '(') {
      ++depth;
    } else if (ch == ')') {
      depth = std::max(0, depth - 1);
    } else if (ch == ';' && depth == 0) {
      parts.push_back(inside.substr(start, i - start));
      start = i + 1;
    }
  }
  if (depth > 0) return false;
  parts.push_back(inside.substr(start));
  return true;
}

// The colons of a declaration that are not in parentheses, quotes or comments; a declaration
// must have exactly one (url(http://...) and content: "a:b" hold more in their value).
std::size_t CountColons(std::string_view part, std::size_t& first) {
  std::size_t count = 0;
  int depth = 0;
  for (std::size_t i = 0; i < part.size(); ++i) {
    const char ch = part[i];
    if (ch == '/' && i + 1 < part.size() && part[i + 1] == '*') {
      i = part.find("*/", i + 2) + 1;
    } else if (ch == '"' || ch == '\'') {
      std::size_t end = i + 1;
      while (end < part.size() && part[end] != ch) end += part[end] == '\\' ? 2 : 1;
      i = end;
    } else if (ch == '(') {
      ++depth;
    } else if (ch == ')') {
      depth = std::max(0, depth - 1);
    } else if (ch == ':' && depth == 0) {
      if (count++ == 0) first = i;
    }
  }
  return count;
}

}  // namespace

const char* CssProblemText(TCssProblem problem) {
  switch (problem) {
    case TCssProblem::kNone:
      return "";
    case TCssProblem::kNoBlock:
      return "The caret is not inside a CSS block.";
    case TCssProblem::kForbiddenChar:
      return "The attribute value at the caret holds its own closing quote.";
    case TCssProblem::kUnclosed:
      return "A comment, a quoted text or a parenthesis in the block at the caret is not closed.";
    case TCssProblem::kBadDeclaration:
      return "A declaration in the block at the caret has no \":\" or a property name with other "
             "characters than letters, digits, \"-\" and \"_\".";
  }
  return "";
}

bool TCSSStyle::IsComment(std::string_view declaration) {
  return declaration.starts_with("/*");
}

std::string TCSSStyle::PropertyOf(std::string_view declaration) {
  if (IsComment(declaration)) return std::string(declaration);
  return std::string(declaration.substr(0, declaration.find(':')));
}

std::string TCSSStyle::ValueOf(std::string_view declaration) {
  const std::size_t colon = declaration.find(':');
  if (colon == std::string_view::npos || IsComment(declaration)) return {};
  return std::string(declaration.substr(colon + 1));
}

void TCSSStyle::Parse(std::string_view text, std::int64_t caret, bool wholeText) {
  SingleLine = false;
  if (caret <= 0) return;
  if (!wholeText) {
    ParseWindow(text, 0, static_cast<std::int64_t>(utf8::CountCharsTolerant(text)), caret);
    return;
  }
  Closer = '}';
  const std::u32string inside = Decode(text);
  BlockStart = 0;
  BlockEnd = static_cast<std::int64_t>(inside.size());
  ReadInside(inside);
  if (!IsValid) BlockStart = BlockEnd = std::min<std::int64_t>(caret, BlockEnd);
}

void TCSSStyle::ParseWindow(std::string_view window, std::int64_t windowStart,
                            std::int64_t textLength, std::int64_t caret) {
  SingleLine = false;
  if (caret <= 0) return;
  ScanBlock(Decode(window), windowStart, textLength, caret);
}

void TCSSStyle::ScanBlock(std::u32string_view window, std::int64_t windowStart,
                          std::int64_t textLength, std::int64_t caret) {
  const std::int64_t c = std::min(caret, textLength);
  const std::int64_t windowEnd = windowStart + static_cast<std::int64_t>(window.size());
  auto at = [&](std::int64_t offset) {
    return window[static_cast<std::size_t>(offset - windowStart)];
  };
  Closer = '}';

  // Back to the opener: a "{", or a quote that follows "=" (an attribute's value). Only a style
  // attribute's value is CSS; the caret in or after another attribute is in no block.
  const std::int64_t low = std::max({std::int64_t{0}, c - kScanBack, windowStart});
  std::int64_t opener = -1;
  bool otherAttribute = false;
  for (std::int64_t offset = std::min(c, windowEnd) - 1;
       offset >= low && opener < 0 && !otherAttribute; --offset) {
    const char32_t ch = at(offset);
    if (ch == '{') {
      opener = offset;
    } else if (ch == '\'' || ch == '"') {
      std::int64_t before = offset - 1;
      while (before >= windowStart && at(before) <= ' ') --before;
      if (before >= windowStart && at(before) == '=') {
        std::int64_t nameEnd = before - 1;
        while (nameEnd >= windowStart && at(nameEnd) <= ' ') --nameEnd;
        std::u32string name;
        for (std::int64_t i = nameEnd; i >= windowStart && name.size() <= 5; --i) {
          const char32_t n = at(i);
          if (!((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z') || n == '-' || n == ':')) break;
          name.insert(name.begin(), n >= 'A' && n <= 'Z' ? n + 32 : n);
        }
        if (name != U"style") {
          otherAttribute = true;
          continue;
        }
        opener = offset;
        Closer = static_cast<char>(ch);
        SingleLine = true;
      }
    }
  }
  if (otherAttribute) {
    SingleLine = true;
    Invalidate(TCssProblem::kNoBlock, c);
    return;
  }
  // A style value closed before the caret: the caret stands after it in the tag (or the text),
  // unless what follows the quote reads on as the value's own text.
  if (opener >= 0 && Closer != '}') {
    std::int64_t closed = -1;
    for (std::int64_t offset = opener + 1; offset < std::min(c, windowEnd) && closed < 0; ++offset)
      if (at(offset) == static_cast<char32_t>(Closer)) closed = offset;
    if (closed >= 0) {
      bool valueText = false;
      bool markup = false;
      for (std::int64_t offset = closed + 1; offset < std::min(c, windowEnd); ++offset) {
        const char32_t ch = at(offset);
        if (ch == '<' || ch == '>' || ch == '=' || ch == '\n') markup = true;
        if (ch > ' ') valueText = true;
      }
      if (markup || !valueText) {
        SingleLine = true;
        Invalidate(TCssProblem::kNoBlock, c);
        return;
      }
    }
  }
  // Ahead to the closer.
  std::int64_t closer = -1;
  if (opener >= 0) {
    const std::int64_t high = std::min({textLength, c + kScanAhead, windowEnd});
    for (std::int64_t offset = c; offset < high && closer < 0; ++offset)
      if (at(offset) == static_cast<char32_t>(Closer)) closer = offset;
  }
  if (closer < 0) {
    SingleLine = true;
    Invalidate(TCssProblem::kNoBlock, c);
    return;
  }
  const std::u32string_view inside =
      window.substr(static_cast<std::size_t>(opener + 1 - windowStart),
                    static_cast<std::size_t>(closer - opener - 1));
  ReadInside(inside);
  if (IsValid) {
    BlockStart = opener + 1;
    BlockEnd = closer;
  } else {
    BlockStart = BlockEnd = c;
  }
}

void TCSSStyle::Invalidate(TCssProblem problem, std::int64_t caret) {
  IsValid = false;
  Problem = problem;
  Declarations.clear();
  BlockStart = BlockEnd = caret;
}

// Reads the declarations of a block's inside; sets IsValid, Problem and Declarations (the
// caller places the block's range).
void TCSSStyle::ReadInside(std::u32string_view insideText) {
  // A brace inside means the caret stands between rules (or between a nested rule and its
  // parent), outside any declaration block; the closing quote inside, an attribute value that
  // holds its own quote.
  const bool brace = insideText.find_first_of(U"{}") != std::u32string_view::npos;
  if (brace || insideText.find(static_cast<char32_t>(Closer)) != std::u32string_view::npos) {
    SingleLine = true;
    Invalidate(brace ? TCssProblem::kNoBlock : TCssProblem::kForbiddenChar, 0);
    return;
  }
  const std::string inside = Encode(insideText);
  std::vector<std::string_view> parts;
  const bool closed = SplitDeclarations(inside, parts);
  if (parts.size() < 2) SingleLine = true;
  if (!closed) {
    Invalidate(TCssProblem::kUnclosed, 0);
    return;
  }
  std::vector<std::string> entries;
  for (std::string_view part : parts) {
    part = TrimBlanks(part);
    // Comments before a declaration are entries of their own.
    while (part.starts_with("/*")) {
      const std::size_t end = part.find("*/", 2);
      entries.emplace_back(part.substr(0, end + 2));
      part = TrimBlanks(part.substr(end + 2));
    }
    if (part.empty()) continue;
    std::size_t colon = 0;
    if (CountColons(part, colon) != 1) {
      Invalidate(TCssProblem::kBadDeclaration, 0);
      return;
    }
    const std::string_view property = TrimBlanks(part.substr(0, colon));
    if (!std::all_of(property.begin(), property.end(), IsPropertyChar)) {
      Invalidate(TCssProblem::kBadDeclaration, 0);
      return;
    }
    // Custom properties ("--name") are case-sensitive and keep their spelling.
    std::string entry = property.starts_with("--") ? std::string(property) : AsciiLower(property);
    entry += ':';
    entry += TrimBlanks(part.substr(colon + 1));
    entries.push_back(std::move(entry));
  }
  Declarations = std::move(entries);
  IsValid = true;
  Problem = TCssProblem::kNone;
}

std::string TCSSStyle::Compose() const {
  std::string out;
  for (const std::string& declaration : Declarations) {
    if (IsComment(declaration)) {
      out += declaration;
      out += ' ';
    } else {
      out += ReplaceOccurrences(":", " : ", 1, declaration);
      out += "; ";
    }
    if (!SingleLine) out += '\n';
  }
  return std::string(TrimBlanks(out));
}

void TCSSStyle::Merge(const TCSSStyle& other, const std::vector<std::string>* managed) {
  auto inOther = [&](const std::string& property) -> const std::string* {
    for (const std::string& declaration : other.Declarations)
      if (PropertyOf(declaration) == property) return &declaration;
    return nullptr;
  };
  auto isManaged = [&](const std::string& property) {
    if (!managed) return false;
    const std::string lower = AsciiLower(property);
    return std::any_of(managed->begin(), managed->end(),
                       [&](const std::string& name) { return AsciiLower(name) == lower; });
  };
  std::vector<std::string> own;
  for (const std::string& declaration : Declarations) own.push_back(PropertyOf(declaration));

  std::vector<std::string> seen;
  for (std::size_t i = Declarations.size(); i-- > 0;) {
    const std::string& property = own[i];
    const bool isLast = std::find(seen.begin(), seen.end(), property) == seen.end();
    seen.push_back(property);
    if (const std::string* replacement = inOther(property)) {
      if (isLast) Declarations[i] = *replacement;
    } else if (isManaged(property)) {
      Declarations.erase(Declarations.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  for (const std::string& declaration : other.Declarations)
    if (std::find(own.begin(), own.end(), PropertyOf(declaration)) == own.end())
      Declarations.push_back(declaration);
}

}  // namespace tervil
