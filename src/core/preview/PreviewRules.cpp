#include "core/preview/PreviewRules.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "core/process/CommandLine.h"

namespace tervil {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string ExtensionOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return Lower(std::string_view(path).substr(dot));
}

bool OneOf(const std::string& extension, std::initializer_list<std::string_view> list) {
  return std::find(list.begin(), list.end(), extension) != list.end();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// The local path an address names, relative to `folder`; empty when it names no local file.
std::string LocalTarget(std::string address, const std::string& folder) {
  auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!address.empty() && blank(address.front())) address.erase(address.begin());
  while (!address.empty() && blank(address.back())) address.pop_back();
  address = address.substr(0, address.find_first_of("?#"));
  if (address.empty() || address.starts_with("//")) return {};
  const std::size_t colon = address.find(':');
  const std::size_t slash = address.find('/');
  if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) {
    if (Lower(address.substr(0, colon)) != "file") return {};
    address = address.substr(5);
    while (address.starts_with("//")) address.erase(0, 1);  // file:///x and file:/x alike
  }
  address = PercentDecoded(address);
  if (address.front() == '/') return ResolvePath("/", address);
  if (folder.empty()) return {};
  return ResolvePath(folder, address);
}

// Finds attribute `name` in the text of a tag and gives its value.
bool AttributeValue(std::string_view tag, std::string_view name, std::string& value) {
  const std::string lower = Lower(tag);
  std::size_t from = 0;
  while ((from = lower.find(name, from)) != std::string::npos) {
    const bool startsWord = from > 0 && (std::isspace(static_cast<unsigned char>(lower[from - 1])));
    std::size_t i = from + name.size();
    from = i;
    if (!startsWord) continue;
    while (i < lower.size() && std::isspace(static_cast<unsigned char>(lower[i]))) ++i;
    if (i >= lower.size() || lower[i] != '=') continue;
    ++i;
    while (i < lower.size() && std::isspace(static_cast<unsigned char>(lower[i]))) ++i;
    if (i >= lower.size()) return false;
    const char quote = tag[i];
    if (quote == '"' || quote == '\'') {
      const std::size_t end = tag.find(quote, i + 1);
      value = std::string(tag.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
    } else {
      std::size_t end = i;
      while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) &&
             tag[end] != '>')
        ++end;
      value = std::string(tag.substr(i, end - i));
    }
    return true;
  }
  return false;
}

}  // namespace

TPreviewKind PreviewKindOf(const std::string& path) {
  const std::string extension = ExtensionOf(path);
  if (OneOf(extension, {".html", ".htm", ".shtml", ".xhtml", ".xht", ".xml", ".svg"}))
    return TPreviewKind::Markup;
  if (IsPhpPage(path)) return TPreviewKind::Php;
  if (OneOf(extension, {".css", ".js", ".mjs"})) return TPreviewKind::Asset;
  return TPreviewKind::None;
}

bool IsPhpPage(const std::string& path) {
  return OneOf(ExtensionOf(path), {".php", ".php3", ".php4", ".php5", ".phtml"});
}

std::string PreviewBaseFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (path.empty() || path.front() != '/' || slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

std::string ResolvePath(const std::string& folder, const std::string& relative) {
  std::vector<std::string> parts;
  auto add = [&parts](std::string_view text) {
    std::size_t from = 0;
    while (from <= text.size()) {
      std::size_t end = text.find('/', from);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view part = text.substr(from, end - from);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.emplace_back(part);
      }
      from = end + 1;
    }
  };
  if (relative.empty() || relative.front() != '/') add(folder);
  add(relative);
  std::string path;
  for (const std::string& part : parts) path += "/" + part;
  return path.empty() ? "/" : path;
}

std::vector<std::string> LinkedAssets(std::string_view html, const std::string& pagePath) {
  const std::string folder = PreviewBaseFolder(pagePath);
  std::vector<std::string> assets;
  auto add = [&](const std::string& address) {
    std::string target = LocalTarget(address, folder);
    if (!target.empty() && std::find(assets.begin(), assets.end(), target) == assets.end())
      assets.push_back(std::move(target));
  };
  std::size_t at = 0;
  while ((at = html.find('<', at)) != std::string_view::npos) {
    const std::size_t end = html.find('>', at);
    if (end == std::string_view::npos) break;
    const std::string_view tag = html.substr(at, end - at);
    at = end;
    const std::string head = Lower(tag.substr(0, std::min<std::size_t>(tag.size(), 8)));
    std::string value;
    if (head.starts_with("<link") && head.size() > 5 &&
        std::isspace(static_cast<unsigned char>(head[5]))) {
      if (AttributeValue(tag, "href", value)) add(value);
    } else if (head.starts_with("<script") && head.size() > 7 &&
               std::isspace(static_cast<unsigned char>(head[7]))) {
      if (AttributeValue(tag, "src", value)) add(value);
    }
  }
  // @import "x.css"; @import url(x.css);
  const std::string lower = Lower(html);
  at = 0;
  while ((at = lower.find("@import", at)) != std::string::npos) {
    std::size_t i = at + 7;
    at = i;
    while (i < html.size() && std::isspace(static_cast<unsigned char>(html[i]))) ++i;
    if (lower.compare(i, 4, "url(") == 0) {
      i += 4;
      while (i < html.size() && std::isspace(static_cast<unsigned char>(html[i]))) ++i;
    }
    if (i >= html.size()) break;
    const char quote = html[i];
    std::size_t end;
    if (quote == '"' || quote == '\'') {
      ++i;
      end = html.find(quote, i);
    } else {
      end = html.find_first_of(") ;\n", i);
    }
    if (end == std::string_view::npos) break;
    add(std::string(html.substr(i, end - i)));
  }
  return assets;
}

