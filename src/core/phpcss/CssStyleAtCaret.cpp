#include "core/phpcss/CssStyleAtCaret.h"

#include <algorithm>

#include "core/editcomponent/EditorModel.h"

namespace tervil {

namespace {
// Characters taken before the scanned stretch, so that the blanks before a quote can be skipped
// back to the "=" of an attribute.
constexpr std::int64_t kMargin = 256;
}  // namespace

void ParseAtCaret(TCSSStyle& style, const TEditorModel& editor) {
  const TTextBuffer& buffer = editor.Buffer();
  const std::int64_t length = editor.TextLength();
  const std::int64_t caret = editor.SelStart();
  if (caret <= 0) {
    // No block can hold the start of the text; the style must not keep a block read earlier
    // (perhaps from another page), which a write would then go to.
    style = TCSSStyle{};
    return;
  }
  const std::int64_t c = std::min(caret, length);
  const auto from =
      static_cast<std::size_t>(std::max<std::int64_t>(0, c - TCSSStyle::kScanBack - kMargin));
  const auto to = static_cast<std::size_t>(std::min(length, c + TCSSStyle::kScanAhead + 1));
  const std::size_t firstByte = buffer.ByteOfOffset(from);
  const std::size_t lastByte = buffer.ByteOfOffset(to);
  // The buffer keeps line breaks as LF; the editor's offsets count them as CR LF.
  std::string window;
  window.reserve(lastByte - firstByte + 64);
  buffer.VisitRange(firstByte, lastByte - firstByte, [&](const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] == '\n') window += '\r';
      window += data[i];
    }
    return true;
  });
  style.ParseWindow(window, static_cast<std::int64_t>(buffer.OffsetOfByte(firstByte)), length,
                    caret);
}

void SelectBlock(const TCSSStyle& style, TEditorModel& editor) {
  editor.SetSelStart(style.BlockStart);
  editor.SetSelEnd(style.BlockEnd);
}

}  // namespace tervil
