#include "core/common/ColorNames.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace tervil {

namespace {

constexpr TColorIdent kColorIdents[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen},
    {"clSkyBlue", clSkyBlue},
    {"clCream", clCream},
    {"clMedGray", clMedGray},
    {"clActiveBorder", clActiveBorder},
    {"clActiveCaption", clActiveCaption},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clBackground", clBackground},
    {"clBtnFace", clBtnFace},
    {"clBtnHighlight", clBtnHighlight},
    {"clBtnShadow", clBtnShadow},
    {"clBtnText", clBtnText},
    {"clCaptionText", clCaptionText},
    {"clDefault", clDefault},
    {"clGradientActiveCaption", clGradientActiveCaption},
    {"clGradientInactiveCaption", clGradientInactiveCaption},
    {"clGrayText", clGrayText},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clHotLight", clHotLight},
    {"clInactiveBorder", clInactiveBorder},
    {"clInactiveCaption", clInactiveCaption},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clInfoBk", clInfoBk},
    {"clInfoText", clInfoText},
    {"clMenu", clMenu},
    {"clMenuBar", clMenuBar},
    {"clMenuHighlight", clMenuHighlight},
    {"clMenuText", clMenuText},
    {"clNone", clNone},
    {"clScrollBar", clScrollBar},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clWindowText", clWindowText},
};

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::optional<std::uint32_t> ParseHex(std::string_view digits) {
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return value;
}

// "RGB" with each digit doubled, or "RRGGBB"; nullopt when the text is neither.
std::optional<TColor> ParseHexColor(std::string_view text) {
  std::string digits;
  if (text.size() == 3) {
    for (char c : text) digits.append(2, c);
  } else if (text.size() == 6) {
    digits.assign(text);
  } else {
    return std::nullopt;
  }
  const auto value = ParseHex(digits);
  if (!value) return std::nullopt;
  return MakeColor((*value >> 16) & 0xFF, (*value >> 8) & 0xFF, *value & 0xFF);
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

std::optional<int> ParseInteger(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Every occurrence of `pattern`, left to right, taken out of `text`.
std::string RemoveAll(std::string_view text, std::string_view pattern) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t found; (found = text.find(pattern, pos)) != std::string_view::npos;
       pos = found + pattern.size())
    out.append(text.substr(pos, found - pos));
  out.append(text.substr(pos));
  return out;
}

// The pieces of `text` between commas; at least one, possibly empty.
std::vector<std::string_view> SplitAtCommas(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string_view::npos;
       start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  return parts;
}

// "rgb(r, g, b)": "rgb", "(" and ")" are dropped and the rest must be three integers.
std::optional<TColor> ParseRgbFunction(std::string_view text) {
  std::string stripped = RemoveAll(text, "rgb");
  stripped = RemoveAll(stripped, "(");
  stripped = RemoveAll(stripped, ")");
  const std::vector<std::string_view> parts = SplitAtCommas(Trim(stripped));
  if (parts.size() != 3) return std::nullopt;
  int channel[3];
  for (int i = 0; i < 3; ++i) {
    const auto value = ParseInteger(Trim(parts[i]));
    if (!value) return std::nullopt;
    channel[i] = *value;
  }
  return MakeColor(channel[0], channel[1], channel[2]);
}

}  // namespace

std::span<const TColorIdent> ColorIdentifiers() {
  return kColorIdents;
}

bool IdentToColor(std::string_view ident, TColor& color) {
  for (const auto& entry : kColorIdents) {
    if (EqualsIgnoringCase(entry.name, ident)) {
      color = entry.value;
      return true;
    }
  }
  return false;
}

std::string ColorToHtml(TColor color) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string html = "#";
  for (int channel : {RedOf(color), GreenOf(color), BlueOf(color)}) {
    html += kDigits[channel >> 4];
    html += kDigits[channel & 0xF];
  }
  return html;
}

TColor HtmlToColor(std::string_view text) {
  TColor color = clBlack;
  if (text.empty()) return color;
  if (text.front() == '#') {
    text.remove_prefix(1);
  } else {
    IdentToColor("cl" + std::string(text), color);
  }
  if (const auto hex = ParseHexColor(text)) color = *hex;
  if (text.find("rgb") != std::string_view::npos) {
    if (const auto rgb = ParseRgbFunction(text)) color = *rgb;
  }
  return color;
}

}  // namespace tervil