bool UsesAsset(std::string_view html, const std::string& pagePath, const std::string& assetPath) {
  const std::string wanted = ResolvePath("/", assetPath);
  const std::vector<std::string> assets = LinkedAssets(html, pagePath);
  return std::find(assets.begin(), assets.end(), wanted) != assets.end();
}

std::string InlineEditedAssets(std::string_view html, const std::string& pagePath,
                               const std::vector<std::pair<std::string, std::string>>& edited) {
  if (edited.empty()) return std::string(html);
  const std::string folder = PreviewBaseFolder(pagePath);
  auto editedText = [&](const std::string& address) -> const std::string* {
    const std::string target = LocalTarget(address, folder);
    if (target.empty()) return nullptr;
    for (const auto& [path, text] : edited)
      if (ResolvePath("/", path) == target) return &text;
    return nullptr;
  };
  // A text inside <style> or <script> must not end the element early.
  auto safe = [](std::string text, std::string_view element) {
    const std::string close = "</" + std::string(element);
    std::size_t at = 0;
    while ((at = Lower(text).find(close, at)) != std::string::npos) {
      text.insert(at + 1, "\\");
      at += close.size() + 1;
    }
    return text;
  };
  std::string out;
  out.reserve(html.size());
  std::size_t copied = 0, at = 0;
  while ((at = html.find('<', at)) != std::string_view::npos) {
    const std::size_t end = html.find('>', at);
    if (end == std::string_view::npos) break;
    const std::string_view tag = html.substr(at, end - at);
    const std::string head = Lower(tag.substr(0, std::min<std::size_t>(tag.size(), 8)));
    std::string value;
    const std::string* text = nullptr;
    if (head.starts_with("<link") && head.size() > 5 &&
        std::isspace(static_cast<unsigned char>(head[5])) && AttributeValue(tag, "href", value) &&
        (text = editedText(value))) {
      out.append(html.substr(copied, at - copied));
      out += "<style>" + safe(*text, "style") + "</style>";
      copied = end + 1;
    } else if (head.starts_with("<script") && head.size() > 7 &&
               std::isspace(static_cast<unsigned char>(head[7])) &&
               AttributeValue(tag, "src", value) && (text = editedText(value))) {
      const std::size_t close = Lower(html.substr(end)).find("</script");
      if (close != std::string::npos) {
        out.append(html.substr(copied, at - copied));
        out += "<script>" + safe(*text, "script");
        copied = end + close;
      }
    }
    at = end;
  }
  out.append(html.substr(copied));
  return out;
}

std::string WithBaseElement(std::string_view html, const std::string& baseHref) {
  std::string escaped;
  for (char c : baseHref) escaped += c == '"' ? std::string("&quot;") : std::string(1, c);
  const std::string element = "<base href=\"" + escaped + "\">";
  const std::string lower = Lower(html.substr(0, std::min<std::size_t>(html.size(), 4096)));
  std::size_t head = lower.find("<head");
  if (head != std::string::npos) {
    const std::size_t end = lower.find('>', head);
    if (end != std::string::npos &&
        (lower[head + 5] == '>' || std::isspace(static_cast<unsigned char>(lower[head + 5])))) {
      std::string out(html);
      out.insert(end + 1, element);
      return out;
    }
  }
  return element + std::string(html);
}

std::string PhpServerCommandLine(const std::string& php, int port, const std::string& documentRoot,
                                 int maxSeconds) {
  // The code cache is off: a page saved a moment ago must run as it is now.
  return QuoteArgument(php) +
         " -d opcache.enable=0 -d max_execution_time=" + std::to_string(maxSeconds) +
         " -S 127.0.0.1:" + std::to_string(port) + " -t " + QuoteArgument(documentRoot);
}

int FindFreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // the system picks a free one
  int port = 0;
  socklen_t size = sizeof(address);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
    port = ntohs(address.sin_port);
  ::close(fd);
  return port;
}

bool PortAccepts(int port) {
  if (port <= 0 || port > 65535) return false;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool accepted = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return accepted;
}

}  // namespace tervil
