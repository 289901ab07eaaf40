#pragma once

// Colour identifiers ("clRed", "clBtnFace", "clNone", ...) and colours in HTML notation.

#include <span>
#include <string>
#include <string_view>

#include "core/common/Color.h"

namespace tervil {

struct TColorIdent {
  std::string_view name;
  TColor value;
};

// The fixed colours, the system colours, "clNone" and "clDefault".
std::span<const TColorIdent> ColorIdentifiers();

// Looks up an identifier such as "clRed", without regard to case.
bool IdentToColor(std::string_view ident, TColor& color);

// "#RRGGBB" with upper-case hexadecimal digits.
std::string ColorToHtml(TColor color);

// Reads "#RGB", "#RRGGBB", "RGB", "RRGGBB", a colour name (the identifier without "cl", so "Red"
// or "BtnFace") or "rgb(r, g, b)". Text that matches none of these gives black.
TColor HtmlToColor(std::string_view text);

}  // namespace tervil
