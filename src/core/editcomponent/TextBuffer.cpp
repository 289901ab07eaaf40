#include "core/editcomponent/TextBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "core/common/Utf8.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervil {

namespace {

// Chunks are filled to kTargetChunk bytes, split when an insertion would pass kMaxChunk, and
// merged with a neighbour when they shrink below kMinChunk.
constexpr std::size_t kTargetChunk = 4096;
constexpr std::size_t kMaxChunk = 8192;
constexpr std::size_t kMinChunk = 1024;
static_assert(kMaxChunk <= TLineBreakBits::kMaxBytes, "a chunk's breaks must fit its bitmap");
// Inserted texts at least this long are kept whole and shared by their chunks.
constexpr std::size_t kShareAtLeast = 64 * 1024;
// What the allocator adds to every block it hands out (a size word, rounded to 16 bytes).
constexpr std::size_t kAllocationOverhead = 16;

// Maps the pages of a fresh allocation at once. Touching them one by one costs a page fault
// each, several times more than this on a virtual machine; on a kernel without
// MADV_POPULATE_WRITE (Linux 5.14) the pages are simply mapped on first touch.
void MapPages(void* data, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
  constexpr std::size_t kWorthIt = 1 << 20;
  if (bytes < kWorthIt) return;
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto from = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const auto to = (reinterpret_cast<std::uintptr_t>(data) + bytes) / page * page;
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
  (void)data;
  (void)bytes;
#endif
}

std::size_t HeapBlock(std::size_t bytes) {
  return bytes == 0 ? 0 : (bytes + kAllocationOverhead + 15) / 16 * 16;
}

}  // namespace

// Cuts a sequence of normalised pieces into chunks of kTargetChunk bytes at character
// boundaries.
class TTextBuffer::ChunkBuilder {
 public:
  explicit ChunkBuilder(std::vector<Chunk>& out, std::size_t target = kTargetChunk)
      : out_(out), target_(std::clamp<std::size_t>(target, 1, kTargetChunk)) {}

  // A builder that cuts `total` bytes into equal chunks of at most kTargetChunk bytes, so
  // that splitting a full chunk leaves no tiny one behind.
  static ChunkBuilder Even(std::vector<Chunk>& out, std::size_t total) {
    const std::size_t pieces = (total + kTargetChunk - 1) / kTargetChunk;
    out.reserve(out.size() + pieces);
    return ChunkBuilder(out, pieces > 0 ? (total + pieces - 1) / pieces : kTargetChunk);
  }

  void Append(std::string_view s) {
    while (!s.empty()) {
      std::string& text = current_.own;
      if (text.capacity() < target_) text.reserve(target_);
      const std::size_t space = target_ - text.size();
      if (s.size() <= space) {
        text.append(s);
        return;
      }
      std::size_t cut = space;
      while (cut > 0 && utf8::IsContinuation(static_cast<unsigned char>(s[cut]))) --cut;
      text.append(s.substr(0, cut));
      s.remove_prefix(cut);
      Finish();
    }
  }

  void Finish() {
    if (!current_.own.empty()) {
      current_.Recount();
      out_.push_back(std::move(current_));
    }
    current_ = Chunk{};
  }

 private:
  std::vector<Chunk>& out_;
  std::size_t target_;
  Chunk current_;
};

void TTextBuffer::Chunk::Recount() {
  if (!borrowed) size = static_cast<std::uint32_t>(own.size());
  chars = static_cast<std::uint32_t>(breaks.Build(Text()).chars);
}

TTextBuffer::TTextBuffer() {
  Assign({});
}
TTextBuffer::~TTextBuffer() {
  if (guard_) guard_(true);
}

void TTextBuffer::BeforeChange() {
  ++changeCount_;
  if (guard_) guard_(false);
}

TTextBuffer::Sums TTextBuffer::SumsOf(const Chunk& c) {
  return {static_cast<std::int64_t>(c.Size()), static_cast<std::int64_t>(c.chars),
          static_cast<std::int64_t>(c.breaks.Count())};
}

