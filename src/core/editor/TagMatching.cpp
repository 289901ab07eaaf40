#include "core/editor/TagMatching.h"

#include <algorithm>
#include <optional>

#include "core/editor/TypingRules.h"

namespace tervil {

namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         (static_cast<unsigned char>(c) & 0x80) != 0;
}

enum class TTagKind { None, Opening, Closing };

// Whether the name at byte `at` of `line` is the whole word `name` of a tag, and of which kind.
TTagKind TagKindAt(std::string_view line, std::size_t at, std::size_t length) {
  const std::size_t after = at + length;
  if (after < line.size() && IsNameChar(line[after])) return TTagKind::None;
  if (at >= 2 && line[at - 1] == '/' && line[at - 2] == '<') return TTagKind::Closing;
  if (at >= 1 && line[at - 1] == '<') return TTagKind::Opening;
  return TTagKind::None;
}

// Walks the tags named `name` from a start position in one direction, counting depth, until
// the partner is found or the budget of bytes is spent.
class TTagWalker {
 public:
  TTagWalker(const TTagText& text, std::string_view name, bool forward)
      : text_(text), name_(name), forward_(forward) {}

  TBufferPos Run(int lineIndex, std::size_t from) {
    const int lineCount = text_.LineCount();
    std::string line = text_.Line(lineIndex);
    for (;;) {
      budget_ -= std::min(budget_, line.size() + 2);
      if (auto found = ScanLine(line, lineIndex, from)) return *found;
      lineIndex += forward_ ? 1 : -1;
      if (budget_ == 0 || counted_ >= kTagCountLimit || lineIndex < 0 || lineIndex >= lineCount)
        return {0, 0};
      line = text_.Line(lineIndex);
      from = forward_ ? 0 : line.size();
    }
  }

 private:
  // Forwards: occurrences starting at or after `from`; backwards: ending at or before it.
  std::optional<TBufferPos> ScanLine(std::string_view line, int lineIndex, std::size_t from) {
    const std::size_t n = name_.size();
    std::size_t at = forward_ ? line.find(name_, from)
                              : (from < n ? std::string_view::npos : line.rfind(name_, from - n));
    while (at != std::string_view::npos) {
      if (auto found = Count(line, lineIndex, at)) return found;
      if (counted_ >= kTagCountLimit) return TBufferPos{0, 0};
      if (forward_) {
        at = line.find(name_, at + 1);
      } else {
        at = at == 0 ? std::string_view::npos : line.rfind(name_, at - 1);
      }
    }
    return std::nullopt;
  }

  std::optional<TBufferPos> Count(std::string_view line, int lineIndex, std::size_t at) {
    const TTagKind kind = TagKindAt(line, at, name_.size());
    if (kind == TTagKind::None) return std::nullopt;
    ++counted_;
    const TBufferPos pos{ColumnOfByte(line, at), lineIndex + 1};
    if (text_.InStringOrComment && text_.InStringOrComment(pos)) return std::nullopt;
    const bool closes = (kind == TTagKind::Closing) == forward_;
    depth_ += closes ? -1 : 1;
    if (depth_ == 0) return pos;
    return std::nullopt;
  }

  const TTagText& text_;
  std::string_view name_;
  bool forward_;
  int depth_ = 1;
  int counted_ = 0;
  std::size_t budget_ = kTagScanLimit;
};

}  // namespace

TTagNameAtCaret TagNameAtCaret(std::string_view line, int caretColumn) {
  TTagNameAtCaret result;
  const std::size_t caret = ByteOfColumn(line, caretColumn);
  std::size_t start = caret;
  while (start > 0 && caret - start < kCaretScanLimit && IsNameChar(line[start - 1])) --start;
  std::size_t end = caret;
  while (end < line.size() && end - caret < kCaretScanLimit && IsNameChar(line[end])) ++end;
  if (start == end) return result;
  const TTagKind kind = TagKindAt(line, start, end - start);
  if (kind == TTagKind::None) return result;
  result.Name = std::string(line.substr(start, end - start));
  result.Start = ColumnOfByte(line, start);
  result.Closing = kind == TTagKind::Closing;
  return result;
}

TBufferPos FindMatchingTag(const TTagText& text, TBufferPos caret) {
  if (caret.Line < 1 || caret.Line > text.LineCount()) return {0, 0};
  const std::string line = text.Line(caret.Line - 1);
  const TTagNameAtCaret tag = TagNameAtCaret(line, caret.Column);
  if (tag.Name.empty()) return {0, 0};
  const std::size_t start = ByteOfColumn(line, tag.Start);
  TTagWalker walker(text, tag.Name, !tag.Closing);
  // Backwards from before the "</", forwards from after the name.
  return walker.Run(caret.Line - 1, tag.Closing ? start - 2 : start + tag.Name.size());
}

}  // namespace tervil
