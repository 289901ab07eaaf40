#pragma once

// The character sets a document can be read and written in, and the result of converting text
// between them. The conversions themselves are members of TTextProcessor (TextProcessor.h).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

struct TCharsetInfo {
  int codePage;
  std::string_view name;
};

// The supported character sets, in the order of the encoding menus and the save dialog. Row 0 (the
// empty name, code page 0) is the system code page, which is UTF-8 here. Names are compared
// exactly, case included.
inline constexpr std::array<TCharsetInfo, 25> CharsetTable = {{
    {0, ""},
    {1250, "windows-1250"},
    {1251, "windows-1251"},
    {1252, "windows-1252"},
    {1253, "windows-1253"},
    {1254, "windows-1254"},
    {1255, "windows-1255"},
    {1256, "windows-1256"},
    {1257, "windows-1257"},
    {1258, "windows-1258"},
    {21025, "cp1025"},
    {21866, "koi8-u"},
    {28591, "iso-8859-1"},
    {28592, "iso-8859-2"},
    {28593, "iso-8859-3"},
    {28594, "iso-8859-4"},
    {28595, "iso-8859-5"},
    {28596, "iso-8859-6"},
    {28597, "iso-8859-7"},
    {28598, "iso-8859-8"},
    {28599, "iso-8859-9"},
    {28603, "iso-8859-13"},
    {28605, "iso-8859-15"},
    {65000, "utf-7"},
    {65001, "utf-8"},
}};

inline constexpr int kSystemCodePage = 0;
inline constexpr int kUtf7CodePage = 65000;
inline constexpr int kUtf8CodePage = 65001;
inline constexpr int kWindows1252CodePage = 1252;
inline constexpr int kLatin1CodePage = 28591;

// The first row with exactly this name, or nullptr.
const TCharsetInfo* FindCharsetByName(std::string_view name);
// The first row with this code page, or nullptr.
const TCharsetInfo* FindCharsetByCodePage(int codePage);
// Whether text in this code page is UTF-8 (the system code page is).
bool IsUtf8CodePage(int codePage);

// A character that the target character set of a conversion cannot hold.
struct TUnwritableChar {
  char32_t codePoint;
  std::size_t position;  // of its first occurrence, in characters from 1
};

// The result of a conversion between character sets.
struct TCharsetConversion {
  std::string text;
  // The code page the input was actually read as. It differs from the requested one when the
  // input bytes were not valid there: they are then read as windows-1252 when every byte is
  // defined in it, else as iso-8859-1, so that no byte is lost.
  int sourceCodePage = 0;
  // The distinct characters the target cannot hold, in order of first occurrence. Each occurrence
  // is written as "?" in `text`, so a caller must check Complete() before using it as a file's
  // contents.
  std::vector<TUnwritableChar> unwritable;
  std::size_t unwritableCount = 0;  // occurrences, not distinct characters

  bool Complete() const { return unwritable.empty(); }
};

}  // namespace tervil
