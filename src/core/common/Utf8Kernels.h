#pragma once

// The whole-text loops behind the UTF-8 helpers of Utf8.h, in a plain form and in an AVX2 form.
// Utf8.h picks the AVX2 form at run time when the processor has it; both give the same answers,
// the plain form being the reference the AVX2 form is tested against.

#include <cstddef>

namespace tervil::utf8::kernels {

// Length of the longest prefix of text that is valid UTF-8 (strict: no overlong forms, no
// surrogates, nothing above U+10FFFF, no sequence cut off at the end) and, with `stopAtCr`, holds
// no CR.
std::size_t ValidPrefixPlain(const char* text, std::size_t size, bool stopAtCr);
std::size_t ValidPrefixAvx2(const char* text, std::size_t size, bool stopAtCr);

// Number of bytes of text that are not UTF-8 continuation bytes.
std::size_t CountLeadsPlain(const char* text, std::size_t size);
std::size_t CountLeadsAvx2(const char* text, std::size_t size);

// Whether the processor runs the AVX2 forms.
bool HasAvx2();

}  // namespace tervil::utf8::kernels
