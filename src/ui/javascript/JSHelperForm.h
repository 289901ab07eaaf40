#pragma once

#include <QWidget>
#include <memory>

#include "core/javascript/JSModel.h"
#include "ui/editcomponent/CompletionProposal.h"

class QTextEdit;
class QTreeView;

namespace tervil {

class TJSRowsModel;
class TTextEditor;

// The JavaScript member popup: the members of the object named by the expression at the caret
// (or the list of objects) in two columns, type and name, with a description of the selected
// row below. It shows at the caret and leaves the keyboard focus with the editor: Up and Down
// select, Enter and Tab insert the selected name in place of the expression's last part, Esc
// hides, Ctrl+Left goes back to the objects, Ctrl+Right into the selected member's type; typed
// characters reach the editor and select the first row that starts with the part typed, a "."
// resolves the expression anew.
class TJSHelper : public QWidget, public TEditorKeyClient {
  Q_OBJECT
 public:
  explicit TJSHelper(QWidget* owner);
  ~TJSHelper() override;

  void SetEditor(TTextEditor* editor);
  void SetModel(std::shared_ptr<const TJSModel> model);
  const TJSBrowser& Browser() const { return browser_; }

  // Shows the popup at the caret and resolves the expression there.
  void Activate();
  void Deactivate();
  // The description box's text (rich text).
  QString DescriptionHtml() const;

  bool WantsKey(const QKeyEvent& key) const override;
  bool KeyBefore(QKeyEvent& key) override;
  void KeyAfter(const QKeyEvent& key) override;
  void EditorLeft() override { Deactivate(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string Expression() const;
  void Resolve();
  void RowsChanged();
  void SelectionChanged();
  void SelectRow(int row);
  void InsertSelected();

  TTextEditor* editor_ = nullptr;
  TJSBrowser browser_;
  TJSRowsModel* rows_;
  QTreeView* view_;
  QTextEdit* description_;
};

}  // namespace tervil
