#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tervil {

class TEditorModel;

// One template of the template list.
struct TTemplate {
  std::string Keyword;
  std::string Comment;
  std::string Text;  // lines joined with LF; may hold the caret mark "|"
};

// Templates expanded for the keyword before the caret.
//
// List format: a line that starts with "[" begins a template; its keyword is the text after
// "[" up to the first blank, then optional blanks, a "|" and a comment to the end of the line.
// Every following line up to the next "[" line is a line of the template's text, without a
// leading "=". The first "|" of the text marks where the caret goes after expansion.
class TAutoComplete {
 public:
  void LoadFromText(std::string_view list);
  void SetLines(const std::vector<std::string>& lines);
  const std::vector<TTemplate>& Templates() const { return templates_; }
  // The template of exactly this keyword, or nullptr.
  const TTemplate* Find(std::string_view keyword) const;

  // Replaces the keyword before the caret by its template as one undo step; the lines after
  // the first get the indentation of the caret's line. Returns false when no keyword ends at
  // the caret (a keyword that starts with a letter, digit or "_" must not continue a word).
  bool Execute(TEditorModel& editor) const;

 private:
  std::vector<TTemplate> templates_;
};

}  // namespace tervil
