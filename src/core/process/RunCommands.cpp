#include "core/process/RunCommands.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "core/common/Paths.h"
#include "core/process/CommandLine.h"

namespace tervil {

namespace {

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// Quotes a program path only when it would not come back as one word.
std::string AsProgram(const std::string& path) {
  const auto words = SplitCommandLine(path);
  if (words.size() == 1 && words[0] == path) return path;
  return QuoteArgument(path);
}

}  // namespace

TRunPrograms::TRunPrograms(const std::string& phpPath, std::vector<std::string> applications)
    : applications_(std::move(applications)) {
  php_ = Trim(phpPath);
  if (php_.empty()) php_ = FindOnPath("php").value_or("");
}

std::string TRunPrograms::PhpPrefix() const {
  return AsProgram(php_) + kPhpOptions;
}

std::vector<std::string> TRunPrograms::MenuItems() const {
  std::vector<std::string> items;
  if (!php_.empty()) items.push_back(kPhpItem);
  for (const auto& entry : applications_) items.push_back(entry.substr(0, entry.find('=')));
  return items;
}

std::optional<std::string> TRunPrograms::PrefixOf(const std::string& item) const {
  if (item == kPhpItem && !php_.empty()) return PhpPrefix();
  for (const auto& entry : applications_) {
    const auto eq = entry.find('=');
    if (entry.substr(0, eq) == item)
      return eq == std::string::npos ? std::string() : entry.substr(eq + 1);
  }
  return std::nullopt;
}

std::string TRunPrograms::DefaultRunWith(const std::string& runWithDefault) const {
  const std::string name = Trim(runWithDefault);
  if (name.empty()) return {};
  if (name == kPhpItem) return php_.empty() ? std::string() : PhpPrefix();
  std::string prefix;
  for (const auto& entry : applications_) {
    const auto eq = entry.find('=');
    if (eq != std::string::npos && entry.substr(0, eq) == name) prefix = entry.substr(eq + 1);
  }
  return prefix;
}

std::string RunCommandLine(const std::string& prefix, const std::string& copyPath,
                           const std::string& params) {
  return prefix + " " + QuoteArgument(copyPath) + " " + params;
}

std::string TempCopyFolder(const std::string& documentPath, const std::string& tempDir) {
  if (documentPath.find('/') == std::string::npos) return tempDir;
  return ParentDirectory(documentPath);
}

std::string ReserveTempCopy(const std::string& folder, const std::string& documentName,
                            const std::string& suffix) {
  if (!EnsureDirectory(folder, 0700))
    throw std::system_error(errno ? errno : EACCES, std::generic_category(),
                            "Cannot create the folder " + folder);
  for (unsigned k = 0;; ++k) {
    const std::string path = folder + "/" + documentName + ".tvl" + std::to_string(k) + suffix;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST)
      throw std::system_error(errno, std::generic_category(), "Cannot create " + path);
  }
}

}  // namespace tervil
