#include "core/phpcss/CssDialogFields.h"

#include "core/phpcss/CssText.h"
#include "core/text/TextProcessor.h"

namespace tervil {

namespace {

using K = TCssFieldKind;

const std::vector<std::string_view> kBorderStyles = {
    "none", "hidden", "dotted", "dashed", "solid", "double", "groove", "ridge", "inset", "outset"};
const std::vector<std::string_view> kWidths = {"thin", "medium", "thick"};

void AddBorderFields(std::vector<TCssField>& fields) {
  const char* const sides[] = {"border-top", "border-bottom", "border-left", "border-right",
                               "border"};
  static std::vector<std::string> names;
  if (names.empty())
    for (const char* suffix : {"-width", "-color", "-style", ""})
      for (const char* side : sides) names.push_back(std::string(side) + suffix);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::size_t group = i / 5;
    const K kind = group == 0   ? K::kEditableList
                   : group == 1 ? K::kColorText
                   : group == 2 ? K::kFixedList
                                : K::kText;
    fields.push_back({"Borders", names[i], kind,
                      group == 0   ? kWidths
                      : group == 2 ? kBorderStyles
                                   : std::vector<std::string_view>{},
                      ""});
  }
  fields.push_back({"Borders", "outline-style", K::kFixedList, kBorderStyles, ""});
  fields.push_back({"Borders", "outline-color", K::kColorText, {}, ""});
  fields.push_back({"Borders", "outline-width", K::kEditableList, kWidths, ""});
  fields.push_back({"Borders", "outline", K::kText, {}, ""});
}

std::vector<TCssField> MakeFields() {
  std::vector<TCssField> f;
  f.push_back({"Position",
               "cursor",
               K::kEditableList,
               {"auto", "crosshair", "default", "pointer", "move", "e-resize", "ne-resize",
                "nw-resize", "n-resize", "se-resize", "sw-resize", "s-resize", "w-resize", "text",
                "wait", "help", "url(\"\")"},
               ""});
  f.push_back({"Position",
               "display",
               K::kFixedList,
               {"inline",
                "block",
                "flex",
                "inline-block",
                "inline-flex",
                "inline-table",
                "list-item",
                "run-in",
                "table",
                "table-caption",
                "table-column-group",
                "table-header-group",
                "table-footer-group",
                "table-row-group",
                "table-row",
                "table-column",
                "table-cell",
                "none",
                "initial",
                "inherit"},
               ""});
  f.push_back(
      {"Position", "position", K::kFixedList, {"static", "relative", "absolute", "fixed"}, ""});
  f.push_back({"Position", "float", K::kFixedList, {"left", "right", "none"}, ""});
  f.push_back({"Position", "direction", K::kFixedList, {"ltr", "rtl"}, ""});
  f.push_back(
      {"Position", "unicode-bidi", K::kFixedList, {"normal", "embed", "bidi-override"}, ""});
  f.push_back({"Position",
               "vertical-align",
               K::kEditableList,
               {"baseline", "sub", "super", "top", "text-top", "middle", "bottom", "text-bottom"},
               ""});
  f.push_back({"Position", "visibility", K::kFixedList, {"visible", "hidden", "collapse"}, ""});
  f.push_back({"Position", "clear", K::kFixedList, {"none", "left", "right", "both"}, ""});
  f.push_back({"Position", "clip", K::kEditableList, {"auto", "rect( , , , )"}, ""});
  f.push_back({"Position", "overflow", K::kFixedList, {"visible", "hidden", "scroll", "auto"}, ""});
  AddBorderFields(f);
  f.push_back({"Color and Background", "background-color", K::kColorText, {}, ""});
  f.push_back(
      {"Color and Background", "background-image", K::kEditableList, {"url(\"\")", "none"}, ""});
  f.push_back({"Color and Background",
               "background-repeat",
               K::kFixedList,
               {"repeat", "repeat-x", "repeat-y", "no-repeat"},
               ""});
  f.push_back(
      {"Color and Background", "background-attachment", K::kFixedList, {"scroll", "fixed"}, ""});
  f.push_back({"Color and Background",
               "background-position",
               K::kEditableList,
               {"top left", "top", "top center", "right top", "left", "left center", "center",
                "right", "right center", "bottom left", "bottom", "bottom center", "bottom right"},
               ""});
  f.push_back({"Color and Background", "color", K::kColorText, {}, ""});
  f.push_back({"Color and Background",
               "background",
               K::kText,
               {},
               "url(\"chess.png\") gray 50% repeat fixed"});
  f.push_back({"Font", "font-family", K::kFontText, {}, ""});
  f.push_back({"Font", "font-style", K::kFixedList, {"normal", "italic", "oblique"}, ""});
  f.push_back({"Font", "font-variant", K::kFixedList, {"normal", "small-caps"}, ""});
  f.push_back({"Font",
               "font-weight",
               K::kFixedList,
               {"normal", "bold", "bolder", "lighter", "100", "200", "300", "400", "500", "600",
                "700", "800", "900"},
               ""});
  f.push_back({"Font",
               "font-stretch",
               K::kFixedList,
               {"normal", "wider", "narrower", "ultra-condensed", "extra-condensed", "condensed",
                "semi-condensed", "semi-expanded", "expanded", "extra-expanded", "ultra-expanded"},
               ""});
  f.push_back({"Font",
               "font-size",
               K::kEditableList,
               {"xx-small", "x-small", "small", "medium", "large", "x-large", "xx-large", "larger",
                "smaller"},
               ""});
  f.push_back({"Font",
               "font",
               K::kText,
               {},
               "12pt/14pt sans-serif\n80% sans-serif\nx-large/110% \"new century schoolbook\", "
               "serif\nbold italic large Palatino, serif\nnormal small-caps 120%/120% fantasy\n"
               "condensed oblique 12pt \"Helvetica Neue\", serif"});
  f.push_back({"Font", "font-size-adjust", K::kEditableList, {"none"}, ""});
  f.push_back({"Text", "text-align", K::kEditableList, {"left", "right", "center", "justify"}, ""});
  f.push_back({"Text",
               "text-decoration",
               K::kFixedList,
               {"none", "underline", "overline", "line-through", "blink"},
               ""});
  f.push_back({"Text", "letter-spacing", K::kEditableList, {"normal"}, ""});
  f.push_back({"Text", "word-spacing", K::kEditableList, {"normal"}, ""});
  f.push_back({"Text",
               "text-transform",
               K::kFixedList,
               {"capitalize", "uppercase", "lowercase", "none"},
               ""});
  f.push_back({"Text", "white-space", K::kFixedList, {"normal", "pre", "nowrap"}, ""});
  f.push_back({"Text", "text-indent", K::kText, {}, ""});
  f.push_back({"Text", "text-shadow", K::kText, {}, "black 0px 0px 5px;"});
  f.push_back({"Tables", "caption-side", K::kFixedList, {"top", "bottom", "left", "right"}, ""});
  f.push_back({"Tables", "table-layout", K::kFixedList, {"auto", "fixed"}, ""});
  f.push_back({"Tables", "border-collapse", K::kFixedList, {"collapse", "separate"}, ""});
  f.push_back({"Tables", "empty-cells", K::kFixedList, {"show", "hide"}, ""});
  f.push_back({"Tables", "speak-header", K::kFixedList, {"once", "always"}, ""});
  f.push_back({"Tables", "border-spacing", K::kText, {}, ""});
  f.push_back({"Lists",
               "list-style-type",
               K::kFixedList,
               {"disc",
                "circle",
                "square",
                "decimal",
                "decimal-leading-zero",
                "lower-roman",
                "upper-roman",
                "lower-greek",
                "lower-alpha",
                "lower-latin",
                "upper-alpha",
                "upper-latin",
                "hebrew",
                "armenian",
                "georgian",
                "cjk-ideographic",
                "hiragana",
                "katakana",
                "hiragana-iroha",
                "katakana-iroha",
                "none"},
               ""});
  f.push_back({"Lists", "list-style-image", K::kEditableList, {"url(\"\") ", "none"}, ""});
  f.push_back({"Lists", "list-style-position", K::kFixedList, {"inside", "outside"}, ""});
  f.push_back({"Lists",
               "list-style",
               K::kText,
               {},
               "[ <list-style-type> || <list-style-position> || <list-style-image> ]"});
  for (std::string_view name :
       {"scrollbar-face-color", "scrollbar-shadow-color", "scrollbar-3dlight-color",
        "scrollbar-arrow-color", "scrollbar-highlight-color", "scrollbar-track-color",
        "scrollbar-darkshadow-color"})
    f.push_back({"Scrollbar", name, K::kColorText, {}, ""});
  return f;
}

}  // namespace

