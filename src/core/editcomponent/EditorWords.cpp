#include <algorithm>

#include "core/common/Utf8.h"
#include "core/editcomponent/EditorModel.h"

namespace tervil {

namespace {

// Brackets are scanned for at most this many bytes, so that marking the matching bracket on
// every caret move stays cheap in a huge document.
constexpr std::size_t kBracketScanLimit = 1024 * 1024;
constexpr std::size_t kBlock = 64 * 1024;

const char kOpen[] = "([{<";
const char kClose[] = ")]}>";

int BracketIndex(char c, const char* set) {
  for (int i = 0; i < 4; ++i) {
    if (set[i] == c) return i;
  }
  return -1;
}

}  // namespace

TBufferPos TEditorModel::WordStart(TBufferPos pos) const {
  pos = ClampPos(pos);
  const std::size_t lineStart = buffer_.LineStart(static_cast<std::size_t>(pos.Line - 1));
  std::size_t b = ByteOfPos(pos);
  while (b > lineStart && utf8::IsWordChar(buffer_.CharAt(buffer_.PrevChar(b)))) {
    b = buffer_.PrevChar(b);
  }
  return PosOfByte(b);
}

TBufferPos TEditorModel::WordEnd(TBufferPos pos) const {
  pos = ClampPos(pos);
  const std::size_t lineEnd = buffer_.LineEnd(static_cast<std::size_t>(pos.Line - 1));
  std::size_t b = ByteOfPos(pos);
  while (b < lineEnd && utf8::IsWordChar(buffer_.CharAt(b))) b = buffer_.NextChar(b);
  return PosOfByte(b);
}

std::string TEditorModel::WordAt(TBufferPos pos) const {
  const TBufferPos start = WordStart(pos);
  const TBufferPos end = WordEnd(pos);
  const std::size_t from = ByteOfPos(start);
  return buffer_.Range(from, ByteOfPos(end) - from);
}

TBufferPos TEditorModel::MatchingBracketAt(TBufferPos pos) const {
  pos = ClampPos(pos);
  const int length = LineLength(pos.Line - 1);
  std::size_t at = ByteOfPos(pos);
  char c = pos.Column <= length ? buffer_.ByteAt(at) : '\0';
  if (BracketIndex(c, kOpen) < 0 && BracketIndex(c, kClose) < 0 && pos.Column > 1) {
    --at;  // brackets are ASCII, so the byte before is the character before
    c = buffer_.ByteAt(at);
  }
  const int open = BracketIndex(c, kOpen);
  const int close = BracketIndex(c, kClose);
  if (open < 0 && close < 0) return {0, 0};
  const char same = c;
  const char other = open >= 0 ? kClose[open] : kOpen[close];
  int depth = 0;
  std::size_t found = std::string::npos;
  if (open >= 0) {
    const std::size_t limit = std::min(buffer_.ByteCount(), at + kBracketScanLimit);
    std::size_t base = at;
    buffer_.VisitRange(at, limit - at, [&](const char* data, std::size_t n) {
      for (std::size_t i = 0; i < n; ++i) {
        if (data[i] == same) {
          ++depth;
        } else if (data[i] == other && --depth == 0) {
          found = base + i;
          return false;
        }
      }
      base += n;
      return true;
    });
  } else {
    const std::size_t limit = at > kBracketScanLimit ? at - kBracketScanLimit : 0;
    std::string block;
    for (std::size_t end = at + 1; end > limit && found == std::string::npos;) {
      const std::size_t start = std::max(limit, end >= kBlock ? end - kBlock : 0);
      block.clear();
      buffer_.AppendRange(start, end - start, block);
      for (std::size_t i = block.size(); i-- > 0;) {
        if (block[i] == same) {
          ++depth;
        } else if (block[i] == other && --depth == 0) {
          found = start + i;
          break;
        }
      }
      end = start;
    }
  }
  if (found == std::string::npos) return {0, 0};
  return PosOfByte(found);
}

}  // namespace tervil
