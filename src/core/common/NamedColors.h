#pragma once

// The named colours of data/colorlist.tvd ("name|#RRGGBB" per line), read once for every tool
// that offers colours by name: the colour picker's list, the CSS tools' colour swatches and the
// colour cells of the attribute window.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/common/Color.h"

namespace tervil {

// One line of the colour list: the name and the colour as the file writes them.
struct TNamedColor {
  std::string name;
  std::string text;  // "#RRGGBB" or "#RGB"
  TColor color = clNone;
};

class TNamedColors {
 public:
  // Replaces the list with the lines of `text`; lines without "|" or with an unreadable colour
  // are skipped and named in `problems` (the first few, then a count).
  void LoadText(std::string_view text, std::vector<std::string>& problems);
  bool LoadFile(const std::string& path, std::vector<std::string>& problems);

  // How many different names the list holds.
  std::size_t Count() const { return colors_.size(); }
  // Every readable line, in the order of the file.
  const std::vector<TNamedColor>& Entries() const { return entries_; }
  // The colour of a value: a name of the list (without regard to case), "#RGB", "#RRGGBB" or
  // "rgb(r, g, b)". clNone for anything else (a var(), a gradient, an empty value).
  TColor ColorOf(std::string_view value) const;

 private:
  std::vector<TNamedColor> entries_;
  std::unordered_map<std::string, TColor> colors_;
};

}  // namespace tervil
