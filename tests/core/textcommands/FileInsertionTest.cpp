#include <gtest/gtest.h>

#include "core/textcommands/FileInsertion.h"

namespace tervil {
namespace {

TEST(FileInsertionTest, DroppedEntryAndParentEntry) {
  TDroppedFile file = DroppedFileOf("/site/img", "logo.png");
  EXPECT_EQ(file.name, "logo.png");
  EXPECT_EQ(file.folder, "/site/img/");
  file = DroppedFileOf("/site/img/", "..");
  EXPECT_EQ(file.name, "img");
  EXPECT_EQ(file.folder, "/site/");
}

TEST(FileInsertionTest, RelativePathFromThePageFolder) {
  const struct {
    std::string page;
    std::string file;
    std::string relative;
  } cases[] = {
      {"/site/index.html", "/site/img/logo.png", "img/logo.png"},
      {"/site/index.html", "/site/logo.png", "logo.png"},
      {"/other/index.html", "/site/img/logo.png", "logo.png"},
      // A folder whose name only starts like the page's is not below it.
      {"/site/index.html", "/site2/logo.png", "logo.png"},
      {"/site/index.html", "/backup/site/logo.png", "logo.png"},
      // Names differing in case are different folders.
      {"/Site/index.html", "/site/img/logo.png", "logo.png"},
      // A page without a file.
      {"Untitled1", "/site/img/logo.png", "logo.png"},
      {"", "/site/img/logo.png", "logo.png"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RelativeFilePath(PageFolder(c.page), FileOfPath(c.file)), c.relative) << c.page;
}

TEST(FileInsertionTest, AwkwardNamesAreEscapedInLinksAndImages) {
  const struct {
    std::string path;
    std::string name;
    std::string link;
    std::string image;
  } cases[] = {
      {"img/logo.png", "logo.png", "<a href=\"img/logo.png\">logo.png</a>",
       "<img src=\"img/logo.png\" width=\"10\" height=\"20\" />"},
      {"my file.html", "my file.html", "<a href=\"my%20file.html\">my file.html</a>",
       "<img src=\"my%20file.html\" width=\"10\" height=\"20\" />"},
      {"a#1%.png", "a#1%.png", "<a href=\"a%231%25.png\">a#1%.png</a>",
       "<img src=\"a%231%25.png\" width=\"10\" height=\"20\" />"},
      {"say \"hi\" & <go>?.html", "say \"hi\" & <go>?.html",
       "<a href=\"say%20%22hi%22%20&amp;%20%3Cgo%3E%3F.html\">say &quot;hi&quot; &amp; "
       "&lt;go&gt;?.html</a>",
       "<img src=\"say%20%22hi%22%20&amp;%20%3Cgo%3E%3F.html\" width=\"10\" height=\"20\" />"},
      {"\xC3\xBC"
       "ber/caf\xC3\xA9.png",
       "caf\xC3\xA9.png",
       "<a href=\"\xC3\xBC"
       "ber/caf\xC3\xA9.png\">caf\xC3\xA9.png</a>",
       "<img src=\"\xC3\xBC"
       "ber/caf\xC3\xA9.png\" width=\"10\" height=\"20\" />"},
      {"it's.png", "it's.png", "<a href=\"it's.png\">it's.png</a>",
       "<img src=\"it's.png\" width=\"10\" height=\"20\" />"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HyperlinkMarkup(c.path, c.name), c.link);
    EXPECT_EQ(ImageMarkup(c.path, 10, 20), c.image);
  }
}

TEST(FileInsertionTest, ImageWithoutSizeWhenThePictureCannotBeRead) {
  EXPECT_EQ(ImageMarkup("broken.png", -1, -1), "<img src=\"broken.png\" />");
}

TEST(FileInsertionTest, PictureExtensions) {
  for (const char* name : {"a.gif", "a.JPG", "a.jpeg", "b.c.Bmp", "x.png"})
    EXPECT_TRUE(IsPictureFileName(name)) << name;
  for (const char* name : {"a.svg", "png", "a.png.txt", ""})
    EXPECT_FALSE(IsPictureFileName(name)) << name;
}

}  // namespace
}  // namespace tervil
