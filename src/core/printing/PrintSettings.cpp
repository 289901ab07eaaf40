#include "core/printing/PrintSettings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace tervil {

const char* MarginUnitsCaption(TMarginUnits units) {
  switch (units) {
    case TMarginUnits::Millimeters:
      return "mm";
    case TMarginUnits::Centimeters:
      return "cm";
    case TMarginUnits::Inches:
      return "Inches";
    case TMarginUnits::Thousandths:
      return "Thousandths Of Inches";
  }
  return "mm";
}

double MillimetersPerUnit(TMarginUnits units) {
  switch (units) {
    case TMarginUnits::Millimeters:
      return 1.0;
    case TMarginUnits::Centimeters:
      return 10.0;
    case TMarginUnits::Inches:
      return 25.4;
    case TMarginUnits::Thousandths:
      return 0.0254;
  }
  return 1.0;
}

void TPrintMargins::SetUnits(TMarginUnits newUnits) {
  const double factor = MillimetersPerUnit(units) / MillimetersPerUnit(newUnits);
  for (double* value : {&left, &right, &top, &bottom, &gutter, &header, &footer, &leftHFTextIndent,
                        &rightHFTextIndent, &hfInternalMargin}) {
    // Rounded to 1e-9 so that 25 mm reads back as 2.5 cm, not 2.4999999999999996.
    *value = std::round(*value * factor * 1e9) / 1e9;
  }
  units = newUnits;
}

void THeaderFooter::Add(std::string text, const TPrintFont& font, int lineNumber,
                        THFAlignment alignment) {
  items.push_back({std::move(text), font, std::max(1, lineNumber), alignment});
}

std::vector<THeaderFooterLine> THeaderFooter::Lines() const {
  std::map<int, THeaderFooterLine> byNumber;
  for (const THeaderFooterItem& item : items) {
    THeaderFooterLine& line = byNumber[item.lineNumber];
    line.lineNumber = item.lineNumber;
    line.items.push_back(&item);
  }
  std::vector<THeaderFooterLine> lines;
  for (auto& entry : byNumber) lines.push_back(std::move(entry.second));
  return lines;
}

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::string ExpandMacros(std::string_view text, const TMacroValues& values) {
  const std::pair<std::string_view, std::string> macros[] = {
      {"$PAGENUM$", std::to_string(values.page)},
      {"$PAGECOUNT$", std::to_string(values.pageCount)},
      {"$TIME$", values.time},
      {"$DATE$", values.date},
      {"$TITLE$", values.title},
  };
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (text[i] == '$') {
      for (const auto& [name, value] : macros) {
        if (StartsWithNoCase(text.substr(i), name)) {
          out += value;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

std::vector<int> PagesToPrint(int pageCount, int from, int to) {
  std::vector<int> pages;
  if (pageCount <= 0) return pages;
  if (from <= 0 && to <= 0) {
    from = 1;
    to = pageCount;
  }
  if (from <= 0) from = 1;
  if (to <= 0 || to > pageCount) to = pageCount;
  for (int page = from; page <= to; ++page) pages.push_back(page);
  return pages;
}

bool ParseMarginNumber(std::string_view text, double& value) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  if (text.empty() || text.size() > 40) return false;
  std::string normal;
  bool digits = false, separator = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits = true;
      normal += c;
    } else if ((c == '.' || c == ',') && !separator) {
      separator = true;
      normal += '.';
    } else if ((c == '-' || c == '+') && i == 0) {
      normal += c;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  value = std::strtod(normal.c_str(), nullptr);
  return std::isfinite(value);
}

std::string FormatMarginNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", value);
  std::string out = text;
  while (!out.empty() && out.back() == '0') out.pop_back();
  if (!out.empty() && out.back() == '.') out.pop_back();
  if (out == "-0") out = "0";
  return out;
}

}  // namespace tervil
