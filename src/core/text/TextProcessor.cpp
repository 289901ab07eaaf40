// The text conversions of TTextProcessor. Each one is a single pass over its input; runs of
// characters that need no work are copied in bulk.

#include "core/text/TextProcessor.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Utf8.h"

namespace tervil {

namespace {

using TByteSet = std::array<bool, 256>;

constexpr TByteSet MakeByteSet(std::string_view bytes) {
  TByteSet set{};
  for (char c : bytes) set[static_cast<unsigned char>(c)] = true;
  return set;
}

// Offset of the first byte of text[from, limit) that is in `set`, or `limit`.
std::size_t FindByte(std::string_view text, std::size_t from, std::size_t limit,
                     const TByteSet& set) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  while (from < limit && !set[p[from]]) ++from;
  return from;
}

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// ---------------------------------------------------------------------------------------------
// TextToHtml

struct TEntity {
  char32_t codePoint;
  std::string_view entity;
};

// The characters TextToHtml replaces: the windows-1252 bytes 22, 26, 3C, 3E, 80, 86, 87, 89, 8A,
// 9A, A7-FD (a selection) as the characters they stand for.
constexpr TEntity kHtmlEntities[] = {
    {0x22, "&quot;"},    {0x26, "&amp;"},      {0x3C, "&lt;"},       {0x3E, "&gt;"},
    {0x20AC, "&euro;"},  {0x2020, "&dagger;"}, {0x2021, "&Dagger;"}, {0x2030, "&permil;"},
    {0x160, "&Scaron;"}, {0x161, "&scaron;"},  {0xA7, "&sect;"},     {0xA8, "&uml;"},
    {0xA9, "&copy;"},    {0xAB, "&laquo;"},    {0xAE, "&reg;"},      {0xB0, "&deg;"},
    {0xB4, "&acute;"},   {0xB5, "&micro;"},    {0xB7, "&middot;"},   {0xB8, "&cedil;"},
    {0xBB, "&raquo;"},   {0xC1, "&Aacute;"},   {0xC2, "&Acirc;"},    {0xC4, "&Auml;"},
    {0xC7, "&Ccedil;"},  {0xC9, "&Eacute;"},   {0xCB, "&Euml;"},     {0xCD, "&Iacute;"},
    {0xCE, "&Icirc;"},   {0xD4, "&Ocirc;"},    {0xD6, "&Ouml;"},     {0xD7, "&times;"},
    {0xDA, "&Uacute;"},  {0xDC, "&Uuml;"},     {0xDF, "&szlig;"},    {0xE1, "&aacute;"},
    {0xE2, "&acirc;"},   {0xE4, "&auml;"},     {0xE7, "&ccedil;"},   {0xE9, "&eacute;"},
    {0xEB, "&euml;"},    {0xED, "&iacute;"},   {0xEE, "&icirc;"},    {0xF4, "&ocirc;"},
    {0xF6, "&ouml;"},    {0xF7, "&divide;"},   {0xFA, "&uacute;"},   {0xFC, "&uuml;"},
    {0xFD, "&yacute;"},
};

std::string_view EntityFor(char32_t cp) {
  for (const auto& e : kHtmlEntities) {
    if (e.codePoint == cp) return e.entity;
  }
  return {};
}

// ASCII characters with an entity, CR, and the UTF-8 lead bytes of the other entity characters
// (U+00A0-U+00FF, U+0160/U+0161, U+20xx).
constexpr TByteSet kHtmlSpecialBytes = MakeByteSet("\"&<>\r\xC2\xC3\xC5\xE2");

// ---------------------------------------------------------------------------------------------
// UnformatTags

// Reports progress while a conversion walks its text.
class TProgressReporter {
 public:
  static constexpr std::size_t kStride = 1 << 16;

  TProgressReporter(const TProgressCallback& callback, std::size_t total)
      : callback_(callback), total_(total) {}

  void At(std::size_t done) {
    if (!callback_) return;
    const int percent = total_ ? static_cast<int>((done * 200 + total_) / (total_ * 2)) : 100;
    if (percent != last_ || done - lastCall_ >= kStride) {
      last_ = percent;
      lastCall_ = done;
      callback_(percent);
    }
  }

