#include "core/html/Utf7Decoder.h"

#include <cstdint>

#include "core/html/Utf8Text.h"

namespace tervil::textutf8 {

namespace {

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
      AppendChar(out_, 0x10000 + ((char32_t(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00));
      highSurrogate_ = 0;
      return true;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
      return true;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
    AppendChar(out_, unit);
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

bool DecodeUtf7(std::string_view bytes, std::string& out) {
  out.reserve(out.size() + bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (static_cast<unsigned char>(c) >= 0x80) return false;
    if (c != '+') {
      out += c;
      ++i;
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

}  // namespace tervil::textutf8
