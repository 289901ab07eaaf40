#include "core/tags/AttributeWindow.h"

#include <algorithm>
#include <vector>

#include "core/editcomponent/EditorModel.h"

namespace tervil {

namespace {

constexpr std::size_t kScanBlock = 1u << 14;

// The characters of UTF-8 `text` (its lead bytes).
int CharsIn(std::string_view text) {
  int chars = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
  return chars;
}

}  // namespace

TCaretTag TagAtCaret(const THtmlTagsEditor& tags, const TEditorModel& editor, std::size_t limit) {
  TCaretTag result;
  const TTextBuffer& buffer = editor.Buffer();
  const TBufferPos caret = editor.CaretPos();
  const auto line = static_cast<std::size_t>(std::clamp(caret.Line, 1, editor.LineCount()) - 1);
  const std::size_t lineStart = buffer.LineStart(line);
  const std::size_t lineEnd = buffer.LineEnd(line);
  if (lineEnd == lineStart) return result;
  // The scan starts before the caret's column, reduced to the line's length: a caret past the
  // line's end looks from its last character on.
  std::size_t caretByte = editor.ByteOfPos(caret);
  if (caretByte >= lineEnd) caretByte = buffer.PrevChar(lineEnd);

  // Back from the caret to the "<"; a ">" first means no tag. "<" and ">" never occur inside a
  // multi-byte character, so bytes can be searched.
  const std::size_t from = caretByte - std::min(limit, caretByte - lineStart);
  std::size_t open = std::string::npos;
  for (std::size_t blockEnd = caretByte; blockEnd > from && open == std::string::npos;) {
    const std::size_t blockStart = blockEnd - std::min(kScanBlock, blockEnd - from);
    const std::string block = buffer.Range(blockStart, blockEnd - blockStart);
    const std::size_t mark = block.find_last_of("<>");
    if (mark != std::string::npos) {
      if (block[mark] == '>') return result;
      open = blockStart + mark;
    }
    blockEnd = blockStart;
  }
  if (open == std::string::npos) return result;

  // From the "<" to the first ">" after it, which is not before the caret; no further than the
  // limit beyond the caret and the line's end.
  const std::size_t end = caretByte + std::min(limit, lineEnd - caretByte);
  std::string excerpt = buffer.Range(open, caretByte - open);
  for (std::size_t at = caretByte; at < end;) {
    const std::size_t before = excerpt.size();
    buffer.AppendRange(at, std::min(kScanBlock, end - at), excerpt);
    if (excerpt.size() == before) break;
    at += excerpt.size() - before;
    const std::size_t close = excerpt.find('>', before);
    if (close != std::string::npos) {
      excerpt.resize(close + 1);
      break;
    }
  }
  const int pos = CharsIn(std::string_view(excerpt).substr(0, caretByte - open)) + 1;
  result.tag = tags.GetTagAt(excerpt, pos);
  result.text = tags.GetTagText(excerpt, pos);
  result.complete = excerpt.ends_with('>') || open + excerpt.size() >= lineEnd;
  return result;
}

TColor AttributeTextColor(bool tagDeprecated, std::string_view info, std::string_view name) {
  TColor color = clNone;
  if (tagDeprecated || info == "deprecated") color = clRed;
  if (name.size() > 2 && name.starts_with("on")) color = clGreen;
  if (name == "style" || name == "class") color = clBlue;
  return color;
}

TTagInsertion TagInsertion(std::string_view name, bool hasClosingTag) {
  const std::string n(name);
  if (hasClosingTag) return {"<" + n + "></" + n + ">", static_cast<int>(CharsIn(name)) + 3};
  return {"<" + n + " />", 0};
}

namespace {

std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

}  // namespace

std::string PagePathOf(std::string_view pageFile, std::string_view file) {
  const std::size_t fileSlash = file.rfind('/');
  const std::string_view fileName =
      fileSlash == std::string_view::npos ? file : file.substr(fileSlash + 1);
  const std::size_t pageSlash = pageFile.rfind('/');
  if (pageSlash == std::string_view::npos || fileSlash == std::string_view::npos)
    return std::string(fileName);
  const std::vector<std::string_view> page = Components(pageFile.substr(0, pageSlash));
  const std::vector<std::string_view> folder = Components(file.substr(0, fileSlash));
  std::size_t common = 0;
  while (common < page.size() && common < folder.size() && page[common] == folder[common]) ++common;
  std::string path;
  for (std::size_t i = common; i < page.size(); ++i) path += "../";
  for (std::size_t i = common; i < folder.size(); ++i) path.append(folder[i]).append("/");
  return path.append(fileName);
}

}  // namespace tervil
