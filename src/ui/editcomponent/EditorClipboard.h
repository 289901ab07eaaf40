#pragma once

#include <string>

#include "core/editcomponent/EditorModel.h"

class QMimeData;

namespace tervil {

// The desktop clipboard as the editor model sees it. A column block copied from an editor is
// marked, so that pasting it inserts it as a column again.
class TEditorClipboard : public TClipboard {
 public:
  static constexpr const char* kColumnMimeType = "application/x-tervil-column-block";

  explicit TEditorClipboard(const TEditorModel& model) : model_(model) {}

  std::string Text() const override;
  void SetText(const std::string& text) override;
  bool HasText() const override;
  // Whether the clipboard holds a column block copied from an editor.
  bool HoldsColumnBlock() const;

  // Mime data for a piece of editor text (line breaks as LF), marked as a column block.
  static QMimeData* MakeMimeData(const std::string& text, bool columnBlock);
  static bool IsColumnBlock(const QMimeData& data);

 private:
  const TEditorModel& model_;
};

}  // namespace tervil