void TTextBuffer::RebuildStarts(std::size_t first) {
  starts_.Rebuild(first, chunks_.size(), [this](std::size_t i) {
    const Sums s = SumsOf(chunks_[i]);
    return TChunkStarts::TCounts{s.bytes, s.chars, s.lines, s.chars + s.lines};
  });
  total_ = StartOf(chunks_.size());
}

void TTextBuffer::ShiftStarts(std::size_t chunk, const Sums& delta) {
  starts_.Shift(chunk, {delta.bytes, delta.chars, delta.lines, delta.chars + delta.lines});
  total_ += delta;
}

TTextBuffer::Found TTextBuffer::Find(Key key, std::int64_t target) const {
  const std::size_t chunk = std::min(starts_.LastAtMost(key, target), chunks_.size() - 1);
  return {chunk, StartOf(chunk)};
}

TTextBuffer::Found TTextBuffer::FindByte(std::size_t byte) const {
  return Find(TChunkStarts::kBytes, static_cast<std::int64_t>(std::min(byte, ByteCount())));
}

void TTextBuffer::Assign(std::string_view text) {
  AssignOwned(std::string(text));
}

void TTextBuffer::AssignOwned(std::string&& text) {
  BeforeChange();
  chunks_.clear();
  borrowingChunks_ = 0;
  loaded_ = std::move(text);
  if (!BorrowLoaded(chunks_)) {
    // Damaged bytes or CR breaks: normalise once, then borrow from the normalised text.
    chunks_.clear();
    std::string normalized;
    normalized.reserve(loaded_.size());
    MapPages(normalized.data(), normalized.capacity());
    utf8::NormalizeAppend(loaded_, normalized);
    loaded_ = std::move(normalized);
    BorrowLoaded(chunks_);
  }
  borrowingChunks_ = chunks_.size();
  if (chunks_.empty()) {
    ReleaseLoaded();
    chunks_.emplace_back();
    chunks_.back().Recount();
  }
  RebuildStarts(0);
}

bool TTextBuffer::BorrowLoaded(std::vector<Chunk>& out) {
  const std::string_view text(loaded_);
  const std::size_t maxChunks = text.size() / (kTargetChunk - 3) + 1;
  // Each chunk rounds its bits up to a whole word.
  loadedBitsWords_ = text.size() / 64 + maxChunks + 1;
  loadedBits_ = std::make_unique_for_overwrite<std::uint64_t[]>(loadedBitsWords_);
  MapPages(loadedBits_.get(), loadedBitsWords_ * sizeof(std::uint64_t));
  out.reserve(out.size() + maxChunks);
  MapPages(out.data() + out.size(), (out.capacity() - out.size()) * sizeof(Chunk));
  std::size_t i = 0, words = 0;
  while (i < text.size()) {
    std::size_t end = std::min(text.size(), i + kTargetChunk);
    if (text.size() - end < kTargetChunk / 2) {
      end = text.size();  // no tiny chunk at the end
    } else {
      while (end > i + 1 && utf8::IsContinuation(static_cast<unsigned char>(text[end]))) --end;
    }
    Chunk& c = out.emplace_back();
    c.borrowed = text.data() + i;
    c.size = static_cast<std::uint32_t>(end - i);
    const TLineBreakBits::TFacts facts = c.breaks.Build(c.Text(), loadedBits_.get() + words);
    if (facts.carriageReturn || (!facts.ascii && !utf8::IsValid(c.Text()))) return false;
    c.chars = static_cast<std::uint32_t>(facts.chars);
    words += TLineBreakBits::WordsFor(c.size);
    i = end;
  }
  return true;
}

void TTextBuffer::ReleaseLoaded() {
  std::string().swap(loaded_);
  loadedBits_.reset();
  loadedBitsWords_ = 0;
}

std::string& TTextBuffer::Own(Chunk& c) {
  if (c.borrowed) {
    c.own.assign(c.borrowed, c.size);
    c.borrowed = nullptr;
    if (--borrowingChunks_ == 0) ReleaseLoaded();  // the chunk's bits are rebuilt next
  }
  return c.own;
}

