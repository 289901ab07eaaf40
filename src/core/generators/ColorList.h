#pragma once

// The colour and font pickers' logic: the named colours of the colour list with the custom entry,
// the screen picker's hint text and the entries of the font chooser.

#include <string>
#include <string_view>
#include <vector>

#include "core/common/Color.h"

namespace tervil {

// The colours of a colour list: items (colour texts "#RRGGBB") and display names side by side.
// Entry 0 is the custom colour, initially "#000000" named "Custom...".
class TColorListModel {
 public:
  TColorListModel();

  // Reads the lines of a colour list file ("name|#RRGGBB") through TNamedColors; lines without
  // "|" or with an unreadable colour are skipped. Selects entry 0.
  void LoadColors(std::string_view fileText);

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  const std::string& Name(int index) const { return names_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Colors() const { return names_; }
  int Selected() const { return selected_; }
  void SetSelected(int index);

  // The custom entry's colour text, or the selected entry's name in lower case.
  std::string GetSelected() const;
  // Selects the entry of a colour name (without regard to case) or of the colour any colour text
  // stands for; a colour without an entry becomes the custom one ("Custom... (#ABCDEF)").
  void SelectColor(std::string_view text);
  // The colour of a name (through its item) or of any colour text.
  TColor GetColorFromString(std::string_view text) const;

 private:
  int IndexOfName(std::string_view name) const;

  std::vector<std::string> items_;
  std::vector<std::string> names_;
  int selected_ = 0;
};

// The screen picker's hint template and its text for a colour: %r, %g and %b (any case) become
// the decimal components, %h the six hexadecimal digits without "#".
inline constexpr std::string_view kScreenPickerHint = "RGB(%r, %g, %b)\rHex: %h";
std::string ScreenPickerHint(std::string_view hintTemplate, TColor color);

// The font chooser's entries: the five generic families, an empty entry, then the installed
// fonts.
std::vector<std::string> FontPickEntries(const std::vector<std::string>& installedFonts);

}  // namespace tervil
