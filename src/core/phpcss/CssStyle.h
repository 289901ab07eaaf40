#pragma once

// One CSS declaration block: the rule body around the caret ("{" ... "}"), the value of a quoted
// attribute such as style="...", or a whole text of declarations. The CSS style dialog and the
// CSS editor window read it, change it and write it back.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

// Why a block could not be read (kNone for a valid one).
enum class TCssProblem : std::uint8_t {
  kNone,
  kNoBlock,         // no opener before the caret, or no closer after it
  kForbiddenChar,   // the inside holds "{", "}" or the closer
  kUnclosed,        // a comment or a quoted string does not end inside the block
  kBadDeclaration,  // a declaration without ":" or with a property of other characters
};

class TCSSStyle {
 public:
  // How far the caret-mode scans look, before and after the caret.
  static constexpr std::int64_t kScanBack = 4097;
  static constexpr std::int64_t kScanAhead = 4096;

  // One entry per declaration in source order, each property ":" value without spaces around
  // the ":". A comment that stands between declarations is an entry of its own, kept as written.
  std::vector<std::string> Declarations;
  // [BlockStart, BlockEnd) is the inside of the block in character offsets of the text.
  std::int64_t BlockStart = 0;
  std::int64_t BlockEnd = 0;
  bool IsValid = false;
  char Closer = 0;  // '}' or the quote that ends an attribute value
  bool SingleLine = false;
  TCssProblem Problem = TCssProblem::kNoBlock;

  // Reads the block around `caret` (the characters before the selection; CR LF counts two, as
  // in the editor's offsets). With `wholeText` the whole text is the inside and `caret` only has
  // to be positive. A caret of 0 or less leaves everything but SingleLine as it was.
  void Parse(std::string_view text, std::int64_t caret, bool wholeText);
  // Caret mode on a part of a longer text: `window` starts at character offset `windowStart`
  // of a text of `textLength` characters and covers at least the scanned stretch around the
  // caret. Gives the same result as Parse on the whole text.
  void ParseWindow(std::string_view window, std::int64_t windowStart, std::int64_t textLength,
                   std::int64_t caret);

  // The declarations as text: "property : value; " each, one per line unless SingleLine.
  std::string Compose() const;

  // Takes over the declarations of `other`. A property both have gets other's value; one that
  // only this style has is removed when `managed` names it (without regard to case) and kept
  // otherwise; properties only `other` has are appended in its order. With several
  // declarations of one property, the last one takes the new value and the earlier ones (the
  // fallbacks written for older browsers) stay as they are.
  void Merge(const TCSSStyle& other, const std::vector<std::string>* managed = nullptr);

  // The property of a declaration (the text before its first ":", or the whole entry).
  static std::string PropertyOf(std::string_view declaration);
  // The text after the first ":" (empty when there is none).
  static std::string ValueOf(std::string_view declaration);
  // Whether an entry is a comment kept between the declarations.
  static bool IsComment(std::string_view declaration);
  // A custom property ("--name"): any name after the two dashes is valid, its value free text.
  static bool IsCustomProperty(std::string_view property) {
    return property.size() > 2 && property.starts_with("--");
  }

 private:
  void ReadInside(std::u32string_view inside);
  void ScanBlock(std::u32string_view window, std::int64_t windowStart, std::int64_t textLength,
                 std::int64_t caret);
  void Invalidate(TCssProblem problem, std::int64_t caret);
};

// A short sentence for the user about why the block could not be read.
const char* CssProblemText(TCssProblem problem);

}  // namespace tervil
