#include "core/text/UnicodeForms.h"

#include <array>
#include <cstdint>

#include "core/common/Utf8.h"

namespace tervil {

namespace {

constexpr std::array<TUnicodeForm, 4> kForms = {{
    {"utf-32le", 4, false},
    {"utf-32be", 4, true},
    {"utf-16le", 2, false},
    {"utf-16be", 2, true},
}};

// Only the start of a file is looked at for the NUL pattern; the whole file is then decoded.
constexpr std::size_t kSampleBytes = 1 << 16;

std::uint32_t UnitAt(const TUnicodeForm& form, std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < form.unitSize; ++i) {
    const int shift = form.bigEndian ? 8 * (form.unitSize - 1 - i) : 8 * i;
    value |= std::uint32_t(static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]))
             << shift;
  }
  return value;
}

void AppendUnit(const TUnicodeForm& form, std::uint32_t value, std::string& out) {
  for (int i = 0; i < form.unitSize; ++i) {
    const int shift = form.bigEndian ? 8 * (form.unitSize - 1 - i) : 8 * i;
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

bool StartsWithMark(const TUnicodeForm& form, std::string_view bytes) {
  return bytes.size() >= static_cast<std::size_t>(form.unitSize) &&
         UnitAt(form, bytes, 0) == 0xFEFF;
}

// Text in this form whose characters are mostly ASCII: at least half of the units are an ASCII
// character other than NUL, and hardly any is NUL itself.
bool ShowsNulPattern(const TUnicodeForm& form, std::string_view bytes) {
  const std::size_t unit = static_cast<std::size_t>(form.unitSize);
  const std::size_t size = std::min(bytes.size(), kSampleBytes) / unit * unit;
  std::size_t units = 0, ascii = 0, nul = 0;
  for (std::size_t at = 0; at < size; at += unit, ++units) {
    const std::uint32_t value = UnitAt(form, bytes, at);
    if (value == 0)
      ++nul;
    else if (value < 0x80)
      ++ascii;
  }
  return units > 0 && ascii * 2 >= units && nul * 16 <= units;
}

bool IsSurrogate(std::uint32_t value) {
  return value >= 0xD800 && value <= 0xDFFF;
}

}  // namespace

const TUnicodeForm* FindUnicodeForm(std::string_view name) {
  for (const auto& form : kForms)
    if (form.name == name) return &form;
  return nullptr;
}

const TUnicodeForm* DetectUnicodeForm(std::string_view bytes) {
  std::string ignored;
  // UTF-32 first: its little-endian mark starts with the UTF-16 one.
  for (const auto& form : kForms)
    if (StartsWithMark(form, bytes) && DecodeUnicodeForm(form, bytes, ignored)) return &form;
  for (const auto& form : kForms)
    if (ShowsNulPattern(form, bytes) && DecodeUnicodeForm(form, bytes, ignored)) return &form;
  return nullptr;
}

bool DecodeUnicodeForm(const TUnicodeForm& form, std::string_view bytes, std::string& utf8) {
  const std::size_t unit = static_cast<std::size_t>(form.unitSize);
  if (bytes.size() % unit != 0) return false;
  utf8.clear();
  utf8.reserve(bytes.size() / unit + bytes.size() / 4);
  for (std::size_t at = 0; at < bytes.size(); at += unit) {
    std::uint32_t value = UnitAt(form, bytes, at);
    if (unit == 2 && value >= 0xD800 && value <= 0xDBFF) {
      if (at + 2 >= bytes.size()) return false;
      const std::uint32_t low = UnitAt(form, bytes, at + 2);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
      at += 2;
    } else if (IsSurrogate(value) || value > 0x10FFFF) {
      return false;
    }
    utf8::Append(utf8, static_cast<char32_t>(value));
  }
  return true;
}

bool EncodeUnicodeForm(const TUnicodeForm& form, std::string_view utf8, std::string& bytes) {
  bytes.clear();
  bytes.reserve(utf8.size() * static_cast<std::size_t>(form.unitSize));
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    if (!utf8::NextChar(utf8, i, cp)) return false;
    const std::uint32_t value = static_cast<std::uint32_t>(cp);
    if (form.unitSize == 2 && value >= 0x10000) {
      AppendUnit(form, 0xD800 + ((value - 0x10000) >> 10), bytes);
      AppendUnit(form, 0xDC00 + ((value - 0x10000) & 0x3FF), bytes);
    } else {
      AppendUnit(form, value, bytes);
    }
  }
  return true;
}

}  // namespace tervil
