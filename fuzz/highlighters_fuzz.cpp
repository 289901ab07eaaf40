// Feeds arbitrary bytes, split into lines, to every highlighter and checks the token promises:
// in order, not empty, inside the line, covering it, and the same result when repeated.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/highlighters/HighlighterSet.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckTokens(std::string_view line, const std::vector<tervil::TToken>& tokens) {
  std::size_t next = 0;
  for (const tervil::TToken& token : tokens) {
    Check(token.length > 0);
    Check(static_cast<std::size_t>(token.start) == next);
    next += static_cast<std::size_t>(token.length);
  }
  Check(next == line.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tervil::THighlighterSet set;
  static tervil::TUriHighlighter uri;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<tervil::THighlighter*> highlighters(set.Components().begin(),
                                                  set.Components().end());
  highlighters.push_back(&uri);
  std::vector<tervil::TToken> tokens;
  std::vector<tervil::TToken> again;
  for (tervil::THighlighter* highlighter : highlighters) {
    tervil::THighlighterState state = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      tokens.clear();
      again.clear();
      tervil::THighlighterState next = highlighter->TokenizeLine(line, state, tokens);
      CheckTokens(line, tokens);
      Check(highlighter->TokenizeLine(line, state, again) == next);
      Check(again.size() == tokens.size());
      state = next;
      start = end + 1;
    }
  }
  return 0;
}