std::string TTextBuffer::Text(std::string_view lineBreak) const {
  std::string out;
  out.reserve(ByteCount() - (LineCount() - 1) + (LineCount() - 1) * lineBreak.size());
  for (const Chunk& chunk : chunks_) {
    const std::string_view text = chunk.Text();
    if (lineBreak == "\n") {
      out.append(text);
      continue;
    }
    std::size_t start = 0;
    for (std::size_t b = chunk.breaks.Next(0); b != TLineBreakBits::npos;
         b = chunk.breaks.Next(b + 1)) {
      out.append(text.substr(start, b - start));
      out.append(lineBreak);
      start = b + 1;
    }
    out.append(text.substr(start));
  }
  return out;
}

std::size_t TTextBuffer::Insert(std::size_t byte, std::string_view text) {
  BeforeChange();
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
  BeforeChange();
  byte = CharBoundary(byte);
  const Found f = FindByte(byte);
  Chunk& c = chunks_[f.chunk];
  const std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  if (c.Size() + s.size() <= kMaxChunk) {
    const Sums old = SumsOf(c);
    Own(c).insert(offset, s);
    c.Recount();
    ShiftStarts(f.chunk, SumsOf(c) - old);
    return;
  }
  std::vector<Chunk> fresh;
  ChunkBuilder builder = ChunkBuilder::Even(fresh, c.Size() + s.size());
  const std::string_view whole = c.Text();
  builder.Append(whole.substr(0, offset));
  builder.Append(s);
  builder.Append(whole.substr(offset));
  builder.Finish();
  ReplaceChunks(f.chunk, 1, std::move(fresh));
}

bool TTextBuffer::InsertOwned(std::size_t byte, std::string& text) {
  BeforeChange();
  // Small texts are copied; so is a text while chunks still share an earlier one.
  if (text.size() < kShareAtLeast || borrowingChunks_ > 0) {
    InsertNormalized(byte, text);
    return false;
  }
  byte = CharBoundary(byte);
  const Found f = FindByte(byte);
  const std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  std::vector<Chunk> fresh;
  const std::string_view whole = chunks_[f.chunk].Text();
  {
    ChunkBuilder head = ChunkBuilder::Even(fresh, offset);
    head.Append(whole.substr(0, offset));
    head.Finish();
  }
  loaded_ = std::move(text);
  text.clear();
  const std::size_t first = fresh.size();
  BorrowLoaded(fresh);
  borrowingChunks_ = fresh.size() - first;
  ChunkBuilder tail = ChunkBuilder::Even(fresh, whole.size() - offset);
  tail.Append(whole.substr(offset));
  tail.Finish();
  ReplaceChunks(f.chunk, 1, std::move(fresh));
  return true;
}

std::string TTextBuffer::Extract(std::size_t byte, std::size_t length) {
  BeforeChange();
  byte = CharBoundary(byte);
  if (byte >= ByteCount() || length == 0) return {};
  length = CharBoundary(byte + std::min(length, ByteCount() - byte)) - byte;
  if (length == 0) return {};
  const Found first = FindByte(byte);
  const Found last = Find(TChunkStarts::kBytes, static_cast<std::int64_t>(byte + length - 1));
  if (!CoversSharedText(first.chunk, last.chunk, length)) {
    std::string removed = Range(byte, length);
    Erase(byte, length);
    return removed;
  }
  // Every chunk that shares the loaded text lies in the range: the removed text is the loaded
  // text's middle, kept without a copy.
  const std::size_t offset = byte - static_cast<std::size_t>(first.before.bytes);
  const std::size_t lastOffset = byte + length - static_cast<std::size_t>(last.before.bytes);
  const std::string_view head = chunks_[first.chunk].Text().substr(0, offset);
  const std::string_view tail = chunks_[last.chunk].Text().substr(lastOffset);
  const std::size_t start = static_cast<std::size_t>(head.data() + head.size() - loaded_.data());
  std::vector<Chunk> fresh;
  ChunkBuilder builder = ChunkBuilder::Even(fresh, head.size() + tail.size());
  builder.Append(head);
  builder.Append(tail);
  builder.Finish();
  for (std::size_t i = first.chunk; i <= last.chunk; ++i) chunks_[i].borrowed = nullptr;
  borrowingChunks_ = 0;
  std::string removed = std::move(loaded_);
  loaded_ = std::string();
  removed.resize(start + length);
  removed.erase(0, start);
  ReplaceChunks(first.chunk, last.chunk - first.chunk + 1, std::move(fresh));
  return removed;
}

