#include "core/editcomponent/TextBuffer.h"

#include <algorithm>
#include <bit>

#include "core/common/Utf8.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervil {

namespace {

// Chunks are filled to kTargetChunk bytes, split when an insertion would pass kMaxChunk, and
// merged with a neighbour when they shrink below kMinChunk. Break offsets are 16-bit.
constexpr std::size_t kTargetChunk = 4096;
constexpr std::size_t kMaxChunk = 8192;
constexpr std::size_t kMinChunk = 1024;
// Input bytes normalised per chunk while loading; invalid bytes at most double in size.
constexpr std::size_t kLoadPiece = 4096;

void AppendBreaks(const char* text, std::size_t size, std::size_t base,
                  std::vector<std::uint16_t>& out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= size; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
    while (mask != 0) {
      out.push_back(static_cast<std::uint16_t>(base + i + std::countr_zero(mask)));
      mask &= mask - 1;
    }
  }
#endif
  for (; i < size; ++i) {
    if (text[i] == '\n') out.push_back(static_cast<std::uint16_t>(base + i));
  }
}

}  // namespace

// Cuts a sequence of normalised pieces into chunks of kTargetChunk bytes at character
// boundaries.
class TTextBuffer::ChunkBuilder {
 public:
  explicit ChunkBuilder(std::vector<std::unique_ptr<Chunk>>& out, std::size_t target = kTargetChunk)
      : out_(out), target_(std::clamp<std::size_t>(target, 1, kTargetChunk)) {}

  // A builder that cuts `total` bytes into equal chunks of at most kTargetChunk bytes, so
  // that splitting a full chunk leaves no tiny one behind.
  static ChunkBuilder Even(std::vector<std::unique_ptr<Chunk>>& out, std::size_t total) {
    const std::size_t pieces = (total + kTargetChunk - 1) / kTargetChunk;
    return ChunkBuilder(out, pieces > 0 ? (total + pieces - 1) / pieces : kTargetChunk);
  }

  void Append(std::string_view s) {
    while (!s.empty()) {
      if (!current_) {
        current_ = std::make_unique<Chunk>();
        current_->text.reserve(std::min(target_, s.size()));
      }
      std::size_t space = target_ - current_->text.size();
      if (s.size() <= space) {
        current_->text.append(s);
        return;
      }
      std::size_t cut = space;
      while (cut > 0 && utf8::IsContinuation(static_cast<unsigned char>(s[cut]))) --cut;
      current_->text.append(s.substr(0, cut));
      s.remove_prefix(cut);
      Finish();
    }
  }

  void Finish() {
    if (current_ && !current_->text.empty()) {
      current_->Recount();
      out_.push_back(std::move(current_));
    }
    current_.reset();
  }

 private:
  std::vector<std::unique_ptr<Chunk>>& out_;
  std::size_t target_;
  std::unique_ptr<Chunk> current_;
};

void TTextBuffer::Chunk::Recount() {
  breaks.clear();
  AppendBreaks(text.data(), text.size(), 0, breaks);
  chars = utf8::CountChars(text);
}

TTextBuffer::TTextBuffer() {
  Assign({});
}
TTextBuffer::~TTextBuffer() = default;

TTextBuffer::Sums TTextBuffer::SumsOf(const Chunk& c) {
  return {static_cast<std::int64_t>(c.text.size()), static_cast<std::int64_t>(c.chars),
          static_cast<std::int64_t>(c.breaks.size())};
}

std::int64_t TTextBuffer::KeyOf(const Sums& s, Key key) {
  switch (key) {
    case Key::Bytes:
      return s.bytes;
    case Key::Chars:
      return s.chars;
    case Key::Lines:
      return s.lines;
    case Key::Offsets:
      return s.chars + s.lines;
  }
  return 0;
}

void TTextBuffer::RebuildTree() {
  const std::size_t n = chunks_.size();
  tree_.assign(n + 1, Sums{});
  total_ = Sums{};
  for (std::size_t i = 1; i <= n; ++i) {
    Sums s = SumsOf(*chunks_[i - 1]);
    total_ += s;
    tree_[i] += s;
    std::size_t parent = i + (i & (~i + 1));
    if (parent <= n) tree_[parent] += tree_[i];
  }
}

