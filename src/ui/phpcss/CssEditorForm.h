#pragma once

#include <QPointer>
#include <vector>

#include "core/common/NamedColors.h"
#include "core/phpcss/CssAttributes.h"
#include "core/phpcss/CssStyle.h"
#include "ui/docking/ToolForm.h"

class QAction;
class QComboBox;
class QLabel;
class QTimer;
class QToolBar;
class QToolButton;

namespace tervil {

class TAttributeGridWidget;
class TTvlPage;

// The "Css Editor" tool window: the declarations of the CSS block at the caret of the current
// page (a rule body or a quoted style attribute) in a property/value grid whose values are
// edited in place, typed, picked from the property's list or chosen with the colour picker.
// Every change rewrites the block as one undoable edit. A list of every known property inserts
// a new declaration; a toolbar wraps the selection in an at-rule or pseudo-class. The window
// follows the caret once it rests (PageChanged restarts a short timer) and reads only the text
// around the caret.
class TCssEditor : public TToolForm {
  Q_OBJECT
 public:
  static constexpr int kRestMs = 150;  // how long the caret rests before the grid follows it

  // Reads the property list and the colour names from `dataDir`; what cannot be read is added
  // to `problems` (the window then shows every property as plain text).
  TCssEditor(const QString& dataDir, QMainWindow* mainWindow, std::vector<std::string>& problems);

  // The current page changed or its editor's status did; nullptr when no editor page is
  // current. Cheap: the grid follows later.
  void PageChanged(TTvlPage* page);
  // Reads the block at the caret and rebuilds the grid when the block's declarations changed.
  void UpdateView();
  void SetControlsEnabled(bool enabled);
  // Appends the property chosen in the property list to the block at the caret.
  void InsertTagClick();

  TAttributeGridWidget* Grid() const { return grid_; }
  QComboBox* TagsCombo() const { return tagsCombo_; }
  QToolButton* InsertTagButton() const { return insertTag_; }
  QToolBar* ToolBar() const { return toolBar_; }
  QLabel* ProblemLabel() const { return problem_; }
  QTimer* RestTimer() const { return restTimer_; }
  const TCSSStyle& Style() const { return style_; }
  const TCssAttributeTable& Attributes() const { return attributes_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateToolBar();
  void AddWrapAction(const char* name, const QString& hint, const QString& prefix,
                     const QString& suffix, const QString& glyph);
  void WrapSelection(const QString& prefix, const QString& suffix);
  void FillGrid();
  void ValueEdited(int row, const QString& value);
  std::optional<QString> ChooseColor(int row);
  // Whether the page can be written: present, not read-only, and its block still the one the
  // grid shows (false after rebuilding the grid from a block that changed underneath).
  bool MayWrite();
  void WriteBlock(const std::string& text);

  TCssAttributeTable attributes_;
  TNamedColors colors_;
  QString colorListFile_;
  TCSSStyle style_;
  bool RefreshAllowed = true;
  std::vector<std::size_t> rowDeclarations_;  // the declaration each grid row shows
  QPointer<TTvlPage> page_;
  QPointer<TTvlPage> parsedPage_;  // the page the style was read from
  QToolBar* toolBar_ = nullptr;
  QComboBox* tagsCombo_;
  QToolButton* insertTag_;
  TAttributeGridWidget* grid_;
  QLabel* problem_;
  QTimer* restTimer_;
};

}  // namespace tervil
