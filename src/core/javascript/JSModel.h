#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tervil {

// A member of a JavaScript object: "type" names the object the member yields, "eltype" the
// object an element of a collection member yields (after an index, as in forms[0]).
struct TJSElement {
  std::string name;
  std::string type;
  std::string eltype;
  bool isStatic = false;  // a member of the constructor itself (Date.now), not of its instances
};
struct TJSProperty : TJSElement {
  std::string description;
};
struct TJSEvent : TJSElement {
  std::string description;
};
struct TJSMethod : TJSElement {
  std::string params;
  std::string description;
};

struct TJSObject {
  std::string name;
  std::string base;  // the object it inherits from ("" for none)
  std::vector<TJSProperty> properties;
  std::vector<TJSMethod> methods;
  std::vector<TJSEvent> events;
};

// One row of the member popup: an object of the top-level list or a member of a listed object.
struct TJSRow {
  enum class TKind { Object, Property, Method, Event };
  TKind kind = TKind::Object;
  const TJSObject* object = nullptr;   // the object row's object
  const TJSElement* member = nullptr;  // a member row's member
  const std::string& Name() const { return member ? member->name : object->name; }
  std::string TypeColumn() const { return member ? member->type : std::string(); }
  std::string NameColumn() const;
  const std::string& Params() const;
  const std::string& Description() const;
};

// The JavaScript objects of "js.tvd", in file order. Each element is one line:
//   <object name="..." base="...">            (base is optional)
//   <property name="..." type="..." eltype="...">description</property>
//   <method name="..." type="..." params="..." eltype="...">description</method>
//   <event name="..." type="..." eltype="...">description</event>
//   </object>
// and, outside the objects, the object each element of the markup is:
//   <element name="form" type="HTMLFormElement"></element>
// An object stands for its instances; a member marked static="true" belongs to the constructor
// (Date.now, URL.createObjectURL) and is listed only for the constructor's own name.
// Lines that do not fit are ignored; an object without a name is kept with an empty name.
class TJSModel {
 public:
  void LoadFromText(std::string_view text);
  const std::vector<TJSObject>& Objects() const { return objects_; }
  // The object of exactly this name, or nullptr.
  const TJSObject* Find(std::string_view name) const;

  // One row per object.
  std::vector<TJSRow> TopLevelRows() const;
  // The members of `object` (those of its instances, or the static ones of its constructor): its
  // properties, then its methods, then its events, each followed by those it inherits that it
  // does not itself have.
  std::vector<TJSRow> MemberRows(const TJSObject& object, bool statics = false) const;
  // Whether the object or an object it inherits from has static members.
  bool HasStatics(const TJSObject& object) const;
  // The object an element of the markup is (HTMLFormElement for "form", without regard to
  // case); empty when unknown.
  std::string ElementType(std::string_view tag) const;

 private:
  std::vector<TJSObject> objects_;
  std::unordered_map<std::string, std::size_t> byName_;        // the first object of each name
  std::unordered_map<std::string, std::string> elementTypes_;  // lower-case tag name: object
};

// The value of attribute `name` on a js.tvd line: searched in the line up to its first ">", the
// text between the next two double quotes, trimmed; empty when missing.
std::string JSAttributeValue(std::string_view line, std::string_view name);

// What the member popup shows and does, without a window: the rows of the listed object (or of
// the top-level list), the selected row, resolving the expression at the caret.
class TJSBrowser {
 public:
  void SetModel(std::shared_ptr<const TJSModel> model);
  const TJSModel* Model() const { return model_.get(); }

  void ShowTopLevel();
  void ShowMembers(const TJSObject& object, bool statics = false);
  // Lists the members of instances of the object named `type` (none when it is unknown); false
  // without a model.
  bool ShowMembersOf(std::string_view type);
  const TJSObject* Listed() const { return listed_; }  // nullptr for the top-level list
  bool ListsStatics() const { return statics_; }       // the constructor's members are listed
  const std::vector<TJSRow>& Rows() const { return rows_; }

  int Selected() const { return selected_; }
  void Select(int row);  // clamped; -1 when there are no rows
  const TJSRow* SelectedRow() const;

  // Resolves `expression` (the identifier at the caret) part by part at ".". An object named
  // exactly by the first part lists its constructor's static members when it has any, its
  // instances' members otherwise; "new X()." and a member's type or element type list instances'.
  void Resolve(std::string_view expression);
  // Selects the first row whose name starts with `part` (without regard to case).
  void SelectPrefix(std::string_view part);
  // Ctrl+Right: into the selected member's type (not "Number" or empty) or the selected object,
  // listing what its instances have.
  bool DescendSelected();

 private:
  bool DescendInto(const TJSRow& row, std::string_view part, bool statics);

  std::shared_ptr<const TJSModel> model_;
  const TJSObject* listed_ = nullptr;
  bool statics_ = false;
  std::vector<TJSRow> rows_;
  int selected_ = -1;
};

// The expression that ends at byte `caret` of `line`: names joined by ".", with bracketed indexes
// and call arguments (document.forms[0]., a.b("x").c), after "new " when the keyword stands before
// it (new Map().); at most `limit` bytes back.
std::string JSExpressionBeforeCaret(std::string_view line, std::size_t caret,
                                    std::size_t limit = 4096);
// The last "."-part of an expression (the text the popup completes), without a leading "new ".
std::string_view LastJSPart(std::string_view expression);
// The name Enter inserts for a row: the name with every "[" and "]" removed.
std::string JSInsertText(const TJSRow& row);

}  // namespace tervil