 private:
  const TProgressCallback& callback_;
  std::size_t total_;
  int last_ = -1;
  std::size_t lastCall_ = 0;
};

// Tags whose attributes carry content, by their first three letters.
constexpr std::string_view kTagsKeepingAttributes[] = {
    "IMG", "INP", "ARE", "APP", "TEX", "SEL", "PAR", "LIN",
    "FOR", "EMB", "OBJ", "OPT", "MET", "STY", "SCR",
};

bool KeepsAttributes(std::string_view text, std::size_t lt) {
  std::string next;
  for (std::size_t k = lt + 1; k < text.size() && next.size() < 3; ++k) {
    next += AsciiUpper(text[k]);
  }
  if (next.size() >= 2 && next[0] == 'A' && next[1] == ' ') return true;
  return std::find(std::begin(kTagsKeepingAttributes), std::end(kTagsKeepingAttributes), next) !=
         std::end(kTagsKeepingAttributes);
}

// An element tag starts with "<" and a letter, or "</" and a letter. Other uses of "<" (a
// comparison, a comment, a processing instruction such as PHP code) are text.
bool IsElementTagStart(std::string_view text, std::size_t lt) {
  std::size_t k = lt + 1;
  if (k < text.size() && text[k] == '/') ++k;
  return k < text.size() && IsAsciiLetter(text[k]);
}

// Handles the tag starting with the "<" at `lt`: copies it up to its attributes and returns the
// offset where normal copying resumes (at its ">", or at the " />" that closes it).
std::size_t CopyTagWithoutAttributes(std::string_view text, std::size_t lt, std::size_t lastGt,
                                     std::string& out) {
  if (!IsElementTagStart(text, lt) || KeepsAttributes(text, lt)) {
    out += '<';
    return lt + 1;
  }
  const std::size_t stop = text.find_first_of(" >", lt + 1);
  if (stop == std::string_view::npos) {
    out.append(text.substr(lt));
    return text.size();
  }
  out.append(text.substr(lt, stop - lt));
  // An unterminated tag keeps its text: there is no attribute list to remove.
  if (text[stop] == '>' || lastGt == std::string_view::npos || lastGt < stop) return stop;
  const std::size_t gt = text.find('>', stop);
  if (gt >= stop + 2 && text[gt - 1] == '/' && text[gt - 2] == ' ') return gt - 2;
  return gt;
}

// Deletes "<font>" or "</font>" when the output ends with one, as one pass over the finished
// text would: a tag counts only when it lies wholly after `floor`, the end of the last deletion,
// so that text joined by a deletion is never deleted again (`<fo<font>nt>` gives `<font>`).
void DropFontTagAtEnd(std::string& out, std::size_t& floor) {
  for (std::string_view tag : {std::string_view("<font>"), std::string_view("</font>")}) {
    if (out.ends_with(tag) && out.size() - tag.size() >= floor) {
      out.resize(out.size() - tag.size());
      floor = out.size();
      return;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Case changes inside tags

std::string MapCaseInTags(std::string_view text, char32_t (*map)(char32_t)) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t lt = text.find('<', i);
    if (lt == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, lt - i));
    const std::size_t gt = std::min(text.find('>', lt), text.size());
    utf8::AppendCaseMapped(text.substr(lt, gt - lt), map, out);
    i = gt;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// BreakLines

// Byte offset just past the first chunk of `rest` (see TTextProcessor::BreakLines) and, in
// `chars`, its length in characters. `rest` holds more than `width` characters.
std::size_t FirstChunkEnd(std::string_view rest, std::size_t width, std::size_t& chars) {
  // Backwards from character `width` down to character 1 (counted from 0) for a space, that is
  // the last space among characters 1..width.
  std::size_t i = 0;
  std::size_t widthStart = 0;  // byte offset of character `width`
  std::size_t spaceEnd = 0;
  char32_t cp;
  for (std::size_t index = 0; index <= width && i < rest.size(); ++index) {
    widthStart = i;
    const bool space = rest[i] == ' ';
    utf8::NextChar(rest, i, cp);
    if (space && index >= 1) {
      spaceEnd = i;
      chars = index + 1;
    }
  }
  if (spaceEnd != 0) return spaceEnd;
  // Forwards from character `width` for the first space, else the whole rest.
  const std::size_t space = rest.find(' ', widthStart);
  const std::size_t end = space == std::string_view::npos ? rest.size() : space + 1;
  chars = width + utf8::CountCharsTolerant(rest.substr(widthStart, end - widthStart));
  return end;
}

void BreakLine(std::string_view line, std::size_t width, std::vector<std::string>& out) {
  std::size_t remaining = utf8::CountCharsTolerant(line);
  std::size_t allowance = width + 1;  // the first chunk may hold one character more
  do {
    if (remaining <= allowance) {
      out.emplace_back(line);
      return;
    }
    std::size_t chars = 0;
    const std::size_t end = FirstChunkEnd(line, width, chars);
    out.emplace_back(line.substr(0, end));
    line.remove_prefix(end);
    remaining -= chars;
    allowance = width;
  } while (remaining > 0);
}

}  // namespace

std::string TTextProcessor::WrapLinesInTag(std::string_view text, std::string_view tag) {
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t cr = text.find('\r', pos);
    const std::string_view line =
        text.substr(pos, cr == std::string_view::npos ? std::string_view::npos : cr - pos);
    std::size_t indent = 0;
    while (indent < line.size() && IsBlank(line[indent])) ++indent;
    if (indent < line.size()) {
      out.append(line.substr(0, indent));
      out.append("<").append(tag).append(">");
      out.append(line.substr(indent));
      out.append("</").append(tag).append(">\r");
    }
    if (cr == std::string_view::npos) break;
    pos = cr + 1;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return out;
}

std::string TTextProcessor::TextToHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t special = FindByte(text, i, text.size(), kHtmlSpecialBytes);
    out.append(text.substr(i, special - i));
    i = special;
    if (i == text.size()) break;
    if (text[i] == '\r') {
      out.append("<br />\r");
      ++i;
      continue;
    }
    const std::size_t start = i;
    char32_t cp;
    const bool valid = utf8::NextChar(text, i, cp);
    const std::string_view entity = valid ? EntityFor(cp) : std::string_view();
    out.append(entity.empty() ? text.substr(start, i - start) : entity);
  }
  return out;
}

