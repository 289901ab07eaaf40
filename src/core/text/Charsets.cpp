// Conversions between the document character sets and the program's UTF-8 text.
//
// The single-byte character sets are converted through 256-entry tables built once from iconv,
// one byte at a time. This keeps decoding and encoding exact inverses and makes the conversions
// fast. windows-1255 and windows-1258 write letters they have no byte for as a base letter and
// combining marks; exactly those byte sequences read back as the letter, so a letter typed as
// one character comes back as one, while a base letter and mark that the code page would write
// as one byte (a file's "A" and grave accent rather than its byte for the accented A) stay as
// they are, and every file still saves byte for byte as it was read. UTF-7 has its own strict
// reader and writer (iconv silently drops a base64 run cut off at the end, and puts plain ASCII
// punctuation into base64) that ends each base64 run the way the file did.

#include "core/text/Charsets.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/common/HugePages.h"
#include "core/common/Utf8.h"
#include "core/text/TextProcessor.h"
#include "core/text/UnicodeForms.h"
#include "core/text/Utf7.h"

namespace tervil {

const TCharsetInfo* FindCharsetByName(std::string_view name) {
  for (const auto& row : CharsetTable) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

const TCharsetInfo* FindCharsetByCodePage(int codePage) {
  for (const auto& row : CharsetTable) {
    if (row.codePage == codePage) return &row;
  }
  return nullptr;
}

bool IsUtf8CodePage(int codePage) {
  return codePage == kSystemCodePage || codePage == kUtf8CodePage;
}

namespace {

enum class TCodecStatus { Ok, Invalid, Unsupported };

bool IsSingleByteCodePage(int codePage) {
  return FindCharsetByCodePage(codePage) != nullptr && !IsUtf8CodePage(codePage) &&
         codePage != kUtf7CodePage;
}

// The iconv name of a single-byte code page of the table.
std::string IconvName(int codePage) {
  switch (codePage) {
    case 21025:
      return "IBM1025";
    case 21866:
      return "KOI8-U";
    case 28603:
      return "ISO-8859-13";
    case 28605:
      return "ISO-8859-15";
    default:
      break;
  }
  if (codePage >= 1250 && codePage <= 1258) return "WINDOWS-" + std::to_string(codePage);
  return "ISO-8859-" + std::to_string(codePage - 28590);  // 28591 to 28599
}

class TIconv {
 public:
  TIconv(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~TIconv() {
    if (Ok()) iconv_close(cd_);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in`, appending to `out`. On failure returns the errno value (EILSEQ for a
  // byte sequence or character that cannot be converted, EINVAL for a truncated one) and leaves
  // `consumed` at the offending input byte.
  int Convert(std::string_view in, std::string& out, std::size_t& consumed) {
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t used = out.size();
    out.resize(used + std::max<std::size_t>(in.size() + in.size() / 2, 32));
    int error = 0;
    for (;;) {
      char* outPtr = out.data() + used;
      std::size_t outLeft = out.size() - used;
      const std::size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      used = out.size() - outLeft;
      if (r != static_cast<std::size_t>(-1)) break;
      if (errno != E2BIG) {
        error = errno;
        break;
      }
      out.resize(out.size() * 2);
    }
    out.resize(used);
    consumed = in.size() - inLeft;
    return error;
  }

  // Ends the current shift state (a no-op for stateless converters).
  int Flush(std::string& out) {
    char buffer[64];
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t r = iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    return r == static_cast<std::size_t>(-1) ? errno : 0;
  }

  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

// ---------------------------------------------------------------------------------------------
// Single-byte character sets

constexpr char32_t kUndefined = 0xFFFFFFFF;

struct TSingleByteCharset {
  std::array<char32_t, 256> toUnicode{};
  std::array<std::array<char, 4>, 256> utf8{};
  std::array<std::uint8_t, 256> utf8Length{};  // 0 for undefined bytes
  std::array<std::int16_t, 256> fromLatin{};   // code points below 256; -1 when not held
  std::vector<std::pair<char32_t, unsigned char>> fromOther;  // sorted by code point
  bool asciiCompatible = true;  // bytes below 0x80 stand for themselves
  // Letters the code page has no byte for and writes as a base letter and combining marks
  // (windows-1255 and windows-1258), by those bytes: reading the bytes gives the letter back,
  // and writing it gives the same bytes, so reading stays exact. Keys are ComposedKey().
  std::unordered_map<std::uint32_t, char32_t> composed;
  std::array<bool, 256> startsComposed{};

  int ByteFor(char32_t cp) const {
    if (cp < 256) return fromLatin[cp];
    auto it = std::lower_bound(fromOther.begin(), fromOther.end(), cp,
                               [](const auto& entry, char32_t key) { return entry.first < key; });
    return (it != fromOther.end() && it->first == cp) ? it->second : -1;
  }
};

char32_t DecodeOneByte(TIconv& cd, unsigned char byte) {
  cd.Reset();
  std::string out;
  std::size_t consumed = 0;
  const char in = static_cast<char>(byte);
  if (cd.Convert(std::string_view(&in, 1), out, consumed) != 0) return kUndefined;
  if (cd.Flush(out) != 0 || out.size() != 4) return kUndefined;
  const auto* u = reinterpret_cast<const unsigned char*>(out.data());
  return char32_t(u[0]) | (char32_t(u[1]) << 8) | (char32_t(u[2]) << 16) | (char32_t(u[3]) << 24);
}

constexpr std::size_t kLongestComposed = 3;

std::uint32_t ComposedKey(const unsigned char* bytes, std::size_t length) {
  std::uint32_t key = static_cast<std::uint32_t>(length) << 24;
  for (std::size_t i = 0; i < length; ++i) key |= std::uint32_t(bytes[i]) << (8 * i);
  return key;
}

bool WritesComposedLetters(int codePage) {
  return codePage == 1255 || codePage == 1258;
}

// Fills `charset.composed` with every character the code page writes as two or three bytes
// that all read as characters; when two characters give the same bytes, the first one keeps
// them.
void AddComposedLetters(int codePage, TSingleByteCharset& charset) {
  TIconv cd(IconvName(codePage), "UTF-32LE");
  if (!cd.Ok()) return;
  for (char32_t cp = 0xA0; cp < 0x10000; ++cp) {
    if ((cp >= 0xD800 && cp < 0xE000) || charset.ByteFor(cp) >= 0) continue;
    const char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF), 0, 0};
    std::string bytes;
    std::size_t consumed = 0;
    cd.Reset();
    if (cd.Convert(std::string_view(in, 4), bytes, consumed) != 0 || cd.Flush(bytes) != 0) continue;
    if (bytes.size() < 2 || bytes.size() > kLongestComposed) continue;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (std::any_of(b, b + bytes.size(), [&](unsigned char x) { return !charset.utf8Length[x]; }))
      continue;
    if (charset.composed.try_emplace(ComposedKey(b, bytes.size()), cp).second)
      charset.startsComposed[b[0]] = true;
  }
}

std::unique_ptr<TSingleByteCharset> BuildSingleByteCharset(int codePage) {
  TIconv cd("UTF-32LE", IconvName(codePage));
  if (!cd.Ok()) return nullptr;
  auto charset = std::make_unique<TSingleByteCharset>();
  charset->fromLatin.fill(-1);
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = DecodeOneByte(cd, static_cast<unsigned char>(b));
    charset->toUnicode[b] = cp;
    if (cp == kUndefined) continue;
    if (b < 0x80 && cp != char32_t(b)) charset->asciiCompatible = false;
    std::string bytes;
    utf8::Append(bytes, cp);
    std::copy(bytes.begin(), bytes.end(), charset->utf8[b].begin());
    charset->utf8Length[b] = static_cast<std::uint8_t>(bytes.size());
    if (charset->ByteFor(cp) >= 0) continue;  // keep the first byte for a character
    if (cp < 256) {
      charset->fromLatin[cp] = static_cast<std::int16_t>(b);
    } else {
      charset->fromOther.emplace_back(cp, static_cast<unsigned char>(b));
      std::sort(charset->fromOther.begin(), charset->fromOther.end());
    }
  }
  if (WritesComposedLetters(codePage)) {
    AddComposedLetters(codePage, *charset);
    charset->asciiCompatible = charset->asciiCompatible && charset->composed.empty();
  }
  return charset;
}

// The table of a single-byte code page, built on first use; nullptr when the system cannot
// convert it.
const TSingleByteCharset* SingleByteCharset(int codePage) {
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<TSingleByteCharset>> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(codePage);
  if (it == cache.end()) it = cache.emplace(codePage, BuildSingleByteCharset(codePage)).first;
  return it->second.get();
}

// At bytes that the code page writes for one letter, appends that letter and returns how many
// bytes it took (the longest such sequence); otherwise 0.
std::size_t AppendComposed(const unsigned char* p, const unsigned char* end,
                           const TSingleByteCharset& charset, char*& dst) {
  for (std::size_t length = std::min<std::size_t>(kLongestComposed, end - p); length >= 2;
       --length) {
    const auto it = charset.composed.find(ComposedKey(p, length));
    if (it == charset.composed.end()) continue;
    std::string letter;
    utf8::Append(letter, it->second);
    std::memcpy(dst, letter.data(), letter.size());
    dst += letter.size();
    return length;
  }
  return 0;
}

// The UTF-8 bytes of `bytes` read one character a byte, or nothing when a byte stands for no
// character of the charset.
std::optional<std::size_t> DecodedSize(std::string_view bytes, const TSingleByteCharset& charset) {
  std::size_t size = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (charset.asciiCompatible) {
      const std::size_t ascii = utf8::AsciiPrefix(bytes.data() + i, bytes.size() - i);
      size += ascii;
      i += ascii;
      if (i == bytes.size()) break;
    }
    const std::size_t len = charset.utf8Length[static_cast<unsigned char>(bytes[i++])];
    if (len == 0) return std::nullopt;
    size += len;
  }
  return size;
}

TCodecStatus DecodeSingleByte(std::string_view bytes, const TSingleByteCharset& charset,
                              std::string& out) {
  // One allocation: of the exact size, or in the charsets that compose a letter and its marks
  // into one character, of the most any byte can need.
  std::size_t room = bytes.size() * 3;
  if (charset.composed.empty()) {
    const std::optional<std::size_t> size = DecodedSize(bytes, charset);
    if (!size) return TCodecStatus::Invalid;
    room = *size;
  }
  out.clear();
  out.reserve(room);
  AdviseHugePages(out.data(), room);
  out.resize(room);
  char* dst = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    if (charset.asciiCompatible) {
      const std::size_t ascii =
          utf8::AsciiPrefix(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
      std::memcpy(dst, p, ascii);
      dst += ascii;
      p += ascii;
      if (p == end) break;
    }
    if (charset.startsComposed[*p]) {
      if (const std::size_t used = AppendComposed(p, end, charset, dst)) {
        p += used;
        continue;
      }
    }
    const std::size_t len = charset.utf8Length[*p];
    if (len == 0) return TCodecStatus::Invalid;
    std::memcpy(dst, charset.utf8[*p].data(), len);
    dst += len;
    ++p;
  }
  out.resize(static_cast<std::size_t>(dst - out.data()));
  return TCodecStatus::Ok;
}

// Collects the characters an encoder could not write.
class TUnwritableRecorder {
 public:
  explicit TUnwritableRecorder(TCharsetConversion& result) : result_(result) {}

  // `offset` is the byte offset of the character in the UTF-8 text being encoded; offsets must
  // grow from call to call.
  void Record(std::string_view utf8, std::size_t offset, char32_t cp) {
    charsBefore_ += utf8::CountCharsTolerant(utf8.substr(countedTo_, offset - countedTo_));
    countedTo_ = offset;
    ++result_.unwritableCount;
    if (seen_.insert(cp).second) result_.unwritable.push_back({cp, charsBefore_ + 1});
  }

 private:
  TCharsetConversion& result_;
  std::unordered_set<char32_t> seen_;
  std::size_t countedTo_ = 0;
  std::size_t charsBefore_ = 0;
};

// Writes one character through iconv. The windows-1255 and windows-1258 converters can write
// some characters the byte table lacks as a base letter plus a combining mark.
bool WriteDecomposed(TIconv* cd, char32_t cp, std::string& out) {
  if (cd == nullptr || !cd->Ok()) return false;
  std::string utf8;
  utf8::Append(utf8, cp);
  std::string bytes;
  std::size_t consumed = 0;
  cd->Reset();
  if (cd->Convert(utf8, bytes, consumed) != 0 || cd->Flush(bytes) != 0) return false;
  out += bytes;
  return true;
}

void EncodeSingleByte(std::string_view utf8, int codePage, const TSingleByteCharset& charset,
                      TCharsetConversion& result) {
  std::string& out = result.text;
  out.clear();
  out.reserve(utf8.size());
  TUnwritableRecorder recorder(result);
  std::unique_ptr<TIconv> composer;
  if (codePage == 1255 || codePage == 1258) {
    composer = std::make_unique<TIconv>(IconvName(codePage), "UTF-8");
  }
  std::size_t i = 0;
  while (i < utf8.size()) {
    if (charset.asciiCompatible) {
      const std::size_t ascii = utf8::AsciiPrefix(utf8.data() + i, utf8.size() - i);
      out.append(utf8.data() + i, ascii);
      i += ascii;
      if (i == utf8.size()) break;
    }
    const std::size_t start = i;
    char32_t cp;
    const bool valid = utf8::NextChar(utf8, i, cp);
    const int byte = valid ? charset.ByteFor(cp) : -1;
    if (byte >= 0) {
      out += static_cast<char>(byte);
    } else if (!valid || !WriteDecomposed(composer.get(), cp, out)) {
      recorder.Record(utf8, start, valid ? cp : utf8::kReplacementChar);
      out += static_cast<char>(charset.ByteFor(U'?'));
    }
  }
}

// ---------------------------------------------------------------------------------------------

// UTF-7 counts as valid only when writing the text back gives the same bytes, each run ending
// as it did; then how the runs ended is remembered for saving. Other spellings of the same text
// (a run split in two, characters that could stand for themselves put into base64) read as the
// fallback charset, so that saving an unmodified file never changes it.
TCodecStatus DecodeUtf7(std::string_view bytes, std::string& out) {
  utf7::TRunEndings endings;
  if (!utf7::Decode(bytes, out, &endings)) return TCodecStatus::Invalid;
  std::string again;
  again.reserve(bytes.size());
  utf7::Encode(out, again, &endings);
  if (again != bytes) return TCodecStatus::Invalid;
  utf7::TRememberedEndings::Instance().Remember(endings);
  return TCodecStatus::Ok;
}

// Decodes `bytes` from the code page. `utf8` is set to the decoded text: a view of `bytes`
// itself when they already are valid UTF-8, otherwise of `storage`.
TCodecStatus DecodeToUtf8(std::string_view bytes, int codePage, std::string& storage,
                          std::string_view& utf8) {
  if (IsUtf8CodePage(codePage)) {
    if (!utf8::IsValid(bytes)) return TCodecStatus::Invalid;
    utf8 = bytes;
    return TCodecStatus::Ok;
  }
  TCodecStatus status;
  if (IsSingleByteCodePage(codePage)) {
    const TSingleByteCharset* charset = SingleByteCharset(codePage);
    status = charset ? DecodeSingleByte(bytes, *charset, storage) : TCodecStatus::Unsupported;
  } else if (codePage == kUtf7CodePage) {
    storage.clear();
    status = DecodeUtf7(bytes, storage);
  } else {
    status = TCodecStatus::Unsupported;
  }
  utf8 = storage;
  return status;
}

TCodecStatus EncodeFromUtf8(std::string_view utf8, int codePage, TCharsetConversion& result) {
  if (IsUtf8CodePage(codePage)) {
    result.text.assign(utf8);
    return TCodecStatus::Ok;
  }
  if (codePage == kUtf7CodePage) {
    result.text.clear();
    utf7::TRememberedEndings::Instance().Encode(utf8, result.text);
    return TCodecStatus::Ok;
  }
  if (!IsSingleByteCodePage(codePage)) return TCodecStatus::Unsupported;
  const TSingleByteCharset* charset = SingleByteCharset(codePage);
  if (charset == nullptr) return TCodecStatus::Unsupported;
  EncodeSingleByte(utf8, codePage, *charset, result);
  return TCodecStatus::Ok;
}

// The character set that reads bytes invalid in their declared one without losing any.
int FallbackCodePage(std::string_view bytes) {
  const TSingleByteCharset* cp1252 = SingleByteCharset(kWindows1252CodePage);
  if (cp1252 == nullptr || !DecodedSize(bytes, *cp1252)) return kLatin1CodePage;
  return kWindows1252CodePage;
}

}  // namespace

TCharsetConversion TTextProcessor::ConvertCodePage(std::string_view text, int sourceCodePage,
                                                   int targetCodePage) {
  TCharsetConversion result;
  result.sourceCodePage = sourceCodePage;
  std::string decoded;
  std::string_view utf8;
  TCodecStatus status = DecodeToUtf8(text, sourceCodePage, decoded, utf8);
  if (status == TCodecStatus::Invalid) {
    result.sourceCodePage = FallbackCodePage(text);
    status = DecodeToUtf8(text, result.sourceCodePage, decoded, utf8);
  }
  if (status == TCodecStatus::Ok && IsUtf8CodePage(targetCodePage) &&
      utf8.data() == decoded.data()) {
    result.text = std::move(decoded);
    return result;
  }
  if (status == TCodecStatus::Ok) status = EncodeFromUtf8(utf8, targetCodePage, result);
  if (status != TCodecStatus::Ok) {
    result = TCharsetConversion{};
    result.text.assign(text);
    result.sourceCodePage = sourceCodePage;
  }
  return result;
}

TCharsetConversion TTextProcessor::ConvertToCharset(std::string_view text, int sourceCodePage,
                                                    std::string_view charset) {
  const TUnicodeForm* form = FindUnicodeForm(charset);
  TCharsetConversion encoded;
  if (form && IsUtf8CodePage(sourceCodePage) && EncodeUnicodeForm(*form, text, encoded.text))
    return encoded;
  const TCharsetInfo* row = FindCharsetByName(charset);
  if (row != nullptr && row->codePage != sourceCodePage) {
    return ConvertCodePage(text, sourceCodePage, row->codePage);
  }
  TCharsetConversion result;
  result.text.assign(text);
  result.sourceCodePage = sourceCodePage;
  return result;
}

}  // namespace tervil