void TTextBuffer::UpdateTree(std::size_t chunk, const Sums& delta) {
  for (std::size_t i = chunk + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
  total_ += delta;
}

TTextBuffer::Found TTextBuffer::Find(Key key, std::int64_t target) const {
  const std::size_t n = chunks_.size();
  std::size_t pos = 0;
  Sums acc;
  for (std::size_t step = std::bit_floor(n); step > 0; step >>= 1) {
    std::size_t next = pos + step;
    if (next > n) continue;
    Sums candidate = acc;
    candidate += tree_[next];
    if (KeyOf(candidate, key) <= target) {
      pos = next;
      acc = candidate;
    }
  }
  if (pos >= n) {
    pos = n - 1;
    acc -= SumsOf(*chunks_[pos]);
  }
  return {pos, acc};
}

TTextBuffer::Found TTextBuffer::FindByte(std::size_t byte) const {
  return Find(Key::Bytes, static_cast<std::int64_t>(std::min(byte, ByteCount())));
}

void TTextBuffer::Assign(std::string_view text) {
  std::vector<std::unique_ptr<Chunk>> fresh;
  fresh.reserve(text.size() / kLoadPiece + 1);
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = std::min(text.size(), i + kLoadPiece);
    if (text.size() - end < kLoadPiece / 2) end = text.size();  // no tiny chunk at the end
    if (end < text.size()) {
      // Never cut inside a UTF-8 sequence or between the CR and LF of a break.
      for (int k = 0;
           k < 3 && end > i + 1 && utf8::IsContinuation(static_cast<unsigned char>(text[end]));
           ++k) {
        --end;
      }
      if (text[end - 1] == '\r' && text[end] == '\n') ++end;
    }
    auto chunk = std::make_unique<Chunk>();
    bool ascii = utf8::NormalizeAppend(text.substr(i, end - i), chunk->text);
    AppendBreaks(chunk->text.data(), chunk->text.size(), 0, chunk->breaks);
    chunk->chars = ascii ? chunk->text.size() : utf8::CountChars(chunk->text);
    fresh.push_back(std::move(chunk));
    i = end;
  }
  if (fresh.empty()) fresh.push_back(std::make_unique<Chunk>());
  chunks_ = std::move(fresh);
  RebuildTree();
}

std::string TTextBuffer::Text(std::string_view lineBreak) const {
  std::string out;
  out.reserve(ByteCount() - (LineCount() - 1) + (LineCount() - 1) * lineBreak.size());
  for (const auto& chunk : chunks_) {
    if (lineBreak == "\n") {
      out.append(chunk->text);
      continue;
    }
    std::size_t start = 0;
    for (std::uint16_t b : chunk->breaks) {
      out.append(chunk->text, start, b - start);
      out.append(lineBreak);
      start = b + 1u;
    }
    out.append(chunk->text, start, std::string::npos);
  }
  return out;
}

std::size_t TTextBuffer::Insert(std::size_t byte, std::string_view text) {
  if (utf8::IsNormalized(text)) {
    InsertNormalized(byte, text);
    return text.size();
  }
  std::string normalized;
  utf8::NormalizeAppend(text, normalized);
  InsertNormalized(byte, normalized);
  return normalized.size();
}

void TTextBuffer::InsertNormalized(std::size_t byte, std::string_view s) {
  if (s.empty()) return;
  byte = CharBoundary(byte);
  Found f = FindByte(byte);
  Chunk& c = *chunks_[f.chunk];
  const std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  if (c.text.size() + s.size() <= kMaxChunk) {
    c.text.insert(offset, s);
    auto it = std::lower_bound(c.breaks.begin(), c.breaks.end(), offset);
    for (auto j = it; j != c.breaks.end(); ++j) *j = static_cast<std::uint16_t>(*j + s.size());
    std::vector<std::uint16_t> added;
    AppendBreaks(s.data(), s.size(), offset, added);
    c.breaks.insert(it, added.begin(), added.end());
    std::size_t chars = utf8::CountChars(s);
    c.chars += chars;
    UpdateTree(f.chunk, {static_cast<std::int64_t>(s.size()), static_cast<std::int64_t>(chars),
                         static_cast<std::int64_t>(added.size())});
    return;
  }
  std::vector<std::unique_ptr<Chunk>> fresh;
  ChunkBuilder builder = ChunkBuilder::Even(fresh, c.text.size() + s.size());
  std::string_view whole(c.text);
  builder.Append(whole.substr(0, offset));
  builder.Append(s);
  builder.Append(whole.substr(offset));
  builder.Finish();
  ReplaceChunks(f.chunk, 1, std::move(fresh));
}

