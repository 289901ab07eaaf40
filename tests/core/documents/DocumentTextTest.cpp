#include <gtest/gtest.h>

#include "core/documents/DocumentFiles.h"
#include "core/documents/DocumentText.h"

namespace tervil {
namespace {

TEST(DocumentText, LineBreaksAreCountedByKind) {
  struct Case {
    const char* text;
    std::size_t lf, crlf, cr;
    int first;
    const char* only;
  } cases[] = {
      {"", 0, 0, 0, 0, ""},
      {"a\nb\n", 2, 0, 0, 1, "\n"},
      {"a\r\nb", 0, 1, 0, 2, "\r\n"},
      {"a\rb\r", 0, 0, 2, 2, "\r"},
      {"a\nb\r\nc\r\n", 1, 2, 0, 1, ""},  // mixed
      {"\r\r\n\n", 1, 1, 1, 2, ""},
      // A CR LF across a 16-byte border, CRs and LFs at block ends.
      {"aaaaaaaaaaaaaaa\r\nbbbbbbbbbbbbb\r\r\rcccccccccccccc\n\r", 1, 1, 4, 2, ""},
  };
  for (const auto& c : cases) {
    const TLineBreaks breaks = CountLineBreaks(c.text);
    EXPECT_EQ(breaks.lf, c.lf) << c.text;
    EXPECT_EQ(breaks.crlf, c.crlf) << c.text;
    EXPECT_EQ(breaks.cr, c.cr) << c.text;
    EXPECT_EQ(breaks.firstStyle, c.first) << c.text;
    EXPECT_EQ(breaks.OnlyBreak(), c.only) << c.text;
    EXPECT_EQ(breaks.Mixed(), breaks.Kinds() > 1);
    const TLineBreaks read = TOriginalLines().Assign(c.text);
    EXPECT_EQ(read.lf, c.lf) << c.text;
    EXPECT_EQ(read.crlf, c.crlf) << c.text;
    EXPECT_EQ(read.cr, c.cr) << c.text;
    EXPECT_EQ(read.firstStyle, c.first) << c.text;
  }
}

// With detection on a file keeps its kind of break, CR alone included, and new lines of a mixed
// file get its first kind; a text read by the fallback keeps its one kind whatever the settings.
TEST(DocumentText, FilesKeepTheirKindOfLineBreak) {
  const TWriteSettings settings;  // unix ends, detection on
  TWriteSettings fixed;
  fixed.autoDetectEol = false;
  EXPECT_EQ(FileTerminator(CountLineBreaks("a\rb"), true, settings), "\r");
  EXPECT_EQ(FileTerminator(CountLineBreaks("a\rb"), false, settings), "\r");
  EXPECT_EQ(FileTerminator(CountLineBreaks("a\rb"), false, fixed), "\n");
  EXPECT_EQ(FileTerminator(CountLineBreaks("a\rb"), true, fixed), "\r");
  EXPECT_EQ(FileTerminator(CountLineBreaks("a\nb\r\n"), true, settings), "\n");
  EXPECT_EQ(FileTerminator(CountLineBreaks("a\r\nb\n"), false, settings), "\r\n");
  EXPECT_EQ(FileTerminator(CountLineBreaks("a\rb\r\n"), false, settings), "\r");
  EXPECT_EQ(FileTerminator(CountLineBreaks("a"), true, settings), "\n");
  EXPECT_EQ(LineBreakName("\r\n"), "CR LF");
  EXPECT_EQ(LineBreakName("\r"), "CR");
  EXPECT_EQ(LineBreakName("\n"), "LF");
}

// A file with mixed breaks gets each unchanged line's own break back, whatever was added,
// removed or edited around it; new lines get the break given.
TEST(DocumentText, MixedBreaksStayWithTheirLines) {
  struct Case {
    const char* name;
    const char* read;
    const char* edited;  // lines joined by LF
    const char* written;
  } cases[] = {
      {"unchanged", "a\nb\r\nc\rd", "a\nb\nc\nd", "a\nb\r\nc\rd"},
      {"one line edited", "a\nb\r\nc\rd\n", "a\nbx\nc\nd\n", "a\nbx\r\nc\rd\n"},
      {"last line edited", "a\r\nb\n", "a\nbx", "a\r\nbx"},
      {"line added", "a\nb\r\nc\r", "a\nb\nnew\nc\n", "a\nb\r\nnew#c\r"},
      {"line removed", "a\nb\r\nc\rd\n", "a\nc\nd\n", "a\nc\rd\n"},
      {"lines appended", "a\r\nb\n", "a\nb\nx\ny", "a\r\nb\nx#y"},
      {"repeated lines", "}\r\n}\n}\r\n", "}\n}\n}\n", "}\r\n}\n}\r\n"},
      {"first line removed", "a\rb\nc\r\n", "b\nc\n", "b\nc\r\n"},
  };
  for (const Case& c : cases) {
    TOriginalBreaks breaks;
    breaks.Assign(c.read);
    std::string expected = c.written;
    for (char& ch : expected)
      if (ch == '#') ch = '|';
    std::string written = breaks.Apply(c.edited, "|");
    EXPECT_EQ(written, expected) << c.name;
  }
}

TEST(DocumentText, FilesThatNeedTabs) {
  for (const char* name : {"/src/Makefile", "/src/makefile", "/src/GNUmakefile", "/src/rules.mk",
                           "/d/table.tsv", "/go/main.go", "/src/build.mak"})
    EXPECT_TRUE(NeedsTabs(name)) << name;
  for (const char* name : {"/src/Makefile.am", "/s/a.php", "/s/.go", "/s/a.GO", "/s/tsv"})
    EXPECT_FALSE(NeedsTabs(name)) << name;
}

// Whitespace conversion touches only the lines the user changed or added.
TEST(DocumentText, ConversionSparesUnchangedLines) {
  TWriteSettings toSpaces;
  toSpaces.tabsToSpaces = true;
  TOriginalLines original;
  original.Assign("all:\r\n\tcc -o x x.c\r\n\tstrip x\r\n");
  EXPECT_TRUE(original.Contains("\tstrip x"));
  EXPECT_FALSE(original.Contains("all:"));  // lines without leading whitespace are not kept
  original.Assign("aaaaaaaaaaaaaaa\r\n\tcrossing\rbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\n  last");
  EXPECT_TRUE(original.Contains("\tcrossing"));
  EXPECT_TRUE(original.Contains("  last"));
  EXPECT_FALSE(original.Contains("\n\tcrossing"));
  original.Assign("all:\r\n\tcc -o x x.c\r\n\tstrip x\r\n");
  const std::string edited = "all:\n\tcc -o x x.c\n\tstrip -s x\n\tnew\n";
  EXPECT_EQ(EncodeDocumentText(edited, "", toSpaces, &original).bytes,
            "all:\n\tcc -o x x.c\n    strip -s x\n    new\n");
  EXPECT_EQ(EncodeDocumentText("\ta\r\n\tb\r\n", "", toSpaces, &original).bytes,
            "    a\r\n    b\r\n");
  EXPECT_EQ(EncodeDocumentText("\ta\r\tb", "", toSpaces).bytes, "    a\r    b");
  TWriteSettings toTabs;
  toTabs.spacesToTabs = true;
  original.Assign("    kept\n");
  EXPECT_EQ(EncodeDocumentText("    kept\n    new", "", toTabs, &original).bytes,
            "    kept\n\tnew");
}

}  // namespace
}  // namespace tervil
