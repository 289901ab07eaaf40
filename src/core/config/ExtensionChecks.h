#pragma once

#include <string>
#include <vector>

#include "core/config/FileAssociation.h"

namespace tervil {

// One row of the Options dialog's "Extensions associated with editor" list.
struct TExtensionCheck {
  std::string extension;  // with its dot: ".php"
  bool checked = false;

  bool operator==(const TExtensionCheck&) const = default;
};

// The extensions of "extensions.tvd": one per line with its leading dot, sorted, each once.
// Blank lines and lines that are no extension (no leading dot, a blank or a slash inside) are
// left out.
std::vector<std::string> ParseExtensionList(const std::string& text);

// Each extension, checked when the desktop opens it with the editor now.
std::vector<TExtensionCheck> ReadExtensionChecks(const TFileAssociation& association,
                                                 const std::vector<std::string>& extensions);

// Ok and Apply: checked extensions are associated with the editor (verb "open", `programPath`),
// unchecked ones lose the editor's association where they have it (another program's is left
// alone). A failed write throws with the system's message; the remaining extensions of the pass
// are not processed.
void ApplyExtensionChecks(TFileAssociation& association, const std::vector<TExtensionCheck>& checks,
                          const std::string& programPath);

}  // namespace tervil
