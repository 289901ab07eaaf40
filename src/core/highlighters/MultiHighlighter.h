#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/highlighters/SchemePattern.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// One embedded language of a multi highlighter: the text from a match of the start
// expression to the next match of the end expression is coloured by `highlighter`; both
// marks get the marker background.
struct TMultiScheme {
  std::string name;
  std::string startExpression;
  std::string endExpression;
  bool caseSensitive = false;
  TColor markerBackground = clNone;
  TSyntaxHighlighter* highlighter = nullptr;  // not owned; may itself be a multi highlighter
  // The scheme may also open inside another scheme's text (PHP inside a script element); the
  // other scheme's colouring resumes after this one's end mark.
  bool opensInsideOtherSchemes = false;
};

// Switches between highlighters by schemes of start and end expressions, with a default
// highlighter outside all schemes. Expressions match within one line. Where several matches
// compete, the earliest wins, then the longest, then the scheme added first.
//
// The state of a line is an id of an interned record holding the default highlighter's state
// and the stack of open schemes with each one's inner state, so the per-line state stays one
// small integer that is cheap to compare.
class TMultiHighlighter : public TSyntaxHighlighter {
 public:
  static constexpr const char* kLanguageName = "General Multi-Highlighter";

  explicit TMultiHighlighter(TSyntaxHighlighter* defaultHighlighter);
  ~TMultiHighlighter() override;

  bool IsMulti() const override { return true; }

  // Throws std::invalid_argument when an expression does not compile or no highlighter is
  // given.
  void AddScheme(const TMultiScheme& scheme);
  const std::vector<TMultiScheme>& Schemes() const { return schemes_; }
  TSyntaxHighlighter* DefaultHighlighter() const { return default_; }

  // The default highlighter's defaults; an attribute counts as a default when it is one of
  // the default highlighter or of any scheme's highlighter.
  const THighlighterAttribute* DefaultAttribute(THighlighterDefault kind) const override;
  bool IsDefaultAttribute(const THighlighterAttribute* attribute,
                          THighlighterDefault kind) const override;

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

  // Number of distinct line states met so far.
  std::size_t StateCount() const { return states_.size(); }

  static constexpr std::size_t kMaxNesting = 4;
  static constexpr std::size_t kMaxStates = 1u << 18;

 private:
  struct TFrame {
    std::uint16_t scheme = 0;
    THighlighterState state = 0;
  };
  struct TState {
    THighlighterState base = 0;
    std::uint8_t depth = 0;
    std::array<TFrame, kMaxNesting> frames{};
    bool operator==(const TState& other) const;
  };
  struct TStateHash {
    std::size_t operator()(const TState& state) const;
  };
  struct TCandidate {
    const TSchemePattern* pattern;
    std::size_t scheme;
    bool isEnd;
  };
  // The expressions that can end the current piece of text in one situation.
  struct TCandidateSet {
    std::vector<TCandidate> scanned;   // found through their first bytes
    std::vector<TCandidate> searched;  // first bytes unknown: searched directly
    std::bitset<256> firstBytes;
    int singleByte = -1;  // the only first byte, for memchr
  };
  struct TFound {
    TPatternMatch match;
    std::size_t scheme;
    bool isEnd;
    std::size_t order;
  };

  void RebuildCandidates();
  static void AddCandidate(TCandidateSet& set, const TCandidate& candidate);
  static std::size_t Order(const TCandidate& candidate);
  static bool Better(const TFound& a, const TFound& b);
  std::optional<TFound> FindFirst(const TCandidateSet& set, std::string_view line, std::size_t from,
                                  std::size_t end) const;
  THighlighterState Intern(const TState& state);

  TSyntaxHighlighter* default_;
  std::vector<TMultiScheme> schemes_;
  std::vector<std::unique_ptr<TSchemePattern>> starts_;
  std::vector<std::unique_ptr<TSchemePattern>> ends_;
  std::vector<THighlighterAttribute*> markers_;
  TCandidateSet outside_;
  std::vector<TCandidateSet> inside_;
  std::vector<TState> states_;
  std::unordered_map<TState, THighlighterState, TStateHash> ids_;
};

}  // namespace tervil
