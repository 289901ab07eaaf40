#include "core/text/Utf7.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/common/Utf8.h"

namespace tervil::utf7 {

namespace {

constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Characters written as themselves: the direct and the optional direct characters of RFC 2152
// ("+" is written as "+-"; backslash, "~" and control characters go into base64).
bool IsDirect(char32_t c) {
  static constexpr std::string_view kDirect =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:? \t\r\n"
      "!\"#$%&*;<=>@[]^_`{|}";
  return c < 0x80 && kDirect.find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsBase64Digit(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

// Writes characters as one base64 run of UTF-16 units, with its "+" and, when `close`, "-".
void AppendBase64Run(const std::vector<char32_t>& chars, bool close, std::string& out) {
  out += '+';
  std::uint32_t bits = 0;
  int bitCount = 0;
  auto addUnit = [&](std::uint32_t unit) {
    bits = (bits << 16) | unit;
    bitCount += 16;
    while (bitCount >= 6) {
      bitCount -= 6;
      out += kBase64Digits[(bits >> bitCount) & 0x3F];
    }
    bits &= (1u << bitCount) - 1;
  };
  for (char32_t c : chars) {
    if (c >= 0x10000) {
      addUnit(0xD800 + ((c - 0x10000) >> 10));
      addUnit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      addUnit(c);
    }
  }
  if (bitCount > 0) out += kBase64Digits[(bits << (6 - bitCount)) & 0x3F];
  if (close) out += '-';
}

// Writes a run, leaving out its "-" when the file ended it so and `next` (the character after
// it, or 0 at the end of the text) cannot be taken for part of it.
void WriteRun(const std::vector<char32_t>& run, std::string_view runText, char32_t next,
              const TRunEndings* endings, std::string& out) {
  bool open = endings != nullptr && next != '-' && !IsBase64Digit(next);
  if (open) {
    const auto it = endings->find(std::string(runText));
    open = it != endings->end() && it->second;
  }
  AppendBase64Run(run, !open, out);
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Collects the UTF-16 units of one base64 run and turns them into characters.
class TUtf16Collector {
 public:
  explicit TUtf16Collector(std::string& out) : out_(out) {}

  bool Add(std::uint16_t unit) {
    if (highSurrogate_ != 0) {
      if (unit < 0xDC00 || unit > 0xDFFF) return false;
      utf8::Append(out_, 0x10000 + ((char32_t(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00));
      highSurrogate_ = 0;
      return true;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
      return true;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
    utf8::Append(out_, unit);
    return true;
  }

  bool Complete() const { return highSurrogate_ == 0; }

 private:
  std::string& out_;
  std::uint16_t highSurrogate_ = 0;
};

// Decodes the base64 run starting at bytes[i] (just after its "+") and moves i past it,
// including a closing "-"; notes in `endings` how the run ended.
bool DecodeBase64Run(std::string_view bytes, std::size_t& i, std::string& out,
                     TRunEndings* endings) {
  const std::size_t textStart = out.size();
  TUtf16Collector units(out);
  std::uint32_t bits = 0;
  int bitCount = 0;
  const std::size_t start = i;
  for (; i < bytes.size(); ++i) {
    const int value = Base64Value(bytes[i]);
    if (value < 0) break;
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    bitCount += 6;
    if (bitCount >= 16) {
      bitCount -= 16;
      if (!units.Add(static_cast<std::uint16_t>(bits >> bitCount))) return false;
      bits &= (1u << bitCount) - 1;
    }
  }
  if (i == start || bitCount >= 6 || bits != 0 || !units.Complete()) return false;
  const bool closed = i < bytes.size() && bytes[i] == '-';
  if (closed) ++i;
  if (endings != nullptr) endings->insert_or_assign(out.substr(textStart), !closed);
  return true;
}

}  // namespace

bool Decode(std::string_view bytes, std::string& out, TRunEndings* endings) {
  out.reserve(out.size() + bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (IsDirect(static_cast<unsigned char>(c))) {
      out += c;
      ++i;
    } else if (c != '+') {
      return false;
    } else if (i + 1 < bytes.size() && bytes[i + 1] == '-') {
      out += '+';
      i += 2;
    } else {
      ++i;
      if (!DecodeBase64Run(bytes, i, out, endings)) return false;
    }
  }
  return true;
}

void Encode(std::string_view text, std::string& out, const TRunEndings* endings) {
  out.reserve(out.size() + text.size());
  std::vector<char32_t> run;
  std::size_t runStart = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t at = i;
    char32_t cp;
    if (!utf8::NextChar(text, i, cp)) cp = utf8::kReplacementChar;
    if (!IsDirect(cp) && cp != '+') {
      if (run.empty()) runStart = at;
      run.push_back(cp);
      continue;
    }
    if (!run.empty()) {
      WriteRun(run, text.substr(runStart, at - runStart), cp, endings, out);
      run.clear();
    }
    out += static_cast<char>(cp);
    if (cp == '+') out += '-';
  }
  if (!run.empty()) WriteRun(run, text.substr(runStart), 0, endings, out);
}

TRememberedEndings& TRememberedEndings::Instance() {
  static TRememberedEndings endings;
  return endings;
}

void TRememberedEndings::Remember(const TRunEndings& read) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (openRuns_.size() + read.size() > kMostRuns) openRuns_.clear();
  for (const auto& [text, open] : read) {
    if (open) {
      openRuns_.insert_or_assign(text, true);
    } else {
      openRuns_.erase(text);
    }
  }
}

void TRememberedEndings::Encode(std::string_view text, std::string& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  utf7::Encode(text, out, &openRuns_);
}

}  // namespace tervil::utf7
