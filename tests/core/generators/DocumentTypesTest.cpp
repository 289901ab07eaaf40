// The document types of the "New..." command.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "GeneratorTestSupport.h"
#include "core/generators/DocumentTypes.h"

namespace tervil {
namespace {

TEST(DocumentTypes, HaveTheirHighlighterExtensionAndInitialText) {
  struct TRow {
    const char* caption;
    const char* highlighter;
    const char* extension;
    const char* text;
    bool wrap;
  };
  const TRow rows[] = {
      {"CSS", "Cascading Style Sheet", ".css", "", false},
      {"HTML", "", ".html", "", false},
      {"JavaScript", "JavaScript", ".js", "", false},
      {"Perl", "Perl", ".pl", "#!/usr/bin/perl -w", false},
      {"PHP", "", ".php", "", false},
      {"SQL", "SQL", ".sql", "", false},
      {"TXT", "General", ".txt", "", true},
      {"XML", "XML", ".xml", "<?xml version=\"1.0\"?>", false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.caption);
    const TDocumentType* type = FindDocumentType(row.caption);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->Highlighter, row.highlighter);
    EXPECT_EQ(type->Extension, row.extension);
    EXPECT_EQ(type->InitialText, row.text);
    EXPECT_EQ(type->WordWrap, row.wrap);
  }
  EXPECT_EQ(FindDocumentType("Cobol"), nullptr);
}

TEST(DocumentTypes, AreSortedByCaptionWithoutRegardToCase) {
  const auto& types = DocumentTypes();
  EXPECT_EQ(types.size(), 9u);
  auto lower = [](std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
  };
  for (std::size_t i = 1; i < types.size(); ++i)
    EXPECT_LT(lower(types[i - 1].Caption), lower(types[i].Caption));
}

TEST(DocumentTypes, Html5StartsWithAValidSkeleton) {
  const TDocumentType* type = FindDocumentType("HTML5");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->Extension, ".html");
  EXPECT_EQ(type->InitialText.rfind("<!DOCTYPE html>\n<html>\n", 0), 0u);
  EXPECT_NE(type->InitialText.find("<meta charset=\"utf-8\" />"), std::string::npos);
  EXPECT_NE(type->InitialText.find("name=\"viewport\""), std::string::npos);
  EXPECT_EQ(test::HtmlParseErrors(type->InitialText), "");
}

TEST(DocumentTypes, AddTheDefaultExtensionOnlyToANameWithout) {
  const TDocumentType& php = *FindDocumentType("PHP");
  const std::pair<const char*, const char*> cases[] = {
      {"index", "index.php"},
      {"index.inc", "index.inc"},
      {"", ""},
      {"site.d/page", "site.d/page.php"},
      {".htaccess", ".htaccess"},
      {"a.", "a."},
  };
  for (const auto& [typed, name] : cases) EXPECT_EQ(NewDocumentFileName(typed, php), name) << typed;
}

}  // namespace
}  // namespace tervil
