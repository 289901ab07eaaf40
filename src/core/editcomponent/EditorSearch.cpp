#include "core/common/Utf8.h"
#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/SearchEngine.h"

namespace tervil {

namespace {

// The message of a replacement refused because the text would grow past `limit` bytes.
TSearchError TooLongError(std::size_t limit) {
  return TSearchError("Replacing would make the text longer than " + std::to_string(limit >> 20) +
                      " MB; the replacement was stopped.");
}

// Begin and end of an undo block, ended also when a search stops with an exception.
class TUndoBlockScope {
 public:
  explicit TUndoBlockScope(TEditorModel& model) : model_(model) { model.BeginUndoBlock(); }
  ~TUndoBlockScope() { model_.EndUndoBlock(); }
  TUndoBlockScope(const TUndoBlockScope&) = delete;
  TUndoBlockScope& operator=(const TUndoBlockScope&) = delete;

 private:
  TEditorModel& model_;
};

}  // namespace

int TEditorModel::SearchReplace(std::string_view search, std::string_view replacement,
                                TSearchOptions options) {
  if (search.empty()) return 0;
  TSearchEngine& engine = *engine_;
  engine.Prepare(search, options);
  const bool backwards = (options & ssoBackwards) != 0;
  const bool replace = (options & ssoReplace) != 0;
  const bool replaceAll = replace && (options & ssoReplaceAll) != 0;
  bool ask = replace && (options & ssoPrompt) != 0;
  std::string repl;
  utf8::NormalizeAppend(replacement, repl);

  // The scope: the selection (the whole text when nothing is selected), or from the caret
  // onwards (backwards: up to the caret), or all.
  std::size_t begin = 0;
  std::size_t end = buffer_.ByteCount();
  if ((options & ssoSelectedOnly) != 0) {
    if (SelAvail()) {
      begin = ByteOfPos(BlockBegin());
      end = ByteOfPos(BlockEnd());
    }
  } else if ((options & ssoEntireScope) == 0) {
    const std::size_t caret = ByteOfPos(caret_);
    (backwards ? end : begin) = caret;
  }

  // An empty match (of "^", "$" or "x*") is taken once at each place: never again where one
  // was just taken or replaced, nor at the caret a repeated find starts from.
  std::size_t noEmptyAt = std::string::npos;
  if (!replace && (options & (ssoSelectedOnly | ssoEntireScope)) == 0)
    noEmptyAt = backwards ? end : begin;
  // A selection's end is not inside it: "^" there is the start of the line after the selected
  // lines, "$" no line end at all.
  const bool emptyAtEnd = (options & ssoSelectedOnly) == 0 || begin == end;

  UpdateScope scope(*this);
  if (replaceAll && !ask && !backwards)
    return ReplaceAllInScope(begin, end, repl, noEmptyAt, emptyAtEnd);

  TUndoBlockScope undoBlock(*this);
  int count = 0;
  std::size_t pos = backwards ? end : begin;
  TSearchMatch m;
  const auto findNext = [&]() {
    for (;;) {
      if (!(backwards ? engine.Find(buffer_, begin, pos, true, m)
                      : engine.Find(buffer_, pos, end, false, m)))
        return false;
      if (m.Start == m.End && m.Start == end && !emptyAtEnd) return false;
      if (m.Start != m.End || m.Start != noEmptyAt) return true;
      if (backwards ? m.Start <= begin : m.Start >= end) return false;
      pos = backwards ? buffer_.PrevChar(m.Start) : buffer_.NextChar(m.Start);
    }
  };
  while (findNext()) {
    ++count;
    const TBufferPos start = PosOfByte(m.Start);
    const TBufferPos stop = PosOfByte(m.End);
    if (!replace) {
      backwards ? SetCaretAndSelection(start, stop, start)
                : SetCaretAndSelection(stop, start, stop);
      break;
    }
    TReplaceAction action = TReplaceAction::raReplace;
    if (ask) {
      SetCaretAndSelection(stop, start, stop);
      SendPendingStatus();  // the view shows the occurrence while the question is open
      if (OnReplaceText)
        action =
            OnReplaceText(std::string(search), std::string(replacement), start.Line, start.Column);
    }
    if (action == TReplaceAction::raCancel) break;
    if (action == TReplaceAction::raSkip) {
      pos = backwards ? m.Start : m.End;
      if (m.Start == m.End) noEmptyAt = m.Start;
    } else {
      if (action == TReplaceAction::raReplaceAll) ask = false;
      std::string text;
      engine.AppendReplacement(repl, text);
      if (buffer_.ByteCount() - (m.End - m.Start) + text.size() > textLimit_)
        throw TooLongError(textLimit_);
      const TBufferPos after = ReplaceMatch(m.Start, m.End, text);
      MoveCaret(backwards ? start : after, false);
      if (backwards) {
        pos = m.Start;
      } else {
        pos = m.Start + text.size();
        end = end + text.size() - (m.End - m.Start);
      }
      if (m.Start == m.End) noEmptyAt = pos;
    }
    if (!replaceAll) break;
    if (!ask && !backwards) {
      count += ReplaceAllInScope(pos, end, repl, noEmptyAt, emptyAtEnd);
      break;
    }
  }
  return count;
}

TBufferPos TEditorModel::ReplaceMatch(std::size_t start, std::size_t end,
                                      std::string_view replacement, std::string* owned) {
  const TBufferPos from = PosOfByte(start);
  DeleteText(from, PosOfByte(end));
  return InsertText(from, replacement, owned);
}

int TEditorModel::ReplaceAllInScope(std::size_t begin, std::size_t end,
                                    std::string_view replacement, std::size_t noEmptyAt,
                                    bool emptyAtEnd) {
  // Build the new text of the span from the first to the last match and put it in with one
  // deletion and one insertion: a single undo step at memory speed, however many matches.
  std::string text;
  // Room for twice the span: pages are only touched as the text is written, so the spare room
  // costs no memory, and replacements up to twice as long never copy the whole text again.
  text.reserve(2 * (end - begin));
  std::size_t first = std::string::npos;
  std::size_t previous = 0;
  TTextBuffer::TReadCursor cursor;
  const std::size_t total = buffer_.ByteCount();
  std::size_t count = 0;
  engine_->FindAll(buffer_, begin, end, [&](const TSearchMatch& m) {
    if (m.Start == m.End && (m.Start == noEmptyAt || (m.Start == end && !emptyAtEnd))) return true;
    ++count;
    if (first == std::string::npos) first = previous = m.Start;
    buffer_.AppendRange(previous, m.Start - previous, text, cursor);
    engine_->AppendReplacement(replacement, text);
    previous = m.End;
    // The text after the span built so far, plus that span: refused as soon as it passes the
    // limit, before the span grows any further.
    if (total - (previous - first) + text.size() > textLimit_) throw TooLongError(textLimit_);
    return true;
  });
  if (count == 0) return 0;
  UpdateScope scope(*this);
  BeginUndoBlock();
  const TBufferPos after = ReplaceMatch(first, previous, text, &text);
  MoveCaret(after, false);
  EndUndoBlock();
  return static_cast<int>(count);
}

}  // namespace tervil
