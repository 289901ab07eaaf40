#include "core/tags/TagEngine.h"

#include "core/common/Utf8.h"
#include "core/tags/TagsEditor.h"
#include "core/text/TextProcessor.h"

namespace tervil {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Byte offset of column `column` (from 1); the line's end for columns beyond it.
std::size_t ByteOfColumn(std::string_view line, int column) {
  if (column <= 1) return 0;
  return utf8::AdvanceCharsTolerant(line, static_cast<std::size_t>(column) - 1);
}

// Where a scan from `pos` stops: the byte of the tag's "<", or npos. "<" and ">" are single
// bytes that never occur inside a multi-byte character, so the scan can walk bytes.
struct TTagScan {
  std::size_t open = npos;  // byte of the "<"
  std::size_t posByte = 0;  // byte of column pos, pos reduced to the line length
};

TTagScan ScanForTag(std::string_view line, int pos) {
  TTagScan scan;
  const int length = static_cast<int>(utf8::CountCharsTolerant(line));
  if (pos > length) pos = length;
  scan.posByte = ByteOfColumn(line, pos);
  for (std::size_t i = scan.posByte; i > 0; --i) {  // column pos - 1 down to column 1
    const char c = line[i - 1];
    if (c == '>') break;
    if (c == '<') {
      scan.open = i - 1;
      break;
    }
  }
  return scan;
}

std::string_view TagTextFrom(std::string_view line, std::size_t open) {
  const std::size_t close = line.find('>', open);
  return line.substr(open, close == npos ? npos : close - open + 1);
}

// The tag's name as a byte range of the line.
struct TNameRange {
  std::size_t start = 0;
  std::size_t length = 0;
};

TNameRange NameRange(std::string_view line, const TTagScan& scan) {
  std::size_t start = scan.open + 1;
  while (start < scan.posByte && start < line.size() && line[start] == ' ') ++start;
  const std::string_view rest = line.substr(std::min(start, line.size()));
  const std::size_t space = rest.find(' ');
  const std::size_t gt = rest.find('>');
  const std::size_t lt = rest.find('<');
  std::size_t end = space;
  if (space == npos || (gt != npos && gt < space)) end = gt;
  if (lt != npos && (lt < end || (space == npos && gt == npos))) end = lt;
  return {start, end == npos ? rest.size() : end};
}

bool IsTagBlank(char c) {
  return c == ' ' || c == '\t';
}

// One attribute of a tag text, found by walking its attributes from the tag's name on, so that
// text inside a quoted value is never taken for an attribute.
struct TAttributeSpan {
  std::size_t start = npos;  // the blank before the name (the name when there is none)
  std::size_t nameStart = 0;
  std::size_t nameEnd = 0;     // just past the name
  std::size_t valueStart = 0;  // the value, after its opener (spacing, "=" and quote)
  std::size_t valueEnd = 0;    // the value's end, before its closer
  std::size_t end = 0;         // just past the closer
  std::string_view quote;      // the opening quote, empty for an unquoted value or none
  std::string_view closer;     // the closing quote, empty when the value is not closed

