#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/ExporterHtml.h"
#include "core/editcomponent/ExporterRtf.h"

namespace tervil {
namespace {

// A tiny highlighter: "if" is a keyword, digits are numbers, and "/*" ... "*/" comments run
// across lines (the state after a line says whether a comment is open).
class FakeHighlighter : public THighlighter {
 public:
  THighlighterAttribute keyword{"Keyword", clNone, clBlue, fsBold};
  THighlighterAttribute number{"Number", clYellow, clRed, 0};
  THighlighterAttribute comment{"Comment", clNone, clGreen, fsItalic};

  std::string LanguageName() const override { return "Fake"; }
  std::string DefaultFilter() const override { return "Fake (*.fake)|*.fake"; }
  std::vector<THighlighterAttribute*> Attributes() override {
    return {&keyword, &number, &comment};
  }

  THighlighterState TokenizeLine(std::string_view line, THighlighterState state,
                                 std::vector<TToken>& tokens) override {
    std::size_t i = 0;
    while (i < line.size()) {
      if (state == 1 || line.compare(i, 2, "/*") == 0) {
        std::size_t end = line.find("*/", state == 1 ? i : i + 2);
        std::size_t stop = end == std::string_view::npos ? line.size() : end + 2;
        tokens.push_back({static_cast<int>(i), static_cast<int>(stop - i), &comment});
        state = end == std::string_view::npos ? 1 : 0;
        i = stop;
      } else if (line.compare(i, 2, "if") == 0) {
        tokens.push_back({static_cast<int>(i), 2, &keyword});
        i += 2;
      } else if (line[i] >= '0' && line[i] <= '9') {
        tokens.push_back({static_cast<int>(i), 1, &number});
        ++i;
      } else {
        ++i;
      }
    }
    return state;
  }
};

bool BracesBalance(const std::string& rtf) {
  int depth = 0;
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;  // an escaped character or the first letter of a control word
    } else if (rtf[i] == '{') {
      ++depth;
    } else if (rtf[i] == '}' && --depth < 0) {
      return false;
    }
  }
  return depth == 0;
}

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST(ExporterHTML, StandAloneDocumentIsEscapedColouredAndDeclaresUtf8) {
  TEditorModel e;
  e.SetText("if a<b && c>\"d\" 7\n/* \xC3\xA9t\xC3\xA9\x01\n*/ x\n");
  FakeHighlighter highlighter;
  TExporterHTML html;
  html.SetTitle("C:/www/<index>.php");
  html.SetHighlighter(&highlighter);
  html.ExportAll(e);
  const std::string& out = html.Result();
  EXPECT_EQ(out.rfind("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">", 0), 0u);
  EXPECT_NE(out.find("<title>C:/www/&lt;index&gt;.php</title>"), std::string::npos);
  EXPECT_NE(out.find("<span style=\"color:#0000FF;font-weight:bold;\">if</span> a&lt;b &amp;&amp; "
                     "c&gt;&quot;d&quot; <span style=\"color:#FF0000;\">7</span>\n"),
            std::string::npos)
      << out;
  // The comment runs across the line break; the control character is replaced.
  EXPECT_NE(out.find("<span style=\"color:#008000;font-style:italic;\">/* "
                     "\xC3\xA9t\xC3\xA9\xEF\xBF\xBD</span>\n"
                     "<span style=\"color:#008000;font-style:italic;\">*/</span> x\n</pre>"),
            std::string::npos)
      << out;
  EXPECT_EQ(Count(out, "<span"), Count(out, "</span>"));
  EXPECT_EQ(out.substr(out.size() - 16), "</body>\n</html>\n");
}

TEST(ExporterHTML, FragmentOfARangeWithoutHighlighterIsPlain) {
  TEditorModel e;
  e.SetText("first line\nsecond line\nthird");
  TExporterHTML html;
  html.SetExportAsFragment(true);
  html.SetBackground(0x102030);
  html.SetUseBackground(true);
  html.ExportRange(e, {7, 1}, {7, 2});
  EXPECT_EQ(html.Result(),
            "<pre style=\"font-family:'Courier New',monospace;font-size:10pt;color:#000000;"
            "background-color:#302010;tab-size:8\">line\nsecond</pre>");
}

TEST(ExporterHTML, RangeStartingInsideACommentKeepsItsColour) {
  TEditorModel e;
  e.SetText("a /* open\nstill comment\nend */ if");
  FakeHighlighter highlighter;
  TExporterHTML html;
  html.SetHighlighter(&highlighter);
  html.SetExportAsFragment(true);
  html.ExportRange(e, {1, 2}, {6, 2});
  EXPECT_NE(
      html.Result().find("<span style=\"color:#008000;font-style:italic;\">still</span></pre>"),
      std::string::npos)
      << html.Result();
}

TEST(ExporterHTML, BackgroundOfAttributesOnlyWhenAsked) {
  TEditorModel e;
  e.SetText("1");
  FakeHighlighter highlighter;
  TExporterHTML html;
  html.SetHighlighter(&highlighter);
  html.SetExportAsFragment(true);
  html.ExportAll(e);
  EXPECT_EQ(html.Result().find("background-color:#FFFF00"), std::string::npos);
  html.SetUseBackground(true);
  html.ExportAll(e);
  EXPECT_NE(html.Result().find("<span style=\"color:#FF0000;background-color:#FFFF00;\">1</span>"),
            std::string::npos);
}

TEST(ExporterRTF, DocumentIsValidAsciiWithUnicodeEscapes) {
  TEditorModel e;
  e.SetText("if {x}\\ 5\t\xC3\xA9\xF0\x9F\x98\x80\n/* c */");
  FakeHighlighter highlighter;
  TExporterRTF rtf;
  rtf.SetTitle("r\xC3\xA9sum\xC3\xA9 {1}");
  rtf.SetHighlighter(&highlighter);
  rtf.SetFont("Courier New", 12);
  rtf.ExportAll(e);
  const std::string& out = rtf.Result();
  EXPECT_EQ(out.rfind("{\\rtf1\\ansi", 0), 0u);
  EXPECT_TRUE(BracesBalance(out)) << out;
  for (char c : out) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << out;
  EXPECT_NE(out.find("{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green255\\blue255;"),
            std::string::npos);
  EXPECT_NE(out.find("{\\info{\\title r\\u233?sum\\u233? \\{1\\}}}"), std::string::npos);
  EXPECT_NE(out.find("\\fs24"), std::string::npos);
  EXPECT_NE(out.find("\\b if}"), std::string::npos) << out;
  EXPECT_NE(out.find(" \\{x\\}\\\\ "), std::string::npos) << out;
  EXPECT_NE(out.find("\\tab \\u233?\\u-10179?\\u-8704?}\\par\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\\i /* c */}"), std::string::npos) << out;
}

TEST(ExporterRTF, FragmentHasNoTitleAndPlainTextWithoutHighlighter) {
  TExporterRTF rtf;
  rtf.SetExportAsFragment(true);
  rtf.ExportLines({"a", "b"});
  const std::string& out = rtf.Result();
  EXPECT_EQ(out.find("\\info"), std::string::npos);
  EXPECT_NE(out.find("{\\cf1\\chcbpat2\\cb2 a}\\par\n{\\cf1\\chcbpat2\\cb2 b}\n}"),
            std::string::npos)
      << out;
  EXPECT_TRUE(BracesBalance(out));
}

TEST(Exporter, SavesToAFileAndReportsWriteErrors) {
  const char* tmp = std::getenv("TERVIL_TEST_TMP");
  const std::string dir = tmp ? tmp : "/tmp";
  std::system(("mkdir -p '" + dir + "'").c_str());
  const std::string path = dir + "/export_test.html";
  TExporterHTML html;
  html.ExportLines({"x"});
  html.SaveToFile(path);
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), html.Result());
  std::remove(path.c_str());
  EXPECT_THROW(html.SaveToFile(dir + "/no/such/folder/x.html"), std::runtime_error);
  EXPECT_EQ(html.DefaultFilter(), "HTML Documents (*.htm;*.html)|*.htm;*.html");
  EXPECT_EQ(TExporterRTF().DefaultFilter(), "Rich Text Format Documents (*.rtf)|*.rtf");
}

}  // namespace
}  // namespace tervil
