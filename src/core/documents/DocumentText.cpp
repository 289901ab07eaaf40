#include "core/documents/DocumentText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "core/common/HugePages.h"
#include "core/common/Paths.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervil {

namespace {

// Multiplies and folds the 128-bit product: each output bit depends on many input bits.
std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// A 64-bit hash of a line, eight bytes at a time: millions of lines are hashed on opening.
std::uint64_t HashLine(std::string_view line) {
  constexpr std::uint64_t kOdd1 = 0x9E3779B97F4A7C15;
  constexpr std::uint64_t kOdd2 = 0xD6E8FEB86659FD93;
  std::uint64_t hash = Mix(line.size() ^ kOdd1, kOdd2);
  std::size_t i = 0;
  for (; i + 8 <= line.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, line.data() + i, 8);
    hash = Mix(hash ^ word, kOdd1);
  }
  if (i < line.size()) {
    std::uint64_t word = 0;
    std::memcpy(&word, line.data() + i, line.size() - i);
    hash = Mix(hash ^ word, kOdd2);
  }
  return Mix(hash ^ kOdd2, kOdd1);
}

// Calls `visit(offset)` for every CR and LF byte of text, in order, looking at 16 bytes at a time.
template <typename Visit>
void ForEachBreakByte(std::string_view text, Visit visit) {
  const char* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
    for (; mask != 0; mask &= mask - 1) visit(i + static_cast<std::size_t>(std::countr_zero(mask)));
  }
#endif
  for (; i < n; ++i) {
    if (p[i] == '\n' || p[i] == '\r') visit(i);
  }
}

// Calls `visit(end, length)` for every line break of text (CR LF, LF or CR) in order: the line
// before it ends at `end`, the break is `length` bytes long.
template <typename Visit>
void ForEachBreak(std::string_view text, Visit visit) {
  std::size_t crlfEnd = 0;  // just past the last CR LF, whose LF is no break of its own
  ForEachBreakByte(text, [&](std::size_t at) {
    if (at + 1 == crlfEnd) return;
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
      crlfEnd = at + 2;
      visit(at, 2);
    } else {
      visit(at, 1);
    }
  });
}

void CountBreak(std::string_view text, std::size_t end, std::size_t length, TLineBreaks& breaks) {
  const bool lf = text[end] == '\n';
  if (breaks.firstStyle == 0) {
    breaks.firstStyle = lf ? 1 : 2;
    breaks.firstCrAlone = !lf && length == 1;
  }
  if (lf)
    ++breaks.lf;
  else if (length == 2)
    ++breaks.crlf;
  else
    ++breaks.cr;
}

}  // namespace

std::string TLineBreaks::OnlyBreak() const {
  if (Kinds() != 1) return {};
  return lf ? "\n" : crlf ? "\r\n" : "\r";
}

std::string TLineBreaks::FirstBreak() const {
  if (firstStyle == 1) return "\n";
  if (firstStyle == 2) return firstCrAlone || crlf == 0 ? "\r" : "\r\n";
  return {};
}

TLineBreaks CountLineBreaks(std::string_view text) {
  TLineBreaks breaks;
  ForEachBreak(text,
               [&](std::size_t end, std::size_t length) { CountBreak(text, end, length, breaks); });
  return breaks;
}

std::string LineBreakName(std::string_view terminator) {
  if (terminator == "\r\n") return "CR LF";
  return terminator == "\r" ? "CR" : "LF";
}

bool NeedsTabs(const std::string& fileName) {
  static const std::array<std::string_view, 3> kNames = {"Makefile", "makefile", "GNUmakefile"};
  static const std::array<std::string_view, 5> kExtensions = {".mk", ".mak", ".make", ".tsv",
                                                              ".go"};
  const std::string name = FileNameOf(fileName);
  if (std::find(kNames.begin(), kNames.end(), name) != kNames.end()) return true;
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return false;
  const std::string_view ext = std::string_view(name).substr(dot);
  return std::find(kExtensions.begin(), kExtensions.end(), ext) != kExtensions.end();
}

