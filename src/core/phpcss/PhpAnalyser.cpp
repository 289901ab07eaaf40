// The PHP structure analyser: the model, merging by name, character offsets and comment text.

#include "core/phpcss/PhpAnalyser.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

#include "core/common/Utf8.h"
#include "core/phpcss/PhpDeclarationReader.h"
#include "core/text/TextProcessor.h"

namespace tervil {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// Moves the elements into `list`; one whose name is already there takes the place of the earlier
// element.
template <typename T>
void MergeByName(std::vector<std::unique_ptr<T>>& found, std::vector<std::unique_ptr<T>>& list) {
  std::unordered_map<std::string_view, std::size_t> index;
  for (auto& element : found) {
    const auto [it, added] = index.try_emplace(element->Name, list.size());
    if (added) {
      list.push_back(std::move(element));
    } else {
      list[it->second] = std::move(element);
    }
  }
}

// Turns the byte offsets of every element into character offsets: a byte offset becomes the
// index of the character that holds that byte; the length of the text stays the length.
void ToCharacterOffsets(std::string_view text, TPHPAnalyser& analyser) {
  // In a text of ASCII characters only, a byte offset is a character offset already.
  if (std::all_of(text.begin(), text.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    const auto clamp = [&text](TPHPStruct& element) {
      element.StartPos = std::clamp(element.StartPos, 0, static_cast<int>(text.size()));
      element.EndPos = std::clamp(element.EndPos, 0, static_cast<int>(text.size()));
    };
    for (auto& cls : analyser.Classes) {
      clamp(*cls);
      for (auto& field : cls->Fields) clamp(*field);
      for (auto& method : cls->Methods) clamp(*method);
    }
    for (auto& function : analyser.Functions) clamp(*function);
    return;
  }
  std::size_t count = analyser.Functions.size();
  for (const auto& cls : analyser.Classes) count += 1 + cls->Fields.size() + cls->Methods.size();
  std::vector<int*> offsets;
  offsets.reserve(2 * count);
  const auto add = [&offsets](TPHPStruct& element) {
    offsets.push_back(&element.StartPos);
    offsets.push_back(&element.EndPos);
  };
  for (auto& cls : analyser.Classes) {
    add(*cls);
    for (auto& field : cls->Fields) add(*field);
    for (auto& method : cls->Methods) add(*method);
  }
  for (auto& function : analyser.Functions) add(*function);
  std::sort(offsets.begin(), offsets.end(), [](const int* a, const int* b) { return *a < *b; });
  std::size_t byte = 0;
  int chars = 0;  // characters that start in [0, byte)
  for (int* offset : offsets) {
    const auto target = static_cast<std::size_t>(std::max(*offset, 0));
    for (; byte <= target && byte < text.size(); ++byte)
      if (!utf8::IsContinuation(static_cast<unsigned char>(text[byte]))) ++chars;
    *offset = target < text.size() ? std::max(chars - 1, 0) : chars;
  }
}

}  // namespace

void TPHPAnalyser::Analyse(std::string_view text) {
  const std::atomic<bool> never{false};
  Analyse(text, never);
}

bool TPHPAnalyser::Analyse(std::string_view text, const std::atomic<bool>& cancel) {
  Classes.clear();
  Functions.clear();
  Texts.Clear();
  // Offsets are ints: a text beyond their range is read up to it.
  text = text.substr(0, std::min<std::size_t>(text.size(), INT_MAX));
  std::vector<std::unique_ptr<TPHPClass>> classes;
  std::vector<std::unique_ptr<TPHPMethod>> functions;
  TPhpDeclarationReader(text, Texts, &cancel).Read(classes, functions);
  if (cancel.load()) {
    Texts.Clear();
    return false;
  }
  MergeByName(classes, Classes);
  MergeByName(functions, Functions);
  ToCharacterOffsets(text, *this);
  return true;
}

std::string_view TPhpTextStore::Add(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > kBlockSize / 4) {
    // A long text gets a block of its own, placed before the one being filled.
    auto block = std::make_unique<char[]>(text.size());
    std::copy(text.begin(), text.end(), block.get());
    const std::string_view stored(block.get(), text.size());
    blocks_.insert(blocks_.empty() ? blocks_.end() : blocks_.end() - 1, std::move(block));
    return stored;
  }
  if (used_ + text.size() > kBlockSize) {
    blocks_.push_back(std::make_unique<char[]>(kBlockSize));
    used_ = 0;
  }
  char* at = blocks_.back().get() + used_;
  std::copy(text.begin(), text.end(), at);
  used_ += text.size();
  return {at, text.size()};
}

void TPhpTextStore::Clear() {
  blocks_.clear();
  used_ = kBlockSize;
}

std::string PhpDocTag(std::string_view comment, std::string_view tag) {
  const std::string needle = "@" + std::string(tag);
  const std::size_t at = comment.find(needle);
  if (at == std::string_view::npos) return {};
  std::string_view line = comment.substr(at);
  line = line.substr(0, line.find_first_of("\r\n"));
  TStringList words;
  SplitByCharSet("\t ", line, words);
  RemoveBlankLines(words);
  return words.size() >= 2 ? words[1] : std::string();
}

std::string CleanPhpComment(std::string_view comment) {
  std::string_view text = Trim(comment);
  text.remove_prefix(std::min<std::size_t>(2, text.size()));
  const std::size_t cut = std::min(text.find('@'), text.find("*/"));
  if (cut != std::string_view::npos) text = Trim(text.substr(0, cut));
  TStringList lines;
  SplitByCharSet("\r\n", text, lines);
  RemoveBlankLines(lines);
  for (auto& line : lines) {
    std::string_view trimmed = Trim(line);
    if (trimmed.starts_with('*')) trimmed = Trim(trimmed.substr(1));
    line = std::string(trimmed);
  }
  return JoinLines(lines, "");
}

std::size_t PhpStatementStart(std::string_view text, std::size_t k, std::size_t floor) {
  k = std::min(k, text.size());
  while (k > floor) {
    const char c = text[k - 1];
    if (c == '\r' || c == '\n' || c == ';' || c == '{' || c == '}') break;
    --k;
  }
  return k;
}

}  // namespace tervil
