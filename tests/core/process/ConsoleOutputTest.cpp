#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/Utf8.h"
#include "core/process/ConsoleOutput.h"

namespace tervil {
namespace {

using TLines = std::vector<std::string>;

TEST(ConsoleOutput, KeepsEveryChunkAndShowsTheLastCharactersConverted) {
  TConsoleOutput output;
  EXPECT_TRUE(output.Empty());
  output.Add("a\nb");
  output.Add("\r\nc");
  EXPECT_EQ(output.FullOutput(), "a\nb\r\nc");
  EXPECT_EQ(output.MemoText(), "a\r\nb\r\r\nc");
  EXPECT_EQ(output.FullText(), "a\r\nb\r\r\nc");

  std::string lines;
  for (int i = 0; i < 3000; ++i) lines += "line " + std::to_string(i) + " ü\n";
  output.Clear();
  for (std::size_t at = 0; at < lines.size(); at += 1000) output.Add(lines.substr(at, 1000));
  const std::string converted = LfToCrLf(lines);
  const std::string memo = output.MemoText();
  EXPECT_EQ(utf8::CountChars(memo), TConsoleOutput::kMemoChars);
  EXPECT_EQ(converted.substr(converted.size() - memo.size()), memo);
  EXPECT_EQ(output.FullOutput(), lines);
}

TEST(ConsoleOutput, StaysWithinItsLimitAndSaysWhatItDropped) {
  TConsoleOutput output(10);
  output.Add("0123456");
  output.Add("789abc\n");
  EXPECT_EQ(output.FullOutput(), "0123456789");
  EXPECT_EQ(output.DroppedBytes(), 4u);
  EXPECT_EQ(output.MemoText(), "0123456789abc\r\n");  // the tail goes on
  EXPECT_EQ(output.FullText(), "0123456789\r\n[4 more bytes of output were not kept]\r\n");
}

TEST(ConsoleOutput, ACutEndsWithAWholeLineAndTheHtmlPageSaysSo) {
  TConsoleOutput output(10);
  output.Add("abc\nde");
  output.Add("fghij");
  output.Add("k\n");
  EXPECT_EQ(output.FullOutput(), "abc\n");
  EXPECT_EQ(output.DroppedBytes(), 9u);
  EXPECT_EQ(output.FullText(), "abc\r\n\r\n[9 more bytes of output were not kept]\r\n");
  const std::string page = HtmlFileBytes(output.FullOutput(), output.DroppedBytes());
  EXPECT_TRUE(page.starts_with("abc\r\n"));
  EXPECT_NE(page.find("</script>"), std::string::npos) << "closes what the cut left open";
  EXPECT_TRUE(page.ends_with("<p><b>[9 more bytes of output were not kept]</b></p>\r\n"));
  output.Clear();
  output.Add("again\n");
  EXPECT_EQ(output.FullOutput(), "again\n") << "a new run keeps its output again";
}

TEST(ConsoleOutput, ShowsBinaryAndInvalidBytesWithoutLosingThem) {
  EXPECT_EQ(DisplayText("plain ü"), "plain ü");
  EXPECT_EQ(DisplayText(std::string("a\0b", 3)), "a\u2400b");
  EXPECT_EQ(DisplayText("caf\xe9 \xff"), "café ÿ");  // Latin-1 bytes read as their characters
}

TEST(ConsoleOutput, WritesTheHtmlPageSoThatTheBrowserReadsItAsUtf8) {
  EXPECT_EQ(HtmlFileBytes("<p>a</p>\n"), "<p>a</p>\r\n");
  EXPECT_EQ(HtmlFileBytes("<p>ü</p>"), "\xEF\xBB\xBF<p>ü</p>");
  EXPECT_EQ(HtmlFileBytes("\xEF\xBB\xBFü"), "\xEF\xBB\xBFü");
  EXPECT_EQ(HtmlFileBytes("caf\xe9"), "caf\xe9");  // not UTF-8: left to the page's own charset
}

TEST(ConsoleOutput, SplitsErrorChunksIntoListItems) {
  struct TCase {
    std::string chunk;
    TLines lines;
  } cases[] = {
      {"a\nb\n", {"a", "b"}},
      {"\r\n", {}},
      {"   \t \n", {}},
      {"  PHP Warning:  x in /a.php on line 3\r\nlast",
       {"PHP Warning:  x in /a.php on line 3", "last"}},
      {"x\r\ry\n", {"xy"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorLines(c.chunk), c.lines) << c.chunk;
}

TEST(ConsoleOutput, CopiesListItemsWithLineFeeds) {
  EXPECT_EQ(JoinForCopy({"a", "b"}), "a\nb");
  EXPECT_EQ(JoinForCopy({}), "");
}

TEST(ConsoleOutput, FullTextComesInSlicesThatEndAtLinesOrCharacters) {
  struct TCase {
    std::string output;
    std::size_t limit;
    std::size_t sliceBytes;
  } cases[] = {
      {"one\ntwo\nthree\n", 1024, 5},
      {"\xC3\xA4\xC3\xB6\xE2\x82\xAC no line end \xF0\x9F\x98\x80", 1024, 3},
      {"cr lf\r\nbad \xFF\xFE byte\nzero\n", 1024, 1},
      {"kept line\nand some that is dropped\n", 12, 4},  // ends with the note
  };
  for (const auto& c : cases) {
    TConsoleOutput output(c.limit);
    output.Add(c.output);
    std::string joined;
    std::size_t offset = 0;
    int slices = 0;
    for (std::string slice; !(slice = output.FullTextSlice(offset, c.sliceBytes)).empty();) {
      EXPECT_TRUE(utf8::IsValid(slice));
      joined += slice;
      ASSERT_LT(++slices, 1000);
    }
    EXPECT_EQ(joined, output.FullText()) << c.output;
    EXPECT_GT(slices, 1);
  }
}

TEST(ConsoleOutput, FindsTheLineAnErrorNames) {
  struct TCase {
    std::string message;
    std::string file;
    int line;
  } cases[] = {
      {"PHP Warning:  Undefined variable $x in /srv/a b.php.tvl0 on line 12", "/srv/a b.php.tvl0",
       12},
      {"PHP Parse error:  syntax error, unexpected end of file in /x/i.php on line 7", "/x/i.php",
       7},
      {"/home/ann/t.pl:4: syntax error", "/home/ann/t.pl", 4},
      {"main.c:10:5: error: expected ';'", "main.c", 10},
      {"PHP Fatal error:  Uncaught Exception: boom in /tmp/e.php.tvl0:3", "/tmp/e.php.tvl0", 3},
      {"thrown in /tmp/e.php.tvl0 on line 3", "/tmp/e.php.tvl0", 3},
      {"#0 /tmp/e.php.tvl0(12): f()", "/tmp/e.php.tvl0", 12},
      {"#11 /srv/lib (old)/x.php(5): X->y('a')", "/srv/lib (old)/x.php", 5},
      {"x.php.tvl0:8", "x.php.tvl0", 8},
      {"PHP Warning:  Division by zero in foo in /a/b.php on line 9", "/a/b.php", 9},
      {"#2 {main}", "", 0},
      {"Stack trace:", "", 0},
      {"Warning: nothing here", "", 0},
      {"in x on line 0", "", 0},
      {"x.php on line 99999999999", "", 0},
      {"See http://example.com:8080/", "", 0},
  };
  for (const auto& c : cases) {
    const auto location = ErrorLocation(c.message);
    if (c.line == 0) {
      EXPECT_FALSE(location) << c.message;
      continue;
    }
    ASSERT_TRUE(location) << c.message;
    EXPECT_EQ(location->file, c.file);
    EXPECT_EQ(location->line, c.line);
  }
}

}  // namespace
}  // namespace tervil
