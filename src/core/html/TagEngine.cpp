#include "core/html/TagEngine.h"

#include "core/common/Utf8.h"
#include "core/html/TagsEditor.h"
#include "core/html/TextProcessor.h"

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

bool IsAttributeNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '_' || c == ':' || c == '.';
}

// Where an attribute sits in a tag text: the space before its name, and the length of the space,
// the name and the value text after it.
struct TAttributeSpan {
  std::size_t start = npos;
  std::size_t length = 0;
  std::size_t nameLength = 0;  // the space and the name

  bool Found() const { return start != npos; }
};

// The attribute at the occurrence of its name followed by the value text that GetAttributeValue
// read; failing that, the first occurrence of the name that is not the start of a longer name
// (a value-less attribute, or an unquoted value at the end of the tag).
TAttributeSpan LocateAttribute(std::string_view tagText, std::string_view name,
                               std::string_view oldWrapped) {
  std::string key(1, ' ');
  key.append(name);
  TAttributeSpan span;
  span.nameLength = key.size();
  if (!oldWrapped.empty()) {
    span.start = tagText.find(key + std::string(oldWrapped));
    if (span.Found()) {
      span.length = key.size() + oldWrapped.size();
      return span;
    }
  }
  for (std::size_t p = tagText.find(key); p != npos; p = tagText.find(key, p + 1)) {
    std::size_t end = p + key.size();
    if (end < tagText.size() && IsAttributeNameChar(tagText[end])) continue;
    if (end < tagText.size() && tagText[end] == '=') {
      ++end;
      while (end < tagText.size() && tagText[end] != ' ' && tagText[end] != '>') ++end;
    }
    span.start = p;
    span.length = end - p;
    return span;
  }
  return span;
}

// The spelling around a value: the quote style of the attribute when it has a value, else a
// double-quoted value after an equals sign.
struct TQuoting {
  std::string prefix = "=\"";
  std::string suffix = "\"";
};

TQuoting QuotingOf(std::string_view oldValue, std::string_view oldWrapped) {
  TQuoting quoting;
  if (oldValue.empty()) return quoting;
  for (const auto& row : AttributeQuotePatterns) {
    if (oldWrapped.size() == row.opener.size() + oldValue.size() + row.closer.size() &&
        oldWrapped.starts_with(row.opener) && oldWrapped.ends_with(row.closer)) {
      quoting.prefix = row.opener;
      quoting.suffix = row.closer;
      break;
    }
  }
  return quoting;
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
  const std::string oldValue = GetAttributeValue(name, tagText, false);
  const std::string oldWrapped = GetAttributeValue(name, tagText, true);
  const TAttributeSpan span = LocateAttribute(tagText, name, oldWrapped);
  const std::string newValue = ReplaceOccurrences("\"", "'", -1, value);

  std::string result(line);
  if (!span.Found()) {
    const TNameRange tagName = NameRange(line, scan);
    if (value.empty() || tagName.length == 0) return std::nullopt;
    std::string attribute(1, ' ');
    attribute.append(name).append("=\"").append(newValue).append("\"");
    result.insert(tagName.start + tagName.length, attribute);
  } else {
    if (value == oldValue) return std::nullopt;
    const std::size_t start = scan.open + span.start;
    if (value.empty()) {
      result.erase(start, span.length);
    } else {
      const TQuoting quoting = QuotingOf(oldValue, oldWrapped);
      const std::size_t valueStart = start + span.nameLength;
      result.replace(valueStart, span.length - span.nameLength,
                     quoting.prefix + newValue + quoting.suffix);
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
  return GetAttributeValue(name, tagText, wrap);
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
