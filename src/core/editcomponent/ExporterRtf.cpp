#include "core/editcomponent/ExporterRtf.h"

#include <algorithm>
#include <cstdio>

#include "core/common/Utf8.h"

namespace tervil {

void TExporterRTF::AppendEscaped(std::string_view text, std::string& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t len = 0;
    const char32_t c = utf8::Decode(text.data() + i, text.size() - i, len);
    i += len;
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c < 0x20) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned>(c));
      out += hex;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      // \u takes a signed 16-bit UTF-16 unit; characters beyond the BMP take two.
      auto unit = [&out](unsigned u) {
        out += "\\u" + std::to_string(static_cast<int>(static_cast<std::int16_t>(u))) + "?";
      };
      if (c > 0xFFFF) {
        const char32_t v = c - 0x10000;
        unit(0xD800 + (v >> 10));
        unit(0xDC00 + (v & 0x3FF));
      } else {
        unit(c);
      }
    }
  }
}

int TExporterRTF::ColorIndex(TColor color) {
  auto it = std::find(colors_.begin(), colors_.end(), color);
  if (it == colors_.end()) {
    colors_.push_back(color);
    return static_cast<int>(colors_.size());
  }
  return static_cast<int>(it - colors_.begin()) + 1;
}

void TExporterRTF::BeginDocument() {
  colors_.clear();
  body_.clear();
  const TStyle plain = PlainStyle();
  ColorIndex(plain.foreground);
  ColorIndex(plain.background);
}

void TExporterRTF::WriteRun(std::string_view text, const TStyle& style) {
  const std::string background = std::to_string(ColorIndex(style.background));
  body_ += "{\\cf" + std::to_string(ColorIndex(style.foreground)) + "\\chcbpat" + background +
           "\\cb" + background;
  if (style.fontStyle & fsBold) body_ += "\\b";
  if (style.fontStyle & fsItalic) body_ += "\\i";
  if (style.fontStyle & fsUnderline) body_ += "\\ul";
  if (style.fontStyle & fsStrikeOut) body_ += "\\strike";
  body_ += ' ';
  AppendEscaped(text, body_);
  body_ += '}';
}

void TExporterRTF::EndDocument() {
  std::string& out = Out();
  std::string font;
  for (char c : FontName()) {
    if (c != ';' && c != '{' && c != '}' && c != '\\') font += c;
  }
  out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\fmodern\\fcharset0 ";
  AppendEscaped(font, out);
  out += ";}}\n{\\colortbl ;";
  for (TColor c : colors_) {
    out += "\\red" + std::to_string(RedOf(c)) + "\\green" + std::to_string(GreenOf(c)) + "\\blue" +
           std::to_string(BlueOf(c)) + ";";
  }
  out += "}\n";
  if (!ExportAsFragment()) {
    out += "{\\info{\\title ";
    AppendEscaped(Title(), out);
    out += "}}\n";
  }
  out += "\\viewkind4\\pard\\plain\\f0\\fs" + std::to_string(FontSize() * 2) + "\n";
  out += body_;
  out += "\n}\n";
  body_.clear();
}

}  // namespace tervil
