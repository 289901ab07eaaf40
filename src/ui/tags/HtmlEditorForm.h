#pragma once

#include <QPointer>
#include <QStringList>

#include "core/common/NamedColors.h"
#include "ui/docking/ToolForm.h"

class QComboBox;
class QTimer;
class QToolButton;

namespace tervil {

class THtmlTagsEditor;
class TAttributeGridWidget;
class TTvlPage;

// The HTML attribute window ("Html Editor"): the attributes of the tag at the caret of the
// current page in an editable grid, changes written straight into the tag, and a list of every
// known tag to insert a new one. It follows the caret once the caret rests (PageChanged restarts
// a short timer), and looks only at the tag around the caret.
class THtmlEditor : public TToolForm {
  Q_OBJECT
 public:
  static constexpr int kRestMs = 150;  // how long the caret rests before the grid follows it

  // `colorListFile` is the path of "colorlist.tvd": the named colours of colour values.
  THtmlEditor(THtmlTagsEditor& tags, QMainWindow* mainWindow,
              const QString& colorListFile = QString());

  // The current page changed or its editor's status did (caret, text, read-only); nullptr when
  // no editor page is current. Cheap: the grid follows later, when the window is shown.
  void PageChanged(TTvlPage* page);
  // Rebuilds or refreshes the grid for the tag at the caret of the current page (Update view).
  void UpdateView();
  // Enable controls / disable controls.
  void SetControlsEnabled(bool enabled);
  // Inserts the tag chosen in the tag list at the caret of the current page (InsertTag).
  void InsertTagClick();

  TAttributeGridWidget* Grid() const { return grid_; }
  QComboBox* TagsCombo() const { return tagsCombo_; }
  QToolButton* InsertTagButton() const { return insertTag_; }
  QTimer* RestTimer() const { return restTimer_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ValueEdited(int row, const QString& value);
  std::optional<QString> ChooseValue(int row);
  std::optional<QString> ChooseFile();
  std::optional<QString> ChooseColor(const QString& current);
  void StyleRows();

  THtmlTagsEditor& tags_;
  QPointer<TTvlPage> page_;
  QComboBox* tagsCombo_;
  QToolButton* insertTag_;
  TAttributeGridWidget* grid_;
  QTimer* restTimer_;
  bool complete_ = true;  // whether the grid knows every value of its tag
  QString colorListFile_;
  TNamedColors colors_;
  QStringList colorNames_;  // what a colour cell's list offers: nothing, then the names
};

}  // namespace tervil