  bool Found() const { return start != npos; }
  bool HasEquals() const { return valueStart > nameEnd; }
  // The spacing and "=" between the name and the value's quote.
  std::string_view Equals(std::string_view tagText) const {
    return tagText.substr(nameEnd, valueStart - quote.size() - nameEnd);
  }
  std::string_view Value(std::string_view tagText) const {
    return tagText.substr(valueStart, valueEnd - valueStart);
  }
};

// The closer of a value that starts at `at`: a quote, a backslash and a quote, or nothing.
std::string_view CloserAt(std::string_view tagText, std::size_t at) {
  const std::string_view rest = tagText.substr(at);
  for (std::string_view closer : {"\\\"", "\\'", "\"", "'"}) {
    if (rest.starts_with(closer)) return closer;
  }
  return {};
}

// Reads the value that starts at `at` (after its "=" and blanks) into `span` and returns its end.
std::size_t ReadValueAt(std::string_view tagText, std::size_t at, TAttributeSpan& span) {
  span.quote = span.closer = CloserAt(tagText, at);
  span.valueStart = at + span.quote.size();
  // A tag text that ends with its ">" keeps it out of an unterminated or unquoted value.
  const std::size_t limit = tagText.ends_with('>') ? tagText.size() - 1 : tagText.size();
  if (!span.closer.empty()) {
    const std::size_t close = tagText.find(span.closer, span.valueStart);
    if (close == npos) {
      span.closer = {};
      span.valueEnd = span.end = std::max(limit, span.valueStart);
    } else {
      span.valueEnd = close;
      span.end = close + span.closer.size();
    }
  } else {
    std::size_t stop = span.valueStart;
    while (stop < limit && !IsTagBlank(tagText[stop])) ++stop;
    span.valueEnd = span.end = stop;
  }
  return span.end;
}

// Reads the value after the name that ends at span.nameEnd when an "=" follows (blanks around it
// allowed) and returns where the walk goes on.
std::size_t ReadValue(std::string_view tagText, TAttributeSpan& span) {
  std::size_t at = span.nameEnd;
  while (at < tagText.size() && IsTagBlank(tagText[at])) ++at;
  if (at >= tagText.size() || tagText[at] != '=') {
    span.valueStart = span.valueEnd = span.end = span.nameEnd;
    return span.nameEnd;
  }
  ++at;
  while (at < tagText.size() && IsTagBlank(tagText[at])) ++at;
  return ReadValueAt(tagText, at, span);
}

// The attribute called `name` (case-sensitive) among the attributes after the tag's name, which
// ends at `nameEnd`.
TAttributeSpan FindAttributeSpan(std::string_view tagText, std::size_t nameEnd,
                                 std::string_view name) {
  std::size_t at = nameEnd;
  while (at < tagText.size()) {
    while (at < tagText.size() && IsTagBlank(tagText[at])) ++at;
    if (at >= tagText.size() || tagText[at] == '>') break;
    TAttributeSpan span;
    span.start = at > nameEnd && IsTagBlank(tagText[at - 1]) ? at - 1 : at;
    span.nameStart = at;
    std::size_t end = at;
    while (end < tagText.size() && !IsTagBlank(tagText[end]) && tagText[end] != '=' &&
           tagText[end] != '>' && CloserAt(tagText, end).empty())
      ++end;
    span.nameEnd = end;
    if (end == at) {
      // A value without a name (a stray quoted text, or "=" and a value) is walked over.
      const std::size_t next =
          tagText[at] == '=' ? ReadValue(tagText, span) : ReadValueAt(tagText, at, span);
      at = std::max(next, at + 1);
      continue;
    }
    at = ReadValue(tagText, span);
    if (tagText.substr(span.nameStart, end - span.nameStart) == name) return span;
  }
  return {};
}

// Where a new attribute goes: right after the tag's name, but before a "/" that closes the tag
// (`<br/>`).
std::size_t InsertionPoint(std::string_view tagText, std::size_t nameEnd) {
  std::size_t at = nameEnd;
  while (at > 2 && tagText[at - 1] == '/') --at;
  return at;
}

bool FitsUnquoted(std::string_view value) {
  return value.find_first_of(" \t>'") == npos;
}

// The text after an attribute's name that gives it `value`, in the attribute's own spelling: its
// spacing and quotes; an unquoted value stays unquoted where a blank ends it and the new value
// needs no quotes; a name without a value gets ="value".
std::string Respelled(std::string_view tagText, const TAttributeSpan& span,
                      std::string_view value) {
  std::string text = span.HasEquals() ? std::string(span.Equals(tagText)) : "=";
  std::string_view quote = span.quote;
  if (quote.empty()) {
    const bool blankFollows = span.end < tagText.size() && IsTagBlank(tagText[span.end]);
    if (!span.HasEquals() || !blankFollows || !FitsUnquoted(value)) quote = "\"";
  }
  text.append(quote).append(value).append(quote);
  return text;
}

// The end of the name of the tag `tagText` opens.
std::size_t TagNameEnd(std::string_view tagText) {
  if (!tagText.starts_with('<')) return 0;
  const TNameRange range = NameRange(tagText, TTagScan{0, tagText.size()});
  return range.start + range.length;
}

}  // namespace

std::string TagTextAt(std::string_view line, int pos) {
  const TTagScan scan = ScanForTag(line, pos);
  if (scan.open == npos) return {};
  return std::string(TagTextFrom(line, scan.open));
}

int TagStartAt(std::string_view line, int pos) {
  const TTagScan scan = ScanForTag(line, pos);
  if (scan.open == npos) return 0;
  return static_cast<int>(utf8::CountCharsTolerant(line.substr(0, scan.open))) + 1;
}

