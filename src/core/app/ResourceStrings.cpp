#include "core/app/ResourceStrings.h"

namespace tervil {

namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t";
  auto first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string TResourceStrings::Lookup(const std::string& key) const {
  for (const auto& line : items_) {
    auto eq = line.find('=');
    // A line without "=" has an empty key and its whole text as value.
    std::string lineKey = eq == std::string::npos ? std::string() : Trim(line.substr(0, eq));
    if (lineKey == key) return Trim(eq == std::string::npos ? line : line.substr(eq + 1));
  }
  return {};
}

const std::vector<std::string>& MainWindowMessages() {
  static const std::vector<std::string> items = {
      "AppName=Tervil Editor",
      "SaveAsPrefix=Save",
      "SaveAsSufix=As",
      "AlreadyOpened=The file is already opened. Do you want to open another instance in "
      "readonly mode",
      "Unnamed=Unnamed",
      "Line=Line",
      "Char=Char",
      "Modified=Modified",
      "ModifiedMessage=The file has been modified. Do you want to save it?",
      "TextNotFound=Text not found",
      "OpenedCount=Opened Editors: ",
      "DoYouWantToSave=Do you want to save this file now?",
      "MultiHighlighter=Multi highlighter",
      "Reload=The file has been changed. Do you want to reload?",
      "Reload2=Are you sure you want to reload this file to the saved version",
      "Reload3=The file has to be reloaded. Do you want to proceed?",
      "None=None",
      "ReloadAfterChange=Reload after change",
      "AskOverwrite=Do you want to overwrite existing file?",
      "CantDeleteActiveConfig=Can't delete active config. Switch active config and try again.",
      "BadConfigName=The name of the config must contain letters, digits, \"_\", \"-\" only and "
      "must contain at least one character",
      "ConfigAlreadyExists=Config with this name already exists",
      "ConfigChanged=Do you want to save previous config (unsaved changes will be lost)?",
      "Stop=Stop",
      "Run=Run",
      "ReadOnly=File is read-only. Do you want to overwrite?",
      "Autosaving=Autosaving files...",
      "AutosaveComplete=Autosave Completed",
      "ReopenNextTime=Do you want the editor to automatically reopen currently opened files?",
      "LargeFile=Selected file is large. Are you sure you want to open it?",
  };
  return items;
}

const std::vector<std::string>& OptionsDialogMessages() {
  static const std::vector<std::string> items = {
      "0=Environment",    "1=Editor",          "2=Syntax",    "3=Applications",
      "4=Configurations", "UpdateCode=Update", "AddCode=Add", "DeleteCode=Delete",
  };
  return items;
}

const std::vector<std::string>& ConsoleWindowMessages() {
  static const std::vector<std::string> items = {"Errors=Errors", "Output=Output",
                                                 "Executing=Executing", "Finished=Finished"};
  return items;
}

const std::vector<std::string>& DiskExplorerMessages() {
  static const std::vector<std::string> items = {
      "DirectoryAlreadExists=Directory with this name already exists",
      "Unselect=Unselect",
      "Select=Select",
      "CopyText=Are you sure you want to copy selected files",
      "MoveText=Are you sure you want to move selected files",
      "Copy=Copy",
      "Move=Move",
  };
  return items;
}

const std::vector<std::string>& CodeInspectorMessages() {
  static const std::vector<std::string> items = {"Methods=Methods", "Fields=Fields"};
  return items;
}

}  // namespace tervil