void TTextBuffer::Erase(std::size_t byte, std::size_t length) {
  byte = CharBoundary(byte);
  if (byte >= ByteCount() || length == 0) return;
  length = CharBoundary(byte + std::min(length, ByteCount() - byte)) - byte;
  if (length == 0) return;
  Found first = FindByte(byte);
  const std::size_t offset = byte - static_cast<std::size_t>(first.before.bytes);
  if (offset + length <= chunks_[first.chunk]->text.size()) {
    EraseInChunk(first.chunk, offset, length);
    return;
  }
  Found last = Find(Key::Bytes, static_cast<std::int64_t>(byte + length - 1));
  const std::size_t lastOffset = byte + length - static_cast<std::size_t>(last.before.bytes);
  const std::string_view head = std::string_view(chunks_[first.chunk]->text).substr(0, offset);
  const std::string_view tail = std::string_view(chunks_[last.chunk]->text).substr(lastOffset);
  std::vector<std::unique_ptr<Chunk>> fresh;
  ChunkBuilder builder = ChunkBuilder::Even(fresh, head.size() + tail.size());
  builder.Append(head);
  builder.Append(tail);
  builder.Finish();
  ReplaceChunks(first.chunk, last.chunk - first.chunk + 1, std::move(fresh));
}

void TTextBuffer::EraseInChunk(std::size_t chunk, std::size_t offset, std::size_t length) {
  Chunk& c = *chunks_[chunk];
  std::size_t chars = c.IsAscii() ? length : utf8::CountChars(c.text.data() + offset, length);
  auto lo = std::lower_bound(c.breaks.begin(), c.breaks.end(), offset);
  auto hi = std::lower_bound(lo, c.breaks.end(), offset + length);
  auto removed = static_cast<std::int64_t>(hi - lo);
  for (auto j = hi; j != c.breaks.end(); ++j) *j = static_cast<std::uint16_t>(*j - length);
  c.breaks.erase(lo, hi);
  c.text.erase(offset, length);
  c.chars -= chars;
  UpdateTree(chunk,
             {-static_cast<std::int64_t>(length), -static_cast<std::int64_t>(chars), -removed});
  if (c.text.size() < kMinChunk) MergeSmall(chunk);
}

void TTextBuffer::MergeSmall(std::size_t chunk) {
  if (chunks_.size() < 2) return;
  if (chunks_[chunk]->text.empty()) {
    ReplaceChunks(chunk, 1, {});
    return;
  }
  std::size_t left = chunk + 1 < chunks_.size() ? chunk : chunk - 1;
  Chunk& a = *chunks_[left];
  Chunk& b = *chunks_[left + 1];
  if (a.text.size() + b.text.size() > kMaxChunk) return;
  a.text += b.text;
  a.Recount();
  chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(left + 1));
  RebuildTree();
}

void TTextBuffer::ReplaceChunks(std::size_t first, std::size_t count,
                                std::vector<std::unique_ptr<Chunk>>&& replacement) {
  auto at = chunks_.begin() + static_cast<std::ptrdiff_t>(first);
  at = chunks_.erase(at, at + static_cast<std::ptrdiff_t>(count));
  chunks_.insert(at, std::make_move_iterator(replacement.begin()),
                 std::make_move_iterator(replacement.end()));
  if (chunks_.empty()) chunks_.push_back(std::make_unique<Chunk>());
  RebuildTree();
}