// Calls visit(line) for every line of text that starts with a blank or a tab, counting the line
// breaks on the way.
template <typename Visit>
TLineBreaks ForEachIndentedLine(std::string_view text, Visit visit) {
  TLineBreaks breaks;
  std::size_t start = 0;
  auto line = [&](std::size_t end) {
    if (end > start && (text[start] == ' ' || text[start] == '\t'))
      visit(text.substr(start, end - start));
  };
  ForEachBreak(text, [&](std::size_t end, std::size_t length) {
    CountBreak(text, end, length, breaks);
    line(end);
    start = end + length;
  });
  line(text.size());
  return breaks;
}

TLineBreaks TOriginalLines::Assign(std::string_view text) {
  // Two walks: the first counts the lines to note, so that their hashes get one allocation of
  // the right size; a text without such lines needs no second walk.
  std::size_t indented = 0;
  const TLineBreaks breaks = ForEachIndentedLine(text, [&](std::string_view) { ++indented; });
  std::vector<std::uint64_t>().swap(hashes_);
  if (indented > 0) {
    hashes_.reserve(indented);
    AdviseHugePages(hashes_.data(), indented * sizeof(std::uint64_t));
    ForEachIndentedLine(text, [&](std::string_view line) { hashes_.push_back(HashLine(line)); });
  }
  sorted_ = false;
  return breaks;
}

void TOriginalBreaks::Assign(std::string_view text) {
  Clear();
  std::size_t start = 0;
  ForEachBreak(text, [&](std::size_t end, std::size_t length) {
    hashes_.push_back(HashLine(text.substr(start, end - start)));
    breaks_.push_back(text[end] == '\n' ? 1 : length == 2 ? 2 : 3);
    start = end + length;
  });
  hashes_.push_back(HashLine(text.substr(start)));
  breaks_.push_back(0);
}

void TOriginalBreaks::Clear() {
  std::vector<std::uint64_t>().swap(hashes_);
  std::vector<std::uint8_t>().swap(breaks_);
}

std::string TOriginalBreaks::Apply(std::string_view text, std::string_view newBreak) const {
  static constexpr std::array<std::string_view, 4> kBreaks = {"", "\n", "\r\n", "\r"};
  // The current lines and their hashes.
  std::vector<std::string_view> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  std::vector<std::uint64_t> hashes(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) hashes[i] = HashLine(lines[i]);
  // Where each hash occurs among the lines as read, for lines removed in between.
  std::vector<std::pair<std::uint64_t, std::size_t>> where(hashes_.size());
  for (std::size_t j = 0; j < hashes_.size(); ++j) where[j] = {hashes_[j], j};
  std::sort(where.begin(), where.end());
  const std::size_t m = hashes_.size();
  const std::size_t n = lines.size();
  auto agrees = [&](std::size_t i, std::size_t j) {
    return i < n && j < m && hashes[i] == hashes_[j];
  };

  std::string out;
  out.reserve(text.size() + text.size() / 8);
  std::size_t j = 0;  // the next line as read not matched yet
  for (std::size_t i = 0; i < n; ++i) {
    out.append(lines[i]);
    if (i + 1 == n) break;  // the last line has no break
    std::string_view brk = newBreak;
    if (agrees(i, j)) {
      brk = kBreaks[breaks_[j++]];
    } else if (j < m && (agrees(i + 1, j + 1) || (i + 2 == n && j + 2 == m))) {
      brk = kBreaks[breaks_[j++]];  // edited in place
    } else {
      // Lines as read were removed before this one: the next occurrence that the following
      // line agrees with too.
      auto it = std::lower_bound(where.begin(), where.end(), std::make_pair(hashes[i], j));
      for (int tries = 0; it != where.end() && it->first == hashes[i] && tries < 16;
           ++it, ++tries) {
        if (agrees(i + 1, it->second + 1) || (i + 2 == n && it->second + 2 == m)) {
          j = it->second;
          brk = kBreaks[breaks_[j++]];
          break;
        }
      }
    }
    if (brk.empty()) brk = newBreak;  // the last line as read, now followed by others
    out.append(brk);
  }
  return out;
}

bool TOriginalLines::Contains(std::string_view line) const {
  if (!sorted_) {
    std::sort(hashes_.begin(), hashes_.end());
    hashes_.erase(std::unique(hashes_.begin(), hashes_.end()), hashes_.end());
    hashes_.shrink_to_fit();
    sorted_ = true;
  }
  return std::binary_search(hashes_.begin(), hashes_.end(), HashLine(line));
}

}  // namespace tervil
