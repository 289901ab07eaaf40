#pragma once

#include <string_view>

#include "core/textcommands/TextCommands.h"

namespace tervil {

class TTextEditor;
class TWaitWindow;

// The text commands' edits of an editor's selection. Each is one undoable step; none changes an
// editor that is read-only.

// The side of the selection the caret stands on.
TCaretSide CaretSideOf(const TTextEditor& editor);

// Replaces the selection by the insertion's text and puts the caret where the insertion says.
void ApplyInsertion(TTextEditor& editor, const TTextInsertion& insertion);

// Replaces the selection by selection + text (the caret ends after it).
void AppendToSelection(TTextEditor& editor, std::string_view text);

// Converts the selected text; nothing happens without a selection or when the conversion
// changes nothing. A selection over the size limit shows the wait window while it converts.
void ConvertSelection(TTextEditor& editor, TTextConversion conversion, TWaitWindow* wait);

// Breaks every line from the selection's first line to its last (the caret's line without a
// selection) at `width` characters; the broken lines replace the old ones in one step.
void BreakSelectedLines(TTextEditor& editor, int width);

// "// " before every selected line; without a selection "// " at the caret, the caret before it.
void CommentOutSelection(TTextEditor& editor);
void RemoveCommentFromSelection(TTextEditor& editor);

}  // namespace tervil