void TTextBuffer::AppendRange(std::size_t byte, std::size_t length, std::string& out) const {
  VisitRange(byte, length, [&out](const char* data, std::size_t size) {
    out.append(data, size);
    return true;
  });
}

void TTextBuffer::AppendRange(std::size_t byte, std::size_t length, std::string& out,
                              TReadCursor& cursor) const {
  constexpr std::size_t kMaxChunksToStep = 16;
  if (byte >= ByteCount() || length == 0) return;
  length = std::min(length, ByteCount() - byte);
  std::size_t c = cursor.chunk, base = cursor.base;
  std::size_t stepped = 0;
  if (c < chunks_.size() && byte >= base) {
    while (byte >= base + chunks_[c]->text.size() && c + 1 < chunks_.size() &&
           stepped++ < kMaxChunksToStep) {
      base += chunks_[c]->text.size();
      ++c;
    }
  }
  if (c >= chunks_.size() || byte < base || byte >= base + chunks_[c]->text.size()) {
    const Found f = FindByte(byte);
    c = f.chunk;
    base = static_cast<std::size_t>(f.before.bytes);
  }
  while (length > 0) {
    const std::string& t = chunks_[c]->text;
    const std::size_t n = std::min(length, t.size() - (byte - base));
    out.append(t, byte - base, n);
    byte += n;
    length -= n;
    if (byte >= base + t.size() && c + 1 < chunks_.size()) {
      base += t.size();
      ++c;
    }
  }
  cursor = {c, base};
}

std::string TTextBuffer::Range(std::size_t byte, std::size_t length) const {
  std::string out;
  AppendRange(byte, length, out);
  return out;
}

char TTextBuffer::ByteAt(std::size_t byte) const {
  if (byte >= ByteCount()) return '\0';
  Found f = FindByte(byte);
  return chunks_[f.chunk]->text[byte - static_cast<std::size_t>(f.before.bytes)];
}

std::size_t TTextBuffer::LineStart(std::size_t line) const {
  if (line == 0) return 0;
  line = std::min(line, LineCount() - 1);
  Found f = Find(Key::Lines, static_cast<std::int64_t>(line - 1));
  const Chunk& c = *chunks_[f.chunk];
  return static_cast<std::size_t>(f.before.bytes) +
         c.breaks[line - 1 - static_cast<std::size_t>(f.before.lines)] + 1;
}

std::size_t TTextBuffer::LineEnd(std::size_t line) const {
  if (line + 1 >= LineCount()) return ByteCount();
  Found f = Find(Key::Lines, static_cast<std::int64_t>(line));
  const Chunk& c = *chunks_[f.chunk];
  return static_cast<std::size_t>(f.before.bytes) +
         c.breaks[line - static_cast<std::size_t>(f.before.lines)];
}

std::size_t TTextBuffer::LineOfByte(std::size_t byte) const {
  Found f = FindByte(byte);
  const Chunk& c = *chunks_[f.chunk];
  std::size_t offset = std::min(byte, ByteCount()) - static_cast<std::size_t>(f.before.bytes);
  auto it = std::lower_bound(c.breaks.begin(), c.breaks.end(), offset);
  return static_cast<std::size_t>(f.before.lines) + static_cast<std::size_t>(it - c.breaks.begin());
}

std::string TTextBuffer::Line(std::size_t line) const {
  std::size_t start = LineStart(line);
  return Range(start, LineEnd(line) - start);
}

std::size_t TTextBuffer::LineChars(std::size_t line) const {
  const TCharSpan span = LineCharSpan(line);
  return span.end - span.start;
}

std::size_t TTextBuffer::CharsBefore(const Chunk& c, std::size_t offset) {
  if (c.IsAscii()) return offset;
  if (offset <= c.text.size() / 2) return utf8::CountChars(c.text.data(), offset);
  return c.chars - utf8::CountChars(c.text.data() + offset, c.text.size() - offset);
}

std::size_t TTextBuffer::AdvanceInChunk(const Chunk& c, std::size_t offset, std::size_t chars) {
  if (c.IsAscii()) return std::min(offset + chars, c.text.size());
  return offset + utf8::AdvanceChars(c.text.data() + offset, c.text.size() - offset, chars);
}

