#pragma once

#include <string>
#include <vector>

namespace tervil {

// The message shown when a file cannot be read: Cannot open file "<path>". <reason>
std::string CannotOpenFileMessage(const std::string& path, const std::string& reason);

// Reads a text file as lines (split at CR LF, LF and CR; a final line break starts no further
// line). On failure returns false and sets `error` to CannotOpenFileMessage with the system's
// reason.
bool ReadLineList(const std::string& path, std::vector<std::string>& lines, std::string* error);

// Reads a file's bytes. On failure returns false and sets `error` as ReadLineList does.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* error);

}  // namespace tervil
