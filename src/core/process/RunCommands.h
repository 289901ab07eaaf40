#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tervil {

// The options the PHP interpreter runs a page with (blank before and after).
inline const std::string kPhpOptions = " -d log_errors=On -d display_errors=Off ";
// The caption of the PHP interpreter's entry in the program menus and the default setting.
inline const std::string kPhpItem = "PHP";

// The programs a page can be run or executed with: the PHP interpreter and the named
// applications of the configuration ("name=command" each).
class TRunPrograms {
 public:
  // `phpPath` is the configured interpreter; when it is blank, `php` found on PATH stands in.
  TRunPrograms(const std::string& phpPath, std::vector<std::string> applications);

  // The interpreter's path; empty when none is configured and none is on PATH.
  const std::string& PhpInterpreter() const { return php_; }
  // The command prefix of the PHP entry: the interpreter and its options, the interpreter quoted
  // when its path holds blanks or quotes.
  std::string PhpPrefix() const;
  // The menu items, in order: "PHP" when there is an interpreter, then every application's name.
  std::vector<std::string> MenuItems() const;
  bool Empty() const { return MenuItems().empty(); }
  // The command prefix of a menu item (the first application of that name wins).
  std::optional<std::string> PrefixOf(const std::string& item) const;
  // The prefix a new page gets from the "runwithdefault" setting; empty for none.
  std::string DefaultRunWith(const std::string& runWithDefault) const;

 private:
  std::string php_;
  std::vector<std::string> applications_;
};

// The command line of a run: the prefix, a blank, the copy's path quoted, a blank, the
// page's parameters. The path is quoted so that no character of it is taken as syntax.
std::string RunCommandLine(const std::string& prefix, const std::string& copyPath,
                           const std::string& params);

// The folder of a document's temporary copy: the document's own folder, or `tempDir` for a
// document that has no folder (an untitled page).
std::string TempCopyFolder(const std::string& documentPath, const std::string& tempDir);

// Creates the copy file <folder>/<name>.tvl<k><suffix> for the lowest k whose name is free (a
// name that exists as a file or a link is skipped; the file is created exclusively with mode
// 0600) and returns its path. Throws std::system_error when the folder or the file cannot be
// made. The suffix lets a browser know the copy's type ("index.html.tvl0.html").
std::string ReserveTempCopy(const std::string& folder, const std::string& documentName,
                            const std::string& suffix = "");

}  // namespace tervil