std::size_t TTextBuffer::CharsBetween(const Chunk& c, std::size_t from, std::size_t to) {
  if (c.IsAscii()) return to - from;
  return utf8::CountChars(c.text.data() + from, to - from);
}

TTextBuffer::LineInChunk TTextBuffer::LocateLine(std::size_t line) const {
  LineInChunk result;
  line = std::min(line, LineCount() - 1);
  std::size_t next = 0;  // index in the chunk's breaks of the break that ends the line
  if (line == 0) {
    result.found = {0, Sums{}};
  } else {
    result.found = Find(Key::Lines, static_cast<std::int64_t>(line - 1));
    const std::size_t k = line - 1 - static_cast<std::size_t>(result.found.before.lines);
    result.start = chunks_[result.found.chunk]->breaks[k] + 1;
    next = k + 1;
  }
  const Chunk& c = *chunks_[result.found.chunk];
  if (next < c.breaks.size()) {
    result.end = c.breaks[next];
    result.whole = true;
  } else if (line + 1 == LineCount() && result.found.chunk + 1 == chunks_.size()) {
    result.end = c.text.size();  // the last line ends with the text
    result.whole = true;
  }
  return result;
}

TTextBuffer::TCharSpan TTextBuffer::LineCharSpan(std::size_t line) const {
  const LineInChunk at = LocateLine(line);
  if (!at.whole) return {CharIndex(LineStart(line)), CharIndex(LineEnd(line))};
  const Chunk& c = *chunks_[at.found.chunk];
  const std::size_t start =
      static_cast<std::size_t>(at.found.before.chars) + CharsBefore(c, at.start);
  return {start, start + CharsBetween(c, at.start, at.end)};
}

std::size_t TTextBuffer::ByteInLine(std::size_t line, std::size_t column) const {
  const LineInChunk at = LocateLine(line);
  if (!at.whole) {
    return std::min(ByteOfChar(CharIndex(LineStart(line)) + column), LineEnd(line));
  }
  const Chunk& c = *chunks_[at.found.chunk];
  const std::size_t room = at.end - at.start;  // at least the line's characters
  const std::size_t offset =
      column >= room ? at.end : std::min(AdvanceInChunk(c, at.start, column), at.end);
  return static_cast<std::size_t>(at.found.before.bytes) + offset;
}

TTextBuffer::TLineColumn TTextBuffer::LineColumnOfByte(std::size_t byte) const {
  byte = std::min(byte, ByteCount());
  const Found f = FindByte(byte);
  const Chunk& c = *chunks_[f.chunk];
  std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  while (offset > 0 && offset < c.text.size() &&
         utf8::IsContinuation(static_cast<unsigned char>(c.text[offset])))
    --offset;
  const auto k = static_cast<std::size_t>(
      std::lower_bound(c.breaks.begin(), c.breaks.end(), offset) - c.breaks.begin());
  const std::size_t line = static_cast<std::size_t>(f.before.lines) + k;
  if (k > 0) return {line, CharsBetween(c, c.breaks[k - 1] + 1u, offset)};
  // The line started in an earlier chunk.
  const std::size_t boundary = static_cast<std::size_t>(f.before.bytes) + offset;
  return {line, CharIndex(boundary) - CharIndex(LineStart(line))};
}

std::size_t TTextBuffer::CharIndex(std::size_t byte) const {
  Found f = FindByte(byte);
  std::size_t offset = std::min(byte, ByteCount()) - static_cast<std::size_t>(f.before.bytes);
  return static_cast<std::size_t>(f.before.chars) + CharsBefore(*chunks_[f.chunk], offset);
}

std::size_t TTextBuffer::ByteOfChar(std::size_t charIndex) const {
  charIndex = std::min(charIndex, CharCount());
  Found f = Find(Key::Chars, static_cast<std::int64_t>(charIndex));
  return static_cast<std::size_t>(f.before.bytes) +
         AdvanceInChunk(*chunks_[f.chunk], 0, charIndex - static_cast<std::size_t>(f.before.chars));
}

