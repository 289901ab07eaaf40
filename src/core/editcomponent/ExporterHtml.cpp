#include "core/editcomponent/ExporterHtml.h"

#include <cstdio>

#include "core/common/Utf8.h"

namespace tervil {

namespace {

std::string HtmlColor(TColor c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(c), GreenOf(c), BlueOf(c));
  return text;
}

// Characters HTML does not allow in text (controls other than tab and line feed, and
// noncharacters) are written as U+FFFD.
bool IsForbidden(char32_t c) {
  return (c < 0x20 && c != '\t' && c != '\n') || (c >= 0x7F && c <= 0x9F) ||
         (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// A font family name safe inside a CSS string inside an attribute.
std::string SafeFontName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c != '\'' && c != '"' && c != '<' && c != '>' && c != '&' && c != ';' && c != '\\')
      out += c;
  }
  return out;
}

}  // namespace

void TExporterHTML::AppendEscaped(std::string_view text) {
  std::string& out = Out();
  std::size_t i = 0;
  while (i < text.size()) {
    // Plain ASCII goes over in one piece.
    std::size_t plain = i;
    while (plain < text.size()) {
      const unsigned char b = static_cast<unsigned char>(text[plain]);
      if (b >= 0x7F || (b < 0x20 && b != '\t' && b != '\n') || b == '&' || b == '<' || b == '>' ||
          b == '"')
        break;
      ++plain;
    }
    out.append(text.data() + i, plain - i);
    i = plain;
    if (i >= text.size()) break;
    const char c = text[i];
    switch (c) {
      case '&':
        out += "&amp;";
        ++i;
        continue;
      case '<':
        out += "&lt;";
        ++i;
        continue;
      case '>':
        out += "&gt;";
        ++i;
        continue;
      case '"':
        out += "&quot;";
        ++i;
        continue;
      default:
        break;
    }
    std::size_t len = 0;
    const char32_t cp = utf8::Decode(text.data() + i, text.size() - i, len);
    if (len == 0) len = 1;
    if (IsForbidden(cp)) {
      out += "\xEF\xBF\xBD";
    } else {
      out.append(text.data() + i, len);
    }
    i += len;
  }
}

void TExporterHTML::BeginDocument() {
  const TStyle plain = PlainStyle();
  plain_ = plain;
  spans_.clear();
  std::string& out = Out();
  if (!ExportAsFragment()) {
    out +=
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"generator\" content=\"Tervil Editor\">\n<title>";
    AppendEscaped(Title());
    out += "</title>\n</head>\n<body style=\"background-color:" + HtmlColor(plain.background) +
           "\">\n";
  }
  out += "<pre style=\"font-family:'" + SafeFontName(FontName()) +
         "',monospace;font-size:" + std::to_string(FontSize()) +
         "pt;color:" + HtmlColor(plain.foreground) +
         ";background-color:" + HtmlColor(plain.background) +
         ";tab-size:" + std::to_string(TabWidth()) + "\">";
}

void TExporterHTML::WriteRun(std::string_view text, const TStyle& style) {
  if (style == plain_) {
    AppendEscaped(text);
    return;
  }
  // The opening tags of the few styles a highlighter has are made once per export.
  const std::string* open = nullptr;
  for (const auto& [known, tag] : spans_) {
    if (known == style) {
      open = &tag;
      break;
    }
  }
  if (!open) {
    std::string css;
    if (style.foreground != plain_.foreground) css += "color:" + HtmlColor(style.foreground) + ";";
    if (style.background != plain_.background) {
      css += "background-color:" + HtmlColor(style.background) + ";";
    }
    if (style.fontStyle & fsBold) css += "font-weight:bold;";
    if (style.fontStyle & fsItalic) css += "font-style:italic;";
    if (style.fontStyle & (fsUnderline | fsStrikeOut)) {
      css += "text-decoration:";
      if (style.fontStyle & fsUnderline) css += " underline";
      if (style.fontStyle & fsStrikeOut) css += " line-through";
      css += ";";
    }
    spans_.emplace_back(style, "<span style=\"" + css + "\">");
    open = &spans_.back().second;
  }
  Out() += *open;
  AppendEscaped(text);
  Out() += "</span>";
}

void TExporterHTML::EndDocument() {
  Out() += "</pre>";
  if (!ExportAsFragment()) Out() += "\n</body>\n</html>\n";
}

}  // namespace tervil
