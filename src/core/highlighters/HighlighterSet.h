#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/highlighters/CFamilyHighlighter.h"
#include "core/highlighters/CssHighlighter.h"
#include "core/highlighters/GeneralHighlighter.h"
#include "core/highlighters/HtmlHighlighter.h"
#include "core/highlighters/JavaScriptHighlighter.h"
#include "core/highlighters/MultiHighlighter.h"
#include "core/highlighters/PascalHighlighter.h"
#include "core/highlighters/PerlHighlighter.h"
#include "core/highlighters/PhpHighlighter.h"
#include "core/highlighters/SqlHighlighter.h"
#include "core/highlighters/VBScriptHighlighter.h"
#include "core/highlighters/XmlHighlighter.h"

namespace tervil {

// A list of highlighters by language name.
using THighlighterList = std::vector<std::pair<std::string, THighlighter*>>;

// Adds each highlighter of `components` that is not a multi highlighter, walking from the last
// to the first, under its language name unless the name is already listed; then sorts the list
// by name without regard to case. Without `append` the list is cleared first. A missing
// component list or list does nothing.
void ListHighlighters(const std::vector<THighlighter*>* components, THighlighterList* list,
                      bool append);

// One instance of each highlighter of the program and the two multi highlighters built from
// them: `Multi` shows HTML with embedded PHP, CSS and JavaScript, `MultiPhp` (the PHP part of
// `Multi`) shows PHP with CSS and JavaScript written inside it.
class THighlighterSet {
 public:
  THighlighterSet();
  ~THighlighterSet();
  THighlighterSet(const THighlighterSet&) = delete;
  THighlighterSet& operator=(const THighlighterSet&) = delete;

  THtmlHighlighter& Html() { return *html_; }
  TPhpHighlighter& Php() { return *php_; }
  TCssHighlighter& Css() { return *css_; }
  TJavaScriptHighlighter& JavaScript() { return *javaScript_; }
  TXmlHighlighter& Xml() { return *xml_; }
  TSqlHighlighter& Sql() { return *sql_; }
  TPerlHighlighter& Perl() { return *perl_; }
  TJavaHighlighter& Java() { return *java_; }
  TCppHighlighter& Cpp() { return *cpp_; }
  TCSharpHighlighter& CSharp() { return *cSharp_; }
  TVBScriptHighlighter& VBScript() { return *vbScript_; }
  TPascalHighlighter& Pascal() { return *pascal_; }
  TGeneralHighlighter& General() { return *general_; }
  TMultiHighlighter& Multi() { return *multi_; }
  TMultiHighlighter& MultiPhp() { return *multiPhp_; }

  // Every highlighter of the set in creation order, the multi highlighters last.
  const std::vector<THighlighter*>& Components() const { return components_; }
  // The single highlighter with this language name, or nullptr.
  THighlighter* FindByLanguageName(std::string_view name) const;
  void ListHighlighters(THighlighterList& list, bool append) const;

 private:
  std::unique_ptr<THtmlHighlighter> html_;
  std::unique_ptr<TPhpHighlighter> php_;
  std::unique_ptr<TCssHighlighter> css_;
  std::unique_ptr<TJavaScriptHighlighter> javaScript_;
  std::unique_ptr<TXmlHighlighter> xml_;
  std::unique_ptr<TSqlHighlighter> sql_;
  std::unique_ptr<TPerlHighlighter> perl_;
  std::unique_ptr<TJavaHighlighter> java_;
  std::unique_ptr<TCppHighlighter> cpp_;
  std::unique_ptr<TCSharpHighlighter> cSharp_;
  std::unique_ptr<TVBScriptHighlighter> vbScript_;
  std::unique_ptr<TPascalHighlighter> pascal_;
  std::unique_ptr<TGeneralHighlighter> general_;
  std::unique_ptr<TMultiHighlighter> multiPhp_;
  std::unique_ptr<TMultiHighlighter> multi_;
  std::vector<THighlighter*> components_;
};

}  // namespace tervil
