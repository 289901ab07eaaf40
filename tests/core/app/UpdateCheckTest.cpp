#include <gtest/gtest.h>

#include "core/app/UpdateCheck.h"

namespace tervil {
namespace {

std::string Answer(const std::string& version, const std::string& url = "https://x.test/get") {
  return "<p>&lt;title&gt;Tervil Editor&lt;/title&gt;&lt;version&gt;" + version +
         "&lt;/version&gt;&lt;text&gt;Faster & better&lt;/text&gt;&lt;url&gt;" + url +
         "&lt;/url&gt;</p>";
}

TEST(UpdateCheck, OnlyANewerVersionIsAnnounced) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {Answer("4.02"), true},
      {Answer("5"), true},
      {Answer("4.01.1"), true},
      {Answer(" 4.10 "), true},
      {Answer("4.01"), false},
      {Answer("4.1"), false},  // the same numbers
      {Answer("4.00"), false},
      {Answer("3.99"), false},
      {Answer(""), false},
      {Answer("4.02beta"), false},
      {Answer("4..2"), false},
      {Answer("99999999999"), false},
      {"", false},
      {"<html>Not found</html>", false},
      {"&lt;version&gt;4.02", false},  // no closing mark
      {Answer("4.02") + std::string("\0", 1), false},
      {Answer("4.02") + "\xFF\xFE", false},
      {Answer("4.02") + std::string(kMaxUpdateAnswer, ' '), false},
  };
  for (const auto& [answer, shown] : cases)
    EXPECT_EQ(UpdateNoticeFor(answer, "4.01").has_value(), shown) << answer.substr(0, 200);
}

TEST(UpdateCheck, ValuesAreTheTextBetweenTheFirstMarks) {
  const auto notice = ParseUpdateAnswer(
      "&lt;version&gt;4.02&lt;/version&gt;&lt;version&gt;9&lt;/version&gt;"
      "&lt;/title&gt;&lt;title&gt;New&lt;/title&gt;&lt;url&gt;");
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->version, "4.02");
  EXPECT_EQ(notice->title, "New");
  EXPECT_EQ(notice->text, "");
  EXPECT_EQ(notice->url, "");
  const auto full = UpdateNoticeFor(Answer("4.02"), "4.01");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->title, "Tervil Editor");
  EXPECT_EQ(full->text, "Faster & better");
  EXPECT_EQ(full->url, "https://x.test/get");
}

TEST(UpdateCheck, OnlyWebAddressesAreOpenedOrAsked) {
  const std::vector<std::pair<std::string, bool>> urls = {
      {"https://example.org/download", true},
      {"HTTP://example.org", true},
      {"http://127.0.0.1:8080/x?a=b", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"ftp://example.org/", false},
      {"https://", false},
      {"http:///path", false},
      {"https://exa mple.org", false},
      {" https://example.org", false},
      {"https://example.org\n", false},
      {"", false},
  };
  for (const auto& [url, allowed] : urls) EXPECT_EQ(IsOpenableUpdateUrl(url), allowed) << url;

  EXPECT_EQ(UpdateRequestUrl("https://updates.example.org/", "11122026"),
            "https://updates.example.org/qendra.php?id=6&p=11122026");
  EXPECT_EQ(UpdateRequestUrl("http://127.0.0.1:8080", ""),
            "http://127.0.0.1:8080/qendra.php?id=6&p=");
  EXPECT_EQ(UpdateRequestUrl("http://h", "a&b c"), "http://h/qendra.php?id=6&p=a%26b%20c");
  EXPECT_EQ(UpdateRequestUrl("", "01012026"), "");
  EXPECT_EQ(UpdateRequestUrl("file:///tmp/answer", ""), "");
  EXPECT_EQ(UpdateRequestUrl("updates.example.org", ""), "");
}

TEST(UpdateCheck, DatesAreDayMonthYear) {
  std::tm day{};
  day.tm_mday = 5;
  day.tm_mon = 0;
  day.tm_year = 2027 - 1900;
  EXPECT_EQ(UpdateCheckDate(day), "05012027");
}

}  // namespace
}  // namespace tervil
