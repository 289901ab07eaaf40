// The reference data files that ship in data/: their formats and the lists that must run in
// parallel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "core/app/ReferenceData.h"
#include "core/common/TextFile.h"

namespace tervil {
namespace {

const std::string kDataDir = TERVIL_SOURCE_DIR "/data";

std::vector<std::string> Lines(const char* name) {
  std::vector<std::string> lines;
  std::string error;
  EXPECT_TRUE(ReadLineList(kDataDir + "/" + name, lines, &error)) << error;
  return lines;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(ReferenceFiles, EntityListsAreParallel) {
  const auto entities = Lines("entities.tvd");
  const auto captions = Lines("entities_captions.tvd");
  ASSERT_GT(entities.size(), 200u);
  EXPECT_EQ(entities.size(), captions.size());
  for (std::size_t i = 0; i < entities.size(); ++i) {
    const std::string& e = entities[i];
    EXPECT_TRUE(e.size() > 2 && e.front() == '&' && e.back() == ';') << e;
    EXPECT_FALSE(captions[i].empty()) << e;
  }
  for (const char* common : {"&nbsp;", "&amp;", "&lt;", "&copy;", "&euro;", "&mdash;", "&rarr;",
                             "&yuml;", "&ne;", "&hellip;"})
    EXPECT_NE(std::find(entities.begin(), entities.end(), common), entities.end()) << common;

  std::vector<std::string> errors;
  EXPECT_EQ(LoadEntityItems(kDataDir, errors).size(), captions.size());
  EXPECT_TRUE(errors.empty());
}

TEST(ReferenceFiles, FunctionListsAreParallel) {
  const auto names = Lines("phpfuncn.tvd");
  const auto params = Lines("phpfuncp.tvd");
  const auto full = Lines("phpfuncf.tvd");
  const auto display = Lines("phpfuncm.tvd");
  ASSERT_GT(names.size(), 300u);
  EXPECT_EQ(params.size(), names.size());
  EXPECT_EQ(full.size(), names.size());
  EXPECT_EQ(display.size(), names.size());

  std::set<std::string> seen;
  for (std::size_t i = 0; i < names.size() && i < full.size() && i < display.size(); ++i) {
    const std::string& name = names[i];
    EXPECT_TRUE(seen.insert(Lower(name)).second) << "twice: " << name;
    EXPECT_TRUE(full[i].starts_with(name + "(")) << full[i];
    const std::size_t gap = full[i].find("        ");
    ASSERT_NE(gap, std::string::npos) << full[i];
    EXPECT_GT(full[i].find_first_not_of(' ', gap), gap) << full[i];
    EXPECT_NE(display[i].find(name), std::string::npos) << display[i];
    EXPECT_FALSE(params[i].empty()) << name;
  }
  for (const char* common :
       {"strlen", "str_replace", "array_map", "json_encode", "preg_match", "mysqli_query",
        "session_start", "header", "file_get_contents", "date", "htmlspecialchars"})
    EXPECT_TRUE(seen.count(common)) << common;
}

TEST(ReferenceFiles, TemplatesHaveAKeywordAndACaret) {
  const auto lines = Lines("autocomplete.tvd");
  ASSERT_FALSE(lines.empty());
  ASSERT_EQ(lines.front().front(), '[');
  std::set<std::string> keywords;
  int carets = 0;
  auto finish = [&](const std::string& keyword) {
    if (!keyword.empty()) {
      EXPECT_EQ(carets, 1) << keyword;
    }
    carets = 0;
  };
  std::string keyword;
  for (const std::string& line : lines) {
    if (line.starts_with("[")) {
      finish(keyword);
      keyword = line.substr(1, line.find(' ') - 1);
      EXPECT_FALSE(keyword.empty()) << line;
      EXPECT_TRUE(keywords.insert(keyword).second) << "twice: " << keyword;
      EXPECT_NE(line.find(" | "), std::string::npos) << line;
    } else {
      carets += static_cast<int>(std::count(line.begin(), line.end(), '|'));
    }
  }
  finish(keyword);
}

TEST(ReferenceFiles, CorrectionsAreWrongBarRight) {
  const auto lines = Lines("autocorrect.tvd");
  ASSERT_FALSE(lines.empty());
  std::set<std::string> wrong;
  for (const std::string& line : lines) {
    const std::size_t bar = line.find('|');
    ASSERT_NE(bar, std::string::npos) << line;
    EXPECT_EQ(line.find('|', bar + 1), std::string::npos) << line;
    EXPECT_GT(bar, 0u) << line;
    EXPECT_LT(bar + 1, line.size()) << line;
    EXPECT_TRUE(wrong.insert(Lower(line.substr(0, bar))).second) << line;
  }
  EXPECT_TRUE(wrong.count("teh"));
}

}  // namespace
}  // namespace tervil
