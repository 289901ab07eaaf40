#pragma once

#include <string>

namespace tervil::explorer {

// Moves `path` (absolute) into the Trash folder `trash` the way the desktop's Trash keeps it: the
// file or folder under a free name in "files", and beside it in "info" a ".trashinfo" with the
// original path (percent-encoded bytes) and the time of deletion; the folders are made when
// missing. It only renames, so the Trash must be on the same file system; otherwise, and on any
// other failure, nothing moves and `error` says why.
bool MoveToTrash(const std::string& path, const std::string& trash, std::string* error);

}  // namespace tervil::explorer