bool TTextBuffer::CoversSharedText(std::size_t first, std::size_t last, std::size_t length) const {
  // Only worth it when the removed text is most of the loaded text: the rest stays allocated.
  if (borrowingChunks_ != last - first + 1 || length < loaded_.size() / 4 * 3) return false;
  for (std::size_t i = first; i <= last; ++i) {
    const Chunk& c = chunks_[i];
    if (!c.borrowed) return false;
    if (i > first && c.borrowed != chunks_[i - 1].borrowed + chunks_[i - 1].size) return false;
  }
  return true;
}

void TTextBuffer::Erase(std::size_t byte, std::size_t length) {
  BeforeChange();
  byte = CharBoundary(byte);
  if (byte >= ByteCount() || length == 0) return;
  length = CharBoundary(byte + std::min(length, ByteCount() - byte)) - byte;
  if (length == 0) return;
  const Found first = FindByte(byte);
  const std::size_t offset = byte - static_cast<std::size_t>(first.before.bytes);
  if (offset + length <= chunks_[first.chunk].Size()) {
    EraseInChunk(first.chunk, offset, length);
    return;
  }
  const Found last = Find(TChunkStarts::kBytes, static_cast<std::int64_t>(byte + length - 1));
  const std::size_t lastOffset = byte + length - static_cast<std::size_t>(last.before.bytes);
  const std::string_view head = chunks_[first.chunk].Text().substr(0, offset);
  const std::string_view tail = chunks_[last.chunk].Text().substr(lastOffset);
  std::vector<Chunk> fresh;
  ChunkBuilder builder = ChunkBuilder::Even(fresh, head.size() + tail.size());
  builder.Append(head);
  builder.Append(tail);
  builder.Finish();
  ReplaceChunks(first.chunk, last.chunk - first.chunk + 1, std::move(fresh));
}

void TTextBuffer::EraseInChunk(std::size_t chunk, std::size_t offset, std::size_t length) {
  Chunk& c = chunks_[chunk];
  const Sums old = SumsOf(c);
  Own(c).erase(offset, length);
  c.Recount();
  ShiftStarts(chunk, SumsOf(c) - old);
  if (c.Size() < kMinChunk) MergeSmall(chunk);
}

void TTextBuffer::MergeSmall(std::size_t chunk) {
  if (chunks_.size() < 2) return;
  if (chunks_[chunk].Size() == 0) {
    ReplaceChunks(chunk, 1, {});
    return;
  }
  const std::size_t left = chunk + 1 < chunks_.size() ? chunk : chunk - 1;
  Chunk& a = chunks_[left];
  const Chunk& b = chunks_[left + 1];
  if (a.Size() + b.Size() > kMaxChunk) return;
  Own(a).append(b.Text());  // b still borrows, if it did: the loaded text stays
  a.Recount();
  ReplaceChunks(left + 1, 1, {});
  RebuildStarts(left);
}

void TTextBuffer::ReplaceChunks(std::size_t first, std::size_t count,
                                std::vector<Chunk>&& replacement) {
  const auto at = chunks_.begin() + static_cast<std::ptrdiff_t>(first);
  const auto removedEnd = at + static_cast<std::ptrdiff_t>(count);
  borrowingChunks_ -= static_cast<std::size_t>(
      std::count_if(at, removedEnd, [](const Chunk& c) { return c.borrowed != nullptr; }));
  chunks_.insert(chunks_.erase(at, removedEnd), std::make_move_iterator(replacement.begin()),
                 std::make_move_iterator(replacement.end()));
  if (borrowingChunks_ == 0) ReleaseLoaded();
  if (chunks_.empty()) {
    chunks_.emplace_back();
    chunks_.back().Recount();
  }
  RebuildStarts(first);
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
    while (byte >= base + chunks_[c].Size() && c + 1 < chunks_.size() &&
           stepped++ < kMaxChunksToStep) {
      base += chunks_[c].Size();
      ++c;
    }
  }
  if (c >= chunks_.size() || byte < base || byte >= base + chunks_[c].Size()) {
    const Found f = FindByte(byte);
    c = f.chunk;
    base = static_cast<std::size_t>(f.before.bytes);
  }
  while (length > 0) {
    const std::string_view t = chunks_[c].Text();
    const std::size_t n = std::min(length, t.size() - (byte - base));
    out.append(t.substr(byte - base, n));
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
  out.reserve(std::min(length, ByteCount() - std::min(byte, ByteCount())));
  AppendRange(byte, length, out);
  return out;
}

