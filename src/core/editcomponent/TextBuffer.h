#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/editcomponent/ChunkStarts.h"
#include "core/editcomponent/LineBreakBits.h"

namespace tervil {

// The text of one document: valid UTF-8 with LF as the only line break, kept in chunks of a few
// kilobytes, each with a bitmap of its line breaks. The byte, character and line-break counts
// before every chunk (TChunkStarts) turn a position question (line start, character index,
// character offset) into one search of one small array and a few bit operations in one chunk.
// An edit changes one chunk and moves the starts after it.
//
// Units used here:
// - byte: an index into the UTF-8 text (always on a character boundary);
// - character index: code points before a byte, a line break counting one;
// - character offset: code points before a byte, a line break counting two (CR LF), as the
//   editor's callers count them;
// - line: counted from 0; the text always has at least one (possibly empty) line.
class TTextBuffer {
 public:
  TTextBuffer();
  ~TTextBuffer();
  TTextBuffer(const TTextBuffer&) = delete;
  TTextBuffer& operator=(const TTextBuffer&) = delete;

  // Replaces the whole text. CR LF, LF and CR all become line breaks; bytes that are not UTF-8
  // are taken as Latin-1 characters.
  void Assign(std::string_view text);
  // The same, keeping `text` itself when it is valid UTF-8 with LF breaks (no copy is made).
  void AssignOwned(std::string&& text);
  void Clear() { Assign({}); }
  // The whole text with `lineBreak` between lines (none after the last line).
  std::string Text(std::string_view lineBreak = "\r\n") const;

  std::size_t ByteCount() const { return static_cast<std::size_t>(total_.bytes); }
  std::size_t CharCount() const { return static_cast<std::size_t>(total_.chars); }
  std::size_t LineCount() const { return static_cast<std::size_t>(total_.lines) + 1; }
  // Character offset of the end of the text.
  std::size_t OffsetCount() const { return static_cast<std::size_t>(total_.chars + total_.lines); }

  // Inserts `text` (normalised like Assign) before `byte`; returns the bytes inserted.
  std::size_t Insert(std::size_t byte, std::string_view text);
  // Inserts text that is already valid UTF-8 with LF line breaks only.
  void InsertNormalized(std::size_t byte, std::string_view text);
  // The same for a long text the buffer may keep without a copy: returns true when it took the
  // text (then `text` is left empty and its bytes, still at the same address, belong to the
  // buffer), false when it inserted a copy.
  bool InsertOwned(std::size_t byte, std::string& text);
  // Removes `length` bytes from `byte` (clamped to the text).
  void Erase(std::size_t byte, std::size_t length);
  // The same, returning the removed text; when it is most of a loaded text that no other chunk
  // shares, that text is handed over without a copy.
  std::string Extract(std::size_t byte, std::size_t length);

  // Appends the bytes [byte, byte + length) to `out`.
  void AppendRange(std::size_t byte, std::size_t length, std::string& out) const;
  // Where the last of a series of ranges read in increasing order ended, so the next one is found
  // without walking the index (a replace-all copies millions of short gaps between matches).
  // Valid until the text changes.
  struct TReadCursor {
    std::size_t chunk = static_cast<std::size_t>(-1);
    std::size_t base = 0;  // byte of the chunk's start
  };
  void AppendRange(std::size_t byte, std::size_t length, std::string& out,
                   TReadCursor& cursor) const;
  std::string Range(std::size_t byte, std::size_t length) const;
  char ByteAt(std::size_t byte) const;
  // Calls `visit(const char* data, std::size_t size)` for the contiguous pieces of a range,
  // in order, until it returns false.
  template <typename Visit>
  void VisitRange(std::size_t byte, std::size_t length, Visit visit) const;

  std::size_t LineStart(std::size_t line) const;
  // Byte of the line's break, or ByteCount() for the last line.
  std::size_t LineEnd(std::size_t line) const;
  std::size_t LineOfByte(std::size_t byte) const;
  std::string Line(std::size_t line) const;
  std::size_t LineChars(std::size_t line) const;

  std::size_t CharIndex(std::size_t byte) const;
  std::size_t ByteOfChar(std::size_t charIndex) const;
  std::size_t OffsetOfByte(std::size_t byte) const { return CharIndex(byte) + LineOfByte(byte); }
  // The byte at a character offset; an offset between the CR and LF of a break, or past the
  // end, is clamped to the nearest earlier position.
  std::size_t ByteOfOffset(std::size_t offset) const;

  // The same answers in one walk of the index for the common case of a line that lies inside one
  // chunk (the editor turns positions into line and column on every caret move and edit):
  // the character indexes of a line's start and end (its break, or the end of the text);
  struct TCharSpan {
    std::size_t start = 0;
    std::size_t end = 0;
  };
  TCharSpan LineCharSpan(std::size_t line) const;
  // the byte `column` characters into a line, clamped to the line's end;
  std::size_t ByteInLine(std::size_t line, std::size_t column) const;
  // the line and the column in characters of the character boundary at or before `byte`.
  struct TLineColumn {
    std::size_t line = 0;
    std::size_t column = 0;
  };
  TLineColumn LineColumnOfByte(std::size_t byte) const;
  // The line and column of a character offset (clamped like ByteOfOffset).
  TLineColumn LineColumnOfOffset(std::size_t offset) const;

  // Byte of the character boundary at or before `byte`, clamped to the text.
  std::size_t CharBoundary(std::size_t byte) const;
  // Byte of the next / previous character boundary (clamped).
  std::size_t NextChar(std::size_t byte) const;
  std::size_t PrevChar(std::size_t byte) const;
  // Code point at `byte` (0 at the end of the text).
  char32_t CharAt(std::size_t byte) const;

