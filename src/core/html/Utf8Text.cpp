#include "core/html/Utf8Text.h"

#include <locale.h>
#include <wctype.h>

namespace tervil::textutf8 {

namespace {

// A locale whose character classes cover all of Unicode, whatever the process locale is; null
// when the system has none, and then only ASCII letters change case.
locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (locale_t l = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr))) return l;
    }
    return static_cast<locale_t>(nullptr);
  }();
  return locale;
}

}  // namespace

char32_t ToLower(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  const locale_t locale = UnicodeLocale();
  return locale ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), locale)) : cp;
}

char32_t ToUpper(char32_t cp) {
  if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - 32 : cp;
  const locale_t locale = UnicodeLocale();
  return locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), locale)) : cp;
}

}  // namespace tervil::textutf8
