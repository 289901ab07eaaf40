// Reading the declarations of a PHP text from its tokens.

#include "core/phpcss/PhpDeclarationReader.h"

#include <algorithm>
#include <array>

namespace tervil {
namespace {

bool IsBlankChar(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && IsBlankChar(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankChar(s.back())) s.remove_suffix(1);
  return s;
}

// Words that start a declaration or an expression of their own; a declaration's modifiers and
// type never hold them.
constexpr std::array<std::string_view, 12> kStatementWords = {
    "function", "fn",   "class", "interface", "trait",    "enum",
    "const",    "case", "use",   "new",       "abstract", "final"};

// Modifiers that may stand before a return type but never inside it.
constexpr std::array<std::string_view, 6> kMemberModifiers = {"public", "protected", "private",
                                                              "var",    "readonly",  "static"};

}  // namespace

TPhpDeclarationReader::TPhpDeclarationReader(std::string_view text, TPhpTextStore& texts,
                                             const std::atomic<bool>* cancel)
    : text_(text), texts_(texts), cancel_(cancel), tokens_(TokenizePhp(text, cancel)) {
  MatchBrackets();
}

bool TPhpDeclarationReader::IsWord(std::size_t i, std::string_view lowerWord) const {
  return i < Size() && IsPhpWord(text_, Token(i), lowerWord);
}

bool TPhpDeclarationReader::IsSymbol(std::size_t i, std::string_view symbol) const {
  return i < Size() && IsPhpSymbol(text_, Token(i), symbol);
}

TPhpTokenKind TPhpDeclarationReader::Kind(std::size_t i) const {
  return PhpTokenKind(text_, Token(i));
}

bool TPhpDeclarationReader::IsCode(std::size_t i) const {
  const TPhpTokenKind kind = Kind(i);
  return kind != TPhpTokenKind::Comment && kind != TPhpTokenKind::Attribute;
}

std::size_t TPhpDeclarationReader::NextCode(std::size_t i) const {
  std::size_t j = i + 1;
  while (j < Size() && !IsCode(j)) ++j;
  return std::min(j, Size());
}

std::size_t TPhpDeclarationReader::PrevCode(std::size_t i) const {
  while (i > 0) {
    --i;
    if (IsCode(i)) return i;
  }
  return npos;
}

TPhpToken TPhpDeclarationReader::Token(std::size_t i) const {
  const TPhpToken& token = tokens_[i];
  if (token.End & kBracketBit) return {token.Start, token.Start + 1};
  return token;
}

std::string_view TPhpDeclarationReader::TokenText(std::size_t i) const {
  const TPhpToken token = Token(i);
  return text_.substr(token.Start, token.End - token.Start);
}

// The text from token `first` to token `last`, its runs of white space made single spaces.
std::string TPhpDeclarationReader::SpanText(std::size_t first, std::size_t last) const {
  const std::string_view span = TrimView(text_.substr(Start(first), End(last) - Start(first)));
  std::string out;
  out.reserve(span.size());
  for (const char c : span) {
    if (!IsBlankChar(c)) {
      out.push_back(c);
    } else if (out.back() != ' ') {
      out.push_back(' ');
    }
  }
  return out;
}

std::size_t TPhpDeclarationReader::Matching(std::size_t i) const {
  if (i >= Size() || !(tokens_[i].End & kBracketBit)) return npos;
  const std::uint32_t partner = tokens_[i].End & ~kBracketBit;
  return partner == kNoMatch ? npos : partner;
}

// Pairs every bracket with its partner, each kind of bracket counted on its own, so that an
// unbalanced parenthesis does not upset the braces. A bracket is one character long, so its
// token keeps the index of its partner in place of its end (see Token).
void TPhpDeclarationReader::MatchBrackets() {
  constexpr std::string_view kOpen = "([{";
  constexpr std::string_view kClose = ")]}";
  std::array<std::vector<std::uint32_t>, 3> open;
  for (std::size_t i = 0; i < Size(); ++i) {
    TPhpToken& token = tokens_[i];
    if (token.End - token.Start != 1) continue;  // brackets are single-character symbols
    const char c = text_[token.Start];
    if (const auto k = kOpen.find(c); k != std::string_view::npos) {
      open[k].push_back(static_cast<std::uint32_t>(i));
      token.End = kBracketBit | kNoMatch;
    } else if (const auto m = kClose.find(c); m != std::string_view::npos) {
      token.End = kBracketBit | kNoMatch;
      if (open[m].empty()) continue;
      token.End = kBracketBit | open[m].back();
      tokens_[open[m].back()].End = kBracketBit | static_cast<std::uint32_t>(i);
      open[m].pop_back();
    }
  }
}

bool TPhpDeclarationReader::IsClassDeclaration(std::size_t i, TPHPClassKind& kind) const {
  const std::size_t prev = PrevCode(i);
  if (IsSymbol(prev, "::") || IsSymbol(prev, "->") || IsSymbol(prev, "?->") ||
      IsWord(prev, "new") || IsWord(prev, "function") || IsWord(prev, "const"))
    return false;
  const std::size_t name = NextCode(i);
  if (name >= Size() || Kind(name) != TPhpTokenKind::Word) return false;
  if (IsWord(name, "extends") || IsWord(name, "implements")) return false;
  if (IsWord(i, "class")) {
    kind = TPHPClassKind::Class;
  } else if (IsWord(i, "interface")) {
    kind = TPHPClassKind::Interface;
  } else if (IsWord(i, "trait")) {
    kind = TPHPClassKind::Trait;
  } else if (IsWord(i, "enum")) {
    // "enum" is a keyword only before a name that opens a body, a backing type or a list of
    // interfaces.
    const std::size_t after = NextCode(name);
    if (!IsSymbol(after, "{") && !IsSymbol(after, ":") && !IsWord(after, "implements"))
      return false;
    kind = TPHPClassKind::Enum;
  } else {
    return false;
  }
  return true;
}

// "new class", "new readonly class (...)", "class extends Foo {": a class without a name.
bool TPhpDeclarationReader::IsAnonymousClass(std::size_t i) const {
  if (!IsWord(i, "class")) return false;
  const std::size_t next = NextCode(i);
  return IsWord(PrevCode(i), "new") || IsSymbol(next, "(") || IsSymbol(next, "{") ||
         IsWord(next, "extends") || IsWord(next, "implements");
}

bool TPhpDeclarationReader::IsModifier(std::size_t i) const {
  if (IsWord(i, "abstract") || IsWord(i, "final")) return true;
  for (const auto word : kMemberModifiers)
    if (IsWord(i, word)) return true;
  return false;
}

bool TPhpDeclarationReader::IsTypeToken(std::size_t i) const {
  if (i >= Size()) return false;
  if (Kind(i) == TPhpTokenKind::Word) {
    for (const auto word : kStatementWords)
      if (IsWord(i, word)) return false;
    for (const auto word : kMemberModifiers)
      if (word != "static" && IsWord(i, word)) return false;
    return true;
  }
  return IsSymbol(i, "?") || IsSymbol(i, "|") || IsSymbol(i, "&") || IsSymbol(i, "(") ||
         IsSymbol(i, ")");
}

// Reads the modifiers, the type and the nearest comment that stand before the declaration token
// `i`, looking no further back than token `lower`.
TPhpDeclarationReader::TPrefix TPhpDeclarationReader::ReadPrefix(std::size_t i,
                                                                 std::size_t lower) const {
  std::size_t s = i;
  while (s > lower) {
    const std::size_t k = s - 1;
    const bool belongs = !IsCode(k) || IsTypeToken(k) || IsModifier(k);
    if (!belongs) break;
    s = k;
  }
  TPrefix prefix;
  for (std::size_t k = s; k < i; ++k) {
    if (Kind(k) == TPhpTokenKind::Comment) {
      prefix.Comment = k;
      continue;
    }
    if (!IsCode(k)) continue;
    const bool visibility =
        IsWord(k, "public") || IsWord(k, "protected") || IsWord(k, "private") || IsWord(k, "var");
    if (visibility && IsSymbol(k + 1, "(") && IsWord(k + 2, "set") && IsSymbol(k + 3, ")")) {
      // "private(set)": the visibility of writing; the declaration's own stands before it.
      const std::size_t close = Matching(k + 1);
      prefix.HasVisibility = true;
      if (prefix.FirstModifier == npos) prefix.FirstModifier = k;
      if (close != npos && close < i) k = close;
      continue;
    }
    bool modifier = true;
    if (IsWord(k, "public") || IsWord(k, "var")) {
      prefix.Visibility = kPhpPublic;
    } else if (IsWord(k, "protected")) {
      prefix.Visibility = kPhpProtected;
    } else if (IsWord(k, "private")) {
      prefix.Visibility = kPhpPrivate;
    } else if (IsWord(k, "static")) {
      prefix.IsStatic = true;
    } else if (IsWord(k, "abstract")) {
      prefix.IsAbstract = true;
    } else if (IsWord(k, "final")) {
      prefix.IsFinal = true;
    } else if (IsWord(k, "readonly")) {
      prefix.IsReadonly = true;
    } else {
      modifier = false;
    }
    if (modifier) {
      if (visibility) prefix.HasVisibility = true;
      if (prefix.FirstModifier == npos) prefix.FirstModifier = k;
      prefix.TypeFirst = prefix.TypeLast = npos;
    } else {
      if (prefix.TypeFirst == npos) prefix.TypeFirst = k;
      prefix.TypeLast = k;
    }
  }
  // A "&" just before a variable marks a reference, not a type.
  if (prefix.TypeLast != npos && IsSymbol(prefix.TypeLast, "&")) {
    prefix.TypeLast = prefix.TypeLast == prefix.TypeFirst ? npos : PrevCode(prefix.TypeLast);
    if (prefix.TypeLast == npos) prefix.TypeFirst = npos;
  }
  return prefix;
}

// The parts of the function whose keyword is token `i`, reading no further than token `end`.
TPhpDeclarationReader::TFunctionShape TPhpDeclarationReader::ShapeOfFunction(
    std::size_t i, std::size_t end) const {
  TFunctionShape shape;
  std::size_t j = NextCode(i);
  if (IsSymbol(j, "&")) j = NextCode(j);
  if (j < end && Kind(j) == TPhpTokenKind::Word) {
    shape.Name = j;
    j = NextCode(j);
  }
  if (j >= end || !IsSymbol(j, "(")) return shape;
  shape.OpenParen = j;
  std::size_t close = Matching(j);
  if (close == npos || close >= end) {
    // No ")": the parameters end where a body or the end of a statement begins.
    close = j + 1;
    while (close < end && !IsSymbol(close, ")") && !IsSymbol(close, "{") && !IsSymbol(close, ";") &&
           !IsSymbol(close, "}"))
      ++close;
  }
  shape.HeaderEnd = close;
  j = IsSymbol(close, ")") ? NextCode(close) : close;
  if (IsWord(j, "use") && IsSymbol(NextCode(j), "(")) {
    const std::size_t useClose = Matching(NextCode(j));
    if (useClose != npos && useClose < end) j = NextCode(useClose);
  }
  if (IsSymbol(j, ":")) {
    j = NextCode(j);
    while (j < end && IsTypeToken(j)) {
      if (shape.TypeFirst == npos) shape.TypeFirst = j;
      shape.TypeLast = j;
      j = NextCode(j);
    }
  }
  shape.Ok = true;
  if (j < end && IsSymbol(j, "{")) {
    const std::size_t body = Matching(j);
    const bool closed = body != npos && body < end;
    shape.EndByte = closed ? Start(body) : text_.size() - 1;
    shape.Next = closed ? body + 1 : end;
  } else if (j < end && IsSymbol(j, ";")) {
    shape.EndByte = Start(j);
    shape.Next = j + 1;
  } else {
    // Neither body nor ";": the declaration ends with its header.
    shape.EndByte = End(PrevCode(j)) - 1;
    shape.Next = j;
  }
  return shape;
}

std::size_t TPhpDeclarationReader::SkipAnonymousClass(std::size_t i) const {
  for (std::size_t k = i + 1; k < Size(); ++k) {
    if (!IsCode(k)) continue;
    if (IsSymbol(k, "(")) {
      const std::size_t close = Matching(k);
      if (close == npos) return i + 1;
      k = close;
    } else if (IsSymbol(k, "{")) {
      const std::size_t close = Matching(k);
      return close == npos ? Size() : close + 1;
    } else if (IsSymbol(k, ";") || IsSymbol(k, "}") || IsWord(k, "class") ||
               IsWord(k, "function") || IsWord(k, "new")) {
      return i + 1;
    }
  }
  return Size();
}

void TPhpDeclarationReader::Read(std::vector<std::unique_ptr<TPHPClass>>& classes,
                                 std::vector<std::unique_ptr<TPHPMethod>>& functions) {
  std::size_t lower = 0;  // tokens before it belong to declarations already read
  std::size_t floor = 0;  // the byte just after them
  std::size_t i = 0;
  while (i < Size()) {
    if (cancel_ && cancel_->load(std::memory_order_relaxed)) return;
    std::size_t next = npos;
    TPHPClassKind kind;
    if (Kind(i) != TPhpTokenKind::Word) {
      // nothing to read
    } else if (IsClassDeclaration(i, kind)) {
      auto cls = std::make_unique<TPHPClass>();
      next = ReadClass(i, kind, lower, *cls);
      classes.push_back(std::move(cls));
    } else if (IsAnonymousClass(i)) {
      next = SkipAnonymousClass(i);
    } else if (IsWord(i, "function")) {
      const std::size_t prev = PrevCode(i);
      const bool member = IsSymbol(prev, "->") || IsSymbol(prev, "?->") || IsSymbol(prev, "::");
      const TFunctionShape shape = member ? TFunctionShape{} : ShapeOfFunction(i, Size());
      if (shape.Ok && shape.Name != npos) {
        auto function = std::make_unique<TPHPMethod>();
        next = ReadFunction(i, shape, ReadPrefix(i, lower), floor, *function);
        functions.push_back(std::move(function));
      } else if (shape.Ok) {
        next = shape.Next;  // a closure: its body holds no global declaration
      }
    }
    if (next != npos) {
      next = std::max(next, i + 1);
      lower = next;
      floor = End(next - 1);
      // Reading never goes back before the declaration just read, but for the code token
      // before what follows it: the tokens before those take no more room.
      const std::size_t previous = PrevCode(std::min(next, Size()));
      tokens_.ReleaseBefore(std::min(lower, previous == npos ? 0 : previous));
    }
    i = next != npos ? next : i + 1;
  }
}

std::size_t TPhpDeclarationReader::ReadClass(std::size_t i, TPHPClassKind kind, std::size_t lower,
                                             TPHPClass& cls) {
  const TPrefix prefix = ReadPrefix(i, lower);
  cls.Kind = kind;
  cls.IsInterface = kind == TPHPClassKind::Interface;
  cls.IsAbstract = prefix.IsAbstract;
  std::string_view noType;
  ApplyComment(cls, noType, prefix.Comment, {});
  const std::size_t name = NextCode(i);
  cls.Name = texts_.Add(TokenText(name));
  std::string parents;
  bool inExtends = false;
  std::size_t k = name + 1;
  for (; k < Size() && !IsSymbol(k, "{"); ++k) {
    if (!IsCode(k)) continue;
    if (IsWord(k, "extends") || IsWord(k, "implements")) {
      inExtends = IsWord(k, "extends");
    } else if (inExtends && Kind(k) == TPhpTokenKind::Word) {
      if (!parents.empty()) parents += ", ";
      parents += TokenText(k);
    }
  }
  cls.ParentName = texts_.Add(parents);
  if (k >= Size()) {
    cls.StartPos = static_cast<int>(text_.size());
    cls.EndPos = static_cast<int>(text_.size()) - 1;
    return Size();
  }
  const std::size_t close = Matching(k);
  cls.StartPos = static_cast<int>(Start(k));
  cls.EndPos = static_cast<int>(close == npos ? text_.size() - 1 : Start(close));
  ReadClassBody(cls, k + 1, close == npos ? Size() : close);
  return close == npos ? Size() : close + 1;
}

// Reads the members between the braces of a class body, tokens [from, to).
void TPhpDeclarationReader::ReadClassBody(TPHPClass& cls, std::size_t from, std::size_t to) {
  std::size_t lower = from;
  std::size_t floor = End(from - 1);
  std::size_t i = from;
  while (i < to) {
    std::size_t next = npos;
    if (Kind(i) == TPhpTokenKind::Variable) {
      next = ReadProperties(cls, i, ReadPrefix(i, lower), floor, to);
    } else if (IsWord(i, "function")) {
      const TFunctionShape shape = ShapeOfFunction(i, to);
      if (shape.Ok && shape.Name != npos) {
        auto method = std::make_unique<TPHPMethod>();
        next = ReadFunction(i, shape, ReadPrefix(i, lower), floor, *method);
        if (IsWord(shape.Name, "__construct")) ReadPromotedProperties(cls, shape);
        cls.Methods.push_back(std::move(method));
      } else if (shape.Ok) {
        next = shape.Next;
      }
    } else if (IsWord(i, "const") || IsWord(i, "case")) {
      next = ReadConstants(cls, i, ReadPrefix(i, lower), floor, to);
    } else if (IsWord(i, "use")) {
      next = SkipTraitUse(i, to);
    } else if (IsSymbol(i, "{")) {
      const std::size_t close = Matching(i);
      next = close == npos || close >= to ? to : close + 1;
    } else if (IsSymbol(i, ";")) {
      next = i + 1;
    }
    if (next != npos) {
      next = std::max(next, i + 1);
      lower = next;
      floor = End(next - 1);
    }
    i = next != npos ? next : i + 1;
  }
}

std::size_t TPhpDeclarationReader::ReadFunction(std::size_t i, const TFunctionShape& shape,
                                                const TPrefix& prefix, std::size_t floor,
                                                TPHPMethod& method) const {
  method.Name = texts_.Add(TokenText(shape.Name));
  method.StartPos = static_cast<int>(PhpStatementStart(text_, Start(i), floor));
  method.EndPos = static_cast<int>(shape.EndByte);
  method.Visibility = prefix.Visibility;
  method.IsStatic = prefix.IsStatic;
  method.IsAbstract = prefix.IsAbstract;
  method.IsFinal = prefix.IsFinal;
  ApplyComment(method, method.TypeName, prefix.Comment, "return");
  if (method.TypeName.empty() && shape.TypeFirst != npos)
    method.TypeName = texts_.Add(SpanText(shape.TypeFirst, shape.TypeLast));
  const std::size_t paramsStart = End(shape.OpenParen);
  const std::size_t paramsEnd = shape.HeaderEnd < Size() ? Start(shape.HeaderEnd) : text_.size();
  method.Parameters = texts_.Add(text_.substr(paramsStart, paramsEnd - paramsStart));
  return shape.Next;
}

// Constructor parameters with a visibility or "readonly" declare properties of the class.
void TPhpDeclarationReader::ReadPromotedProperties(TPHPClass& cls,
                                                   const TFunctionShape& shape) const {
  const std::size_t end = shape.HeaderEnd;
  if (!IsSymbol(end, ")")) return;
  std::size_t paramStart = shape.OpenParen + 1;
  for (std::size_t k = paramStart; k <= end; ++k) {
    if (k < end && (IsSymbol(k, "(") || IsSymbol(k, "[") || IsSymbol(k, "{"))) {
      const std::size_t close = Matching(k);
      k = close == npos || close >= end ? end - 1 : close;
      continue;
    }
    if (k < end && !IsSymbol(k, ",")) continue;
    std::size_t variable = paramStart;
    while (variable < k && Kind(variable) != TPhpTokenKind::Variable) ++variable;
    const TPrefix prefix = ReadPrefix(variable, paramStart);
    if (variable < k && (prefix.HasVisibility || prefix.IsReadonly)) {
      auto field = std::make_unique<TPHPField>();
      field->Name = texts_.Add(TokenText(variable));
      field->Visibility = prefix.Visibility;
      field->IsReadonly = prefix.IsReadonly;
      ApplyComment(*field, field->TypeName, prefix.Comment, "var");
      if (field->TypeName.empty() && prefix.TypeFirst != npos)
        field->TypeName = texts_.Add(SpanText(prefix.TypeFirst, prefix.TypeLast));
      field->StartPos = static_cast<int>(Start(prefix.FirstModifier));
      FinishField(*field, NextCode(variable), k);
      cls.Fields.push_back(std::move(field));
    }
    paramStart = k + 1;
  }
}

// Reads "$a = 1, $b;" after its modifiers; returns the token after the declaration.
std::size_t TPhpDeclarationReader::ReadProperties(TPHPClass& cls, std::size_t i,
                                                  const TPrefix& prefix, std::size_t floor,
                                                  std::size_t to) const {
  const std::size_t statementStart = PhpStatementStart(text_, Start(i), floor);
  // One copy of the declared type serves every property of the statement.
  const std::string_view declaredType =
      prefix.TypeFirst != npos ? texts_.Add(SpanText(prefix.TypeFirst, prefix.TypeLast))
                               : std::string_view();
  std::size_t variable = i;
  std::size_t previousName = Start(i);
  // A property on a line of its own starts there; one that shares the line of the one before
  // starts where that one does, the first with the statement.
  std::size_t start = statementStart;
  while (true) {
    auto field = std::make_unique<TPHPField>();
    field->Name = texts_.Add(TokenText(variable));
    start = LineStartBetween(previousName, Start(variable), start);
    field->StartPos = static_cast<int>(start);
    field->Visibility = prefix.Visibility;
    field->IsStatic = prefix.IsStatic;
    field->IsReadonly = prefix.IsReadonly;
    ApplyComment(*field, field->TypeName, prefix.Comment, "var");
    if (field->TypeName.empty()) field->TypeName = declaredType;
    const std::size_t term = FinishField(*field, NextCode(variable), to);
    TPHPField& added = *field;
    cls.Fields.push_back(std::move(field));
    if (IsSymbol(term, ",") && term < to) {
      const std::size_t nextVariable = NextCode(term);
      if (nextVariable < to && Kind(nextVariable) == TPhpTokenKind::Variable) {
        previousName = Start(variable);
        variable = nextVariable;
        continue;
      }
      return term + 1;
    }
    if (IsSymbol(term, ";") && term < to) return term + 1;
    if (IsSymbol(term, "{") && term < to) {
      // Property hooks: the property ends with its block.
      const std::size_t close = Matching(term);
      if (close == npos || close >= to) {
        added.EndPos = static_cast<int>(text_.size()) - 1;
        return to;
      }
      added.EndPos = static_cast<int>(Start(close));
      return close + 1;
    }
    return std::max(term, i + 1);
  }
}

// Reads "const [type] A = 1, B = 2;" or an enum's "case A = 'a';".
std::size_t TPhpDeclarationReader::ReadConstants(TPHPClass& cls, std::size_t i,
                                                 const TPrefix& prefix, std::size_t floor,
                                                 std::size_t to) const {
  const std::size_t statementStart = PhpStatementStart(text_, Start(i), floor);
  std::size_t start = statementStart;  // as for properties
  std::size_t previousName = Start(i);
  std::string_view declaredType;
  bool first = true;
  std::size_t j = NextCode(i);
  while (j < to) {
    // The name is the last word before "=", "," or ";"; the words before it name the type.
    std::size_t k = j;
    std::size_t name = npos;
    std::size_t beforeName = npos;
    while (k < to && !IsSymbol(k, "=") && !IsSymbol(k, ",") && !IsSymbol(k, ";") &&
           !IsSymbol(k, "{") && !IsSymbol(k, "}")) {
      if (IsCode(k)) {
        beforeName = name;
        name = k;
      }
      ++k;
    }
    if (name == npos || Kind(name) != TPhpTokenKind::Word) return std::max(k, i + 1);
    if (first && beforeName != npos) declaredType = texts_.Add(SpanText(j, beforeName));
    auto field = std::make_unique<TPHPField>();
    field->Name = texts_.Add(TokenText(name));
    if (!first) start = LineStartBetween(previousName, Start(name), start);
    previousName = Start(name);
    field->StartPos = static_cast<int>(start);
    field->IsConst = true;
    field->Visibility = prefix.Visibility;
    ApplyComment(*field, field->TypeName, prefix.Comment, "var");
    if (field->TypeName.empty()) field->TypeName = declaredType;
    const std::size_t term = FinishField(*field, k, to);
    cls.Fields.push_back(std::move(field));
    if (!IsSymbol(term, ",") || term >= to) {
      return IsSymbol(term, ";") && term < to ? term + 1 : std::max(term, i + 1);
    }
    first = false;
    j = NextCode(term);
  }
  return std::max(j, i + 1);
}

// Just after the last line break in the text [from, to), or `otherwise` when there is none.
std::size_t TPhpDeclarationReader::LineStartBetween(std::size_t from, std::size_t to,
                                                    std::size_t otherwise) const {
  for (std::size_t k = to; k > from; --k)
    if (text_[k - 1] == '\n' || text_[k - 1] == '\r') return k;
  return otherwise;
}

// "use A, B;" or "use A { a as b; }" in a class body.
std::size_t TPhpDeclarationReader::SkipTraitUse(std::size_t i, std::size_t to) const {
  for (std::size_t k = i + 1; k < to; ++k) {
    if (IsSymbol(k, ";")) return k + 1;
    if (IsSymbol(k, "}")) return k;
    if (IsSymbol(k, "{")) {
      const std::size_t close = Matching(k);
      return close == npos || close >= to ? to : close + 1;
    }
  }
  return to;
}

// The token that ends an initial value starting at token `i`: ",", ";", "{" or "}" outside
// brackets, or `to`.
std::size_t TPhpDeclarationReader::ValueEnd(std::size_t i, std::size_t to) const {
  for (std::size_t k = i; k < to; ++k) {
    if (IsSymbol(k, "(") || IsSymbol(k, "[")) {
      const std::size_t close = Matching(k);
      if (close == npos || close >= to) return to;
      k = close;
    } else if (IsSymbol(k, ",") || IsSymbol(k, ";") || IsSymbol(k, "{") || IsSymbol(k, "}")) {
      return k;
    }
  }
  return to;
}

// Reads the initial value of a field whose name is followed by token `afterName` and sets its
// end; returns the token that ends the field.
std::size_t TPhpDeclarationReader::FinishField(TPHPField& field, std::size_t afterName,
                                               std::size_t to) const {
  std::size_t term = afterName;
  if (term < to && IsSymbol(term, "=")) {
    term = ValueEnd(term + 1, to);
    const std::size_t valueStart = End(afterName);
    const std::size_t valueEnd = term < Size() ? Start(term) : text_.size();
    field.DefaultValue = texts_.Add(TrimView(text_.substr(valueStart, valueEnd - valueStart)));
  }
  term = std::min(term, to);
  if (term < to && (IsSymbol(term, ",") || IsSymbol(term, ";") || IsSymbol(term, "{"))) {
    field.EndPos = static_cast<int>(Start(term)) - 1;
  } else {
    field.EndPos = static_cast<int>(End(PrevCode(term))) - 1;
  }
  return term;
}

// Sets the description, and the type from the doc-comment tag `tag`, from comment token
// `comment`. A comment that starts with a single "#" is no doc comment.
void TPhpDeclarationReader::ApplyComment(TPHPStruct& element, std::string_view& typeName,
                                         std::size_t comment, std::string_view tag) const {
  if (comment == npos) return;
  std::string_view raw = TokenText(comment);
  if (raw.starts_with("#") && !raw.starts_with("##")) return;
  if (raw.starts_with("/*") && raw.size() >= 4 && raw.ends_with("*/")) raw.remove_suffix(2);
  element.Description = texts_.Add(CleanPhpComment(raw));
  if (!tag.empty()) typeName = texts_.Add(PhpDocTag(raw, tag));
}

}  // namespace tervil
