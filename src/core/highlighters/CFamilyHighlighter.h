#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// What sets one C-like language apart from the others.
struct TCFamilySyntax {
  const TKeywordSet* keywords = nullptr;
  TNumberSyntax numbers;
  bool preprocessor = false;      // "#" directives at the start of a line
  bool lineContinuation = false;  // a backslash at the line end continues strings and directives
  bool rawStrings = false;        // C++ R"delim( ... )delim"
  bool verbatimStrings = false;   // C# @"...", $"...", """raw"""
  bool textBlocks = false;        // Java """ ... """
  bool docComments = false;       // /** ... */ with the documentation attribute
  bool annotations = false;       // Java @Name
  bool asmBlocks = false;         // C/C++ asm { ... } and __asm ...
};

// Comments, strings, characters, numbers, keywords and symbols of the C family, with the
// extras the syntax switches on. Java, C/C++ and C# are configurations of it.
class TCFamilyHighlighter : public TCodeHighlighter {
 public:
  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 protected:
  TCFamilyHighlighter(std::string languageName, std::string defaultFilter,
                      const TCFamilySyntax& syntax);

  THighlighterAttribute* annotation_ = nullptr;
  THighlighterAttribute* assembler_ = nullptr;
  THighlighterAttribute* documentation_ = nullptr;
  THighlighterAttribute* preprocessor_ = nullptr;

 private:
  friend class TCFamilyLexer;
  TCFamilySyntax syntax_;
  TLabelTable rawDelimiters_;
};

// Java.
class TJavaHighlighter : public TCFamilyHighlighter {
 public:
  TJavaHighlighter();
};

// C and C++, with the preprocessor and inline assembler.
class TCppHighlighter : public TCFamilyHighlighter {
 public:
  TCppHighlighter();
};

// C#.
class TCSharpHighlighter : public TCFamilyHighlighter {
 public:
  TCSharpHighlighter();
};

}  // namespace tervil
