#pragma once

#include <string>
#include <vector>

namespace tervil {

// Per-user locations (XDG base directories) and small file-system helpers.

std::string HomeDirectory();
// $XDG_CONFIG_HOME/tervil-editor (default ~/.config/tervil-editor).
std::string ConfigDirectory();
// $XDG_CACHE_HOME/tervil-editor/temp (default ~/.cache/tervil-editor/temp): run copies.
std::string TempDirectory();
// The folder of the single-instance socket: $XDG_RUNTIME_DIR, else /tmp/tervil-editor-<uid>.
std::string RuntimeDirectory();

// The folder holding `name` ("data" or "samples"): beside the executable, else
// ../share/tervil-editor/<name> relative to it. Returns the first candidate when neither exists.
std::string ResourceDirectory(const std::string& executableDir, const std::string& name);

std::string ParentDirectory(const std::string& path);
std::string FileNameOf(const std::string& path);
// Joins a relative path onto `base`; an absolute path is returned as it is. "." and ".."
// segments are resolved textually, so the result names the file the caller meant.
std::string MakeAbsolute(const std::string& path, const std::string& base);
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);

// Creates the folder and its parents; new folders get `mode`. Returns false when it cannot.
bool EnsureDirectory(const std::string& path, unsigned mode);
// Flushes a folder's entries to disk (after a rename into it).
void SyncDirectory(const std::string& path);
// Deletes the plain files directly inside `path` (subfolders are not entered). Returns the count.
int DeleteFilesIn(const std::string& path);

}  // namespace tervil
