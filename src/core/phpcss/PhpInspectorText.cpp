// Captions and images of the code inspector and the accessor generator's text.

#include "core/phpcss/PhpInspectorText.h"

#include <algorithm>

#include "core/common/Utf8.h"

namespace tervil {
namespace {

bool IsBlankChar(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// Trimmed, with every run of white space (line breaks included) made one space.
std::string OneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (!IsBlankChar(c)) {
      out.push_back(c);
    } else if (!out.empty() && out.back() != ' ') {
      out.push_back(' ');
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsBlankChar);
}

bool IsWordByte(std::string_view line, std::size_t at) {
  std::size_t i = at;
  char32_t cp;
  return at < line.size() && utf8::NextChar(line, i, cp) && utf8::IsWordChar(cp);
}

// Byte offsets of character boundaries before and after a byte of valid UTF-8.
std::size_t PrevCharStart(std::string_view line, std::size_t at) {
  do {
    --at;
  } while (at > 0 && utf8::IsContinuation(static_cast<unsigned char>(line[at])));
  return at;
}

std::size_t NextCharStart(std::string_view line, std::size_t at) {
  do {
    ++at;
  } while (at < line.size() && utf8::IsContinuation(static_cast<unsigned char>(line[at])));
  return at;
}

}  // namespace

std::string PhpClassCaption(const TPHPClass& cls) {
  return OneLine(cls.Name) + (cls.ParentName.empty() ? "" : " (" + OneLine(cls.ParentName) + ")");
}

std::string PhpFieldCaption(const TPHPField& field) {
  std::string caption = OneLine(field.Name);
  if (!IsBlank(field.TypeName)) caption += ":" + OneLine(field.TypeName);
  if (!IsBlank(field.DefaultValue)) caption += " = " + OneLine(field.DefaultValue);
  return caption;
}

std::string PhpMethodCaption(const TPHPMethod& method) {
  std::string caption = OneLine(method.Name) + "(" + OneLine(method.Parameters) + ")";
  if (!IsBlank(method.TypeName)) caption += " : " + OneLine(method.TypeName);
  return caption;
}

int PhpClassImage(const TPHPClass& cls) {
  if (cls.IsAbstract) return piAbstractClass;
  if (cls.IsInterface) return piInterface;
  return piClass;
}

int PhpMethodState(const TPHPMethod& method) {
  if (method.IsFinal) return psFinal;
  if (method.IsAbstract) return psAbstract;
  return psNone;
}

std::string PhpVariableAt(std::string_view line, int column) {
  if (column < 1 || static_cast<std::size_t>(column - 1) > utf8::CountCharsTolerant(line))
    return {};
  const std::size_t caret =
      utf8::AdvanceCharsTolerant(line, static_cast<std::size_t>(std::max(column, 1) - 1));
  std::size_t start = caret;
  if (!IsWordByte(line, start) && start > 0 && IsWordByte(line, PrevCharStart(line, start)))
    start = PrevCharStart(line, start);
  if (!IsWordByte(line, start)) {
    // The caret on the "$" of a variable.
    if (start < line.size() && line[start] == '$' && IsWordByte(line, start + 1)) {
      std::size_t end = start + 1;
      while (IsWordByte(line, end)) end = NextCharStart(line, end);
      return std::string(line.substr(start, end - start));
    }
    return {};
  }
  while (start > 0 && IsWordByte(line, PrevCharStart(line, start)))
    start = PrevCharStart(line, start);
  std::size_t end = start;
  while (IsWordByte(line, end)) end = NextCharStart(line, end);
  if (start > 0 && line[start - 1] == '$') --start;
  return std::string(line.substr(start, end - start));
}

std::string PhpAccessorText(std::string_view word, std::string_view indent, int tabWidth) {
  if (!word.starts_with('$')) return {};
  const std::string I(indent);
  const std::string T(static_cast<std::size_t>(std::max(tabWidth, 0)), ' ');
  const std::string P(word.substr(1));
  std::string C = P;
  if (!C.empty() && C[0] >= 'a' && C[0] <= 'z') C[0] = static_cast<char>(C[0] - 'a' + 'A');
  return "\r" + I + "public function get" + C + "() {\r" + I + T + "return $this->" + P + ";\r" +
         I + "}\r" + I + "public function set" + C + "($value) {\r" + I + T + "$this->" + P +
         " = $value; \r" + I + "}\r";
}

std::string_view LeadingSpaces(std::string_view line) {
  return line.substr(0, std::min(line.find_first_not_of(' '), line.size()));
}

}  // namespace tervil
