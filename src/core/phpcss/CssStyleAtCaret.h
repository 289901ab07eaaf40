#pragma once

// Reading the CSS block at the caret of an editor without copying its whole text: only the
// stretch the scans can reach is taken from the buffer, so the cost does not grow with the
// document.

#include "core/phpcss/CssStyle.h"

namespace tervil {

class TEditorModel;

// Parses `style` in caret mode at the start of the editor's selection. A caret at the start of
// the text gives an empty, invalid style with the range [0, 0) (TCSSStyle::Parse would keep the
// previous result).
void ParseAtCaret(TCSSStyle& style, const TEditorModel& editor);

// Selects the style's block [BlockStart, BlockEnd) in the editor.
void SelectBlock(const TCSSStyle& style, TEditorModel& editor);

}  // namespace tervil
