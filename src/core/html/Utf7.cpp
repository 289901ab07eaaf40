#include "core/html/Utf7.h"

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

// Writes characters as one base64 run of UTF-16 units, with its "+" and closing "-".
void AppendBase64Run(const std::vector<char32_t>& chars, std::string& out) {
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
  out += '-';
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
// including a closing "-".
bool DecodeBase64Run(std::string_view bytes, std::size_t& i, std::string& out) {
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
  if (i < bytes.size() && bytes[i] == '-') ++i;
  return true;
}

}  // namespace

bool Decode(std::string_view bytes, std::string& out) {
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
      if (!DecodeBase64Run(bytes, i, out)) return false;
    }
  }
  return true;
}

void Encode(std::string_view text, std::string& out) {
  out.reserve(out.size() + text.size());
  std::vector<char32_t> run;
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t cp;
    if (!utf8::NextChar(text, i, cp)) cp = utf8::kReplacementChar;
    if (!IsDirect(cp) && cp != '+') {
      run.push_back(cp);
      continue;
    }
    if (!run.empty()) {
      AppendBase64Run(run, out);
      run.clear();
    }
    out += static_cast<char>(cp);
    if (cp == '+') out += '-';
  }
  if (!run.empty()) AppendBase64Run(run, out);
}

}  // namespace tervil::utf7
