#include <gtest/gtest.h>

#include "core/common/PathText.h"

namespace tervil {
namespace {

TEST(PathText, EveryNameComesBackAsItsBytesAndTwinsStayApart) {
  const std::string names[] = {"index.php",
                               "caf\xc3\xa9 page.html",  // valid UTF-8
                               "caf\xe9.txt",            // Latin-1 byte
                               "caf\xef\xbf\xbd.txt",    // its U+FFFD twin
                               "\xed\xb2\x80",           // a surrogate written as UTF-8
                               "\xf0\x9f\x98\x80 \xff\xfe\x80",
                               "cut \xe2\x82"};
  for (const std::string& name : names) EXPECT_EQ(PathFromUtf16(PathToUtf16(name)), name) << name;
  EXPECT_NE(PathToUtf16(names[2]), PathToUtf16(names[3]));
  EXPECT_EQ(PathToUtf16("caf\xc3\xa9"), u"caf\u00e9");
  EXPECT_EQ(PathToUtf16("caf\xe9"), std::u16string(u"caf") + char16_t(0xDCE9));
}

}  // namespace
}  // namespace tervil
