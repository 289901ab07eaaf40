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

std::optional<TAutoCorrect::TPending> TAutoCorrect::WordToCorrect(
    const TEditorModel& editor) const {
  if (items_.empty()) return std::nullopt;
  const TBufferPos caret = editor.CaretPos();
  if (caret.Column > editor.LineLength(caret.Line - 1) + 1 || editor.SelAvail())
    return std::nullopt;
  const TBufferPos start = editor.WordStart(caret);
  if (start == caret) return std::nullopt;
  const std::size_t from = editor.ByteOfPos(start);
  std::string word = editor.Buffer().Range(from, editor.ByteOfPos(caret) - from);
  std::string right = Correction(word);
  if (right.empty() || right == word) return std::nullopt;
  // A "$" before the word makes it a variable's name, never a word of prose.
  if (from > 0 && editor.Buffer().ByteAt(from - 1) == '$') return std::nullopt;
  if (correctsAt_ && !correctsAt_(start)) return std::nullopt;
  return TPending{start, caret, std::move(word), std::move(right)};
}

bool TAutoCorrect::CorrectWordBeforeCaret(TEditorModel& editor) const {
  const auto pending = WordToCorrect(editor);
  if (!pending) return false;
  editor.BeginUndoBlock();
  editor.SetCaretAndSelection(pending->end, pending->start, pending->end);
  editor.SetSelText(pending->right);
  editor.EndUndoBlock();
  return true;
}

void TAutoCorrect::Attach(TEditorModel* editor) {
  if (editor_) editor_->RemoveListener(this);
  editor_ = editor;
  if (editor_) editor_->AddListener(this);
}

void TAutoCorrect::BeforeCommand(TCommandEvent& event) {
  pending_.reset();
  if (!editor_ || editor_->ReadOnly()) return;
  const bool delimiter = (event.command == ecChar && !utf8::IsWordChar(event.ch)) ||
                         event.command == ecLineBreak || event.command == ecTab;
  if (delimiter) pending_ = WordToCorrect(*editor_);
}

void TAutoCorrect::AfterCommand(const TCommandEvent& event) {
  if (!pending_ || !editor_) return;
  const TPending p = std::move(*pending_);
  pending_.reset();
  TEditorModel& editor = *editor_;
  // The delimiter went in after the word; anything else (a command taken by another listener,
  // a word that is no longer there) leaves the text alone.
  if (event.handled || editor.ReadOnly() || editor.SelAvail()) return;
  const TBufferPos caret = editor.CaretPos();
  if (caret < p.end || p.end.Line > editor.LineCount()) return;
  const std::size_t from = editor.ByteOfPos(p.start);
  const std::size_t to = editor.ByteOfPos(p.end);
  if (editor.Buffer().Range(from, to - from) != p.word) return;
  TBufferPos after = caret;
  if (caret.Line == p.end.Line)
    after.Column +=
        static_cast<int>(utf8::CountChars(p.right)) - static_cast<int>(utf8::CountChars(p.word));
  editor.BeginUndoBlock();
  editor.SetCaretAndSelection(p.end, p.start, p.end);
  editor.SetSelText(p.right);
  editor.SetCaretAndSelection(after, after, after);
  editor.EndUndoBlock();
}

}  // namespace tervil
