#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "core/documents/DocumentFiles.h"
#include "core/text/TextProcessor.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(DocumentFiles, InitialEncodingFollowsTheFilter) {
  struct Case {
    const char* file;
    const char* filter;
    const char* expected;
  } cases[] = {
      {"/s/a.htm", "*.php;*.htm", "utf-8"},  // the extension ends the filter
      {"/s/a.php", "*.php;*.htm", "utf-8"}, {"/s/a.PHP", "*.php;*.htm", "-"},  // case-sensitive
      {"/s/a.css", "*.php;*.htm", "-"},     {"/s/a.html", "*.php;*.htm", "-"},
      {"/s/a.ph", "*.php;*.htm", "-"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InitialEncoding(c.file, c.filter, "utf-8"), c.expected) << c.file;
}

TEST(DocumentFiles, LineTerminatorRules) {
  TWriteSettings s;
  struct Case {
    bool unixEol, autoDetect;
    int style;
    const char* expected;
  } cases[] = {
      {false, true, 1, "\n"},   {true, true, 2, "\r\n"},   {true, true, 0, "\n"},
      {false, true, 0, "\r\n"}, {false, false, 1, "\r\n"}, {true, false, 2, "\n"},
  };
  for (const auto& c : cases) {
    s.unixEol = c.unixEol;
    s.autoDetectEol = c.autoDetect;
    EXPECT_EQ(LineTerminator(c.style, s), c.expected);
  }
}

TEST(DocumentFiles, LeadingWhitespaceConversion) {
  TWriteSettings toTabs;
  toTabs.spacesToTabs = true;
  TWriteSettings toSpaces;
  toSpaces.tabsToSpaces = true;
  struct Case {
    const TWriteSettings& settings;
    std::string line, expected;
  } cases[] = {
      {toTabs, std::string(9, ' ') + "x", "\t\t x"},
      {toTabs, "   x", "   x"},
      {toTabs, "\t    x    y", "\t\tx    y"},
      // Only leading blanks count and change: the run inside the string stays.
      {toTabs, "  \t  echo 'a    b';", "  \t  echo 'a    b';"},
      {toSpaces, "\t\tx", std::string(8, ' ') + "x"},
      {toSpaces, "x\ty", "x\ty"},  // no leading tabs: tabs later in the line stay
      {toSpaces, "\tx\ty", "    x\ty"},
      {TWriteSettings{}, "\t  x", "\t  x"},
  };
  for (const auto& c : cases) EXPECT_EQ(ConvertLeadingWhitespace(c.line, c.settings), c.expected);
}

// The editor's text of a file: lines joined by CR LF.
std::string EditorText(const std::string& decoded) {
  std::string out;
  for (size_t i = 0; i < decoded.size(); ++i) {
    if (decoded[i] == '\r' || decoded[i] == '\n') {
      out += "\r\n";
      if (decoded[i] == '\r' && i + 1 < decoded.size() && decoded[i + 1] == '\n') ++i;
    } else {
      out += decoded[i];
    }
  }
  return out;
}

TEST(DocumentFiles, OpenAndSaveKeepEveryByte) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string startEncoding;
  } cases[] = {
      {"utf-8", "<p>gr\xC3\xBC\xC3\x9F</p>\n<br>\n", "utf-8"},
      {"utf-8 with BOM", "\xEF\xBB\xBFh\xC3\xA9llo\r\nworld", "-"},
      {"latin-1 undeclared", "caf\xE9\nna\xEFve\n", "-"},
      {"windows-1251 declared", "<meta charset=\"windows-1251\">\r\n\xCF\xF0\xE8\xE2\xE5\xF2\r\n",
       "-"},
      {"CR LF without final break", "a\r\nb\r\nc", "-"},
      {"LF with empty last line", "a\nb\n\n", "-"},
      {"tabs", "\tif (x) {\n\t\treturn;\n\t}\n", "-"},
      {"empty", "", "-"},
  };
  test::TTempDir dir;
  TWriteSettings settings;  // whitespace options off
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = dir.File("doc.txt");
    Write(file, c.bytes);
    std::string encoding = c.startEncoding;
    std::string decoded = TTextProcessor::DetectCharsetAndConvert(c.bytes, encoding);
    int style = TTextProcessor::DetectLineBreakStyle(file);
    TEncodedDocument out = EncodeDocument(EditorText(decoded), style, encoding, settings);
    ASSERT_TRUE(out.unwritable.empty());
    ASSERT_TRUE(SafeWriteFile(file, out.bytes, nullptr));
    EXPECT_EQ(Read(file), c.bytes) << "resolved encoding " << encoding;
  }
}

TEST(DocumentFiles, WholeTextConversionTouchesOnlyLeadingWhitespace) {
  TWriteSettings toSpaces;
  toSpaces.tabsToSpaces = true;
  TEncodedDocument out = EncodeDocumentText("\tif (a)\n\t\tb();\nc\td\n\t", "", toSpaces);
  EXPECT_EQ(out.bytes, "    if (a)\n        b();\nc\td\n    ");
  EXPECT_EQ(WithLineBreaks("a\r\nb\rc\n", "\n"), "a\nb\nc\n");
}

TEST(DocumentFiles, CrOnlyFilesAreWrittenWithCrLf) {
  TEncodedDocument out = EncodeDocument("a\r\nb", 2, "", TWriteSettings{});
  EXPECT_EQ(out.bytes, "a\r\nb");
}