std::string TTextProcessor::EscapeQuotes(std::string_view text) {
  static constexpr TByteSet kEscaped = MakeByteSet("\"$'\\");
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t special = FindByte(text, i, text.size(), kEscaped);
    out.append(text.substr(i, special - i));
    if (special == text.size()) break;
    out += '\\';
    out += text[special];
    i = special + 1;
  }
  return out;
}

std::string TTextProcessor::UnformatTags(std::string_view text, const TProgressCallback& progress) {
  static constexpr TByteSet kAngles = MakeByteSet("<>");
  TProgressReporter reporter(progress, text.size());
  const std::size_t lastGt = text.rfind('>');
  std::string out;
  out.reserve(text.size());
  std::size_t fontFloor = 0;
  std::size_t i = 0;
  reporter.At(0);
  while (i < text.size()) {
    const std::size_t limit = std::min(text.size(), i + TProgressReporter::kStride);
    const std::size_t special = FindByte(text, i, limit, kAngles);
    out.append(text.substr(i, special - i));
    i = special;
    if (i < limit) {
      if (text[i] == '>') {
        out += '>';
        DropFontTagAtEnd(out, fontFloor);
        ++i;
      } else {
        i = CopyTagWithoutAttributes(text, i, lastGt, out);
      }
    }
    reporter.At(i);
  }
  reporter.At(text.size());
  return out;
}

std::string TTextProcessor::LowerCaseTags(std::string_view text) {
  return MapCaseInTags(text, &utf8::ToLower);
}

std::string TTextProcessor::UpperCaseTags(std::string_view text) {
  return MapCaseInTags(text, &utf8::ToUpper);
}

std::string TTextProcessor::RemoveSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != ' '; });
  return out;
}

std::string TTextProcessor::CompactWhitespace(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r' || c == '\n' || c == '\b' || c == '\a') continue;
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

void TTextProcessor::BreakLines(TStringList& lines, int width) {
  const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
  TStringList broken;
  broken.reserve(lines.size());
  for (const std::string& line : lines) BreakLine(line, w, broken);
  lines.swap(broken);
}

}  // namespace tervil
