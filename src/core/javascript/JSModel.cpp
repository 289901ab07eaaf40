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
  element.description = ElementText(line);
  return element;
}

const std::string kNoText;

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

std::vector<TJSRow> TJSModel::MemberRows(const TJSObject& object) const {
  // The object and its ancestors, nearest first (a cycle or a missing base ends the chain).
  std::vector<const TJSObject*> chain{&object};
  std::unordered_set<const TJSObject*> seenObjects{&object};
  while (const TJSObject* base = Find(chain.back()->base)) {
    if (!seenObjects.insert(base).second) break;
    chain.push_back(base);
  }
  std::vector<TJSRow> rows;
  auto add = [&](TJSRow::TKind kind, const auto& members) {
    std::unordered_set<std::string_view> names;
    for (const TJSObject* owner : chain) {
      for (const auto& member : owner->*members) {
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
  rows_ = model_ ? model_->TopLevelRows() : std::vector<TJSRow>{};
  Select(0);
}

void TJSBrowser::ShowMembers(const TJSObject& object) {
  listed_ = &object;
  rows_ = model_->MemberRows(object);
  Select(0);
}

bool TJSBrowser::ShowMembersOf(std::string_view type) {
  if (!model_) return false;
  if (const TJSObject* object = model_->Find(type)) {
    ShowMembers(*object);
    return true;
  }
  listed_ = nullptr;  // an unknown name leaves the list empty
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

bool TJSBrowser::DescendInto(const TJSRow& row, bool indexed) {
  if (row.kind == TJSRow::TKind::Object) {
    ShowMembers(*row.object);
    return true;
  }
  const std::string& eltype = row.member->eltype;
  const bool element = indexed && !TrimBlanks(eltype).empty();
  return ShowMembersOf(element ? eltype : row.member->type);
}

void TJSBrowser::Resolve(std::string_view expression) {
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
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const TJSRow row = rows_[r];
      const std::string& name = row.Name();
      if (StartsWithNoCase(part, name) && !last) {
        DescendInto(row, !part.empty() && part.back() == ']');
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
  return DescendInto(*row, false);
}

std::string JSExpressionBeforeCaret(std::string_view line, std::size_t caret, std::size_t limit) {
  std::size_t start = std::min(caret, line.size());
  const std::size_t floor = start > limit ? start - limit : 0;
  int depth = 0;
  while (start > floor) {
    const char c = line[start - 1];
    const auto b = static_cast<unsigned char>(c);
    const bool name = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                      c == '_' || c == '$' || b >= 0x80;
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
  return std::string(line.substr(start, std::min(caret, line.size()) - start));
}

std::string_view LastJSPart(std::string_view expression) {
  const std::size_t dot = expression.rfind('.');
  return dot == std::string_view::npos ? expression : expression.substr(dot + 1);
}

std::string JSInsertText(const TJSRow& row) {
  std::string name = row.Name();
  std::erase_if(name, [](char c) { return c == '[' || c == ']'; });
  return name;
}

}  // namespace tervil