TEST(DocumentFiles, CharactersTheEncodingCannotHoldAreReported) {
  TEncodedDocument out = EncodeDocument("price: 5\xE2\x82\xAC", 1, "iso-8859-1", TWriteSettings{});
  ASSERT_EQ(out.unwritable.size(), 1u);
  EXPECT_EQ(out.unwritable[0].codePoint, U'\u20AC');
}

TEST(DocumentFiles, SafeWriteKeepsPermissionsAndFollowsLinks) {
  test::TTempDir dir;
  const std::string file = dir.File("page.php");
  Write(file, "old");
  ::chmod(file.c_str(), 0640);
  ASSERT_EQ(::symlink(file.c_str(), dir.File("link.php").c_str()), 0);
  std::string error;
  ASSERT_TRUE(SafeWriteFile(dir.File("link.php"), "new", &error)) << error;
  EXPECT_EQ(Read(file), "new");
  struct stat st {};
  ASSERT_EQ(::lstat(dir.File("link.php").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(DocumentFiles, HardLinkedFilesAreWrittenInPlace) {
  test::TTempDir dir;
  Write(dir.File("a"), "old");
  ASSERT_EQ(::link(dir.File("a").c_str(), dir.File("b").c_str()), 0);
  ASSERT_TRUE(SafeWriteFile(dir.File("a"), "new text", nullptr));
  EXPECT_EQ(Read(dir.File("b")), "new text");
}

TEST(DocumentFiles, FailedWriteKeepsTheOldFileAndReportsTheSystemsError) {
  test::TTempDir dir;
  const std::string file = dir.File("page.php");
  Write(file, "precious");
  ASSERT_EQ(::link(file.c_str(), dir.File("other-link").c_str()), 0);
  for (bool hardLinked : {false, true}) {
    SCOPED_TRACE(hardLinked ? "in place" : "replaced");
    if (!hardLinked)
      ::unlink(dir.File("other-link").c_str());
    else
      ::link(file.c_str(), dir.File("other-link").c_str());
    int calls = 0;
    SetWriteFunctionForTests([&calls](int fd, const void* data, std::size_t size) -> long {
      if (++calls == 1) return ::write(fd, data, std::min<std::size_t>(size, 3));
      errno = ENOSPC;
      return -1;
    });
    std::string error;
    EXPECT_FALSE(SafeWriteFile(file, "a much longer new content", &error));
    SetWriteFunctionForTests(nullptr);
    EXPECT_EQ(error, "No space left on device");
    EXPECT_EQ(Read(file), "precious");
  }
}

TEST(DocumentFiles, FileDatesAndOutsideChanges) {
  test::TTempDir dir;
  Write(dir.File("f"), "x");
  EXPECT_GT(GetFileDate(dir.File("f")), 0);
  EXPECT_EQ(GetFileDate("f"), 0);  // no folder part
  EXPECT_EQ(GetFileDate(dir.Path()), 0);
  EXPECT_EQ(GetFileDate(dir.File("missing")), 0);
  EXPECT_EQ(GetFileSize(dir.File("f")), 1);
  EXPECT_EQ(GetFileSize(dir.File("missing")), -1);
}

// Any change of time, size or identity is an outside change, however close in time.
TEST(DocumentFiles, OutsideChangesCompareTimeSizeAndIdentityExactly) {
  test::TTempDir dir;
  const std::string file = dir.File("f");
  Write(file, "x");
  const TFileStamp read = GetFileStamp(file);
  ASSERT_TRUE(read.Exists());
  EXPECT_EQ(read.time, GetFileDate(file));
  EXPECT_FALSE(GetFileStamp("f").Exists());  // no folder part
  EXPECT_FALSE(GetFileStamp(dir.Path()).Exists());
  EXPECT_FALSE(IsChangedOutside(read, GetFileStamp(file)));

  TFileStamp later = read;
  later.time += 1;  // one nanosecond
  EXPECT_TRUE(IsChangedOutside(read, later));
  TFileStamp longer = read;
  longer.size += 1;
  EXPECT_TRUE(IsChangedOutside(read, longer));
  TFileStamp replaced = read;
  replaced.inode += 1;
  EXPECT_TRUE(IsChangedOutside(read, replaced));
  EXPECT_FALSE(IsChangedOutside(TFileStamp{}, read));  // no file was read
  EXPECT_FALSE(IsChangedOutside(read, TFileStamp{}));  // a deleted file is never reported

  std::ofstream(file, std::ios::binary | std::ios::app) << "y";  // an append, at once
  EXPECT_TRUE(IsChangedOutside(read, GetFileStamp(file)));
  TFileStamp written;
  ASSERT_TRUE(SafeWriteFile(file, "new", nullptr, &written));
  EXPECT_EQ(written, GetFileStamp(file));
}

// A save killed at any moment leaves the old or the new content, never a mix.
TEST(DocumentFiles, KillDuringSaveLeavesOldOrNewContent) {
  test::TTempDir dir;
  const std::string file = dir.File("big.html");
  const std::string oldContent(50 << 20, 'o');
  const std::string newContent(50 << 20, 'n');
  Write(file, oldContent);
  for (int round = 0; round < 3; ++round) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) SafeWriteFile(file, i % 2 ? oldContent : newContent, nullptr);
    }
    ::usleep(20000 + round * 35000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = Read(file);
    EXPECT_TRUE(now == oldContent || now == newContent) << "round " << round;
  }
}

}  // namespace
}  // namespace tervil
