#pragma once

// The HTML tag database ("data/html.tvd"): which tags exist, which take a closing tag, which are
// deprecated, their attributes with the values offered for each; and the operations on the tag
// at the caret of an editor (TagEngine.cpp).
//
// Text is UTF-8; columns count characters from 1.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/tags/TagAttributeGrid.h"
#include "core/tags/TagValueSets.h"

namespace tervil {

class TEditorModel;

// Flags of a known tag.
using Thtmltagsoptions = std::uint8_t;
inline constexpr Thtmltagsoptions htoDeprecated = 1;
inline constexpr Thtmltagsoptions htoDouble = 2;  // the tag has a closing tag

// One attribute of a tag, as the data file describes it.
struct AttrStruct {
  std::string Name;
  std::vector<std::string> Values;  // offered values; a leading empty entry stands for "none"
  bool UserValue = false;           // a value may be typed, not only chosen
  TAttrEditStyle EditStyle = esNone;
  std::string Info;
  std::string Special;  // "color", "lang", "mime" or empty: the named value set in use
};
using TAttrStructArray = std::vector<AttrStruct>;

// A tag found in the text: its name and identifier (0 when the name is not a built-in tag).
struct HtmlTag {
  std::string Name;
  int Id = 0;

  friend bool operator==(const HtmlTag&, const HtmlTag&) = default;
};

// The data file cannot be read; what() is the message of CannotOpenFileMessage.
class TTagsFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A tag database read from a data file, with the operations an editor needs on the tag at the
// caret.
class TTagsEditor {
 public:
  TTagsEditor() = default;
  // Reads the file's text. Throws TTagsFileError when it cannot be read.
  explicit TTagsEditor(const std::string& fileName);
  virtual ~TTagsEditor() = default;
  TTagsEditor(const TTagsEditor&) = delete;
  TTagsEditor& operator=(const TTagsEditor&) = delete;
  TTagsEditor(TTagsEditor&&) = default;
  TTagsEditor& operator=(TTagsEditor&&) = default;

  // Fills `grid` with the attributes of `tag` and their values in `tagText`.
  virtual void ShowTagAttributes(const HtmlTag& tag, std::string_view tagText,
                                 TAttributeGrid& grid) = 0;
  // Sets an attribute of the tag at the editor's caret.
  virtual void SetTagAttribute(std::string_view name, std::string_view value,
                               TEditorModel& editor) = 0;
  // The text of the tag around column `pos` of `line`, or empty.
  virtual std::string GetTagText(std::string_view line, int pos) const = 0;
  // The column of that tag's "<", or 0.
  virtual int GetTagStart(std::string_view line, int pos) const = 0;

  // The data file's text, lower-cased, its lines joined with CR LF.
  const std::string& FileText() const { return fileText_; }

 protected:
  // Keeps `text` lower-cased as the file text.
  void SetFileText(std::string_view text);

 private:
  std::string fileText_;
};

class THtmlTagsEditor : public TTagsEditor {
 public:
  // An empty database: no tag is known.
  THtmlTagsEditor();
  // Reads and parses the data file. Throws TTagsFileError when it cannot be read.
  explicit THtmlTagsEditor(const std::string& fileName);

  // Replaces the database by the one described in `text` (the contents of a data file).
  void LoadText(std::string_view text);

  // ---- Known tags (the built-in tags the file describes, in built-in order)
  const std::vector<std::string>& KnownTags() const { return knownTags_; }
  // Index in KnownTags(), or -1. The comparison is exact, so only lower-case names are found.
  int IndexOfTag(std::string_view name) const;
  // Flags of the known tag at `index` (0 for an index out of range).
  Thtmltagsoptions TagFlags(int index) const;
  bool IsDeprecated(int index) const { return (TagFlags(index) & htoDeprecated) != 0; }
  bool HasClosingTag(int index) const { return (TagFlags(index) & htoDouble) != 0; }

  // The identifier of a built-in tag name (in any letter case), or false.
  static bool TagId(std::string_view name, int& id);

  // The attributes of the tag with identifier `id`, in file order; empty for a tag the file does
  // not describe or an identifier out of range.
  const TAttrStructArray& Attributes(int id) const;
  // The info and special texts of an attribute of a tag (its name, in any letter case); empty
  // when the tag or the attribute is not described. Attribute names are compared exactly.
  std::string AttributeInfo(std::string_view tag, std::string_view attribute) const;
  std::string AttributeSpecial(std::string_view tag, std::string_view attribute) const;

  // The tag the attribute grid shows, set by ShowTagAttributes when it rebuilds the grid.
  const HtmlTag& CurrentTag() const { return currentTag_; }
  void SetCurrentTag(const HtmlTag& tag) { currentTag_ = tag; }

  // ---- Operations on the text (TagEngine.cpp). They look at one line only.
  void ShowTagAttributes(const HtmlTag& tag, std::string_view tagText,
                         TAttributeGrid& grid) override;
  void SetTagAttribute(std::string_view name, std::string_view value,
                       TEditorModel& editor) override;
  std::string GetTagText(std::string_view line, int pos) const override;
  int GetTagStart(std::string_view line, int pos) const override;
  // The tag around `pos` when its name is a built-in tag; otherwise an empty name and 0.
  HtmlTag GetTagAt(std::string_view line, int pos) const;
  // The name of the tag around `pos` (empty when there is none); the identifier is not looked up.
  std::string GetTagNameBefore(std::string_view line, int pos) const;
  // Whether `tagText` holds a space followed by `name` (case-sensitive).
  static bool HasAttribute(std::string_view name, std::string_view tagText);
  // The value of the attribute called `name` (case-sensitive) in `tagText`, or empty; with `wrap`
  // the text from the end of the name to the end of the value (`="red"`, ` = 'x'`). Attributes
  // are read one after the other from the tag's name on, so a name written inside another
  // attribute's quoted value is not taken for the attribute. An unquoted value runs to the next
  // blank or the tag's ">".
  static std::string GetAttribute(std::string_view name, std::string_view tagText,
                                  bool wrap = false);

 private:
  void Parse();
  const AttrStruct* FindAttribute(std::string_view tag, std::string_view attribute) const;
  // Reads the tag element of built-in tag `index` that starts at `start` of `text`; its body
  // (the property elements) ends at `bodyEnd`.
  void ParseTag(int index, std::string_view text, std::size_t start, std::size_t bodyEnd);

  std::vector<std::string> knownTags_;
  std::vector<Thtmltagsoptions> flags_;
  std::array<TAttrStructArray, kBuiltInTagCount> attributes_;
  HtmlTag currentTag_;
};

}  // namespace tervil
