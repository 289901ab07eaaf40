#pragma once

#include <functional>
#include <string>

namespace tervil {

// Where the desktop keeps a user's file-type choices.
struct TAssociationPlaces {
  std::string applicationsDir;  // $XDG_DATA_HOME/applications: the editor's desktop entry
  std::string mimeappsList;     // $XDG_CONFIG_HOME/mimeapps.list: the default applications

  static TAssociationPlaces FromEnvironment();
};

// The editor as the program the desktop opens chosen file extensions with: its desktop entry
// "tervil-editor.desktop" in the user's applications folder, and for each extension its MIME
// type mapped to that entry in the [Default Applications] group of mimeapps.list.
//
// Failures to write a file throw std::runtime_error with the system's message; nothing is
// written over a file that could not be read.
class TFileAssociation {
 public:
  // The MIME type of an extension given with its dot (".php"); empty when none is known.
  using TMimeLookup = std::function<std::string(const std::string& extension)>;

  static constexpr const char* kDesktopFileName = "tervil-editor.desktop";

  TFileAssociation(TAssociationPlaces places, TMimeLookup mimeTypeOf);

  // Whether the desktop opens the extension with the editor: its type's default applications
  // name the editor's entry first.
  bool IsAssociated(const std::string& extension) const;
  // Makes the editor the extension's opener, ahead of the programs that were there (they stay in
  // the list, after it). The entry's command for `verb` ("open": its main command) starts
  // `programPath` with the file. False when the extension has no known type.
  bool Associate(const std::string& extension, const std::string& verb,
                 const std::string& programPath);
  // Removes the editor from the extension's default applications when it is the opener; the
  // programs after it take over again. False, and nothing changes, when another program (or
  // none) opens the extension.
  bool Unassociate(const std::string& extension);
  // Sets the icon of the editor's entry. The entry is not created for it (a bare entry would
  // hide the installed one): false when the user has no entry yet.
  bool RegisterIcon(const std::string& iconPath);

  std::string DesktopFilePath() const;

 private:
  TAssociationPlaces places_;
  TMimeLookup mimeTypeOf_;
};

// `program` as the first word of a desktop entry's Exec value, quoted where it must be.
std::string DesktopExecProgram(const std::string& program);

}  // namespace tervil