  // Called before every change of the text and when the buffer is destroyed (with true), so
  // that a search reading the text on another thread can be stopped first. Empty for none.
  using TChangeGuard = std::function<void(bool destroyed)>;
  void SetChangeGuard(TChangeGuard guard) { guard_ = std::move(guard); }
  // Grows with every change of the text.
  std::uint64_t ChangeCount() const { return changeCount_; }

  // Heap bytes held by the text and its indexes, with an estimate of the allocator's overhead.
  std::size_t MemoryUsage() const;
  // Recomputes every count and compares it with the indexes (for tests).
  bool CheckIntegrity() const;

 private:
  // A piece of the text of a few kilobytes. A chunk made by Assign borrows its bytes from the
  // loaded text; the first edit gives it its own copy.
  struct alignas(64) Chunk {
    // What a position search reads comes first, in one cache line.
    TLineBreakBits breaks;
    const char* borrowed = nullptr;  // into loaded_, or null when `own` holds the text
    std::uint32_t size = 0;
    std::uint32_t chars = 0;
    std::string own;
    std::string_view Text() const {
      return borrowed ? std::string_view(borrowed, size) : std::string_view(own);
    }
    std::size_t Size() const { return size; }
    bool IsAscii() const { return chars == size; }
    void Recount();
  };
  struct Sums {
    std::int64_t bytes = 0;
    std::int64_t chars = 0;
    std::int64_t lines = 0;
    bool operator==(const Sums&) const = default;
    Sums& operator+=(const Sums& o) {
      bytes += o.bytes;
      chars += o.chars;
      lines += o.lines;
      return *this;
    }
    Sums operator-(const Sums& o) const {
      return {bytes - o.bytes, chars - o.chars, lines - o.lines};
    }
  };
  using Key = TChunkStarts::Key;
  struct Found {
    std::size_t chunk;  // index into chunks_
    Sums before;        // sums of all earlier chunks
  };
  class ChunkBuilder;

  static Sums SumsOf(const Chunk& c);
  Sums StartOf(std::size_t chunk) const {
    return {starts_.At(TChunkStarts::kBytes, chunk), starts_.At(TChunkStarts::kChars, chunk),
            starts_.At(TChunkStarts::kLines, chunk)};
  }
  // Recomputes the start sums of every chunk from `first` on (after chunks were added or
  // removed).
  void RebuildStarts(std::size_t first);
  // Moves the start sums of the chunks after `chunk` by `delta` (after an edit inside it).
  void ShiftStarts(std::size_t chunk, const Sums& delta);
  // The chunk holding the first element whose key index is `target` (the last chunk when
  // `target` is the total).
  Found Find(Key key, std::int64_t target) const;
  Found FindByte(std::size_t byte) const;
  // A line found with one search: its chunk and the offsets of its start and end in it; `whole`
  // is false when the line does not lie inside that one chunk.
  struct LineInChunk {
    Found found;
    std::size_t start = 0;
    std::size_t end = 0;
    bool whole = false;
  };
  LineInChunk LocateLine(std::size_t line) const;
  // The byte in the found chunk at a character offset (see ByteOfOffset).
  std::size_t ByteOfOffsetInChunk(const Found& f, std::size_t offset) const;
  // The line and column of a byte given by its offset in the found chunk.
  TLineColumn LineColumnInChunk(const Found& f, std::size_t offset) const;
  // The chunk's own text, copied out of the loaded text first when it borrows it.
  std::string& Own(Chunk& c);
  void ReplaceChunks(std::size_t first, std::size_t count, std::vector<Chunk>&& replacement);
  void EraseInChunk(std::size_t chunk, std::size_t offset, std::size_t length);
  void MergeSmall(std::size_t chunk);
  // Appends chunks over `loaded_`, which must be valid UTF-8 without CR; false when it is not.
  bool BorrowLoaded(std::vector<Chunk>& out);
  // Frees the loaded text and its bits once no chunk borrows them.
  void ReleaseLoaded();
  // Whether chunks [first, last] are all the chunks that share the loaded text, in its order,
  // and `length` bytes of them are most of it.
  bool CoversSharedText(std::size_t first, std::size_t last, std::size_t length) const;
  static std::size_t CharsBefore(const Chunk& c, std::size_t offset);
  static std::size_t CharsBetween(const Chunk& c, std::size_t from, std::size_t to);
  static std::size_t AdvanceInChunk(const Chunk& c, std::size_t offset, std::size_t chars);

  std::vector<Chunk> chunks_;
  TChunkStarts starts_;
  Sums total_;
  // The text the last Assign loaded, kept while chunks borrow from it, and the line-break bits
  // of those chunks in one block, whose pages are mapped at once (a first touch page by page
  // costs several times more).
  std::string loaded_;
  std::unique_ptr<std::uint64_t[]> loadedBits_;
  std::size_t loadedBitsWords_ = 0;
  std::size_t borrowingChunks_ = 0;
  TChangeGuard guard_;
  std::uint64_t changeCount_ = 0;

  void BeforeChange();
};

template <typename Visit>
void TTextBuffer::VisitRange(std::size_t byte, std::size_t length, Visit visit) const {
  if (byte >= ByteCount() || length == 0) return;
  if (length > ByteCount() - byte) length = ByteCount() - byte;
  Found f = FindByte(byte);
  std::size_t offset = byte - static_cast<std::size_t>(f.before.bytes);
  for (std::size_t c = f.chunk; c < chunks_.size() && length > 0; ++c, offset = 0) {
    const std::string_view t = chunks_[c].Text();
    std::size_t n = std::min(length, t.size() - offset);
    if (n > 0 && !visit(t.data() + offset, n)) return;
    length -= n;
  }
}

}  // namespace tervil
