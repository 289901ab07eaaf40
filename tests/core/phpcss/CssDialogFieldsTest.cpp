#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/phpcss/CssDialogFields.h"

namespace tervil {
namespace {

TEST(CssDialogFields, ManagedPropertiesInFormOrder) {
  const std::vector<std::string> managed = CssManagedProperties();
  ASSERT_EQ(managed.size(), CssDialogFields().size() + 24);
  EXPECT_EQ(managed.front(), "cursor");
  EXPECT_EQ(managed.back(), "z-index");
  // Borders: the five widths, colours, styles and shorthands, then the outline fields.
  const auto at = [&](const std::string& name) {
    return std::find(managed.begin(), managed.end(), name) - managed.begin();
  };
  EXPECT_EQ(at("border-top-width") + 4, at("border-width"));
  EXPECT_EQ(at("border-width") + 1, at("border-top-color"));
  EXPECT_EQ(at("border-color") + 1, at("border-top-style"));
  EXPECT_EQ(at("border-style") + 1, at("border-top"));
  EXPECT_EQ(at("border") + 1, at("outline-style"));
  EXPECT_LT(at("color"), at("font-family"));
  EXPECT_EQ(at("margin-top"), static_cast<long>(CssDialogFields().size()));
  for (const TCssField& field : CssDialogFields())
    EXPECT_NE(std::find(CssDialogPages().begin(), CssDialogPages().end(), field.page),
              CssDialogPages().end())
        << field.name;
}

struct QuoteCase {
  const char* text;
  char closer;
  const char* quoted;
};

void PrintTo(const QuoteCase& c, std::ostream* os) {
  *os << c.text;
}

class FontFamilies : public testing::TestWithParam<QuoteCase> {};

TEST_P(FontFamilies, NamesWithSpacesAreQuotedOnce) {
  EXPECT_EQ(QuoteFontFamilies(GetParam().text, GetParam().closer), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FontFamilies,
    testing::Values(QuoteCase{"Arial, Times New Roman", '}', "Arial, \"Times New Roman\""},
                    QuoteCase{"Arial, Times New Roman", '"', "Arial, 'Times New Roman'"},
                    QuoteCase{"Arial, Times New Roman", '\'', "Arial, \"Times New Roman\""},
                    QuoteCase{"Arial,\"Times New Roman\"", '}', "Arial, \"Times New Roman\""},
                    QuoteCase{" 'Noto Sans' ,serif", '}', "'Noto Sans', serif"},
                    QuoteCase{"Arial,", '}', "Arial"}, QuoteCase{"", '}', ""}));

TEST(CssDialogFields, PreviewComposition) {
  EXPECT_EQ(
      ComposeCssPreview({}, {{"color", "red"}, {"font-family", "Arial, Times New Roman"}}, '}'),
      "color : red; font-family : Arial, \"Times New Roman\"; ");
  EXPECT_EQ(
      ComposeCssPreview({{"margin", "0"}, {"width", ""}}, {{"color", ""}, {"float", "left"}}, '}'),
      "margin : 0; float : left; ");
  EXPECT_EQ(ComposeCssPreview({}, {}, '}'), "");
}

TEST(CssDialogFields, KeyValueAndFontChoice) {
  EXPECT_EQ(CssKeyValue(" color : red "), (std::pair<std::string, std::string>{"color", "red"}));
  EXPECT_EQ(CssKeyValue("background:url(http://x)").second, "url(http://x)");
  EXPECT_EQ(CssKeyValue("/* c */").first, "/* c */");
  EXPECT_EQ(ChooseFontFamily("Arial", "Times New Roman", true), "Arial, Times New Roman");
  EXPECT_EQ(ChooseFontFamily("Arial", "Times New Roman", false), "Times New Roman");
  EXPECT_EQ(ChooseFontFamily("  ", "serif", true), "serif");
  EXPECT_EQ(ChooseFontFamily("Arial", "", true), "");
}

}  // namespace
}  // namespace tervil