const std::vector<std::string_view>& CssDialogPages() {
  static const std::vector<std::string_view> pages = {
      "Position", "Borders",  "Color and Background", "Font", "Text", "Tables",
      "Lists",    "Scrollbar"};
  return pages;
}

const std::vector<TCssField>& CssDialogFields() {
  static const std::vector<TCssField> fields = MakeFields();
  return fields;
}

const std::vector<std::string_view>& CssGridRows() {
  static const std::vector<std::string_view> rows = {
      "margin-top",     "margin-bottom", "margin-left",
      "margin-right",   "margin",        "padding-top",
      "padding-bottom", "padding-left",  "padding-right",
      "padding",        "top",           "left",
      "right",          "bottom",        "width",
      "height",         "min",           "max",
      "min-height",     "min-width",     "max-height",
      "max-width",      "line-height",   "z-index"};
  return rows;
}

std::vector<std::string> CssManagedProperties() {
  std::vector<std::string> names;
  for (const TCssField& field : CssDialogFields()) names.emplace_back(field.name);
  for (std::string_view row : CssGridRows()) names.emplace_back(row);
  return names;
}

std::pair<std::string, std::string> CssKeyValue(std::string_view declaration) {
  const std::size_t colon = declaration.find(':');
  if (colon == std::string_view::npos) return {std::string(TrimBlanks(declaration)), {}};
  return {std::string(TrimBlanks(declaration.substr(0, colon))),
          std::string(TrimBlanks(declaration.substr(colon + 1)))};
}

