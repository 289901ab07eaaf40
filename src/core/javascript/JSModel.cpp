#include "core/javascript/JSModel.h"

#include <algorithm>
#include <unordered_set>

#include "core/editcomponent/Completion.h"

namespace tervil {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The text after the first ">" and before the last "<".
std::string ElementText(std::string_view line) {
  const std::size_t open = line.find('>');
  const std::size_t close = line.rfind('<');
  if (open == std::string_view::npos || close == std::string_view::npos || close <= open) return {};
  return std::string(line.substr(open + 1, close - open - 1));
}

template <typename T>
T ReadElement(std::string_view line) {
  T element;
  element.name = JSAttributeValue(line, "name");
  element.type = JSAttributeValue(line, "type");
  element.eltype = JSAttributeValue(line, "eltype");
  element.isStatic = JSAttributeValue(line, "static") == "true";
  element.description = ElementText(line);
  return element;
}

const std::string kNoText;

constexpr std::string_view kNew = "new ";

// A "."-part without its index or call: "forms" of "forms[0]", "Map" of "Map()".
std::string_view BareName(std::string_view part) {
  return part.substr(0, std::min(part.find('['), part.find('(')));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

std::string AsciiLowerCopy(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// The tag name a call's first argument names: "form" of "createElement('form')" or of
// "getElementsByTagName(\"form\")[0]"; empty for any other argument.
std::string TagArgument(std::string_view part) {
  const std::size_t open = part.find('(');
  if (open == std::string_view::npos || open + 2 >= part.size()) return {};
  const char quote = part[open + 1];
  if (quote != '\'' && quote != '"') return {};
  const std::size_t close = part.find(quote, open + 2);
  if (close == std::string_view::npos || close + 1 >= part.size() || part[close + 1] != ')')
    return {};
  const std::string_view tag = part.substr(open + 2, close - open - 2);
  const bool plain = !tag.empty() && std::all_of(tag.begin(), tag.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
  });
  return plain ? std::string(tag) : std::string();
}

bool IsNameByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || c == '_' ||
         c == '$' || b >= 0x80;
}

}  // namespace

// Reads the tag attribute by attribute, so a name met inside another attribute's value (the
// property "doctype" holds "type", the object "IDBDatabase" holds "base") is never taken for it.
std::string JSAttributeValue(std::string_view line, std::string_view name) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t i = line.find('<');
  if (i == std::string_view::npos) return {};
  while (i < line.size() && !blank(line[i]) && line[i] != '>') ++i;  // the element's name
  while (i < line.size() && line[i] != '>') {
    if (blank(line[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < line.size() && line[i] != '=' && !blank(line[i]) && line[i] != '>') ++i;
    const std::string_view attribute = line.substr(start, i - start);
    if (i >= line.size() || line[i] != '=') continue;    // an attribute without a value
    if (++i >= line.size() || line[i] != '"') continue;  // an unquoted value is skipped
    const std::size_t close = line.find('"', i + 1);
    if (close == std::string_view::npos) return {};
    if (attribute == name) return std::string(TrimBlanks(line.substr(i + 1, close - i - 1)));
    i = close + 1;
  }
  return {};
}

std::string TJSRow::NameColumn() const {
  if (kind == TKind::Method) return member->name + "(" + Params() + ")";
  return Name();
}

const std::string& TJSRow::Params() const {
  return kind == TKind::Method ? static_cast<const TJSMethod*>(member)->params : kNoText;
}

const std::string& TJSRow::Description() const {
  switch (kind) {
    case TKind::Property:
      return static_cast<const TJSProperty*>(member)->description;
    case TKind::Method:
      return static_cast<const TJSMethod*>(member)->description;
    case TKind::Event:
      return static_cast<const TJSEvent*>(member)->description;
    case TKind::Object:
      break;
  }
  return kNoText;
}

// ---------------------------------------------------------------- the model

void TJSModel::LoadFromText(std::string_view text) {
  objects_.clear();
  byName_.clear();
  elementTypes_.clear();
  TJSObject* current = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    if (StartsWith(line, "<object")) {
      objects_.push_back(
          {JSAttributeValue(line, "name"), JSAttributeValue(line, "base"), {}, {}, {}});
      current = &objects_.back();
    } else if (StartsWith(line, "</object")) {
      current = nullptr;
    } else if (current == nullptr) {
      if (StartsWith(line, "<element"))
        elementTypes_.emplace(AsciiLowerCopy(JSAttributeValue(line, "name")),
                              JSAttributeValue(line, "type"));
      continue;
    } else if (StartsWith(line, "<method")) {
      TJSMethod method = ReadElement<TJSMethod>(line);
      method.params = JSAttributeValue(line, "params");
      current->methods.push_back(std::move(method));
    } else if (StartsWith(line, "<event")) {
      current->events.push_back(ReadElement<TJSEvent>(line));
    } else if (StartsWith(line, "<property")) {
      current->properties.push_back(ReadElement<TJSProperty>(line));
    }
  }
  for (std::size_t i = 0; i < objects_.size(); ++i) byName_.emplace(objects_[i].name, i);
}

