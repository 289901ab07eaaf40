// The sample texts the Options dialog shows: each one shows every attribute of its language.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "HighlighterTestSupport.h"
#include "core/highlighters/HighlighterSet.h"

namespace tervil {
namespace {

std::string ReadSample(const std::string& name) {
  std::ifstream file(std::string(TERVIL_SOURCE_DIR) + "/samples/" + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(Samples, EachShowsEveryAttributeOfItsLanguage) {
  const std::pair<const char*, const char*> samples[] = {
      {"php.tvd", "PHP"},       {"html.tvd", "HTML"},       {"css.tvd", "Cascading Style Sheet"},
      {"js.tvd", "JavaScript"}, {"xml.tvd", "XML"},         {"sql.tvd", "SQL"},
      {"perl.tvd", "Perl"},     {"java.tvd", "Java"},       {"cpp.tvd", "C/C++"},
      {"cs.tvd", "C#"},         {"vbs.tvd", "MS VBScript"}, {"pascal.tvd", "Object Pascal"}};
  THighlighterSet set;
  for (const auto& [file, language] : samples) {
    SCOPED_TRACE(file);
    std::string text = ReadSample(file);
    ASSERT_FALSE(text.empty());
    THighlighter* highlighter = set.FindByLanguageName(language);
    ASSERT_NE(highlighter, nullptr);
    std::set<std::string> shown;
    for (const auto& tokens : testing::TokenizeAll(*highlighter, testing::Lines(text))) {
      for (const TToken& token : tokens) shown.insert(token.attribute->name);
    }
    for (THighlighterAttribute* attribute : highlighter->Attributes())
      EXPECT_TRUE(shown.count(attribute->name)) << attribute->name;
  }
}

}  // namespace
}  // namespace tervil
