#include "core/generators/ColorList.h"

#include <algorithm>
#include <cctype>

#include "core/common/ColorNames.h"
#include "core/common/NamedColors.h"
#include "core/common/Utf8.h"

namespace tervil {

namespace {

constexpr std::string_view kCustomItem = "#000000";
constexpr std::string_view kCustomName = "Custom...";

bool SameText(std::string_view a, std::string_view b) {
  return utf8::LowerCase(a) == utf8::LowerCase(b);
}

std::string FirstLetterUpper(std::string_view name) {
  std::string out(name);
  if (!out.empty()) out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
  return out;
}

}  // namespace

TColorListModel::TColorListModel()
    : items_{std::string(kCustomItem)}, names_{std::string(kCustomName)} {}

void TColorListModel::LoadColors(std::string_view fileText) {
  items_.assign(1, std::string(kCustomItem));
  names_.assign(1, std::string(kCustomName));
  TNamedColors colors;
  std::vector<std::string> problems;  // the picker lists the readable lines only
  colors.LoadText(fileText, problems);
  for (const TNamedColor& entry : colors.Entries()) {
    names_.push_back(FirstLetterUpper(entry.name));
    items_.push_back(entry.text);
  }
  selected_ = 0;
}

void TColorListModel::SetSelected(int index) {
  selected_ = std::clamp(index, -1, Count() - 1);
}

std::string TColorListModel::GetSelected() const {
  if (selected_ <= 0) return items_.front();
  return utf8::LowerCase(names_[static_cast<std::size_t>(selected_)]);
}

int TColorListModel::IndexOfName(std::string_view name) const {
  for (int i = 1; i < Count(); ++i)
    if (SameText(names_[static_cast<std::size_t>(i)], name)) return i;
  return -1;
}

void TColorListModel::SelectColor(std::string_view text) {
  if (const int named = IndexOfName(text); named > 0) {
    selected_ = named;
    return;
  }
  const std::string colorText = ColorToHtml(HtmlToColor(text));
  for (int i = 1; i < Count(); ++i) {
    if (SameText(items_[static_cast<std::size_t>(i)], colorText)) {
      selected_ = i;
      return;
    }
  }
  items_.front() = colorText;
  names_.front() = std::string(kCustomName) + " (" + colorText + ")";
  selected_ = 0;
}

TColor TColorListModel::GetColorFromString(std::string_view text) const {
  if (const int named = IndexOfName(text); named > 0)
    return HtmlToColor(items_[static_cast<std::size_t>(named)]);
  return HtmlToColor(text);
}

std::string ScreenPickerHint(std::string_view hintTemplate, TColor color) {
  const std::string hex = ColorToHtml(color).substr(1);
  std::string out;
  for (std::size_t i = 0; i < hintTemplate.size(); ++i) {
    const char c = hintTemplate[i];
    const char next =
        i + 1 < hintTemplate.size()
            ? static_cast<char>(std::tolower(static_cast<unsigned char>(hintTemplate[i + 1])))
            : '\0';
    if (c != '%' || std::string_view("rgbh").find(next) == std::string_view::npos || next == '\0') {
      out += c;
      continue;
    }
    switch (next) {
      case 'r':
        out += std::to_string(RedOf(color));
        break;
      case 'g':
        out += std::to_string(GreenOf(color));
        break;
      case 'b':
        out += std::to_string(BlueOf(color));
        break;
      default:
        out += hex;
    }
    ++i;
  }
  return out;
}

std::vector<std::string> FontPickEntries(const std::vector<std::string>& installedFonts) {
  std::vector<std::string> entries = {"serif", "sans-serif", "cursive", "fantasy", "monospace", ""};
  entries.insert(entries.end(), installedFonts.begin(), installedFonts.end());
  return entries;
}

}  // namespace tervil
