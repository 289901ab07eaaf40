#include <gtest/gtest.h>

#include <string>

#include "core/process/RunCopyNames.h"

namespace tervil {
namespace {

const TRunCopyNames kPage{{"/srv/site/x.php.tvl0", "/real/site/x.php.tvl0"}, "/srv/site/x.php"};
const TRunCopyNames kUntitled{{"/home/ann/.cache/tervil-editor/temp/Untitled1.tvl2"}, "Untitled1"};
const TRunCopyNames kBlanks{{"/srv/a in b/y.php.tvl1"}, "/srv/a in b/y.php"};

// What the program prints about its copy, as the error list shows it and where it leads.
TEST(RunCopyNames, ErrorLinesNameThePageAndLeadToItsLine) {
  struct TCase {
    const TRunCopyNames& names;
    std::string message;
    std::string shown;
    bool runPage;
    std::string file;  // empty: not to the page
    int line;
  } cases[] = {
      {kPage, "PHP Warning:  Undefined variable $a in /srv/site/x.php.tvl0 on line 8",
       "PHP Warning:  Undefined variable $a in /srv/site/x.php on line 8", true, "/srv/site/x.php",
       8},
      {kPage,
       "PHP Parse error:  syntax error, unexpected token \";\" in /real/site/x.php.tvl0 on line 2",
       "PHP Parse error:  syntax error, unexpected token \";\" in /srv/site/x.php on line 2", true,
       "/srv/site/x.php", 2},
      {kPage, "x.php.tvl0:8", "x.php:8", true, "/srv/site/x.php", 8},
      {kPage, "PHP Fatal error:  Uncaught Exception: boom in /srv/site/x.php.tvl0:3",
       "PHP Fatal error:  Uncaught Exception: boom in /srv/site/x.php:3", true, "/srv/site/x.php",
       3},
      {kPage, "#0 /srv/site/x.php.tvl0(12): f()", "#0 /srv/site/x.php(12): f()", true,
       "/srv/site/x.php", 12},
      {kPage, "thrown in /srv/site/x.php.tvl0 on line 3", "thrown in /srv/site/x.php on line 3",
       true, "/srv/site/x.php", 3},
      // Another file: shown as it is, leads to that file.
      {kPage, "PHP Warning:  Oops in /srv/site/lib.php on line 4",
       "PHP Warning:  Oops in /srv/site/lib.php on line 4", false, "/srv/site/lib.php", 4},
      {kPage, "#1 /srv/site/lib.php(7): g()", "#1 /srv/site/lib.php(7): g()", false,
       "/srv/site/lib.php", 7},
      // Names that only look alike stay.
      {kPage, "see /srv/site/x.php.tvl01 and my-x.php.tvl0 and /other/x.php.tvl0:5",
       "see /srv/site/x.php.tvl01 and my-x.php.tvl0 and /other/x.php.tvl0:5", false, "", 0},
      {kPage, "PHP Stack trace:", "PHP Stack trace:", false, "", 0},
      {kPage, "#2 {main}", "#2 {main}", false, "", 0},
      // An untitled page runs from the temp folder and is named by its caption.
      {kUntitled,
       "PHP Warning:  Undefined variable $b in /home/ann/.cache/tervil-editor/temp/Untitled1.tvl2 "
       "on line 1",
       "PHP Warning:  Undefined variable $b in Untitled1 on line 1", true, "Untitled1", 1},
      // The copy's folder holds " in ": still found as a whole.
      {kBlanks, "PHP Notice:  x in /srv/a in b/y.php.tvl1 on line 6",
       "PHP Notice:  x in /srv/a in b/y.php on line 6", true, "/srv/a in b/y.php", 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithPageName(c.message, c.names), c.shown) << c.message;
    const auto target = ErrorTarget(c.message, c.names);
    if (c.file.empty()) {
      EXPECT_TRUE(!target || !target->RunPage) << c.message;
      continue;
    }
    ASSERT_TRUE(target) << c.message;
    EXPECT_EQ(target->RunPage, c.runPage) << c.message;
    EXPECT_EQ(target->File, c.file) << c.message;
    EXPECT_EQ(target->Line, c.line) << c.message;
  }
}

}  // namespace
}  // namespace tervil
