#pragma once

// The text of the commands that insert a file into a page: a file dropped from the explorer
// (as its name, its path, a hyperlink or an image) and a picture chosen in a dialog. Paths use
// "/"; a folder ends with "/".

#include <string>
#include <string_view>

namespace tervil {

// A file as the insertion commands see it: its name and the folder that holds it.
struct TDroppedFile {
  std::string name;
  std::string folder;  // with its trailing "/"; empty when unknown
};

// The dropped entry of a file list showing `currentFolder`: `entryName` in that folder, or, for
// the parent-folder entry "..", the current folder itself as a name in its parent.
TDroppedFile DroppedFileOf(std::string_view currentFolder, std::string_view entryName);

// Splits a full path into folder and name.
TDroppedFile FileOfPath(std::string_view path);

// The folder of a page's file ("" for a page without a file, or a name without a folder).
std::string PageFolder(std::string_view pageFileName);

// The file's path as seen from a page in `pageFolder`: relative to it for a file in that folder
// or below it, the file name alone for any other file (or a page without a folder).
std::string RelativeFilePath(std::string_view pageFolder, const TDroppedFile& file);

// Percent-escapes what a URL path cannot hold as it is: blanks and control characters, ", #, %,
// <, >, ?, \, ^, `, {, |, } and DEL. Other characters (letters beyond ASCII included) stay.
std::string EscapeUrlPath(std::string_view path);

// &, <, > and " as entities, for text inside an element or an attribute value.
std::string EscapeHtmlText(std::string_view text);

// Whether the name's extension, lower-cased, is .gif, .jpg, .jpeg, .bmp or .png.
bool IsPictureFileName(std::string_view name);

// <a href="path">name</a>, path and name escaped.
std::string HyperlinkMarkup(std::string_view relativePath, std::string_view name);

// <img src="path" width="w" height="h" />; without the size when it is not known (a negative
// width or height: a picture that could not be read).
std::string ImageMarkup(std::string_view relativePath, int width, int height);

}  // namespace tervil
