// Finding out how a document's bytes are to be read: its declared character set and its
// line-break style.

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdio>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string>
#include <string_view>

#include "core/common/HugePages.h"
#include "core/common/Utf8.h"
#include "core/text/Charsets.h"
#include "core/text/TextProcessor.h"
#include "core/text/UnicodeForms.h"

namespace tervil {

namespace {

// What the declaration search found. The search reads the text as if every space were removed
// and A-Z were in lower case, up to the first NUL (the "folded" text).
struct TDeclarations {
  bool hasXmlDeclaration = false;                 // the folded text contains "<?xml"
  bool hasContentTypeMeta = false;                // it contains <metahttp-equiv="content-type"
  std::bitset<CharsetTable.size()> xmlEncodings;  // rows named as encoding="name"
  std::bitset<CharsetTable.size()> metaCharsets;  // rows named as charset=name"
};

constexpr std::string_view kXmlMarker = "<?xml";
constexpr std::string_view kMetaMarker = "<metahttp-equiv=\"content-type\"";
constexpr std::string_view kEncodingKey = "encoding";
constexpr std::string_view kCharsetKey = "charset";

constexpr std::size_t LongestCharsetName() {
  std::size_t longest = 0;
  for (const auto& row : CharsetTable) longest = std::max(longest, row.name.size());
  return longest;
}

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Whether the folded text goes on with `pattern` from text[at]; moves `at` past it.
bool FoldedMatch(std::string_view text, std::size_t& at, std::string_view pattern) {
  for (char wanted : pattern) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at == text.size() || Fold(text[at]) != wanted) return false;
    ++at;
  }
  return true;
}

// Whether the folded text before text[end] ends with `key`.
bool FoldedEndsWith(std::string_view text, std::size_t end, std::string_view key) {
  for (std::size_t k = key.size(); k-- > 0;) {
    while (end > 0 && text[end - 1] == ' ') --end;
    if (end == 0 || Fold(text[end - 1]) != key[k]) return false;
    --end;
  }
  return true;
}

// Sets the bit of the table row whose name the folded text holds from text[at] up to a double
// quote.
void NoteCharsetName(std::string_view text, std::size_t at,
                     std::bitset<CharsetTable.size()>& names) {
  char name[LongestCharsetName() + 1];
  std::size_t length = 0;
  for (; at < text.size() && text[at] != '"'; ++at) {
    if (text[at] == ' ') continue;
    if (length == sizeof name) return;  // longer than any name in the table
    name[length++] = Fold(text[at]);
  }
  if (at == text.size()) return;
  for (std::size_t row = 0; row < CharsetTable.size(); ++row) {
    if (CharsetTable[row].name == std::string_view(name, length)) names.set(row);
  }
}

// Looks at a "<" or "=" of the text that may start a marker or end a key.
void NoteDeclaration(std::string_view text, std::size_t at, TDeclarations& found) {
  if (text[at] == '<') {
    std::size_t from = at;
    if (!found.hasXmlDeclaration && FoldedMatch(text, from, kXmlMarker))
      found.hasXmlDeclaration = true;
    from = at;
    if (!found.hasContentTypeMeta && FoldedMatch(text, from, kMetaMarker))
      found.hasContentTypeMeta = true;
    return;
  }
  std::size_t afterEq = at + 1;
  std::size_t quote = afterEq;
  if (FoldedEndsWith(text, at, kEncodingKey) && FoldedMatch(text, quote, "\"")) {
    NoteCharsetName(text, quote, found.xmlEncodings);
  } else if (FoldedEndsWith(text, at, kCharsetKey)) {
    NoteCharsetName(text, afterEq, found.metaCharsets);
  }
}

// Whether text[at] may take part in a declaration: a "<" before "?", "m", "M" or a space, or an
// "=" after "g", "t" (either case) or a space. Every other byte is passed over.
bool MayDeclare(std::string_view text, std::size_t at) {
  const char c = text[at];
  if (c == '<') {
    if (at + 1 == text.size()) return false;
    const char next = text[at + 1];
    return next == '?' || next == ' ' || Fold(next) == 'm';
  }
  if (c != '=' || at == 0) return false;
  const char before = Fold(text[at - 1]);
  return before == 'g' || before == 't' || before == ' ';
}

