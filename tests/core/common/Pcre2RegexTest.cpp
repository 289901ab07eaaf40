#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/common/Pcre2Regex.h"

namespace tervil {
namespace {

using TOutcome = TPcre2Regex::TOutcome;

TPcre2Regex::TOptions Options(void (*set)(TPcre2Regex::TOptions&)) {
  TPcre2Regex::TOptions options;
  set(options);
  return options;
}

// The whole match of `regex` in `subject` from `from`, or "-" when there is none.
std::string Found(TPcre2Regex& regex, std::string_view subject, std::size_t from = 0) {
  if (regex.Match(subject.data(), subject.size(), from) != TOutcome::Match) return "-";
  std::size_t start = 0, end = 0;
  EXPECT_TRUE(regex.Group(0, start, end));
  return std::string(subject.substr(start, end - start));
}

TEST(Pcre2Regex, InvalidExpressionsTellWhyAndWhere) {
  TPcre2Regex regex;
  const auto error = regex.Compile("ab(c", {}, {});
  ASSERT_TRUE(error);
  EXPECT_FALSE(error->message.empty());
  EXPECT_EQ(error->offset, 4u);
  EXPECT_FALSE(regex.IsCompiled());
  EXPECT_EQ(regex.Match("abc", 3, 0), TOutcome::NoMatch);
}

TEST(Pcre2Regex, OptionsChangeWhatMatches) {
  struct TCase {
    const char* expression;
    TPcre2Regex::TOptions options;
    std::string subject;
    std::string found;
  };
  const TCase cases[] = {
      {"k", {}, "xK k", "k"},
      {"k", Options([](auto& o) { o.caseless = true; }), "xK k", "K"},
      {"a.c", {}, "abc a.c", "abc"},
      {"a.c", Options([](auto& o) { o.literal = true; }), "abc a.c", "a.c"},
      {"^b", {}, "a\nb", "-"},
      {"^b", Options([](auto& o) { o.multiline = true; }), "a\nb", "b"},
      {"\\w+", {}, "\xC3\xA4x", "x"},
      {"\\w+", Options([](auto& o) { o.unicodeClasses = true; }), "\xC3\xA4x", "\xC3\xA4x"},
      {"b", Options([](auto& o) { o.anchored = true; }), "ab", "-"},
      {"x*", {}, "ax", ""},
      {"x*", Options([](auto& o) { o.notEmpty = true; }), "ax", "x"},
      {"\\w+",
       {},
       "\xFF\xFE"
       "ab",
       "ab"},
  };
  for (const TCase& c : cases) {
    TPcre2Regex regex;
    ASSERT_FALSE(regex.Compile(c.expression, c.options, {})) << c.expression;
    EXPECT_EQ(Found(regex, c.subject), c.found) << c.expression << " in " << c.subject;
  }
}

TEST(Pcre2Regex, GroupsByNumberAndName) {
  TPcre2Regex regex;
  ASSERT_FALSE(regex.Compile("(?<key>\\w+)=(\\d+)?", {}, {}));
  EXPECT_EQ(regex.GroupCount(), 2);
  EXPECT_EQ(regex.GroupNumber("key"), 1);
  EXPECT_EQ(regex.GroupNumber("nothing"), -1);
  const std::string subject = "-- size=";
  ASSERT_EQ(regex.Match(subject.data(), subject.size(), 0), TOutcome::Match);
  std::size_t start = 0, end = 0;
  ASSERT_TRUE(regex.Group(1, start, end));
  EXPECT_EQ(subject.substr(start, end - start), "size");
  EXPECT_FALSE(regex.Group(2, start, end)) << "the group took no part";
  EXPECT_FALSE(regex.Group(3, start, end));
}

TEST(Pcre2Regex, AMatchThatReachesItsLimitFailsInsteadOfRunningOn) {
  TPcre2Regex regex;
  ASSERT_FALSE(regex.Compile("(a+)+b", {}, {1000, 1000, 0}));
  const std::string subject = std::string(30, 'a') + "!b";
  EXPECT_EQ(regex.Match(subject.data(), subject.size(), 0), TOutcome::Failed);
  EXPECT_FALSE(regex.LastErrorText().empty());
}

// A back reference on a long line costs a whole line per step: only the flag and the clock end
// such a match in time.
TEST(Pcre2Regex, AnInterruptibleMatchEndsOnItsFlagOrItsTime) {
  using namespace std::chrono_literals;
  using TClock = std::chrono::steady_clock;
  TPcre2Regex regex;
  ASSERT_FALSE(regex.Compile("(a+)\\1b", Options([](auto& o) { o.interruptible = true; }), {}));
  const std::string subject = std::string(1 << 20, 'a') + "!b";
  std::atomic<bool> stop{false};

  regex.SetInterrupt(&stop, 0ns);
  std::thread stopper([&] {
    std::this_thread::sleep_for(50ms);
    stop = true;
  });
  TClock::time_point start = TClock::now();
  EXPECT_EQ(regex.Match(subject.data(), subject.size(), 0), TOutcome::Stopped);
  stopper.join();
  EXPECT_LT(TClock::now() - start, 2s);  // uninterrupted it runs for minutes

  stop = false;
  regex.SetInterrupt(&stop, 100ms);
  start = TClock::now();
  EXPECT_EQ(regex.Match(subject.data(), subject.size(), 0), TOutcome::Failed);
  EXPECT_LT(TClock::now() - start, 2s);
  EXPECT_NE(regex.LastErrorText().find("takes too long"), std::string::npos);

  EXPECT_EQ(Found(regex, "xaab"), "aab");  // ordinary matches are not disturbed
}

TEST(Pcre2Regex, FirstBytesOfAMatch) {
  TPcre2Regex one;
  ASSERT_FALSE(one.Compile("x[yz]", {}, {}));
  EXPECT_EQ(one.FirstCodeUnit(), std::optional<std::uint32_t>('x'));
  EXPECT_EQ(one.FirstByteBitmap(), nullptr);

  TPcre2Regex set;
  ASSERT_FALSE(set.Compile("[ab]c", {}, {}));
  EXPECT_FALSE(set.FirstCodeUnit());
  const std::uint8_t* bitmap = set.FirstByteBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_TRUE(bitmap['a' / 8] & (1u << ('a' % 8)));
  EXPECT_FALSE(bitmap['c' / 8] & (1u << ('c' % 8)));

  TPcre2Regex any;
  ASSERT_FALSE(any.Compile(".", {}, {}));
  EXPECT_FALSE(any.FirstCodeUnit());
  EXPECT_EQ(any.FirstByteBitmap(), nullptr);
}

}  // namespace
}  // namespace tervil
