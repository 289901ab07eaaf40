#pragma once

// Finds the declarations of a PHP text in its tokens and builds the analyser's model from them.
// Used by TPHPAnalyser only; the offsets it writes are byte offsets, which the analyser turns
// into character offsets afterwards.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/phpcss/PhpAnalyser.h"
#include "core/phpcss/PhpLexer.h"

namespace tervil {

class TPhpDeclarationReader {
 public:
  // The texts of the elements go to `texts`. `cancel`, when raised, stops the reading early (the
  // result is then incomplete).
  TPhpDeclarationReader(std::string_view text, TPhpTextStore& texts,
                        const std::atomic<bool>* cancel = nullptr);

  // Every class-like declaration and global function outside function and class bodies, in
  // source order, not yet merged by name.
  void Read(std::vector<std::unique_ptr<TPHPClass>>& classes,
            std::vector<std::unique_ptr<TPHPMethod>>& functions);

 private:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // What stands before a declaration keyword in its statement.
  struct TPrefix {
    std::size_t Comment = npos;        // the nearest comment
    std::size_t FirstModifier = npos;  // the first modifier word
    std::size_t TypeFirst = npos;      // the declared type, if any
    std::size_t TypeLast = npos;
    int Visibility = kPhpPublic;
    bool HasVisibility = false;
    bool IsStatic = false;
    bool IsAbstract = false;
    bool IsFinal = false;
    bool IsReadonly = false;
  };

  // The parts of a function or method declaration, as token indexes.
  struct TFunctionShape {
    bool Ok = false;
    std::size_t Name = npos;
    std::size_t OpenParen = npos;
    std::size_t HeaderEnd = npos;  // the ")" or the token that stands in for it
    std::size_t TypeFirst = npos;
    std::size_t TypeLast = npos;
    std::size_t EndByte = 0;  // the "}" of the body, the ";" of a declaration without body
    std::size_t Next = npos;  // where reading resumes
  };

  // A bracket token has this bit set in its end, the rest being its partner's index or
  // kNoMatch (offsets and token indexes stay below it: texts are at most INT_MAX bytes long).
  static constexpr std::uint32_t kBracketBit = std::uint32_t{1} << 31;
  static constexpr std::uint32_t kNoMatch = kBracketBit - 1;

  std::size_t Size() const { return tokens_.size(); }
  TPhpTokenKind Kind(std::size_t i) const;
  bool IsWord(std::size_t i, std::string_view lowerWord) const;
  bool IsSymbol(std::size_t i, std::string_view symbol) const;
  bool IsCode(std::size_t i) const;
  std::size_t NextCode(std::size_t i) const;
  std::size_t PrevCode(std::size_t i) const;
  TPhpToken Token(std::size_t i) const;
  std::size_t Start(std::size_t i) const { return tokens_[i].Start; }
  std::size_t End(std::size_t i) const { return Token(i).End; }
  std::string_view TokenText(std::size_t i) const;
  std::string SpanText(std::size_t first, std::size_t last) const;
  std::size_t Matching(std::size_t i) const;
  void MatchBrackets();

  bool IsClassDeclaration(std::size_t i, TPHPClassKind& kind) const;
  bool IsAnonymousClass(std::size_t i) const;
  bool IsModifier(std::size_t i) const;
  bool IsTypeToken(std::size_t i) const;
  TPrefix ReadPrefix(std::size_t i, std::size_t lower) const;
  TFunctionShape ShapeOfFunction(std::size_t i, std::size_t end) const;
  std::size_t SkipAnonymousClass(std::size_t i) const;

  std::size_t ReadClass(std::size_t i, TPHPClassKind kind, std::size_t lower, TPHPClass& cls);
  void ReadClassBody(TPHPClass& cls, std::size_t from, std::size_t to);
  std::size_t ReadFunction(std::size_t i, const TFunctionShape& shape, const TPrefix& prefix,
                           std::size_t floor, TPHPMethod& method) const;
  void ReadPromotedProperties(TPHPClass& cls, const TFunctionShape& shape) const;
  std::size_t ReadProperties(TPHPClass& cls, std::size_t i, const TPrefix& prefix,
                             std::size_t floor, std::size_t to) const;
  std::size_t ReadConstants(TPHPClass& cls, std::size_t i, const TPrefix& prefix, std::size_t floor,
                            std::size_t to) const;
  std::size_t LineStartBetween(std::size_t from, std::size_t to, std::size_t otherwise) const;
  std::size_t SkipTraitUse(std::size_t i, std::size_t to) const;
  std::size_t ValueEnd(std::size_t i, std::size_t to) const;
  std::size_t FinishField(TPHPField& field, std::size_t afterName, std::size_t to) const;
  void ApplyComment(TPHPStruct& element, std::string_view& typeName, std::size_t comment,
                    std::string_view tag) const;

  std::string_view text_;
  TPhpTextStore& texts_;
  const std::atomic<bool>* cancel_;
  TPhpTokenList tokens_;  // brackets hold their partners (see MatchBrackets)
};

}  // namespace tervil