std::size_t TTextBuffer::ByteOfOffset(std::size_t offset) const {
  offset = std::min(offset, OffsetCount());
  Found f = Find(Key::Offsets, static_cast<std::int64_t>(offset));
  const Chunk& c = *chunks_[f.chunk];
  const std::size_t base = static_cast<std::size_t>(f.before.bytes);
  std::size_t r = offset - static_cast<std::size_t>(f.before.chars + f.before.lines);
  if (c.IsAscii()) {
    // Break k sits at units [breaks[k] + k, breaks[k] + k + 2).
    std::size_t k = 0, hi = c.breaks.size();
    while (k < hi) {
      std::size_t mid = (k + hi) / 2;
      if (c.breaks[mid] + mid + 2 <= r) {
        k = mid + 1;
      } else {
        hi = mid;
      }
    }
    std::size_t pos = r - k;
    if (k < c.breaks.size() && pos > c.breaks[k]) pos = c.breaks[k];
    return base + std::min(pos, c.text.size());
  }
  std::size_t segment = 0;
  for (std::size_t k = 0;; ++k) {
    std::size_t segmentEnd = k < c.breaks.size() ? c.breaks[k] : c.text.size();
    std::size_t skipped = 0;
    std::size_t pos =
        segment + utf8::AdvanceChars(c.text.data() + segment, segmentEnd - segment, r, &skipped);
    if (skipped == r || k == c.breaks.size()) return base + pos;
    r -= skipped;
    if (r < 2) return base + segmentEnd;  // at or inside the break
    r -= 2;
    segment = segmentEnd + 1;
  }
}

std::size_t TTextBuffer::CharBoundary(std::size_t byte) const {
  if (byte >= ByteCount()) return ByteCount();
  Found f = FindByte(byte);
  const std::string& t = chunks_[f.chunk]->text;
  std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  while (offset > 0 && utf8::IsContinuation(static_cast<unsigned char>(t[offset]))) --offset;
  return static_cast<std::size_t>(f.before.bytes) + offset;
}

std::size_t TTextBuffer::NextChar(std::size_t byte) const {
  if (byte >= ByteCount()) return ByteCount();
  Found f = FindByte(byte);
  const std::string& t = chunks_[f.chunk]->text;
  std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  std::size_t len = utf8::SequenceLength(t.data() + offset, t.size() - offset);
  return byte + std::max<std::size_t>(len, 1);
}

std::size_t TTextBuffer::PrevChar(std::size_t byte) const {
  if (byte == 0) return 0;
  return CharBoundary(std::min(byte, ByteCount()) - 1);
}

char32_t TTextBuffer::CharAt(std::size_t byte) const {
  if (byte >= ByteCount()) return 0;
  Found f = FindByte(byte);
  const std::string& t = chunks_[f.chunk]->text;
  std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  std::size_t len = 0;
  return utf8::Decode(t.data() + offset, t.size() - offset, len);
}

std::size_t TTextBuffer::MemoryUsage() const {
  std::size_t total = chunks_.capacity() * sizeof(void*) + tree_.capacity() * sizeof(Sums);
  for (const auto& c : chunks_) {
    total += sizeof(Chunk) + c->text.capacity() + 1 + c->breaks.capacity() * sizeof(std::uint16_t);
  }
  return total;
}

bool TTextBuffer::CheckIntegrity() const {
  Sums sum;
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    const Chunk& c = *chunks_[i];
    if (chunks_.size() > 1 && c.text.empty()) return false;
    if (c.text.size() > kMaxChunk * 2) return false;
    if (!utf8::IsValid(c.text)) return false;
    if (c.text.find('\r') != std::string::npos) return false;
    std::vector<std::uint16_t> breaks;
    AppendBreaks(c.text.data(), c.text.size(), 0, breaks);
    if (breaks != c.breaks || c.chars != utf8::CountChars(c.text)) return false;
    sum += SumsOf(c);
    Found f = Find(Key::Bytes, sum.bytes - static_cast<std::int64_t>(c.text.size()));
    if (!c.text.empty() && f.chunk != i) return false;
  }
  return sum.bytes == total_.bytes && sum.chars == total_.chars && sum.lines == total_.lines;
}

}  // namespace tervil
