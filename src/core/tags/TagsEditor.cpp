#include "core/tags/TagsEditor.h"

#include <algorithm>
#include <unordered_map>

#include "core/common/TextFile.h"
#include "core/common/Utf8.h"
#include "core/text/TextProcessor.h"

namespace tervil {

namespace {

constexpr std::string_view kTagOpener = "<tag name=\"";
constexpr std::string_view kTagCloser = "</tag>";
constexpr std::string_view kPropertyOpener = "<property";

// Removes characters up to and including the space from both ends.
std::string_view Trimmed(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The text from `from` up to and including the first `last` after it, or to the end of `text`.
std::string_view UpToAndIncluding(std::string_view text, std::size_t from, char last) {
  const std::size_t end = text.find(last, from);
  return text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from + 1);
}

// A named value set, or the pieces between the vertical bars behind an empty entry. The last
// character of the text always belongs to the last piece, so "a|b|" gives "a" and "b|".
std::vector<std::string> ValuesFromText(std::string_view text) {
  std::vector<std::string> values;
  if (const auto set = NamedValueSet(text); !set.empty()) {
    values.assign(set.begin(), set.end());
    return values;
  }
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i + 1 == text.size())
      values.emplace_back(Trimmed(text.substr(start)));
    else if (text[i] == '|') {
      values.emplace_back(Trimmed(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  if (!values.empty()) values.insert(values.begin(), std::string());
  return values;
}

TAttrEditStyle EditStyleFromText(std::string_view style) {
  if (style == "esellipsis") return esEllipsis;
  if (style == "espicklist") return esPickList;
  return esNone;
}

AttrStruct ParseProperty(std::string_view property) {
  AttrStruct attr;
  attr.Name = GetAttributeValue("name", property, false);
  const std::string valuesText = GetAttributeValue("values", property, false);
  const std::string_view values = Trimmed(valuesText);
  attr.Values = ValuesFromText(values);
  attr.UserValue = GetAttributeValue("uservalue", property, false) == "true";
  attr.EditStyle = EditStyleFromText(GetAttributeValue("style", property, false));
  if (!NamedValueSet(values).empty()) attr.Special = values;
  attr.Info = GetAttributeValue("info", property, false);
  return attr;
}

// Every property element of a tag's body, in order. The character after a property's ">" is
// skipped, so properties are expected on lines of their own.
TAttrStructArray ParseProperties(std::string_view body) {
  TAttrStructArray attributes;
  std::size_t at = 0;
  while (at < body.size()) {
    const std::size_t start = body.find(kPropertyOpener, at);
    if (start == std::string_view::npos) break;
    const std::string_view property = UpToAndIncluding(body, start, '>');
    attributes.push_back(ParseProperty(property));
    at = start + property.size() + 1;
  }
  return attributes;
}

// The text of a tag element's head: from its "<" up to and including the first ">", but never
// beyond the next "<", so that a head left open does not take in the rest of the file.
std::string_view TagHead(std::string_view text, std::size_t start) {
  const std::size_t end = text.find_first_of("<>", start + 1);
  if (end == std::string_view::npos) return text.substr(start);
  return text.substr(start, end - start + (text[end] == '>' ? 1 : 0));
}

// Where the tag elements of the file text are, found in one pass over it, so that reading all
// the built-in tags takes time in proportion to the text, however it is made.
class TTagIndex {
 public:
  explicit TTagIndex(std::string_view text) {
    constexpr std::size_t kLongestName = 16;
    for (std::size_t at = text.find(kTagOpener); at != std::string_view::npos;
         at = text.find(kTagOpener, at + 1)) {
      openers_.push_back(at);
      const std::size_t nameStart = at + kTagOpener.size();
      const std::string_view rest = text.substr(nameStart, kLongestName + 1);
      const std::size_t quote = rest.find('"');
      if (quote != std::string_view::npos) first_.try_emplace(rest.substr(0, quote), at);
    }
    for (std::size_t at = text.find(kTagCloser); at != std::string_view::npos;
         at = text.find(kTagCloser, at + 1))
      closers_.push_back(at);
  }

  // The first `<tag name="` + name + `"` of the text, or npos.
  std::size_t Find(std::string_view name) const {
    const auto it = first_.find(name);
    return it == first_.end() ? std::string_view::npos : it->second;
  }

  // Where the body of the tag element at `start` ends: at its "</tag>", or at the next tag
  // element when that comes first; `start` itself (an empty body) without a "</tag>".
  std::size_t BodyEnd(std::size_t start) const {
    const auto closer = std::upper_bound(closers_.begin(), closers_.end(), start);
    if (closer == closers_.end()) return start;
    const auto opener = std::upper_bound(openers_.begin(), openers_.end(), start);
    return opener == openers_.end() ? *closer : std::min(*closer, *opener);
  }

 private:
  std::vector<std::size_t> openers_;
  std::vector<std::size_t> closers_;
  std::unordered_map<std::string_view, std::size_t> first_;
};

}  // namespace

// ---- TTagsEditor

TTagsEditor::TTagsEditor(const std::string& fileName) {
  std::vector<std::string> lines;
  std::string error;
  if (!ReadLineList(fileName, lines, &error)) throw TTagsFileError(error);
  std::string text;
  for (const auto& line : lines) text.append(line).append("\r\n");
  SetFileText(text);
}

void TTagsEditor::SetFileText(std::string_view text) {
  fileText_ = utf8::LowerCase(text);
}

// ---- THtmlTagsEditor: loading

THtmlTagsEditor::THtmlTagsEditor() = default;

THtmlTagsEditor::THtmlTagsEditor(const std::string& fileName) : TTagsEditor(fileName) {
  Parse();
}

void THtmlTagsEditor::LoadText(std::string_view text) {
  SetFileText(text);
  Parse();
}

void THtmlTagsEditor::Parse() {
  knownTags_.clear();
  flags_.clear();
  for (auto& attributes : attributes_) attributes.clear();
  currentTag_ = {};
  const std::string_view text = FileText();
  const TTagIndex index(text);
  for (int i = 0; i < kBuiltInTagCount; ++i) {
    const std::size_t start = index.Find(BuiltInTagNames()[i]);
    if (start != std::string_view::npos) ParseTag(i, text, start, index.BodyEnd(start));
  }
}

void THtmlTagsEditor::ParseTag(int index, std::string_view text, std::size_t start,
                               std::size_t bodyEnd) {
  const std::string_view head = TagHead(text, start);
  Thtmltagsoptions flags = 0;
  if (GetAttributeValue("double", head, false) == "double") flags |= htoDouble;
  if (GetAttributeValue("deprecated", head, false) == "deprecated") flags |= htoDeprecated;
  knownTags_.emplace_back(BuiltInTagNames()[index]);
  flags_.push_back(flags);
  if (bodyEnd > start) attributes_[index] = ParseProperties(text.substr(start, bodyEnd - start));
}

// ---- THtmlTagsEditor: lookups

int THtmlTagsEditor::IndexOfTag(std::string_view name) const {
  for (std::size_t i = 0; i < knownTags_.size(); ++i)
    if (knownTags_[i] == name) return static_cast<int>(i);
  return -1;
}

Thtmltagsoptions THtmlTagsEditor::TagFlags(int index) const {
  if (index < 0 || index >= static_cast<int>(flags_.size())) return 0;
  return flags_[index];
}

bool THtmlTagsEditor::TagId(std::string_view name, int& id) {
  // Every built-in name is found in any letter case, "!DOCTYPE" included.
  static const std::vector<std::string> lowerNames = [] {
    std::vector<std::string> names;
    for (std::string_view builtIn : BuiltInTagNames()) names.push_back(utf8::LowerCase(builtIn));
    return names;
  }();
  const std::string lower = utf8::LowerCase(name);
  for (std::size_t i = 0; i < lowerNames.size(); ++i) {
    if (lowerNames[i] == lower) {
      id = static_cast<int>(i) + 1;
      return true;
    }
  }
  id = 0;
  return false;
}

const TAttrStructArray& THtmlTagsEditor::Attributes(int id) const {
  static const TAttrStructArray kNone;
  if (id < 1 || id > kBuiltInTagCount) return kNone;
  return attributes_[id - 1];
}

const AttrStruct* THtmlTagsEditor::FindAttribute(std::string_view tag,
                                                 std::string_view attribute) const {
  int id;
  if (!TagId(tag, id)) return nullptr;
  for (const auto& attr : Attributes(id))
    if (attr.Name == attribute) return &attr;
  return nullptr;
}

std::string THtmlTagsEditor::AttributeInfo(std::string_view tag, std::string_view attribute) const {
  const AttrStruct* attr = FindAttribute(tag, attribute);
  return attr ? attr->Info : std::string();
}

std::string THtmlTagsEditor::AttributeSpecial(std::string_view tag,
                                              std::string_view attribute) const {
  const AttrStruct* attr = FindAttribute(tag, attribute);
  return attr ? attr->Special : std::string();
}

}  // namespace tervil
