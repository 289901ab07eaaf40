#pragma once

// Fixed tables of the tag database: the built-in tag names and the value sets that an attribute
// of the data file can name instead of listing its values.

#include <span>
#include <string_view>

namespace tervil {

inline constexpr int kBuiltInTagCount = 119;

// The tag names the database knows, in identifier order: a tag's identifier is its index + 1
// (so "noframes" is 1, "a" is 54 and "wbr" is 119). "!DOCTYPE" is spelled in upper case and so
// never matches the lower-cased data file.
std::span<const std::string_view> BuiltInTagNames();

// The values of the 140 CSS colour keywords as "#rrggbb", sorted, duplicates kept.
std::span<const std::string_view> ColorValueSet();
// Two-letter language codes.
std::span<const std::string_view> LangValueSet();
// Content types.
std::span<const std::string_view> MimeValueSet();

// The set called `name` ("color", "lang" or "mime"); an empty span for any other name.
std::span<const std::string_view> NamedValueSet(std::string_view name);

}  // namespace tervil