const TJSObject* TJSModel::Find(std::string_view name) const {
  auto it = byName_.find(std::string(name));
  return it == byName_.end() ? nullptr : &objects_[it->second];
}

std::vector<TJSRow> TJSModel::TopLevelRows() const {
  std::vector<TJSRow> rows;
  rows.reserve(objects_.size());
  for (const TJSObject& object : objects_)
    rows.push_back({TJSRow::TKind::Object, &object, nullptr});
  return rows;
}

namespace {

// The object and its ancestors, nearest first (a cycle or a missing base ends the chain).
std::vector<const TJSObject*> Ancestry(const TJSModel& model, const TJSObject& object) {
  std::vector<const TJSObject*> chain{&object};
  std::unordered_set<const TJSObject*> seenObjects{&object};
  while (const TJSObject* base = model.Find(chain.back()->base)) {
    if (!seenObjects.insert(base).second) break;
    chain.push_back(base);
  }
  return chain;
}

}  // namespace

std::string TJSModel::ElementType(std::string_view tag) const {
  const auto found = elementTypes_.find(AsciiLowerCopy(tag));
  return found == elementTypes_.end() ? std::string() : found->second;
}

bool TJSModel::HasStatics(const TJSObject& object) const {
  auto any = [](const auto& members) {
    return std::any_of(members.begin(), members.end(), [](const auto& m) { return m.isStatic; });
  };
  for (const TJSObject* owner : Ancestry(*this, object)) {
    if (any(owner->properties) || any(owner->methods) || any(owner->events)) return true;
  }
  return false;
}

std::vector<TJSRow> TJSModel::MemberRows(const TJSObject& object, bool statics) const {
  const std::vector<const TJSObject*> chain = Ancestry(*this, object);
  std::vector<TJSRow> rows;
  auto add = [&](TJSRow::TKind kind, const auto& members) {
    std::unordered_set<std::string_view> names;
    for (const TJSObject* owner : chain) {
      for (const auto& member : owner->*members) {
        if (member.isStatic != statics) continue;
        if (names.insert(member.name).second) rows.push_back({kind, &object, &member});
      }
    }
  };
  add(TJSRow::TKind::Property, &TJSObject::properties);
  add(TJSRow::TKind::Method, &TJSObject::methods);
  add(TJSRow::TKind::Event, &TJSObject::events);
  return rows;
}

// ---------------------------------------------------------------- the browser

void TJSBrowser::SetModel(std::shared_ptr<const TJSModel> model) {
  model_ = std::move(model);
  ShowTopLevel();
}

void TJSBrowser::ShowTopLevel() {
  listed_ = nullptr;
  statics_ = false;
  rows_ = model_ ? model_->TopLevelRows() : std::vector<TJSRow>{};
  Select(0);
}

void TJSBrowser::ShowMembers(const TJSObject& object, bool statics) {
  listed_ = &object;
  statics_ = statics;
  rows_ = model_->MemberRows(object, statics);
  Select(0);
}

bool TJSBrowser::ShowMembersOf(std::string_view type) {
  if (!model_) return false;
  if (const TJSObject* object = model_->Find(type)) {
    ShowMembers(*object);
    return true;
  }
  listed_ = nullptr;  // an unknown name leaves the list empty
  statics_ = false;
  rows_.clear();
  selected_ = -1;
  return true;
}

void TJSBrowser::Select(int row) {
  selected_ = rows_.empty() ? -1 : std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
}

const TJSRow* TJSBrowser::SelectedRow() const {
  return selected_ < 0 ? nullptr : &rows_[static_cast<std::size_t>(selected_)];
}