std::string QuoteFontFamilies(std::string_view text, char closer) {
  const char quote = closer == '"' ? '\'' : '"';
  TStringList parts;
  SplitByChar(U',', text, parts);
  std::string out;
  for (const std::string& part : parts) {
    std::string name(TrimBlanks(part));
    if (name.empty()) continue;  // "Arial," would leave a dangling comma
    const bool quoted = name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
                        name.back() == name.front();
    if (name.find(' ') != std::string::npos && !quoted) name = quote + name + quote;
    if (!out.empty()) out += ", ";
    out += name;
  }
  return out;
}

std::string ComposeCssPreview(const std::vector<std::pair<std::string, std::string>>& gridRows,
                              const std::vector<std::pair<std::string, std::string>>& fields,
                              char closer) {
  std::string out;
  for (const auto& [name, value] : gridRows)
    if (!value.empty()) out += name + " : " + value + "; ";
  for (const auto& [name, text] : fields) {
    if (text.empty()) continue;
    out += name + " : " + (name == "font-family" ? QuoteFontFamilies(text, closer) : text) + "; ";
  }
  return out;
}

std::string ChooseFontFamily(std::string_view current, std::string_view font, bool add) {
  if (add && !TrimBlanks(current).empty() && !TrimBlanks(font).empty())
    return std::string(current) + ", " + std::string(font);
  return std::string(font);
}

}  // namespace tervil
