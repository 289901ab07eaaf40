#include "core/common/PathText.h"

#include "core/common/Utf8.h"

namespace tervil {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // plus the byte, for 0x80 to 0xFF

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u16string PathToUtf16(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = utf8::SequenceLength(bytes.data() + i, bytes.size() - i);
    if (length == 0) {
      text += static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i]));
      ++i;
      continue;
    }
    std::size_t used = 0;
    const char32_t c = utf8::Decode(bytes.data() + i, length, used);
    if (c >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(c);
    }
    i += length;
  }
  return text;
}

std::string PathFromUtf16(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(bytes, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      bytes += static_cast<char>(unit - kEscapeBase);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(bytes, utf8::kReplacementChar);
    } else {
      AppendUtf8(bytes, unit);
    }
  }
  return bytes;
}

}  // namespace tervil
