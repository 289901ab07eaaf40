#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

namespace tervil {

// The update check: one HTTP GET of "<server>/qendra.php?id=6&p=<date of the last check>"
// whose answer names the newest version in escaped marks ("&lt;version&gt;4.02&lt;/version&gt;").

// The settings of the check, root values of the store.
inline constexpr const char* kUpdateServerValue = "updateserver";  // no default: no check
inline constexpr const char* kLastUpdateCheckValue = "update";     // "ddmmyyyy"

// Answers longer than this are not read on (and never shown).
inline constexpr std::size_t kMaxUpdateAnswer = 64 * 1024;

struct TUpdateNotice {
  std::string title;
  std::string version;
  std::string text;
  std::string url;
};

// The request address, or empty when `server` is not an http or https address (nothing is sent
// then). `lastCheck` is the stored date of the last check.
std::string UpdateRequestUrl(const std::string& server, const std::string& lastCheck);

// The four values of an answer: each is the text between the first occurrence of its opening
// mark and the first occurrence of its closing mark after it (empty when either is missing).
// No notice from an answer that is not text (zero bytes or invalid UTF-8) or longer than
// kMaxUpdateAnswer.
std::optional<TUpdateNotice> ParseUpdateAnswer(const std::string& answer);

// Whether `announced` ("4.02") is a version newer than `own`: both are numbers separated by
// dots, compared number by number (a missing number counts as 0). Anything else is not newer.
bool IsNewerVersion(const std::string& announced, const std::string& own);

// Whether an address may be opened in the browser: http or https only.
bool IsOpenableUpdateUrl(const std::string& url);

// The notice to show for an answer, if any: a newer version than `own`.
std::optional<TUpdateNotice> UpdateNoticeFor(const std::string& answer, const std::string& own);

// A day as the check stores it: "ddmmyyyy".
std::string UpdateCheckDate(const std::tm& day);

}  // namespace tervil