bool TJSBrowser::DescendInto(const TJSRow& row, std::string_view part, bool statics) {
  if (row.kind == TJSRow::TKind::Object) {
    ShowMembers(*row.object, statics && model_->HasStatics(*row.object));
    return true;
  }
  const bool indexed = !part.empty() && part.back() == ']';
  // A tag name handed to these methods tells which element they yield: createElement('form').
  if (const std::string tag = TagArgument(part); !tag.empty()) {
    const std::string& name = row.member->name;
    const bool one = name == "createElement" || name == "querySelector" || name == "closest";
    const bool many = name == "getElementsByTagName" || name == "querySelectorAll";
    const std::string type = model_->ElementType(tag);
    if (!type.empty() && ((one && !indexed) || (many && indexed))) return ShowMembersOf(type);
  }
  const std::string& eltype = row.member->eltype;
  const bool element = indexed && !TrimBlanks(eltype).empty();
  return ShowMembersOf(element ? eltype : row.member->type);
}

void TJSBrowser::Resolve(std::string_view expression) {
  const bool constructed = StartsWith(expression, kNew);  // new X(): an instance of X
  if (constructed) expression.remove_prefix(kNew.size());
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= expression.size(); ++i) {
    if (i < expression.size() && expression[i] != '.') continue;
    parts.push_back(expression.substr(start, i - start));
    start = i + 1;
  }
  ShowTopLevel();
  for (std::size_t p = 0; p < parts.size(); ++p) {
    const std::string_view part = parts[p];
    const bool last = p + 1 == parts.size();
    // The constructor itself when its exact name stands alone: Date.now, not new Date().getTime.
    const bool statics = p == 0 && !constructed && part == BareName(part);
    if (!last) {
      // A row named exactly by the part goes before one whose name only begins it
      // (getElementsByTagNameNS(...) is not getElementsByTagName).
      const std::string_view bare = BareName(part);
      auto exact = std::find_if(rows_.begin(), rows_.end(), [&](const TJSRow& row) {
        return EqualsNoCase(JSInsertText(row), bare);
      });
      if (exact != rows_.end()) {
        const TJSRow row = *exact;
        DescendInto(row, part, statics && row.Name() == bare);
        continue;
      }
    }
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const TJSRow row = rows_[r];
      const std::string& name = row.Name();
      if (StartsWithNoCase(part, name) && !last) {
        DescendInto(row, part, false);
        break;
      }
      if (StartsWithNoCase(name, part)) {
        Select(static_cast<int>(r));
        break;
      }
    }
  }
}

void TJSBrowser::SelectPrefix(std::string_view part) {
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    if (StartsWithNoCase(rows_[r].Name(), part)) {
      Select(static_cast<int>(r));
      return;
    }
  }
}

bool TJSBrowser::DescendSelected() {
  const TJSRow* row = SelectedRow();
  if (row == nullptr) return false;
  if (row->kind != TJSRow::TKind::Object) {
    const std::string type(TrimBlanks(row->member->type));
    if (type.empty() || type == "Number") return false;
  }
  return DescendInto(*row, {}, false);
}

std::string JSExpressionBeforeCaret(std::string_view line, std::size_t caret, std::size_t limit) {
  std::size_t start = std::min(caret, line.size());
  const std::size_t floor = start > limit ? start - limit : 0;
  int depth = 0;
  while (start > floor) {
    const char c = line[start - 1];
    const bool name = IsNameByte(c);
    if (c == ']' || c == ')') {
      ++depth;
    } else if (c == '[' || c == '(') {
      if (depth == 0) break;
      --depth;
    } else if (depth == 0 && !name && c != '.') {
      break;
    }
    --start;
  }
  if (depth != 0) return {};
  std::string expression(line.substr(start, std::min(caret, line.size()) - start));
  // The keyword "new" with blanks before the first name: new Map().
  std::size_t keyword = start;
  while (keyword > 0 && (line[keyword - 1] == ' ' || line[keyword - 1] == '\t')) --keyword;
  if (keyword < start && keyword >= 3 && line.substr(keyword - 3, 3) == "new" &&
      (keyword == 3 || !IsNameByte(line[keyword - 4])) && !expression.empty() &&
      expression.front() != '.')
    expression.insert(0, kNew);
  return expression;
}

std::string_view LastJSPart(std::string_view expression) {
  const std::size_t dot = expression.rfind('.');
  if (dot != std::string_view::npos) return expression.substr(dot + 1);
  if (StartsWith(expression, kNew)) expression.remove_prefix(kNew.size());
  return expression;
}

std::string JSInsertText(const TJSRow& row) {
  std::string name = row.Name();
  std::erase_if(name, [](char c) { return c == '[' || c == ']'; });
  return name;
}

}  // namespace tervil
