#include "core/config/UserCodeEditor.h"

namespace tervil {

namespace {

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

TUserCodeEditor::TUserCodeEditor(std::vector<TUserCode> codes) : codes_(std::move(codes)) {}

void TUserCodeEditor::Select(int row) {
  if (row < 0 || row >= static_cast<int>(codes_.size())) {
    Clear();
    return;
  }
  selected_ = row;
  const TUserCode& code = codes_[static_cast<std::size_t>(row)];
  caption_ = code.caption;
  before_ = code.before;
  after_ = code.after;
  button_ = TButton::Update;
}

void TUserCodeEditor::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (button_ == TButton::Update && IsBlank(caption))
    button_ = TButton::Delete;
  else if (button_ == TButton::Delete && !IsBlank(caption))
    button_ = TButton::Update;
}

void TUserCodeEditor::Press() {
  const bool blank = IsBlank(caption_);
  if (selected_ >= 0) {
    if (blank)
      codes_.erase(codes_.begin() + selected_);
    else
      codes_[static_cast<std::size_t>(selected_)] = {caption_, before_, after_};
  } else if (!blank) {
    codes_.push_back({caption_, before_, after_});
  }
  Clear();
}

void TUserCodeEditor::DeleteSelected() {
  if (selected_ < 0) return;
  codes_.erase(codes_.begin() + selected_);
  Clear();
}

void TUserCodeEditor::Clear() {
  selected_ = -1;
  caption_.clear();
  before_.clear();
  after_.clear();
  button_ = TButton::Add;
}

}  // namespace tervil
