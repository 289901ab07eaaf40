#pragma once

#include <string>
#include <vector>

#include "core/config/Configuration.h"

namespace tervil {

// The "User Codes" group of the Options dialog: the list, the three edit boxes and the one
// button whose caption ("Add", "Update", "Delete") says what pressing it does.
class TUserCodeEditor {
 public:
  enum class TButton { Add, Update, Delete };

  explicit TUserCodeEditor(std::vector<TUserCode> codes = {});

  const std::vector<TUserCode>& Codes() const { return codes_; }
  int Selected() const { return selected_; }
  TButton Button() const { return button_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Before() const { return before_; }
  const std::string& After() const { return after_; }

  // A row selected fills the boxes and the button reads "Update"; -1 (deselecting) clears them
  // and it reads "Add".
  void Select(int row);
  // Typing in the caption box: while "Update", a blank caption makes it "Delete"; while
  // "Delete", a caption that is not blank makes it "Update" again.
  void SetCaption(const std::string& caption);
  void SetBefore(const std::string& before) { before_ = before; }
  void SetAfter(const std::string& after) { after_ = after; }
  // The button: with a row selected a caption updates it and a blank caption deletes it; without
  // one a caption adds a row and a blank one adds nothing. Afterwards nothing is selected, the
  // boxes are empty and the button reads "Add".
  void Press();
  // The Delete key in the list.
  void DeleteSelected();

 private:
  void Clear();

  std::vector<TUserCode> codes_;
  int selected_ = -1;
  TButton button_ = TButton::Add;
  std::string caption_, before_, after_;
};

}  // namespace tervil
