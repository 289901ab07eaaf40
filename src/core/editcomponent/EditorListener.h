#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/editcomponent/EditorTypes.h"

namespace tervil {

// The command a listener sees before it runs. A listener may change it, or set `handled` so
// that the editor does not run it.
struct TCommandEvent {
  TEditorCommand command = ecNone;
  char32_t ch = 0;   // ecChar
  std::string text;  // ecString
  bool handled = false;
};

// Observer of an editor model. Every change of the text is reported in terms of lines, in the
// order it happens, so that per-line caches (highlighter states, bookmarks, layouts) can follow.
// Line numbers in these notifications count from 0.
class TEditorListener {
 public:
  virtual ~TEditorListener() = default;

  // Lines [first, first + count) are new; the lines from `first` on moved down by `count`.
  virtual void LinesInserted(int /*first*/, int /*count*/) {}
  // Lines [first, first + count) were removed; the lines after them moved up by `count`.
  virtual void LinesDeleted(int /*first*/, int /*count*/) {}
  // The text of lines [first, first + count) changed.
  virtual void LinesChanged(int /*first*/, int /*count*/) {}
  // The same change as one splice, for line caches: lines [first, first + removed) were
  // replaced by `inserted` lines. Sent after the three notifications above.
  virtual void LinesReplaced(int /*first*/, int /*removed*/, int /*inserted*/) {}
  // The whole text was replaced (loading, setting the text, clearing).
  virtual void TextReset() {}
  // One primitive edit of the buffer, in bytes of its UTF-8 text (LF breaks): `removed` bytes
  // at `byte` were deleted, or `inserted` was inserted there. Sent after the line notifications.
  virtual void TextEdited(std::size_t /*byte*/, std::size_t /*removed*/,
                          std::string_view /*inserted*/) {}

  // Before every command run through ExecuteCommand (copy is 201, cut 603).
  virtual void BeforeCommand(TCommandEvent& /*event*/) {}
  virtual void AfterCommand(const TCommandEvent& /*event*/) {}

  // Caret, selection, text, modified flag, insert mode, top line or options changed; sent once
  // at the end of each outermost operation, and not while updates are suspended.
  virtual void StatusChanged(TStatusChanges /*changes*/) {}
};

}  // namespace tervil