TDeclarations FindDeclarations(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  TDeclarations found;
  if (!text.empty() && MayDeclare(text, 0)) NoteDeclaration(text, 0, found);
  std::size_t at = 1;
#if defined(__SSE2__)
  // Sixteen bytes at a time: the test of MayDeclare on each byte and its neighbours.
  const char* p = text.data();
  auto is = [](__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
  auto folded = [](__m128i v) { return _mm_or_si128(v, _mm_set1_epi8(0x20)); };
  for (; at + 17 <= text.size(); at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at + 1));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at - 1));
    const __m128i lt = _mm_and_si128(
        is(v, '<'),
        _mm_or_si128(_mm_or_si128(is(next, '?'), is(next, ' ')), is(folded(next), 'm')));
    const __m128i eq = _mm_and_si128(
        is(v, '='), _mm_or_si128(_mm_or_si128(is(folded(before), 'g'), is(folded(before), 't')),
                                 is(before, ' ')));
    for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(lt, eq))); mask != 0;
         mask &= mask - 1)
      NoteDeclaration(text, at + static_cast<std::size_t>(std::countr_zero(mask)), found);
  }
#endif
  for (; at < text.size(); ++at) {
    if (MayDeclare(text, at)) NoteDeclaration(text, at, found);
  }
  return found;
}

// The code page the declarations ask for: the furthest-down table row named by a declaration
// wins; 0 when none is named.
int DeclaredCodePage(std::string_view text) {
  const TDeclarations found = FindDeclarations(text);
  int codePage = kSystemCodePage;
  for (std::size_t row = 0; row < CharsetTable.size(); ++row) {
    if (found.hasXmlDeclaration && found.xmlEncodings.test(row)) {
      codePage = CharsetTable[row].codePage;
    }
    if (found.hasContentTypeMeta && found.metaCharsets.test(row)) {
      codePage = CharsetTable[row].codePage;
    }
  }
  return codePage;
}

// Decodes `text` into `decoded` as DetectCharsetAndConvert does. Returns false, leaving `decoded`
// alone, when the text is valid UTF-8 read as UTF-8: then it is the decoded text itself.
bool DecodeDocument(std::string_view text, std::string& charset, bool& byFallback,
                    std::string& decoded) {
  byFallback = false;
  // UTF-16 and UTF-32 show themselves in their bytes, whatever name was asked for: read as a
  // single-byte or UTF-8 text, their NUL bytes and two-byte line breaks would not survive a save.
  // What the bytes show wins over a requested form; that one still reads a text without a mark
  // whose characters are not mostly ASCII.
  const TUnicodeForm* form = DetectUnicodeForm(text);
  if (form) {
    DecodeUnicodeForm(*form, text, decoded);
  } else {
    form = FindUnicodeForm(charset);
    if (form && !DecodeUnicodeForm(*form, text, decoded)) form = nullptr;
  }
  if (form) {
    charset = form->name;
    return true;
  }
  const TCharsetInfo* requested = FindCharsetByName(charset);
  const int codePage = requested ? requested->codePage : DeclaredCodePage(text);
  if (IsUtf8CodePage(codePage) && utf8::IsValid(text)) {
    charset = FindCharsetByCodePage(codePage)->name;
    return false;
  }
  TCharsetConversion conversion = TTextProcessor::ConvertCodePage(text, codePage, kSystemCodePage);
  byFallback = conversion.sourceCodePage != codePage;
  charset = FindCharsetByCodePage(conversion.sourceCodePage)->name;
  decoded = std::move(conversion.text);
  return true;
}

}  // namespace

std::string TTextProcessor::DetectCharsetAndConvert(std::string_view text, std::string& charset) {
  bool byFallback = false;
  return DetectCharsetAndConvert(text, charset, byFallback);
}

std::string TTextProcessor::DetectCharsetAndConvert(std::string_view text, std::string& charset,
                                                    bool& byFallback) {
  std::string decoded;
  if (!DecodeDocument(text, charset, byFallback, decoded)) {
    decoded.reserve(text.size());
    AdviseHugePages(decoded.data(), text.size());
    decoded.assign(text);
  }
  return decoded;
}

void TTextProcessor::DetectCharsetAndConvertInPlace(std::string& bytes, std::string& charset,
                                                    bool& byFallback) {
  std::string decoded;
  if (DecodeDocument(bytes, charset, byFallback, decoded)) bytes = std::move(decoded);
}

int TTextProcessor::DetectLineBreakStyle(const std::string& fileName) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return 0;
  char buffer[1 << 16];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    for (std::size_t i = 0; i < count; ++i) {
      if (buffer[i] == '\n') return 1;
      if (buffer[i] == '\r') return 2;
    }
  }
  return 0;
}

}  // namespace tervil