char TTextBuffer::ByteAt(std::size_t byte) const {
  if (byte >= ByteCount()) return '\0';
  const Found f = FindByte(byte);
  return chunks_[f.chunk].Text()[byte - static_cast<std::size_t>(f.before.bytes)];
}

std::size_t TTextBuffer::LineStart(std::size_t line) const {
  if (line == 0) return 0;
  line = std::min(line, LineCount() - 1);
  // Only the chunk's line and byte starts are read (a random place misses the cache for each).
  const std::size_t chunk =
      std::min(starts_.LastAtMost(TChunkStarts::kLines, static_cast<std::int64_t>(line - 1)),
               chunks_.size() - 1);
  const auto linesBefore = static_cast<std::size_t>(starts_.At(TChunkStarts::kLines, chunk));
  return static_cast<std::size_t>(starts_.At(TChunkStarts::kBytes, chunk)) +
         chunks_[chunk].breaks.Select(line - 1 - linesBefore) + 1;
}

std::size_t TTextBuffer::LineEnd(std::size_t line) const {
  if (line + 1 >= LineCount()) return ByteCount();
  const Found f = Find(TChunkStarts::kLines, static_cast<std::int64_t>(line));
  return static_cast<std::size_t>(f.before.bytes) +
         chunks_[f.chunk].breaks.Select(line - static_cast<std::size_t>(f.before.lines));
}

std::size_t TTextBuffer::LineOfByte(std::size_t byte) const {
  byte = std::min(byte, ByteCount());
  const std::size_t chunk =
      std::min(starts_.LastAtMost(TChunkStarts::kBytes, static_cast<std::int64_t>(byte)),
               chunks_.size() - 1);
  const auto bytesBefore = static_cast<std::size_t>(starts_.At(TChunkStarts::kBytes, chunk));
  return static_cast<std::size_t>(starts_.At(TChunkStarts::kLines, chunk)) +
         chunks_[chunk].breaks.Rank(byte - bytesBefore);
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
  const std::string_view t = c.Text();
  if (offset <= t.size() / 2) return utf8::CountChars(t.data(), offset);
  return c.chars - utf8::CountChars(t.data() + offset, t.size() - offset);
}

std::size_t TTextBuffer::AdvanceInChunk(const Chunk& c, std::size_t offset, std::size_t chars) {
  if (c.IsAscii()) return std::min(offset + chars, c.Size());
  const std::string_view t = c.Text();
  return offset + utf8::AdvanceChars(t.data() + offset, t.size() - offset, chars);
}

std::size_t TTextBuffer::CharsBetween(const Chunk& c, std::size_t from, std::size_t to) {
  if (c.IsAscii()) return to - from;
  return utf8::CountChars(c.Text().data() + from, to - from);
}

TTextBuffer::LineInChunk TTextBuffer::LocateLine(std::size_t line) const {
  LineInChunk result;
  line = std::min(line, LineCount() - 1);
  if (line == 0) {
    result.found = {0, Sums{}};
  } else {
    result.found = Find(TChunkStarts::kLines, static_cast<std::int64_t>(line - 1));
    const std::size_t k = line - 1 - static_cast<std::size_t>(result.found.before.lines);
    result.start = chunks_[result.found.chunk].breaks.Select(k) + 1;
  }
  const Chunk& c = chunks_[result.found.chunk];
  const std::size_t next = c.breaks.Next(result.start);
  if (next != TLineBreakBits::npos) {
    result.end = next;
    result.whole = true;
  } else if (line + 1 == LineCount() && result.found.chunk + 1 == chunks_.size()) {
    result.end = c.Size();  // the last line ends with the text
    result.whole = true;
  }
  return result;
}

