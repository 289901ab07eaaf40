#pragma once

// The named colours of data/colorlist.tvd ("name|#RRGGBB" per line), used to turn the value of a
// colour property into a colour for its swatch.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/common/Color.h"

namespace tervil {

class TCssColorNames {
 public:
  // Replaces the list with the lines of `text`; lines without "|" or with an unreadable colour
  // are skipped and named in `problems` (the first few, then a count).
  void LoadText(std::string_view text, std::vector<std::string>& problems);
  bool LoadFile(const std::string& path, std::vector<std::string>& problems);

  std::size_t Count() const { return colors_.size(); }
  // The colour of a value: a name of the list (without regard to case), "#RGB", "#RRGGBB" or
  // "rgb(r, g, b)". clNone for anything else (a var(), a gradient, an empty value).
  TColor ColorOf(std::string_view value) const;

 private:
  std::unordered_map<std::string, TColor> colors_;
};

}  // namespace tervil
