#pragma once

// The fields of the tabbed "CSS Editor" style dialog: its pages, each field's property, kind of
// input and offered values in form order, and the rules that compose the preview from them.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tervil {

enum class TCssFieldKind {
  kFixedList,     // a drop-down list; only its values (or a value it was loaded with)
  kEditableList,  // a combo box that also takes typed text
  kText,          // a text box
  kColorText,     // a text box with a "Choose color" button
  kFontText,      // the font-family text box with a "Choose font" button
};

struct TCssField {
  std::string_view page;
  std::string_view name;  // the property, also the field's label
  TCssFieldKind kind;
  std::vector<std::string_view> values;
  std::string_view hint;
};

// The pages in tab order, without "Preview".
const std::vector<std::string_view>& CssDialogPages();
// Every list and text field, in form order (page by page).
const std::vector<TCssField>& CssDialogFields();
// The rows of the box-model grid on the "Position" page.
const std::vector<std::string_view>& CssGridRows();
// The properties the dialog sets: the fields in form order, then the grid rows.
std::vector<std::string> CssManagedProperties();

// The trimmed text before the first ":" and the trimmed text after it.
std::pair<std::string, std::string> CssKeyValue(std::string_view declaration);

// The font-family text as the preview writes it: the names split at ",", trimmed, a name with a
// space that is not quoted yet put in quotes (single quotes inside a double-quoted attribute,
// whose closer is '"', double quotes otherwise), joined with ", ".
std::string QuoteFontFamilies(std::string_view text, char closer);

// The preview text on one line: "name : value; " for each grid row with a value, then for each
// field with text, in the order given.
std::string ComposeCssPreview(const std::vector<std::pair<std::string, std::string>>& gridRows,
                              const std::vector<std::pair<std::string, std::string>>& fields,
                              char closer);

// The font-family text after choosing `font` in the font chooser: "Add" appends ", " and the
// name when both are not blank, otherwise (and for "OK") the choice replaces the text.
std::string ChooseFontFamily(std::string_view current, std::string_view font, bool add);

}  // namespace tervil
