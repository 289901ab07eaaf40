// The head generator's text for each option, and the escaping of typed values.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GeneratorTestSupport.h"
#include "core/generators/HeadGenerator.h"
#include "core/generators/MarkupText.h"

namespace tervil {
namespace {

struct THeadCase {
  const char* what;
  std::function<void(THeadOptions&)> check;
  std::string expected;
};

const std::string kSkeletonEnd = "\t</head>\r\t<body>\r\t</body>\r</html>";

TEST(HeadGenerator, WritesEachOptionAsDocumented) {
  const auto& doctypes = DocTypeDeclarations();
  const THeadCase cases[] = {
      {"nothing checked", [](THeadOptions&) {}, ""},
      {"HTML5 document type",
       [&](THeadOptions& o) {
         o.DocType = true;
         o.Declaration = doctypes[0];
       },
       "<!DOCTYPE html>\r<html>\r\t<head>\r" + kSkeletonEnd},
      {"XHTML document type with a title",
       [&](THeadOptions& o) {
         o.DocType = true;
         o.Declaration = doctypes[1];
         o.Title = true;
         o.TitleText = "Home";
       },
       doctypes[1] + "\r<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\t<head>\r" +
           "\t\t<title>Home</title>\r" + kSkeletonEnd},
      {"encoding",
       [](THeadOptions& o) {
         o.Encoding = true;
         o.Charset = "iso-8859-2";
       },
       "<meta http-equiv=\"Content-type\" content=\"text/html; charset=iso-8859-2\" />\r"},
      {"encoding without a choice", [](THeadOptions& o) { o.Encoding = true; },
       "<meta http-equiv=\"Content-type\" content=\"text/html; charset=\" />\r"},
      {"encoding in its short HTML5 form",
       [](THeadOptions& o) {
         o.Encoding = true;
         o.ShortCharset = true;
         o.Charset = "utf-8";
       },
       "<meta charset=\"utf-8\" />\r"},
      {"viewport", [](THeadOptions& o) { o.Viewport = true; },
       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\r"},
      {"e-mail",
       [](THeadOptions& o) {
         o.Email = true;
         o.EmailText = "ann@example.org";
       },
       "<meta http-equiv=\"Reply-to\" content=\"ann@example.org\" />\r"},
      {"do not cache", [](THeadOptions& o) { o.NoCache = true; },
       "<meta http-equiv=\"Pragma\" content=\"no-cache\" />\r"},
      {"keywords",
       [](THeadOptions& o) {
         o.Keywords = true;
         o.KeywordsText = "a, b";
       },
       "<meta name=\"Keywords\" content=\"a, b\" />\r"},
      {"description",
       [](THeadOptions& o) {
         o.Description = true;
         o.DescriptionText = "Shop";
       },
       "<meta name=\"Description\" content=\"Shop\" />\r"},
      {"author",
       [](THeadOptions& o) {
         o.Author = true;
         o.AuthorText = "Ann";
       },
       "<meta name=\"Author\" content=\"Ann\" />\r"},
      {"generator", [](THeadOptions& o) { o.Generator = true; },
       "<meta name=\"Generator\" content=\"Tervil Editor\" />\r"},
      {"robots INDEX and NOFOLLOW",
       [](THeadOptions& o) {
         o.Robots = true;
         o.RobotsChecked = {false, true, false, true, false};
       },
       "<meta name=\"Robots\" content=\"index, nofollow \" />\r"},
      {"robots with nothing checked writes no line", [](THeadOptions& o) { o.Robots = true; }, ""},
      {"unchecked options write nothing",
       [](THeadOptions& o) {
         o.TitleText = "x";
         o.RobotsChecked = {true, true, true, true, true};
       },
       ""},
      {"title",
       [](THeadOptions& o) {
         o.Title = true;
         o.TitleText = "Start";
       },
       "<title>Start</title>\r"},
      {"a title with markup characters and quotes",
       [](THeadOptions& o) {
         o.Title = true;
         o.TitleText = "a < b & \"c\" &amp; d";
       },
       "<title>a &lt; b &amp; \"c\" &amp; d</title>\r"},
      {"an author with quotes and an ampersand",
       [](THeadOptions& o) {
         o.Author = true;
         o.AuthorText = "Tom \"T\" & <Jerry>";
       },
       "<meta name=\"Author\" content=\"Tom &quot;T&quot; &amp; &lt;Jerry&gt;\" />\r"},
      {"fixed order whatever was checked first, indented under a document type",
       [&](THeadOptions& o) {
         o.Title = true;
         o.TitleText = "T";
         o.Generator = true;
         o.NoCache = true;
         o.DocType = true;
         o.Declaration = doctypes[6];
       },
       doctypes[6] +
           "\r<html>\r\t<head>\r\t\t<meta http-equiv=\"Pragma\" content=\"no-cache\" />\r"
           "\t\t<meta name=\"Generator\" content=\"Tervil Editor\" />\r"
           "\t\t<title>T</title>\r" +
           kSkeletonEnd},
  };
  for (const THeadCase& c : cases) {
    SCOPED_TRACE(c.what);
    THeadOptions options;
    c.check(options);
    const std::string text = BuildHeadText(options);
    EXPECT_EQ(text, c.expected);
    const bool page = options.DocType;
    EXPECT_EQ(
        test::HtmlParseErrors(page ? text : "<html><head>" + text + "</head><body></body></html>"),
        "");
  }
}

TEST(HeadGenerator, EveryDocumentTypeGivesAPageTheParserAccepts) {
  const auto& doctypes = DocTypeDeclarations();
  ASSERT_EQ(doctypes.size(), 9u);
  for (std::size_t i = 0; i < doctypes.size(); ++i) {
    SCOPED_TRACE(doctypes[i]);
    EXPECT_EQ(doctypes[i].rfind(i == 0  ? "<!DOCTYPE html>"
                                : i < 6 ? "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML"
                                        : "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01",
                                0),
              0u);
    EXPECT_EQ(doctypes[i].find("xhtml") != std::string::npos, i >= 1 && i <= 5);
    THeadOptions options;
    options.DocType = true;
    options.Declaration = doctypes[i];
    options.Encoding = true;
    options.Charset = "utf-8";
    options.Title = true;
    options.TitleText = "<T & \"Q\">";
    EXPECT_EQ(test::HtmlParseErrors(BuildHeadText(options)), "");
  }
  EXPECT_EQ(doctypes[5].substr(doctypes[5].size() - 2), " >");
}

TEST(HeadGenerator, OffersTheCharsetTableNames) {
  const auto names = HeadCharsetNames();
  ASSERT_EQ(names.size(), 24u);
  EXPECT_EQ(names.front(), "windows-1250");
  EXPECT_EQ(names[9], "cp1025");
  EXPECT_EQ(names.back(), "utf-8");
}

TEST(MarkupText, EscapesButKeepsCharacterReferences) {
  const std::pair<std::string, std::string> cases[] = {
      {"a&b", "a&amp;b"},   {"&amp;", "&amp;"},           {"&#233;&#xE9;", "&#233;&#xE9;"},
      {"& ;", "&amp; ;"},   {"&#;", "&amp;#;"},           {"&#x;", "&amp;#x;"},
      {"&amp", "&amp;amp"}, {"<\"'>", "&lt;&quot;'&gt;"}, {"two\r\nlines\t", "two  lines "},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(EscapeAttribute(in), out) << in;
  EXPECT_EQ(EscapeContent("\"<\""), "\"&lt;\"");
}

}  // namespace
}  // namespace tervil