TTextBuffer::TCharSpan TTextBuffer::LineCharSpan(std::size_t line) const {
  const LineInChunk at = LocateLine(line);
  if (!at.whole) return {CharIndex(LineStart(line)), CharIndex(LineEnd(line))};
  const Chunk& c = chunks_[at.found.chunk];
  const std::size_t start =
      static_cast<std::size_t>(at.found.before.chars) + CharsBefore(c, at.start);
  return {start, start + CharsBetween(c, at.start, at.end)};
}

std::size_t TTextBuffer::ByteInLine(std::size_t line, std::size_t column) const {
  const LineInChunk at = LocateLine(line);
  if (!at.whole) {
    return std::min(ByteOfChar(CharIndex(LineStart(line)) + column), LineEnd(line));
  }
  const Chunk& c = chunks_[at.found.chunk];
  const std::size_t room = at.end - at.start;  // at least the line's characters
  const std::size_t offset =
      column >= room ? at.end : std::min(AdvanceInChunk(c, at.start, column), at.end);
  return static_cast<std::size_t>(at.found.before.bytes) + offset;
}

TTextBuffer::TLineColumn TTextBuffer::LineColumnOfByte(std::size_t byte) const {
  byte = std::min(byte, ByteCount());
  const Found f = FindByte(byte);
  return LineColumnInChunk(f, byte - static_cast<std::size_t>(f.before.bytes));
}

TTextBuffer::TLineColumn TTextBuffer::LineColumnOfOffset(std::size_t offset) const {
  offset = std::min(offset, OffsetCount());
  const Found f = Find(TChunkStarts::kOffsets, static_cast<std::int64_t>(offset));
  return LineColumnInChunk(f, ByteOfOffsetInChunk(f, offset));
}

TTextBuffer::TLineColumn TTextBuffer::LineColumnInChunk(const Found& f, std::size_t offset) const {
  const Chunk& c = chunks_[f.chunk];
  if (!c.IsAscii()) {
    const std::string_view t = c.Text();
    while (offset > 0 && offset < t.size() &&
           utf8::IsContinuation(static_cast<unsigned char>(t[offset])))
      --offset;
  }
  const std::size_t line = static_cast<std::size_t>(f.before.lines) + c.breaks.Rank(offset);
  const std::size_t previous = c.breaks.Prev(offset);
  if (previous != TLineBreakBits::npos) return {line, CharsBetween(c, previous + 1, offset)};
  // The line started in an earlier chunk.
  const std::size_t boundary = static_cast<std::size_t>(f.before.bytes) + offset;
  return {line, CharIndex(boundary) - CharIndex(LineStart(line))};
}

std::size_t TTextBuffer::CharIndex(std::size_t byte) const {
  const Found f = FindByte(byte);
  const std::size_t offset = std::min(byte, ByteCount()) - static_cast<std::size_t>(f.before.bytes);
  return static_cast<std::size_t>(f.before.chars) + CharsBefore(chunks_[f.chunk], offset);
}

std::size_t TTextBuffer::ByteOfChar(std::size_t charIndex) const {
  charIndex = std::min(charIndex, CharCount());
  const Found f = Find(TChunkStarts::kChars, static_cast<std::int64_t>(charIndex));
  return static_cast<std::size_t>(f.before.bytes) +
         AdvanceInChunk(chunks_[f.chunk], 0, charIndex - static_cast<std::size_t>(f.before.chars));
}

std::size_t TTextBuffer::ByteOfOffset(std::size_t offset) const {
  offset = std::min(offset, OffsetCount());
  const Found f = Find(TChunkStarts::kOffsets, static_cast<std::int64_t>(offset));
  return static_cast<std::size_t>(f.before.bytes) + ByteOfOffsetInChunk(f, offset);
}

