// Finding out how a document's bytes are to be read: its declared character set and its
// line-break style.

#include <bitset>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/html/Charsets.h"
#include "core/html/TextProcessor.h"
#include "core/html/UnicodeForms.h"

namespace tervil {

namespace {

// What the declaration search found. The search looks at a copy of the text with every space
// removed and A-Z in lower case, ending at the first NUL.
struct TDeclarations {
  bool hasXmlDeclaration = false;   // the copy contains "<?xml"
  bool hasContentTypeMeta = false;  // the copy contains <metahttp-equiv="content-type"
  std::bitset<CharsetTable.size()> xmlEncodings;  // rows named as encoding="name"
  std::bitset<CharsetTable.size()> metaCharsets;  // rows named as charset=name"
};

constexpr std::string_view kXmlMarker = "<?xml";
constexpr std::string_view kMetaMarker = "<metahttp-equiv=\"content-type\"";
constexpr std::string_view kEncodingKey = "encoding";
constexpr std::string_view kCharsetKey = "charset";

// Sets the bit of the table row whose name is followed by a double quote at `from`.
void NoteCharsetName(std::string_view copy, std::size_t from,
                     std::bitset<CharsetTable.size()>& names) {
  const std::size_t quote = copy.find('"', from);
  if (quote == std::string_view::npos) return;
  const std::string_view name = copy.substr(from, quote - from);
  for (std::size_t row = 0; row < CharsetTable.size(); ++row) {
    if (CharsetTable[row].name == name) names.set(row);
  }
}

bool EndsWithAt(std::string_view copy, std::size_t end, std::string_view key) {
  return end >= key.size() && copy.substr(end - key.size(), key.size()) == key;
}

// Looks for the declarations inside one window of the search copy. Windows overlap by more than
// the longest pattern, so a match is never cut in two; a match seen twice changes nothing.
void ScanWindow(std::string_view copy, TDeclarations& found) {
  if (!found.hasXmlDeclaration) {
    found.hasXmlDeclaration = copy.find(kXmlMarker) != std::string_view::npos;
  }
  if (!found.hasContentTypeMeta) {
    found.hasContentTypeMeta = copy.find(kMetaMarker) != std::string_view::npos;
  }
  for (std::size_t eq = copy.find('='); eq != std::string_view::npos; eq = copy.find('=', eq + 1)) {
    if (EndsWithAt(copy, eq, kEncodingKey) && eq + 1 < copy.size() && copy[eq + 1] == '"') {
      NoteCharsetName(copy, eq + 2, found.xmlEncodings);
    } else if (EndsWithAt(copy, eq, kCharsetKey)) {
      NoteCharsetName(copy, eq + 1, found.metaCharsets);
    }
  }
}

TDeclarations FindDeclarations(std::string_view text) {
  constexpr std::size_t kWindow = 1 << 16;
  constexpr std::size_t kOverlap = 64;
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);

  TDeclarations found;
  auto buffer = std::make_unique<char[]>(kWindow + kOverlap);
  std::size_t used = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t stop = std::min(text.size(), pos + kWindow);
    for (; pos < stop; ++pos) {
      char c = text[pos];
      if (c == ' ') continue;
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
      buffer[used++] = c;
    }
    ScanWindow(std::string_view(buffer.get(), used), found);
    if (used > kOverlap) {
      std::memmove(buffer.get(), buffer.get() + used - kOverlap, kOverlap);
      used = kOverlap;
    }
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

}  // namespace

std::string TTextProcessor::DetectCharsetAndConvert(std::string_view text, std::string& charset) {
  bool byFallback = false;
  return DetectCharsetAndConvert(text, charset, byFallback);
}

std::string TTextProcessor::DetectCharsetAndConvert(std::string_view text, std::string& charset,
                                                    bool& byFallback) {
  byFallback = false;
  // UTF-16 and UTF-32 show themselves in their bytes, whatever name was asked for: read as a
  // single-byte or UTF-8 text, their NUL bytes and two-byte line breaks would not survive a save.
  // What the bytes show wins over a requested form; that one still reads a text without a mark
  // whose characters are not mostly ASCII.
  std::string decoded;
  const TUnicodeForm* form = DetectUnicodeForm(text);
  if (form) {
    DecodeUnicodeForm(*form, text, decoded);
  } else {
    form = FindUnicodeForm(charset);
    if (form && !DecodeUnicodeForm(*form, text, decoded)) form = nullptr;
  }
  if (form) {
    charset = form->name;
    return decoded;
  }
  const TCharsetInfo* requested = FindCharsetByName(charset);
  const int codePage = requested ? requested->codePage : DeclaredCodePage(text);
  TCharsetConversion conversion = ConvertCodePage(text, codePage, kSystemCodePage);
  byFallback = conversion.sourceCodePage != codePage;
  charset = FindCharsetByCodePage(conversion.sourceCodePage)->name;
  return std::move(conversion.text);
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
