#pragma once

// The PHP structure analyser: turns the text of a PHP document into a small model of its
// classes (interfaces, traits and enums too) with their fields and methods, and its global
// functions, for the code inspector.
//
// Offsets in the model are 0-based character offsets (code points) into the analysed text, line
// breaks included as they are in the text (a CR LF pair counts as two characters).
//
// The text is read with a PHP tokenizer (PhpLexer.h), so keywords inside strings, comments,
// heredocs and text outside PHP blocks are never taken for declarations; closures, arrow
// functions and anonymous classes are not declarations, and their bodies are skipped.

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

// The base of every element of the model.
struct TPHPStruct {
  // Where navigation moves the caret: the opening "{" of a class; the start of the declaration
  // statement of a field, method or function (just after the previous line break, ";", "{" or
  // "}"); the first modifier of a promoted constructor property.
  int StartPos = 0;
  // Where the element ends: the closing "}" of a class, method or function body (the ";" of a
  // declaration without body); for a field, the character just before the "," or ";" that ends
  // it.
  int EndPos = 0;
  // The texts of an element live in its analyser's text store (or, for an element made by hand,
  // wherever its maker keeps them).
  std::string_view Name;
  // One line made of the doc comment just before the declaration (see CleanPhpComment).
  std::string_view Description;
};

enum class TPHPClassKind { Class, Interface, Trait, Enum };

inline constexpr int kPhpPrivate = 0;
inline constexpr int kPhpProtected = 1;
inline constexpr int kPhpPublic = 2;

// A property, class constant or enum case.
struct TPHPField : TPHPStruct {
  // The word after "@var" in the doc comment, or else the type of the declaration.
  std::string_view TypeName;
  int Visibility = kPhpPublic;  // kPhpPrivate, kPhpProtected or kPhpPublic
  bool IsStatic = false;
  bool IsConst = false;  // class constants and enum cases
  bool IsReadonly = false;
  // The trimmed initial value after "="; empty without one.
  std::string_view DefaultValue;
};

// A method or a global function.
struct TPHPMethod : TPHPStruct {
  // The word after "@return" in the doc comment, or else the declared return type.
  std::string_view TypeName;
  int Visibility = kPhpPublic;
  bool IsStatic = false;
  // The text between the parentheses of the declaration, not trimmed.
  std::string_view Parameters;
  bool IsAbstract = false;
  bool IsFinal = false;
};

// A class, interface, trait or enum.
struct TPHPClass : TPHPStruct {
  // The names after "extends", separated by ", " (an interface may extend several).
  std::string_view ParentName;
  TPHPClassKind Kind = TPHPClassKind::Class;
  bool IsInterface = false;  // Kind is Interface
  bool IsAbstract = false;
  std::vector<std::unique_ptr<TPHPField>> Fields;    // source order
  std::vector<std::unique_ptr<TPHPMethod>> Methods;  // source order
};

// Where an analysis keeps the texts of its elements: one block of memory after the other, no
// allocation per text. Blocks never move, so the texts stay where they are while the store
// lives, also when the store itself is moved.
class TPhpTextStore {
 public:
  // A copy of `text` in the store (empty for an empty text).
  std::string_view Add(std::string_view text);
  void Clear();

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;  // the last one is being filled
  std::size_t used_ = kBlockSize;                // bytes used in the last block
};

class TPHPAnalyser {
 public:
  // Clears both lists and fills them from `text`. Any text gives a valid, possibly empty result.
  // An element whose name is already in its list (compared with case) replaces the earlier one
  // in its place.
  void Analyse(std::string_view text);
  // The same, stopping early when `cancel` is raised; then both lists are left empty and the
  // result is false.
  bool Analyse(std::string_view text, const std::atomic<bool>& cancel);

  std::vector<std::unique_ptr<TPHPClass>> Classes;
  std::vector<std::unique_ptr<TPHPMethod>> Functions;
  // The texts of the elements above.
  TPhpTextStore Texts;
};

// The value of a doc-comment tag ("var", "return"): the word after "@" + tag on its line, or
// empty.
std::string PhpDocTag(std::string_view comment, std::string_view tag);

// The one-line description of a raw comment (opener included, closing "*/" excluded): the text
// before the first "@", each line trimmed and stripped of a leading "*", the lines joined
// without separator.
std::string CleanPhpComment(std::string_view comment);

// Moves left from `k` while the character before is none of CR, LF, ";", "{", "}", never going
// below `floor`.
std::size_t PhpStatementStart(std::string_view text, std::size_t k, std::size_t floor = 0);

}  // namespace tervil
