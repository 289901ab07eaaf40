#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "core/textcommands/FileInsertion.h"

class QAction;
class QMainWindow;
class QMenu;
class QMimeData;
class QPoint;
class QToolBar;
class QToolButton;

namespace tervil {

class TTervilMain;
class TTextEditor;

// The text commands of the main window: the "Html Toolbar" (tags, entities, headers), the "Html
// Form Toolbar", the "Additional Toolbar" (entities, PHP server variables, user codes), the
// conversions and comments of the Edit menu, copy as RTF or HTML, the picture and colour
// insertions, "Show Special Chars" and the menu for files dropped from the explorer. Every
// command acts on the current page's editor and does nothing without one.
class THtmlTextActions : public QObject {
  Q_OBJECT
 public:
  // Makes the actions, the toolbars and the menus and puts them into the main window's menus.
  // `dataDir` holds the icons and "colorlist.tvd".
  THtmlTextActions(TTervilMain& main, const QString& dataDir);

  // The update rules: every command needs a page; user codes need at least one user code.
  void UpdateActions();
  // "Copy As..." after Copy, then "Add Comment" and "Remove Comment" (the editor's context menu).
  void AddEditorMenuItems(QMenu& menu, QAction* copyAction);
  // A drop of a file list entry of the explorer on an editor: shows the dropped-file menu at
  // `globalPos`. False when the data holds no such entry.
  bool HandleDrop(TTextEditor& editor, const QMimeData& data, const QPoint& globalPos);

  // Picture dialog of "Insert Image"; replaceable for tests. Returns the chosen path or "".
  std::function<QString(const QString& startFolder)> ChooseImageFile;

  QList<QAction*> HtmlActions;  // by tag, 0 to 29
  QList<QAction*> FormActions;  // formForm to formArea
  QAction* ConverttexttoHTML1 = nullptr;
  QAction* Unformatselection1 = nullptr;
  QAction* Escapequots1 = nullptr;
  QAction* Breaklines1 = nullptr;
  QAction* Converttolowercase1 = nullptr;
  QAction* Converttouppercase1 = nullptr;
  QAction* Converttagstolowercase1 = nullptr;
  QAction* Converttagstouppercase1 = nullptr;
  QAction* actCommentOut = nullptr;
  QAction* actRemoveComment = nullptr;
  QAction* actEntities = nullptr;
  QAction* actUserCodes = nullptr;
  QAction* actPHPVars = nullptr;
  QAction* actInsertColor = nullptr;
  QAction* actInsertImage = nullptr;
  QAction* actCopyAsRtf = nullptr;
  QAction* actCopyAsHtml = nullptr;
  QAction* actSpecialChars = nullptr;
  QAction* actHtmlToolbar = nullptr;
  QAction* actHTMLFormToolbar = nullptr;
  QAction* InsertFilename1 = nullptr;
  QAction* InsertPathFilename1 = nullptr;
  QAction* InsertasHyperlink1 = nullptr;
  QAction* InsertasImage = nullptr;
  QAction* InsertFileContent = nullptr;
  QToolBar* HtmlToolbar = nullptr;
  QToolBar* FormToolbar = nullptr;
  QToolBar* AdditionalToolBar = nullptr;
  QMenu* HeadersMenu = nullptr;
  QMenu* EntitiesMenu = nullptr;
  QMenu* UserCodesMenu = nullptr;
  QMenu* PhpVarsMenu = nullptr;
  QMenu* CopyAsMenu = nullptr;        // in the Edit menu
  QMenu* EditorCopyAsMenu = nullptr;  // in the editor's context menu
  QMenu* CaseMenu = nullptr;
  QMenu* DropMenu = nullptr;

 private:
  QAction* MakeAction(const QString& caption, const QString& hint, const QString& icon,
                      std::function<void(TTextEditor&)> run);
  QIcon Icon(const QString& name) const;
  void CreateHtmlActions();
  void CreateFormActions();
  void CreateTextActions();
  void CreateInsertActions();
  void CreateMenus();
  void CreateToolbars();
  void BuildEntitiesMenu();
  void BuildPhpVarsMenu();
  void BuildUserCodesMenu();
  QToolButton* MenuButton(QAction* action, QMenu* menu, const char* name);
  void PopupBelow(const char* buttonName, QMenu* menu);
  void InsertHtmlTag(TTextEditor& editor, int tag);
  void InsertPicture(TTextEditor& editor, const QString& path);
  void InsertColor(TTextEditor& editor);
  void CopyAs(TTextEditor& editor, bool rtf);
  QString PageFolder() const;

  TTervilMain& main_;
  QString dataDir_;
  QList<QAction*> pageActions_;  // enabled exactly with a current page
  TDroppedFile dropped_;
};

}  // namespace tervil
