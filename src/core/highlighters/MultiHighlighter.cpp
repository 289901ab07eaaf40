#include "core/highlighters/MultiHighlighter.h"

#include <cstring>
#include <stdexcept>

#include "core/highlighters/LexerTools.h"

namespace tervil {

bool TMultiHighlighter::TState::operator==(const TState& other) const {
  if (base != other.base || depth != other.depth) return false;
  for (std::size_t i = 0; i < depth; ++i) {
    if (frames[i].scheme != other.frames[i].scheme || frames[i].state != other.frames[i].state)
      return false;
  }
  return true;
}

std::size_t TMultiHighlighter::TStateHash::operator()(const TState& state) const {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ state.base;
  h = (h ^ state.depth) * 0xBF58476D1CE4E5B9ull;
  for (std::size_t i = 0; i < state.depth; ++i) {
    h = (h ^ state.frames[i].scheme) * 0x94D049BB133111EBull;
    h = (h ^ state.frames[i].state) * 0xBF58476D1CE4E5B9ull;
  }
  return static_cast<std::size_t>(h ^ (h >> 31));
}

TMultiHighlighter::TMultiHighlighter(TSyntaxHighlighter* defaultHighlighter)
    : TSyntaxHighlighter(kLanguageName, ""), default_(defaultHighlighter) {
  if (default_ == nullptr) throw std::invalid_argument("A multi highlighter needs a default");
  states_.emplace_back();
  ids_.emplace(states_.front(), 0);
  RebuildCandidates();
}

TMultiHighlighter::~TMultiHighlighter() = default;

void TMultiHighlighter::AddScheme(const TMultiScheme& scheme) {
  if (scheme.highlighter == nullptr)
    throw std::invalid_argument("The scheme \"" + scheme.name + "\" has no highlighter");
  auto start = std::make_unique<TSchemePattern>(scheme.startExpression, scheme.caseSensitive);
  auto end = std::make_unique<TSchemePattern>(scheme.endExpression, scheme.caseSensitive);
  schemes_.push_back(scheme);
  starts_.push_back(std::move(start));
  ends_.push_back(std::move(end));
  markers_.push_back(AddAttribute(scheme.name, clNone, fsPlain, scheme.markerBackground));
  RebuildCandidates();
}

void TMultiHighlighter::AddCandidate(TCandidateSet& set, const TCandidate& candidate) {
  if (!candidate.pattern->HasFirstBytes()) {
    set.searched.push_back(candidate);
    return;
  }
  set.scanned.push_back(candidate);
  set.firstBytes |= candidate.pattern->FirstBytes();
}

void TMultiHighlighter::RebuildCandidates() {
  auto finish = [](TCandidateSet& set) {
    set.singleByte = -1;
    if (set.firstBytes.count() == 1) {
      for (int b = 0; b < 256; ++b) {
        if (set.firstBytes.test(b)) set.singleByte = b;
      }
    }
  };
  outside_ = {};
  for (std::size_t i = 0; i < schemes_.size(); ++i)
    AddCandidate(outside_, {starts_[i].get(), i, false});
  finish(outside_);
  inside_.assign(schemes_.size(), {});
  for (std::size_t i = 0; i < schemes_.size(); ++i) {
    AddCandidate(inside_[i], {ends_[i].get(), i, true});
    if (!schemes_[i].opensInsideOtherSchemes) {
      for (std::size_t j = 0; j < schemes_.size(); ++j) {
        if (schemes_[j].opensInsideOtherSchemes)
          AddCandidate(inside_[i], {starts_[j].get(), j, false});
      }
    }
    finish(inside_[i]);
  }
}

// Ties go to the scheme added first, and to an end mark before a start mark.
std::size_t TMultiHighlighter::Order(const TCandidate& candidate) {
  return candidate.scheme * 2 + (candidate.isEnd ? 0 : 1);
}

bool TMultiHighlighter::Better(const TFound& a, const TFound& b) {
  if (a.match.start != b.match.start) return a.match.start < b.match.start;
  std::size_t lengthA = a.match.end - a.match.start;
  std::size_t lengthB = b.match.end - b.match.start;
  if (lengthA != lengthB) return lengthA > lengthB;
  return a.order < b.order;
}

std::optional<TMultiHighlighter::TFound> TMultiHighlighter::FindFirst(const TCandidateSet& set,
                                                                      std::string_view line,
                                                                      std::size_t from,
                                                                      std::size_t end) const {
  std::optional<TFound> best;
  auto consider = [&best](const TFound& found) {
    if (!best || Better(found, *best)) best = found;
  };
  for (const TCandidate& candidate : set.searched) {
    if (auto match = candidate.pattern->Find(line, from, end))
      consider({*match, candidate.scheme, candidate.isEnd, Order(candidate)});
  }
  if (set.scanned.empty()) return best;
  // Only a match starting no later than the best one found so far can win.
  std::size_t limit = best ? best->match.start + 1 : end;
  const char* data = line.data();
  for (std::size_t at = from; at < limit; ++at) {
    if (set.singleByte >= 0) {
      const void* hit = std::memchr(data + at, set.singleByte, limit - at);
      if (hit == nullptr) break;
      at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
    } else if (!set.firstBytes.test(static_cast<unsigned char>(data[at]))) {
      continue;
    }
    bool found = false;
    for (const TCandidate& candidate : set.scanned) {
      if (candidate.pattern->FirstBytes().test(static_cast<unsigned char>(data[at]))) {
        if (auto match = candidate.pattern->MatchAt(line, at, end)) {
          consider({*match, candidate.scheme, candidate.isEnd, Order(candidate)});
          found = true;
        }
      }
    }
    if (found) break;
  }
  return best;
}

THighlighterState TMultiHighlighter::Intern(const TState& state) {
  auto it = ids_.find(state);
  if (it != ids_.end()) return it->second;
  if (states_.size() >= kMaxStates) return 0;
  auto id = static_cast<THighlighterState>(states_.size());
  states_.push_back(state);
  ids_.emplace(state, id);
  return id;
}

THighlighterState TMultiHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                   std::size_t end, bool endsLine,
                                                   THighlighterState start,
                                                   std::vector<TToken>& tokens) {
  if (end > line.size()) end = line.size();
  if (begin > end) begin = end;
  const TState initial = start < states_.size() ? states_[start] : TState{};
  TState state = initial;
  TTokenWriter out(tokens);
  std::size_t pos = begin;
  while (true) {
    bool outside = state.depth == 0;
    TFrame* top = outside ? nullptr : &state.frames[state.depth - 1];
    TSyntaxHighlighter* highlighter = outside ? default_ : schemes_[top->scheme].highlighter;
    THighlighterState& inner = outside ? state.base : top->state;
    std::optional<TFound> found =
        FindFirst(outside ? outside_ : inside_[top->scheme], line, pos, end);
    if (!found) {
      inner = highlighter->TokenizeRange(line, pos, end, endsLine, inner, tokens);
      break;
    }
    if (found->match.start > pos)
      inner = highlighter->TokenizeRange(line, pos, found->match.start, false, inner, tokens);
    out.Add(found->match.start, found->match.end, markers_[found->scheme]);
    pos = found->match.end;
    if (found->isEnd) {
      state.frames[--state.depth] = TFrame{};
    } else if (state.depth < kMaxNesting) {
      state.frames[state.depth++] = TFrame{static_cast<std::uint16_t>(found->scheme), 0};
    }
  }
  if (state == initial && start < states_.size()) return start;
  return Intern(state);
}

const THighlighterAttribute* TMultiHighlighter::DefaultAttribute(THighlighterDefault kind) const {
  return default_->DefaultAttribute(kind);
}

bool TMultiHighlighter::IsDefaultAttribute(const THighlighterAttribute* attribute,
                                           THighlighterDefault kind) const {
  if (attribute == nullptr) return false;
  if (default_->IsDefaultAttribute(attribute, kind)) return true;
  for (const TMultiScheme& scheme : schemes_) {
    if (scheme.highlighter->IsDefaultAttribute(attribute, kind)) return true;
  }
  return false;
}

}  // namespace tervil
