#pragma once

#include <string>
#include <vector>

namespace tervil {

// The applications the desktop offers for a type of file, from the freedesktop.org desktop
// entries and MIME association lists (mimeapps.list).

struct TDesktopApplication {
  std::string id;    // "org.gnome.gedit.desktop"
  std::string name;  // its Name
  std::string exec;  // its Exec command
  std::string icon;  // its Icon (a theme name or a path)
  std::string path;  // the desktop entry's file
};

// Where the desktop keeps its entries and lists, most important first.
struct TDesktopFolders {
  std::vector<std::string> configDirs;  // $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS
  std::vector<std::string> dataDirs;    // $XDG_DATA_HOME, then $XDG_DATA_DIRS

  static TDesktopFolders FromEnvironment();
};

// The applications for a file whose MIME types are `mimeTypes` (its own type first, then the
// types it is a kind of), without repeats: for each type the default applications, the added
// associations, then every entry that lists the type, less the removed associations. Hidden
// entries, entries not shown in menus and entries that are no applications are left out.
std::vector<TDesktopApplication> ApplicationsForMimeTypes(
    const TDesktopFolders& folders, const std::vector<std::string>& mimeTypes);

// The program and arguments that open `file` with an entry's Exec command: the command split by
// the entry rules (blanks separate, double quotes group with "\" escaping), %f %F %u %U replaced
// by the file, %c by the name, %k by the entry's file, %% by "%", other field codes dropped. An
// empty list when the command is empty or its quotes are not closed.
std::vector<std::string> DesktopExecArguments(const TDesktopApplication& application,
                                              const std::string& file);

}  // namespace tervil
