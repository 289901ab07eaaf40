#pragma once

#include <optional>
#include <string>

namespace tervil {

// The rules behind the main window's own small commands: the online page, context help and the
// "Go to line" entry.

// The product's online page on the maker's site `server` (an http or https address, the one the
// update check asks): server + "/qendra.php?id=1". Empty when no such address is set.
std::string OnlinePageUrl(const std::string& server);

// The local PHP manual's page for `word` (the word at the caret): `manualDir` + "/function." +
// the word with "-" for every "_" + ".html". Empty when the word is empty or holds anything but
// letters, digits and "_", or when that page is not installed.
std::string PhpManualPage(const std::string& manualDir, const std::string& word);

// The line number typed into "Go to line": an optional sign and decimal digits, blanks around
// allowed. Anything else (also an empty entry or a number out of range) gives no number;
// `error` then receives the conversion error: "'text' is not a valid integer value".
std::optional<int> ParseLineNumber(const std::string& text, std::string& error);

}  // namespace tervil
