#pragma once

// UTF-7 (RFC 2152), read strictly and written with every optional direct character direct, so
// that plain ASCII text reads and writes back unchanged; base64 runs end the way the file ended
// them (with or without "-").

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tervil::utf7 {

// How the base64 runs of UTF-7 bytes ended, by the text each run stands for: true when without
// "-" (RFC 2152 allows leaving it out before a character that is not a base64 digit or "-").
using TRunEndings = std::unordered_map<std::string, bool>;

// Decodes UTF-7 into UTF-8, appending to `out`. Returns false when the bytes are not valid
// UTF-7: a byte that may not stand for itself (above 0x7F, backslash, "~", a control character
// other than tab, CR and LF), a "+" that starts no base64 run, padding bits that are not zero, a
// surrogate without its partner, or a run cut off inside a character. With `endings`, how each
// run ended is noted in it (the last of several runs of the same text counts).
bool Decode(std::string_view bytes, std::string& out, TRunEndings* endings = nullptr);

// Encodes UTF-8 text as UTF-7, appending to `out`. A base64 run is closed with "-", unless
// `endings` says a run of its text ended without one and what follows allows leaving it out. A
// byte that is not valid UTF-8 is written as U+FFFD.
void Encode(std::string_view text, std::string& out, const TRunEndings* endings = nullptr);

// How the runs of the UTF-7 files read so far ended, so that writing a file back ends each run
// the way it was read. Shared by the whole program and safe to use from any thread.
class TRememberedEndings {
 public:
  static TRememberedEndings& Instance();
  // Takes in what the reading of one file found; a later file overrides an earlier one.
  void Remember(const TRunEndings& read);
  // Encode() with the endings remembered so far.
  void Encode(std::string_view text, std::string& out);

 private:
  static constexpr std::size_t kMostRuns = 1 << 14;
  std::mutex mutex_;
  TRunEndings openRuns_;  // only runs read without "-"
};

}  // namespace tervil::utf7
