#pragma once

// Stateless text services: HTML conversions, tag clean-up and case changes, line breaking,
// character-set detection and conversion, colours in HTML notation, attribute values and small
// string and string-list helpers.
//
// All text is UTF-8. Positions are counted in characters (code points) from 1.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/ColorNames.h"
#include "core/text/Charsets.h"

namespace tervil {

using TStringList = std::vector<std::string>;

// Receives the progress of a long conversion as a percentage from 0 to 100. It is called whenever
// the percentage changes and at least every 64 KiB of text, so a user interface can process
// pending events from it.
using TProgressCallback = std::function<void(int percent)>;

class TTextProcessor {
 public:
  // The line-break style of a file: 1 when the first line-break character is a line feed, 2 when
  // it is a carriage return, 0 when the file has none or cannot be read.
  static int DetectLineBreakStyle(const std::string& fileName);

  // Wraps every non-blank line (lines end at CR, or CR LF) in <tag>...</tag> after its leading
  // white space; blank lines are dropped; each emitted line ends with CR.
  static std::string WrapLinesInTag(std::string_view text, std::string_view tag);

  // Replaces ", &, <, > and the Latin characters of the entity table by their entities; a CR
  // becomes "<br />" followed by the CR.
  static std::string TextToHtml(std::string_view text);

  // Puts a backslash before ", $, ' and \.
  static std::string EscapeQuotes(std::string_view text);

  // Removes the attributes (everything from the first space up to ">" or " />") of every element
  // tag except those whose attributes carry content (a, img, input, area, applet, textarea,
  // select, param, link, form, embed, object, option, meta, style, script, and any name with the
  // same first three letters), then deletes "<font>" and "</font>". Only "<" or "</" followed by
  // a letter starts an element tag: comments, processing instructions (PHP code) and comparisons
  // are left alone, and so is a tag that no ">" closes.
  static std::string UnformatTags(std::string_view text, const TProgressCallback& progress = {});

  // Case-map (Unicode) everything from each "<" up to the next ">"; text outside tags is kept.
  static std::string LowerCaseTags(std::string_view text);
  static std::string UpperCaseTags(std::string_view text);

  // Reads the text as the source code page and writes it in the target code page (0 is the system
  // code page, UTF-8). Bytes not valid in the source and characters the target cannot hold are
  // reported in the result (see TCharsetConversion). A code page that is not in CharsetTable
  // leaves the text unchanged.
  static TCharsetConversion ConvertCodePage(std::string_view text, int sourceCodePage,
                                            int targetCodePage);

  // Converts text in the source code page into the character set named `charset` (a CharsetTable
  // name, compared exactly, or from the system code page the name of a UTF-16 or UTF-32 form). An
  // unknown name, or one with the source code page, leaves the text unchanged.
  static TCharsetConversion ConvertToCharset(std::string_view text, int sourceCodePage,
                                             std::string_view charset);

  // Deletes every space (tabs and line breaks stay).
  static std::string RemoveSpaces(std::string_view text);

  // Deletes CR, LF, backspace and bell characters and shrinks runs of spaces to one space.
  static std::string CompactWhitespace(std::string_view text);

  // Decodes the bytes of a document into UTF-8. `charset` comes in as the requested character
  // set: a CharsetTable name (the empty one included) forces it; anything else (the opening code
  // passes "-") asks for detection from an XML declaration or a Content-Type meta tag. On return
  // it holds the name actually used: a CharsetTable name, "windows-1252" or "iso-8859-1" when the
  // bytes were not valid in the chosen character set. Bytes in UTF-16 or UTF-32 (UnicodeForms.h)
  // are read as such, and the name of their form is returned.
  static std::string DetectCharsetAndConvert(std::string_view text, std::string& charset);
  // The same, telling whether the bytes were not valid in the chosen character set and were read
  // by the lossless fallback instead.
  static std::string DetectCharsetAndConvert(std::string_view text, std::string& charset,
                                             bool& byFallback);
  // The same for bytes handed over: on return `bytes` holds the decoded text. Bytes that are valid
  // UTF-8 and read as UTF-8 stay as they are: the text is not copied.
  static void DetectCharsetAndConvertInPlace(std::string& bytes, std::string& charset,
                                             bool& byFallback);

  // Breaks every item, in place, into chunks of at most `width` characters that end at a space
  // (the space stays with its chunk; the first chunk may hold width + 1 characters). A stretch
  // without a space runs on to the next space. Joining the chunks gives back the item.
  static void BreakLines(TStringList& lines, int width);
};

// Replaces the first `count` occurrences of `pattern` (all for a negative count) left to right,
// never rescanning replaced text. Case-sensitive. An empty pattern changes nothing.
std::string ReplaceOccurrences(std::string_view pattern, std::string_view replacement, int count,
                               std::string_view source);

std::string JoinLines(const TStringList& lines, std::string_view separator);

// Deletes every item that holds only characters up to and including the space.
void RemoveBlankLines(TStringList& lines);

// Splits at every character of `delimiters`; always yields at least one (possibly empty) item.
void SplitByCharSet(std::string_view delimiters, std::string_view text, TStringList& items);
void SplitByChar(char32_t delimiter, std::string_view text, TStringList& items);

// The last character at or before `position` that is above the space, or 0.
char32_t LastNonBlankChar(std::string_view text, std::size_t position);

// Position of the last occurrence of pattern in text, or 0.
std::size_t LastPos(std::string_view pattern, std::string_view text);

struct TAttributeQuotePattern {
  std::string_view opener;
  std::string_view closer;
};

// The spellings of an attribute's value that GetAttributeValue tries, in order.
inline constexpr std::array<TAttributeQuotePattern, 17> AttributeQuotePatterns = {{
    {"=\"", "\""},
    {"= \"", "\""},
    {" = \"", "\""},
    {" =\"", "\""},
    {"='", "'"},
    {"= '", "'"},
    {" = '", "'"},
    {" ='", "'"},
    {"=\\\"", "\\\""},
    {"= \\\"", "\\\""},
    {" = \\\"", "\\\""},
    {" =\\\"", "\\\""},
    {"=\\'", "\\'"},
    {"= \\'", "\\'"},
    {" = \\'", "\\'"},
    {" =\\'", "\\'"},
    {"=", " "},
}};

// The value of attribute `name` (case-sensitive) in `tag`, empty when absent; with `wrap` the
// value keeps the spelling around it (for example ="red").
std::string GetAttributeValue(std::string_view name, std::string_view tag, bool wrap);

}  // namespace tervil
