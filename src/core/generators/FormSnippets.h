#pragma once

// The thirteen HTML form snippets of the "Html Form Toolbar": each wraps the selection in its
// prefix and suffix, except the select box, whose lines become its options.

#include <span>
#include <string_view>

#include "core/textcommands/TextCommands.h"

namespace tervil {

struct TFormSnippet {
  std::string_view action;   // formForm
  std::string_view caption;  // "Form"
  std::string_view hint;     // "Form|<form></form>": short hint, "|", long hint
  std::string_view prefix;
  std::string_view suffix;
  std::string_view icon;  // the program's own picture, data/icons/<icon>.svg
};

// Actions 0 to 12, in the order of the toolbar.
std::span<const TFormSnippet> FormSnippets();

inline constexpr int kFormSelectBox = 6;

// The insertion of snippet `number` for the selection. The caret lands after the trimmed prefix
// without a selection, and keeps its side of a selection (see WrapSelection); the select box
// leaves it after the inserted text. An unknown number gives the selection back unchanged.
TTextInsertion FormSnippetInsertion(int number, std::string_view selection, TCaretSide side);

}  // namespace tervil