std::string TagNameAt(std::string_view line, int pos) {
  const TTagScan scan = ScanForTag(line, pos);
  if (scan.open == npos) return {};
  const TNameRange range = NameRange(line, scan);
  return std::string(line.substr(range.start, range.length));
}

std::optional<std::string> SetAttributeInLine(std::string_view line, int pos, std::string_view name,
                                              std::string_view value) {
  if (name.empty()) return std::nullopt;
  const TTagScan scan = ScanForTag(line, pos);
  if (scan.open == npos) return std::nullopt;
  const std::string_view tagText = TagTextFrom(line, scan.open);
  const TNameRange tagName = NameRange(line, scan);
  const std::size_t nameEnd = tagName.start + tagName.length - scan.open;
  const TAttributeSpan span = FindAttributeSpan(tagText, nameEnd, name);
  const std::string newValue = ReplaceOccurrences("\"", "'", -1, value);

  std::string result(line);
  if (!span.Found()) {
    if (value.empty() || tagName.length == 0) return std::nullopt;
    std::string attribute(1, ' ');
    attribute.append(name).append("=\"").append(newValue).append("\"");
    result.insert(scan.open + InsertionPoint(tagText, nameEnd), attribute);
  } else {
    if (value == span.Value(tagText)) return std::nullopt;
    if (value.empty()) {
      result.erase(scan.open + span.start, span.end - span.start);
    } else {
      result.replace(scan.open + span.nameEnd, span.end - span.nameEnd,
                     Respelled(tagText, span, newValue));
    }
  }
  if (result == line) return std::nullopt;
  return result;
}

// ---- THtmlTagsEditor: operations on the text

std::string THtmlTagsEditor::GetTagText(std::string_view line, int pos) const {
  return TagTextAt(line, pos);
}

int THtmlTagsEditor::GetTagStart(std::string_view line, int pos) const {
  return TagStartAt(line, pos);
}

std::string THtmlTagsEditor::GetTagNameBefore(std::string_view line, int pos) const {
  return TagNameAt(line, pos);
}

HtmlTag THtmlTagsEditor::GetTagAt(std::string_view line, int pos) const {
  HtmlTag tag;
  const std::string name = TagNameAt(line, pos);
  if (TagId(name, tag.Id)) tag.Name = name;
  return tag;
}

bool THtmlTagsEditor::HasAttribute(std::string_view name, std::string_view tagText) {
  std::string key(1, ' ');
  key.append(name);
  return tagText.find(key) != npos;
}

std::string THtmlTagsEditor::GetAttribute(std::string_view name, std::string_view tagText,
                                          bool wrap) {
  const TAttributeSpan span = FindAttributeSpan(tagText, TagNameEnd(tagText), name);
  if (!span.Found()) return {};
  if (!wrap) return std::string(span.Value(tagText));
  return std::string(tagText.substr(span.nameEnd, span.end - span.nameEnd));
}

namespace {

// Switches the grid's change notification off for its lifetime and restores it afterwards.
class TGridNotificationPause {
 public:
  explicit TGridNotificationPause(TAttributeGrid& grid)
      : grid_(grid), enabled_(grid.ChangeNotification()) {
    grid_.SetChangeNotification(false);
  }
  ~TGridNotificationPause() { grid_.SetChangeNotification(enabled_); }
  TGridNotificationPause(const TGridNotificationPause&) = delete;
  TGridNotificationPause& operator=(const TGridNotificationPause&) = delete;

 private:
  TAttributeGrid& grid_;
  bool enabled_;
};

}  // namespace

void THtmlTagsEditor::ShowTagAttributes(const HtmlTag& tag, std::string_view tagText,
                                        TAttributeGrid& grid) {
  TGridNotificationPause pause(grid);
  if (tag.Id == currentTag_.Id) {
    for (int row = 0; row < grid.RowCount(); ++row) {
      const std::string value = GetAttribute(grid.Key(row), tagText);
      if (value != grid.Value(row)) grid.SetValue(row, value);
    }
    return;
  }
  grid.Clear();
  currentTag_ = tag;
  for (const AttrStruct& attr : Attributes(tag.Id)) {
    const int row = grid.AppendRow(attr.Name, GetAttribute(attr.Name, tagText));
    if (attr.EditStyle != esNone) grid.SetEditStyle(row, attr.EditStyle);
    if (!attr.UserValue) grid.SetReadOnly(row, true);
    if (attr.EditStyle == esPickList) grid.SetPickList(row, attr.Values);
  }
}

}  // namespace tervil
