#include "core/textcommands/FileInsertion.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tervil {

namespace {

std::string WithTrailingSlash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  return out;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool NeedsUrlEscape(unsigned char c) {
  if (c <= 0x20 || c == 0x7F) return true;
  static constexpr std::string_view kReserved = "\"#%<>?\\^`{|}";
  return kReserved.find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

TDroppedFile FileOfPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {std::string(path), ""};
  return {std::string(path.substr(slash + 1)), std::string(path.substr(0, slash + 1))};
}

TDroppedFile DroppedFileOf(std::string_view currentFolder, std::string_view entryName) {
  if (entryName != "..") return {std::string(entryName), WithTrailingSlash(currentFolder)};
  std::string_view folder = currentFolder;
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  return FileOfPath(folder);
}

std::string PageFolder(std::string_view pageFileName) {
  if (pageFileName.empty() || pageFileName.front() != '/') return {};
  return FileOfPath(pageFileName).folder;
}

std::string RelativeFilePath(std::string_view pageFolder, const TDroppedFile& file) {
  const std::string page = WithTrailingSlash(pageFolder);
  if (page.empty() || file.folder.compare(0, page.size(), page) != 0) return file.name;
  return file.folder.substr(page.size()) + file.name;
}

std::string EscapeUrlPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (NeedsUrlEscape(c)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string EscapeHtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool IsPictureFileName(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  static constexpr std::array<std::string_view, 5> kPictures = {".gif", ".jpg", ".jpeg", ".bmp",
                                                                ".png"};
  const std::string extension = LowerAscii(name.substr(dot));
  return std::find(kPictures.begin(), kPictures.end(), extension) != kPictures.end();
}

std::string HyperlinkMarkup(std::string_view relativePath, std::string_view name) {
  return "<a href=\"" + EscapeHtmlText(EscapeUrlPath(relativePath)) + "\">" + EscapeHtmlText(name) +
         "</a>";
}

std::string ImageMarkup(std::string_view relativePath, int width, int height) {
  std::string out = "<img src=\"" + EscapeHtmlText(EscapeUrlPath(relativePath)) + "\"";
  if (width >= 0 && height >= 0)
    out += " width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"";
  return out + " />";
}

}  // namespace tervil
