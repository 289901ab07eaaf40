#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/editcomponent/EditorListener.h"

namespace tervil {

class TEditorModel;

enum TAutoCorrectOption : std::uint32_t {
  ascoIgnoreCase = 1,    // a wrong word matches whatever its letter case
  ascoMaintainCase = 2,  // the correction takes the case of the typed word
};

// Corrects a typed word when a word delimiter (any character that is not a letter, digit or
// "_", a line break or a tab) is typed after it. Attach it to an editor to have it listen. The
// correction is made once the delimiter is in, as an undo step of its own, so the first undo
// after it gives back the word as typed (with its delimiter).
class TAutoCorrect : public TEditorListener {
 public:
  ~TAutoCorrect() override;

  // Items are "wrong<separator>right" lines; lines without the separator are ignored.
  void SetItems(const std::vector<std::string>& lines, char separator = '|');
  void Add(std::string_view wrong, std::string_view right);
  void Clear();
  std::size_t Count() const { return items_.size(); }
  void SetOptions(std::uint32_t options);
  std::uint32_t Options() const { return options_; }

  // The correction of `word` with the options applied, or an empty string.
  std::string Correction(std::string_view word) const;
  // Replaces the word before the editor's caret by its correction (one undo step).
  bool CorrectWordBeforeCaret(TEditorModel& editor) const;

  // Decides whether the word starting at a position may be corrected (text written as prose,
  // not a name in code); without it every word may.
  using TCorrectsAt = std::function<bool(TBufferPos wordStart)>;
  void SetCorrectsAt(TCorrectsAt correctsAt) { correctsAt_ = std::move(correctsAt); }

  void Attach(TEditorModel* editor);
  void BeforeCommand(TCommandEvent& event) override;
  void AfterCommand(const TCommandEvent& event) override;

 private:
  // A word before the caret and its correction.
  struct TPending {
    TBufferPos start;
    TBufferPos end;
    std::string word;
    std::string right;
  };
  std::optional<TPending> WordToCorrect(const TEditorModel& editor) const;

  std::string Key(std::string_view word) const;
  void Rebuild();

  std::vector<std::pair<std::string, std::string>> items_;
  std::unordered_map<std::string, std::size_t> index_;
  std::uint32_t options_ = 0;
  TEditorModel* editor_ = nullptr;
  TCorrectsAt correctsAt_;
  std::optional<TPending> pending_;  // found before a delimiter, corrected after it
};

}  // namespace tervil
