#pragma once

#include <string>

#include "core/config/FileAssociation.h"

namespace tervil {

// The MIME type shared-mime-info gives an extension (".php"); empty when it knows none.
std::string MimeTypeOfExtension(const std::string& extension);

// The user's file-type association, with the types from shared-mime-info.
TFileAssociation DesktopFileAssociation();

// Points the user's desktop entry, where there is one, at the icon shipped with this program.
// Problems are reported on the terminal; the start goes on.
void RefreshDesktopIcon(const std::string& dataDir);

}  // namespace tervil