std::size_t TTextBuffer::ByteOfOffsetInChunk(const Found& f, std::size_t offset) const {
  const Chunk& c = chunks_[f.chunk];
  std::size_t r = offset - static_cast<std::size_t>(f.before.chars + f.before.lines);
  if (c.IsAscii()) return c.breaks.OffsetOfAsciiUnits(r, c.Size());
  // Walk the lines of the chunk: each break counts two units.
  const std::string_view t = c.Text();
  std::size_t segment = 0;
  for (;;) {
    const std::size_t next = c.breaks.Next(segment);
    const std::size_t segmentEnd = next == TLineBreakBits::npos ? t.size() : next;
    std::size_t skipped = 0;
    const std::size_t pos =
        segment + utf8::AdvanceChars(t.data() + segment, segmentEnd - segment, r, &skipped);
    if (skipped == r || next == TLineBreakBits::npos) return pos;
    r -= skipped;
    if (r < 2) return segmentEnd;  // at or inside the break
    r -= 2;
    segment = segmentEnd + 1;
  }
}

std::size_t TTextBuffer::CharBoundary(std::size_t byte) const {
  if (byte >= ByteCount()) return ByteCount();
  const Found f = FindByte(byte);
  const std::string_view t = chunks_[f.chunk].Text();
  std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  while (offset > 0 && utf8::IsContinuation(static_cast<unsigned char>(t[offset]))) --offset;
  return static_cast<std::size_t>(f.before.bytes) + offset;
}

std::size_t TTextBuffer::NextChar(std::size_t byte) const {
  if (byte >= ByteCount()) return ByteCount();
  const Found f = FindByte(byte);
  const std::string_view t = chunks_[f.chunk].Text();
  const std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  const std::size_t len = utf8::SequenceLength(t.data() + offset, t.size() - offset);
  return byte + std::max<std::size_t>(len, 1);
}

std::size_t TTextBuffer::PrevChar(std::size_t byte) const {
  if (byte == 0) return 0;
  return CharBoundary(std::min(byte, ByteCount()) - 1);
}

char32_t TTextBuffer::CharAt(std::size_t byte) const {
  if (byte >= ByteCount()) return 0;
  const Found f = FindByte(byte);
  const std::string_view t = chunks_[f.chunk].Text();
  const std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  std::size_t len = 0;
  return utf8::Decode(t.data() + offset, t.size() - offset, len);
}

std::size_t TTextBuffer::MemoryUsage() const {
  const std::size_t smallString = std::string().capacity();  // held inside the string itself
  auto stringHeap = [&](const std::string& s) {
    return s.capacity() > smallString ? HeapBlock(s.capacity() + 1) : 0;
  };
  std::size_t total = HeapBlock(chunks_.capacity() * sizeof(Chunk)) + stringHeap(loaded_) +
                      HeapBlock(loadedBitsWords_ * sizeof(std::uint64_t)) + starts_.MemoryUsage() +
                      8 * kAllocationOverhead;  // the starts' eight arrays
  for (const Chunk& c : chunks_) total += stringHeap(c.own) + HeapBlock(c.breaks.MemoryUsage());
  return total;
}

bool TTextBuffer::CheckIntegrity() const {
  Sums sum;
  std::size_t borrowing = 0;
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    const Chunk& c = chunks_[i];
    const std::string_view t = c.Text();
    if (chunks_.size() > 1 && t.empty()) return false;
    if (t.size() > kMaxChunk) return false;
    if (!utf8::IsValid(t) || t.find('\r') != std::string_view::npos) return false;
    if (c.borrowed) {
      ++borrowing;
      if (c.borrowed < loaded_.data() || c.borrowed + t.size() > loaded_.data() + loaded_.size())
        return false;
    }
    TLineBreakBits breaks;
    if (breaks.Build(t).chars != c.chars || !(breaks == c.breaks)) return false;
    if (!(StartOf(i) == sum)) return false;
    sum += SumsOf(c);
    if (!t.empty() && Find(TChunkStarts::kBytes, StartOf(i).bytes).chunk != i) return false;
  }
  return starts_.Count() == chunks_.size() && StartOf(chunks_.size()) == sum && sum == total_ &&
         borrowing == borrowingChunks_ &&
         (borrowing > 0 || (loaded_.capacity() <= std::string().capacity() && !loadedBits_));
}

}  // namespace tervil
