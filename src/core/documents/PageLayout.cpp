#include "core/documents/PageLayout.h"

#include <algorithm>

#include "core/common/Utf8.h"

namespace tervil {

namespace {
constexpr int kLongestWholeCaption = 23;
constexpr int kShortenedCaption = 20;
constexpr TColor kGradientTop = 0xFFFFFF;
constexpr TColor kGradientBottom = 0xACB7BD;

// Bytes of the first `chars` characters of UTF-8 `text`.
size_t PrefixBytes(const std::string& text, size_t chars) {
  return utf8::AdvanceChars(text.data(), text.size(), chars);
}

int Channel(int start, int end, int row, int height) {
  // start + ceil((end - start) * row / height), for either direction of change.
  int delta = (end - start) * row;
  int step = delta >= 0 ? (delta + height - 1) / height : -((-delta) / height);
  return start + step;
}
}  // namespace

std::string ShortTabCaption(const std::string& caption) {
  if (PrefixBytes(caption, kLongestWholeCaption) == caption.size()) return caption;
  return caption.substr(0, PrefixBytes(caption, kShortenedCaption)) + "...";
}

TSplitHeights ArrangeEditorHeights(int panelHeight, int ratio) {
  int lower = std::min(panelHeight * (100 - ratio) / 100 - 2, panelHeight - 36);
  int upper = std::max(panelHeight * ratio / 100 - 2, 30);
  return {upper, lower};
}

int SplitRatioAt(int y, int panelHeight) {
  if (panelHeight <= 0) return 100;
  return std::clamp(y * 100 / panelHeight, 0, 100);
}

int ToggleSplitRatio(int ratio, bool on) {
  if (!on) return 100;
  return (ratio == 0 || ratio == 100) ? 50 : ratio;
}

TColor TabGradientColor(int row, int height, bool tabsOnTop) {
  TColor from = tabsOnTop ? kGradientTop : kGradientBottom;
  TColor to = tabsOnTop ? kGradientBottom : kGradientTop;
  if (height <= 0) return from;
  return MakeColor(Channel(RedOf(from), RedOf(to), row, height),
                   Channel(GreenOf(from), GreenOf(to), row, height),
                   Channel(BlueOf(from), BlueOf(to), row, height));
}

int TabWidthFor(int captionWidth, bool editorTab, bool closeButtons) {
  // Room for the close glyph: its 14 pixels plus the 8 by which the active tab's caption and
  // glyph move in, so that the glyph never covers the end of a bold caption.
  return captionWidth + 16 + (editorTab && closeButtons ? 14 + 8 : 0);
}

}  // namespace tervil
