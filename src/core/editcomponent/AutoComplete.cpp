#include "core/editcomponent/AutoComplete.h"

#include <algorithm>

#include "core/common/Utf8.h"
#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/UndoList.h"

namespace tervil {

namespace {

std::vector<std::string> SplitListLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string normalized;
  utf8::NormalizeAppend(text, normalized);
  std::size_t start = 0;
  while (start < normalized.size()) {
    std::size_t end = normalized.find('\n', start);
    if (end == std::string::npos) end = normalized.size();
    lines.emplace_back(normalized.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool IsBlankChar(char c) {
  return c == ' ' || c == '\t';
}

// Keywords longer than this are not looked for before the caret.
constexpr std::size_t kMaxKeywordBytes = 256;

}  // namespace

void TAutoComplete::LoadFromText(std::string_view list) {
  SetLines(SplitListLines(list));
}

void TAutoComplete::SetLines(const std::vector<std::string>& lines) {
  templates_.clear();
  std::vector<std::string> body;
  auto finish = [&]() {
    if (templates_.empty()) return;
    std::string text;
    for (std::size_t i = 0; i < body.size(); ++i) {
      if (i > 0) text.push_back('\n');
      text += body[i];
    }
    templates_.back().Text = std::move(text);
    body.clear();
  };
  for (const std::string& raw : lines) {
    std::string line = raw;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      finish();
      TTemplate t;
      std::size_t end = 1;
      while (end < line.size() && !IsBlankChar(line[end])) ++end;
      t.Keyword = line.substr(1, end - 1);
      std::size_t bar = end;
      while (bar < line.size() && IsBlankChar(line[bar])) ++bar;
      if (bar < line.size() && line[bar] == '|') t.Comment = line.substr(bar + 1);
      templates_.push_back(std::move(t));
      continue;
    }
    if (templates_.empty()) continue;  // lines before the first template
    body.push_back(!line.empty() && line[0] == '=' ? line.substr(1) : line);
  }
  finish();
}

const TTemplate* TAutoComplete::Find(std::string_view keyword) const {
  for (const TTemplate& t : templates_) {
    if (t.Keyword == keyword) return &t;
  }
  return nullptr;
}

bool TAutoComplete::Execute(TEditorModel& editor) const {
  const TTextBuffer& buffer = editor.Buffer();
  const TBufferPos caret = editor.ClampPos(editor.CaretPos());
  const std::size_t lineStart = buffer.LineStart(static_cast<std::size_t>(caret.Line - 1));
  const std::size_t caretByte = editor.ByteOfPos(caret);
  const std::size_t from = buffer.CharBoundary(
      std::max(lineStart, caretByte > kMaxKeywordBytes ? caretByte - kMaxKeywordBytes : 0));
  const std::string before = buffer.Range(from, caretByte - from);

  // The longest keyword that ends at the caret and does not continue a word.
  const TTemplate* best = nullptr;
  for (const TTemplate& t : templates_) {
    const std::string& k = t.Keyword;
    if (k.empty() || k.size() > before.size() || (best && k.size() <= best->Keyword.size()))
      continue;
    if (before.compare(before.size() - k.size(), k.size(), k) != 0) continue;
    const std::size_t at = before.size() - k.size();
    std::size_t len = 0;
    const bool startsWord = utf8::IsWordChar(utf8::Decode(k.data(), k.size(), len));
    const bool afterWord =
        at > 0 ? utf8::IsWordChar(utf8::DecodeBefore(before.data(), at, len))
               : (from > lineStart && utf8::IsWordChar(buffer.CharAt(buffer.PrevChar(from))));
    if (startsWord && afterWord) continue;
    best = &t;
  }
  if (!best) return false;

  // Indent the following lines like the caret's line and find the caret mark.
  std::string indent;
  for (std::size_t b = lineStart; b < caretByte && IsBlankChar(buffer.ByteAt(b)); ++b) {
    indent.push_back(buffer.ByteAt(b));
  }
  std::string text;
  for (char c : best->Text) {
    text.push_back(c);
    if (c == '\n') text += indent;
  }
  const std::size_t mark = text.find('|');
  if (mark != std::string::npos) text.erase(mark, 1);

  const TBufferPos start{caret.Column - static_cast<int>(utf8::CountChars(best->Keyword)),
                         caret.Line};
  const TSelectionMode mode = editor.SelectionMode();
  editor.BeginUndoBlock();
  editor.SetSelectionMode(TSelectionMode::smNormal);
  editor.SetCaretAndSelection(caret, start, caret);
  editor.SetSelText(text);
  if (mark != std::string::npos) {
    editor.SetCaretPos(PositionAfter(start, std::string_view(text).substr(0, mark)));
  }
  editor.SetSelectionMode(mode);
  editor.EndUndoBlock();
  return true;
}

}  // namespace tervil
