#include "core/generators/FormSnippets.h"

#include <array>
#include <string>

namespace tervil {

namespace {

constexpr std::array<TFormSnippet, 13> kSnippets = {{
    {"formForm", "Form", "Form|<form></form>", "<form>", "\r</form>", "tervil-form"},
    {"formSubmit", "Submit Button", "Submit Button|<input type=\"submit\"...",
     "<input type=\"submit\" />", "", "tervil-form-submit"},
    {"formReset", "Reset Button", "Reset Button|<input type=\"reset\"...",
     "<input type=\"reset\" />", "", "tervil-form-reset"},
    {"formButton", "Button", "Button|<input type=\"button\"...", "<input type=\"button\" />", "",
     "tervil-form-button"},
    {"formCheckBox", "CheckBox", "CheckBox|<input type=\"checkbox\"...",
     "<input type=\"checkbox\" />", "", "tervil-form-checkbox"},
    {"formRadio", "Radio", "Radio|<input type=\"radio\"...", "<input type=\"radio\" />", "",
     "tervil-form-radio"},
    {"formList", "SelectBox", "SelectBox|<select></select>", "<select>", "</select>",
     "tervil-form-select"},
    {"formText", "TextBox", "TextBox|<input type=\"text\"...", "<input type=\"text\" />", "",
     "tervil-form-text"},
    {"formPass", "Password TextBox", "Password TextBox|<input type=\"password\"...",
     "<input type=\"password\" />", "", "tervil-form-password"},
    {"formHidden", "Hidden Field", "Hidden Field|<input type=\"hidden\"...",
     "<input type=\"hidden\" />", "", "tervil-form-hidden"},
    {"formFile", "File", "File|<input type=\"file\"...", "<input type=\"file\" />", "",
     "tervil-form-file"},
    {"formImage", "Image", "Image|<input type=\"image\"...", "<input type=\"image\" />", "",
     "tervil-form-image"},
    {"formArea", "TextArea", "TextArea|<textarea></textarea>", "<textarea>", "</textarea>",
     "tervil-form-textarea"},
}};

}  // namespace

std::span<const TFormSnippet> FormSnippets() {
  return kSnippets;
}

TTextInsertion FormSnippetInsertion(int number, std::string_view selection, TCaretSide side) {
  if (number < 0 || number >= static_cast<int>(kSnippets.size())) return {std::string(selection)};
  if (number == kFormSelectBox) return {ListMarkup(selection, "select", "option")};
  const TFormSnippet& snippet = kSnippets[static_cast<std::size_t>(number)];
  return WrapSelection(snippet.prefix, snippet.suffix, selection, side);
}

}  // namespace tervil
