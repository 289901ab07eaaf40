#include "core/editcomponent/AutoCorrect.h"

#include "core/common/Utf8.h"
#include "core/editcomponent/EditorModel.h"

namespace tervil {

namespace {

bool HasLetter(std::string_view s, bool upper) {
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t len = 0;
    char32_t c = utf8::Decode(s.data() + i, s.size() - i, len);
    if (utf8::ToLower(c) != utf8::ToUpper(c) &&
        (upper ? utf8::ToLower(c) != c : utf8::ToUpper(c) != c)) {
      return true;
    }
    i += len;
  }
  return false;
}

std::string Capitalized(std::string_view s) {
  if (s.empty()) return {};
  std::size_t len = 0;
  char32_t first = utf8::Decode(s.data(), s.size(), len);
  return utf8::Encode(utf8::ToUpper(first)) + std::string(s.substr(len));
}

}  // namespace

TAutoCorrect::~TAutoCorrect() {
  Attach(nullptr);
}

void TAutoCorrect::SetItems(const std::vector<std::string>& lines, char separator) {
  Clear();
  for (const std::string& line : lines) {
    std::size_t at = line.find(separator);
    if (at == std::string::npos || at == 0) continue;
    std::string right = line.substr(at + 1);
    if (!right.empty() && right.back() == '\r') right.pop_back();
    Add(std::string_view(line).substr(0, at), right);
  }
}

void TAutoCorrect::Add(std::string_view wrong, std::string_view right) {
  items_.emplace_back(std::string(wrong), std::string(right));
  index_.emplace(Key(wrong), items_.size() - 1);  // the first of equal keys wins
}

void TAutoCorrect::Clear() {
  items_.clear();
  index_.clear();
}

void TAutoCorrect::SetOptions(std::uint32_t options) {
  options_ = options;
  Rebuild();
}

std::string TAutoCorrect::Key(std::string_view word) const {
  return (options_ & ascoIgnoreCase) != 0 ? utf8::LowerCase(word) : std::string(word);
}

void TAutoCorrect::Rebuild() {
  index_.clear();
  for (std::size_t i = 0; i < items_.size(); ++i) index_.emplace(Key(items_[i].first), i);
}

std::string TAutoCorrect::Correction(std::string_view word) const {
  auto it = index_.find(Key(word));
  if (it == index_.end()) return {};
  const std::string& right = items_[it->second].second;
  if ((options_ & ascoMaintainCase) == 0) return right;
  if (HasLetter(word, true) && !HasLetter(word, false) && utf8::CountChars(word) > 1) {
    return utf8::UpperCase(right);  // WORD
  }
  std::size_t len = 0;
  char32_t first = utf8::Decode(word.data(), word.size(), len);
  if (utf8::ToLower(first) != first) return Capitalized(right);  // Word
  return right;
}

bool TAutoCorrect::CorrectWordBeforeCaret(TEditorModel& editor) const {
  if (items_.empty()) return false;
  const TBufferPos caret = editor.CaretPos();
  if (caret.Column > editor.LineLength(caret.Line - 1) + 1 || editor.SelAvail()) return false;
  const TBufferPos start = editor.WordStart(caret);
  if (start == caret) return false;
  const std::size_t from = editor.ByteOfPos(start);
  const std::string word = editor.Buffer().Range(from, editor.ByteOfPos(caret) - from);
  const std::string right = Correction(word);
  if (right.empty() || right == word) return false;
  editor.BeginUndoBlock();
  editor.SetCaretAndSelection(caret, start, caret);
  editor.SetSelText(right);
  editor.EndUndoBlock();
  return true;
}

void TAutoCorrect::Attach(TEditorModel* editor) {
  if (editor_) editor_->RemoveListener(this);
  editor_ = editor;
  if (editor_) editor_->AddListener(this);
}

void TAutoCorrect::BeforeCommand(TCommandEvent& event) {
  if (!editor_ || editor_->ReadOnly()) return;
  const bool delimiter = (event.command == ecChar && !utf8::IsWordChar(event.ch)) ||
                         event.command == ecLineBreak || event.command == ecTab;
  if (delimiter) CorrectWordBeforeCaret(*editor_);
}

}  // namespace tervil
