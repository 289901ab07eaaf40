#pragma once

// The clipboard history window: a small pop-up at the caret listing the texts copied and cut,
// with the chosen entry's full text below it. Choosing an entry inserts it into the current
// page; its text can be edited here before use.

#include <QFrame>
#include <QList>
#include <functional>

#include "core/highlighters/HighlighterSet.h"

class QAction;
class QListWidget;
class QMenu;

namespace tervil {

class TClipboardStrings;
class TTextEditor;

class TMultiClipboard : public QFrame {
  Q_OBJECT
 public:
  // `history` outlives the window. `highlighters` are the single highlighters by language name;
  // `multi` and the two captions stand for the multi-language highlighter and none.
  TMultiClipboard(TClipboardStrings& history, const THighlighterList& highlighters,
                  THighlighter* multi, const QString& multiCaption, const QString& noneCaption,
                  QWidget* parent = nullptr);

  // The editor of the current page, or nullptr when no page is open.
  std::function<TTextEditor*()> CurrentEditor;

  // Shows the window below the caret of `editor`, kept on the screen and not above or left of
  // `mainWindow`.
  void ShowAt(TTextEditor& editor, QWidget& mainWindow);
  // Inserts the entry selected in the list (Enter, double-click) and hides the window.
  void UseSelected();

  QListWidget* List() const { return list_; }
  TTextEditor* Preview() const { return preview_; }
  QMenu* HighlightersMenu() const { return highlightersMenu_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Rebuild();
  void ShowSelected();
  void PreviewEdited();
  void ChooseHighlighter(QAction* item);

  TClipboardStrings& history_;
  QListWidget* list_ = nullptr;
  TTextEditor* preview_ = nullptr;
  QMenu* highlightersMenu_ = nullptr;
  QList<QAction*> highlighterItems_;
  bool showing_ = false;  // the preview is being filled, not edited
};

}  // namespace tervil
