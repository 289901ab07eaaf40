#include "ui/textcommands/HtmlTextActions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include "core/app/EntityGroups.h"
#include "core/editcomponent/ExporterHtml.h"
#include "core/editcomponent/ExporterRtf.h"
#include "core/generators/FormSnippets.h"
#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/documents/TvlPage.h"
#include "ui/editcomponent/ExporterSetup.h"
#include "ui/editor/TvlEdit.h"
#include "ui/explorer/ExplorerDrag.h"
#include "ui/generators/ColorPickForm.h"
#include "ui/textcommands/SelectionEdits.h"

namespace tervil {

namespace {

QString Qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "short|long": the short part is the tooltip, the long one goes to the status bar.
void SetHint(QAction* action, const QString& hint) {
  action->setToolTip(hint.section('|', 0, 0));
  action->setStatusTip(hint.section('|', 1));
}

// The main window's toolbar with this object name, made when missing.
QToolBar* NamedToolBar(QMainWindow& window, const char* name, const QString& title) {
  if (auto* bar = window.findChild<QToolBar*>(name)) return bar;
  QToolBar* bar = window.addToolBar(title);
  bar->setObjectName(name);
  return bar;
}

}  // namespace

THtmlTextActions::THtmlTextActions(TTervilMain& main, const QString& dataDir)
    : QObject(&main), main_(main), dataDir_(dataDir) {
  ChooseImageFile = [this](const QString& startFolder) {
    return QFileDialog::getOpenFileName(
        &main_, tr("Insert Image"), startFolder,
        tr("JPEG (*.jpeg *.jpg);;GIF (*.gif);;PNG (*.png);;BMP (*.bmp)"));
  };
  CreateHtmlActions();
  CreateFormActions();
  CreateTextActions();
  CreateInsertActions();
  CreateToolbars();
  CreateMenus();
  connect(&main_, &TTervilMain::StatusRefreshed, this, &THtmlTextActions::UpdateActions);
  UpdateActions();
}

QIcon THtmlTextActions::Icon(const QString& name) const {
  if (name.startsWith("tervil-")) return QIcon(dataDir_ + "/icons/" + name + ".svg");
  return QIcon::fromTheme(name);
}

// An action on the current page's editor; it is a page action (disabled without a page).
QAction* THtmlTextActions::MakeAction(const QString& caption, const QString& hint,
                                      const QString& icon, std::function<void(TTextEditor&)> run) {
  auto* action = new QAction(Icon(icon), caption, this);
  SetHint(action, hint);
  connect(action, &QAction::triggered, this, [this, run = std::move(run)] {
    TTvlPage* page = main_.CurrentPage();
    if (!page) return;
    run(*page->TvlEdit());
    page->FocusEditor();
  });
  pageActions_ << action;
  main_.addAction(action);
  return action;
}

void THtmlTextActions::CreateHtmlActions() {
  const auto rows = HtmlInsertRows();
  for (int tag = 0; tag < static_cast<int>(rows.size()); ++tag) {
    const THtmlInsertRow& row = rows[static_cast<std::size_t>(tag)];
    QAction* action = MakeAction(Qs(row.caption), Qs(row.hint), Qs(row.icon),
                                 [this, tag](TTextEditor& editor) { InsertHtmlTag(editor, tag); });
    action->setObjectName(Qs(row.action));
    action->setData(tag);
    if (!row.shortcut.empty()) {
      QList<QKeySequence> keys{QKeySequence(Qs(row.shortcut))};
      if (row.shortcut == "Ctrl+Return") keys << QKeySequence("Ctrl+Enter");
      action->setShortcuts(keys);
    }
    HtmlActions << action;
  }
}

void THtmlTextActions::InsertHtmlTag(TTextEditor& editor, int tag) {
  ApplyInsertion(editor, HtmlTagInsertion(tag, editor.SelText(), CaretSideOf(editor)));
}

// One handler serves the thirteen form actions: the action's number picks the snippet.
void THtmlTextActions::CreateFormActions() {
  const auto snippets = FormSnippets();
  for (int number = 0; number < static_cast<int>(snippets.size()); ++number) {
    const TFormSnippet& snippet = snippets[static_cast<std::size_t>(number)];
    QAction* action = MakeAction(
        Qs(snippet.caption), Qs(snippet.hint), Qs(snippet.icon),
        [number](TTextEditor& editor) {  // formFormExecute
          ApplyInsertion(editor,
                         FormSnippetInsertion(number, editor.SelText(), CaretSideOf(editor)));
        });
    action->setObjectName(Qs(snippet.action));
    action->setData(number);
    FormActions << action;
  }
}

void THtmlTextActions::CreateTextActions() {
  auto conversion = [this](const QString& caption, const QString& hint, const char* icon,
                           TTextConversion kind) {
    return MakeAction(caption, hint, icon, [this, kind](TTextEditor& editor) {
      ConvertSelection(editor, kind, main_.Wait());
    });
  };
  ConverttexttoHTML1 = conversion(tr("Convert Selection to HTML"),
                                  tr("Convert Selection to HTML|Write the selection as HTML text"),
                                  "text-html", TTextConversion::ToHtml);
  Unformatselection1 =
      conversion(tr("Unformat Selection"),
                 tr("Unformat Selection|Remove the formatting attributes and font tags"),
                 "edit-clear-all", TTextConversion::Unformat);
  Escapequots1 = conversion(tr("Escape Quots"),
                            tr("Escape Quots|Put a backslash before quotes, $ and backslashes"),
                            "format-text-code", TTextConversion::EscapeQuotes);
  Converttolowercase1 = conversion(tr("Convert to Lowercase"),
                                   tr("Convert to Lowercase|Letters A to Z in lower case"),
                                   "format-text-lowercase", TTextConversion::LowerCase);
  Converttouppercase1 = conversion(tr("Convert to Uppercase"),
                                   tr("Convert to Uppercase|Letters a to z in upper case"),
                                   "format-text-uppercase", TTextConversion::UpperCase);
  Converttagstolowercase1 =
      conversion(tr("Convert Tags to Lowercase"),
                 tr("Convert Tags to Lowercase|Tags and their attributes in lower case"),
                 "format-text-lowercase", TTextConversion::TagsLowerCase);
  Converttagstouppercase1 =
      conversion(tr("Convert Tags to Uppercase"),
                 tr("Convert Tags to Uppercase|Tags and their attributes in upper case"),
                 "format-text-uppercase", TTextConversion::TagsUpperCase);
  Breaklines1 = MakeAction(
      tr("Break lines"), tr("Break lines|Break the selected lines at the right edge"), "text-wrap",
      [this](TTextEditor& editor) { BreakSelectedLines(editor, main_.Configuration().RightEdge); });
  actCommentOut = MakeAction(tr("Add Comment"), tr("Add Comment|Put // before the selected lines"),
                             "edit-comment", &CommentOutSelection);
  actRemoveComment =
      MakeAction(tr("Remove Comment"), tr("Remove Comment|Take // off the selected lines"),
                 "delete-comment", &RemoveCommentFromSelection);
  actCopyAsRtf = MakeAction(tr("RTF"), tr("RTF|Copy the selection as RTF with its colours"),
                            "text-rtf", [this](TTextEditor& editor) { CopyAs(editor, true); });
  actCopyAsHtml = MakeAction(tr("HTML"), tr("HTML|Copy the selection as HTML with its colours"),
                             "text-html", [this](TTextEditor& editor) { CopyAs(editor, false); });
  actSpecialChars =
      MakeAction(tr("Show Special Chars"), tr("Show Special Chars|Show blanks, tabs and line ends"),
                 "view-visible", [this](TTextEditor& editor) {
                   editor.SetOptions(editor.Options() ^ eoShowSpecialChars);
                   UpdateActions();
                 });
  actSpecialChars->setCheckable(true);
}

void THtmlTextActions::CreateInsertActions() {
  actEntities =
      MakeAction(tr("Entities"), tr("Insert HTML Entity|Insert HTML Entity"), "tervil-entity",
                 [this](TTextEditor&) { PopupBelow("EntitiesToolButton", EntitiesMenu); });
  actUserCodes =
      MakeAction(tr("User codes"), tr("User codes|User codes"), "tervil-user-code",
                 [this](TTextEditor&) { PopupBelow("UserCodeToolButton", UserCodesMenu); });
  actPHPVars = MakeAction(
      tr("PHP variables"), tr("Insert PHP variable|Insert PHP variable"), "tervil-php-var",
      [this](TTextEditor&) { PopupBelow("ServerVarsToolButton", PhpVarsMenu); });
  actInsertColor = MakeAction(tr("Color Picker..."),
                              tr("Color Picker|Pick a colour and insert its name or code"),
                              "color-picker", [this](TTextEditor& editor) { InsertColor(editor); });
  actInsertColor->setIconText(tr("Color Picker"));
  actInsertImage =
      MakeAction(tr("Insert Image..."), tr("Insert Image|Insert an image tag for a picture file"),
                 "insert-image", [this](TTextEditor& editor) {
                   const QString path = ChooseImageFile ? ChooseImageFile(PageFolder()) : QString();
                   if (!path.isEmpty()) InsertPicture(editor, path);
                 });
  actInsertImage->setIconText(tr("Insert Image"));

  // The items of the dropped-file menu; "Insert File Content" has no command.
  auto dropItem = [this](const QString& caption, std::function<std::string()> text) {
    return MakeAction(caption, caption, "", [text = std::move(text)](TTextEditor& editor) {
      AppendToSelection(editor, text());
    });
  };
  InsertFilename1 = dropItem(tr("Insert Filename"), [this] { return dropped_.name; });
  InsertPathFilename1 =
      dropItem(tr("Insert Path+Filename"), [this] { return dropped_.folder + dropped_.name; });
  InsertasHyperlink1 = MakeAction(tr("Insert as Hyperlink"), tr("Insert as Hyperlink"),
                                  "insert-link", [this](TTextEditor& editor) {
                                    const std::string path =
                                        RelativeFilePath(PageFolder().toStdString(), dropped_);
                                    ApplyInsertion(editor, {HyperlinkMarkup(path, dropped_.name)});
                                  });
  InsertasImage = MakeAction(
      tr("Insert as Image"), tr("Insert as Image"), "insert-image",
      [this](TTextEditor& editor) { InsertPicture(editor, Qs(dropped_.folder + dropped_.name)); });
  InsertFileContent = new QAction(tr("Insert File Content"), this);
  InsertFileContent->setEnabled(false);
  for (QAction* item : {InsertFilename1, InsertPathFilename1, InsertasHyperlink1, InsertasImage})
    main_.removeAction(item);
}

void THtmlTextActions::CreateToolbars() {
  // The HTML toolbars start a row of their own: they are long.
  main_.addToolBarBreak(Qt::TopToolBarArea);
  HtmlToolbar = NamedToolBar(main_, "HtmlToolbar", tr("Html Toolbar"));
  for (int tag = 0; tag < HtmlActions.size(); ++tag) {
    if (tag >= kHtmlTagH1 && tag <= kHtmlTagH6) continue;  // in the Header button's menu
    HtmlToolbar->addAction(HtmlActions[tag]);
  }
  HeadersMenu = new QMenu(tr("Headers"), &main_);
  for (int tag = kHtmlTagH1; tag <= kHtmlTagH6; ++tag) HeadersMenu->addAction(HtmlActions[tag]);
  QAction* header = HtmlActions[17];
  header->setMenu(HeadersMenu);
  if (auto* button = qobject_cast<QToolButton*>(HtmlToolbar->widgetForAction(header)))
    button->setPopupMode(QToolButton::MenuButtonPopup);

  FormToolbar = NamedToolBar(main_, "FormToolbar", tr("Html Form Toolbar"));
  FormToolbar->addActions(FormActions);

  EntitiesMenu = new QMenu(tr("Entities"), &main_);
  PhpVarsMenu = new QMenu(tr("PHP variables"), &main_);
  UserCodesMenu = new QMenu(tr("User codes"), &main_);
  BuildEntitiesMenu();
  BuildPhpVarsMenu();
  connect(UserCodesMenu, &QMenu::aboutToShow, this, &THtmlTextActions::BuildUserCodesMenu);
  AdditionalToolBar = NamedToolBar(main_, "AdditionalToolBar", tr("Additional Toolbar"));
  MenuButton(actPHPVars, PhpVarsMenu, "ServerVarsToolButton");
  MenuButton(actEntities, EntitiesMenu, "EntitiesToolButton");
  MenuButton(actUserCodes, UserCodesMenu, "UserCodeToolButton");

  QToolBar* tools = NamedToolBar(main_, "ToolsToolBar", tr("Tools"));
  tools->addActions({actInsertImage, actInsertColor, actCommentOut, actRemoveComment});

  actHtmlToolbar = HtmlToolbar->toggleViewAction();
  actHtmlToolbar->setText(tr("HTML"));
  actHTMLFormToolbar = FormToolbar->toggleViewAction();
  actHTMLFormToolbar->setText(tr("HTML Form"));
}

// A toolbar button whose click opens its menu just below it.
QToolButton* THtmlTextActions::MenuButton(QAction* action, QMenu* menu, const char* name) {
  auto* button = new QToolButton(AdditionalToolBar);
  button->setObjectName(name);
  button->setDefaultAction(action);
  button->setMenu(menu);
  button->setPopupMode(QToolButton::InstantPopup);
  AdditionalToolBar->addWidget(button);
  return button;
}

void THtmlTextActions::PopupBelow(const char* buttonName, QMenu* menu) {
  auto* button = AdditionalToolBar->findChild<QToolButton*>(buttonName);
  if (button && button->isVisible())
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
  else
    menu->popup(QCursor::pos());
}

// The entities in sub-menus by kind, each short enough for the screen: every entry can be
// reached, and no menu covers the screen.
void THtmlTextActions::BuildEntitiesMenu() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int screenHeight = screen ? screen->availableGeometry().height() : 600;
  const int rowHeight = std::max(1, EntitiesMenu->fontMetrics().height() + 8);
  const auto fit = static_cast<std::size_t>(std::max(10, screenHeight / rowHeight - 2));
  for (const TEntityGroup& group :
       GroupEntities(main_.EntityItems(), std::min<std::size_t>(fit, 40))) {
    QMenu* sub = EntitiesMenu->addMenu(tr(group.title.c_str()));
    for (const TEntityItem& entity : group.items) {
      QAction* item = sub->addAction(Qs(entity.caption));
      item->setStatusTip(Qs(entity.text));
      const std::string text = entity.text;
      connect(item, &QAction::triggered, this, [this, text] {
        if (TTvlPage* page = main_.CurrentPage()) AppendToSelection(*page->TvlEdit(), text);
      });
    }
  }
}

void THtmlTextActions::BuildPhpVarsMenu() {
  for (std::string_view name : PhpServerVariables()) {
    QAction* item = PhpVarsMenu->addAction(Qs(name));
    const std::string text = PhpServerVariableText(name);
    item->setStatusTip(Qs(text));
    connect(item, &QAction::triggered, this, [this, text] {
      if (TTvlPage* page = main_.CurrentPage()) AppendToSelection(*page->TvlEdit(), text);
    });
  }
}

// Rebuilt from the configuration each time it opens, so it follows the applied configuration.
void THtmlTextActions::BuildUserCodesMenu() {
  UserCodesMenu->clear();
  for (const TUserCode& code : main_.Configuration().UserCodeList) {
    QAction* item = UserCodesMenu->addAction(Qs(code.caption));
    item->setStatusTip(Qs(code.before + code.after));
    connect(item, &QAction::triggered, this, [this, code] {
      TTvlPage* page = main_.CurrentPage();
      if (!page) return;
      TTextEditor& editor = *page->TvlEdit();
      ApplyInsertion(editor, {code.before + editor.SelText() + code.after});
    });
  }
}

void THtmlTextActions::CreateMenus() {
  QMenu* edit = MenuNamed(main_.menuBar(), tr("&Edit"), tr("&View"));
  CopyAsMenu = new QMenu(tr("Copy as..."), &main_);
  CopyAsMenu->setIcon(QIcon::fromTheme("edit-copy"));
  CopyAsMenu->addActions({actCopyAsHtml, actCopyAsRtf});
  const QList<QAction*> items = edit->actions();
  QAction* afterCopy = items.size() > 3 ? items[3] : nullptr;  // Undo, Redo, separator, Copy
  for (int i = 0; i + 1 < items.size(); ++i)
    if (items[i]->text() == tr("Copy")) afterCopy = items[i + 1];
  edit->insertMenu(afterCopy, CopyAsMenu);
  // The editor's context menu writes its caption in title case.
  EditorCopyAsMenu = new QMenu(tr("Copy As..."), &main_);
  EditorCopyAsMenu->setIcon(CopyAsMenu->icon());
  EditorCopyAsMenu->addActions({actCopyAsHtml, actCopyAsRtf});
  edit->addSeparator();
  edit->addActions({actCommentOut, actRemoveComment, ConverttexttoHTML1, Escapequots1,
                    Unformatselection1, Breaklines1});
  CaseMenu = edit->addMenu(QIcon::fromTheme("format-text-uppercase"), tr("Character case"));
  CaseMenu->addActions(
      {Converttolowercase1, Converttouppercase1, Converttagstolowercase1, Converttagstouppercase1});

  QMenu* view = MenuNamed(main_.menuBar(), tr("&View"), tr("&Window"));
  view->addAction(actSpecialChars);
  QMenu* toolbars = SubmenuNamed(view, tr("Toolbars"));
  toolbars->addActions({actHtmlToolbar, actHTMLFormToolbar, AdditionalToolBar->toggleViewAction()});

  QMenu* tools = MenuNamed(main_.menuBar(), tr("&Tools"), tr("&Window"));
  tools->addActions({actInsertImage, actInsertColor});

  DropMenu = new QMenu(&main_);
  DropMenu->addActions(
      {InsertFilename1, InsertPathFilename1, InsertasHyperlink1, InsertasImage, InsertFileContent});
  for (QMenu* menu : {edit, view, tools, EntitiesMenu, PhpVarsMenu, UserCodesMenu})
    connect(menu, &QMenu::aboutToShow, this, &THtmlTextActions::UpdateActions);
}

void THtmlTextActions::UpdateActions() {
  TTvlPage* page = main_.CurrentPage();
  // Each action is set once to its final state: enabling and disabling the same action in one
  // update would lay out its toolbar again on every keystroke.
  const bool userCodes = page && !main_.Configuration().UserCodeList.empty();
  for (QAction* action : pageActions_)
    action->setEnabled(action == actUserCodes ? userCodes : page != nullptr);
  actSpecialChars->setChecked(page && (page->TvlEdit()->Options() & eoShowSpecialChars));
}

void THtmlTextActions::AddEditorMenuItems(QMenu& menu, QAction* copyAction) {
  const QList<QAction*> items = menu.actions();
  const qsizetype at = items.indexOf(copyAction);
  menu.insertMenu(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr, EditorCopyAsMenu);
  menu.addSeparator();
  menu.addActions({actCommentOut, actRemoveComment});
}

QString THtmlTextActions::PageFolder() const {
  TTvlPage* page = main_.CurrentPage();
  return page ? Qs(tervil::PageFolder(page->Filename().toStdString())) : QString();
}

bool THtmlTextActions::HandleDrop(TTextEditor& editor, const QMimeData& data,
                                  const QPoint& globalPos) {
  QString folder;
  QString entry;
  if (!ReadExplorerDrag(data, folder, entry)) return false;
  dropped_ = DroppedFileOf(folder.toStdString(), entry.toStdString());
  if (TTvlPage* page = main_.CurrentPage(); !page || page->TvlEdit() != &editor) {
    editor.setFocus();  // the page of the editor becomes the current one
  }
  UpdateActions();
  InsertasImage->setEnabled(main_.CurrentPage() && IsPictureFileName(dropped_.name));
  DropMenu->popup(globalPos);
  return true;
}

// "Insert as Image" and "Insert Image": the picture's size when it can be read, its path relative
// to the page's folder.
void THtmlTextActions::InsertPicture(TTextEditor& editor, const QString& path) {
  const QSize size = QImageReader(path).size();
  const TDroppedFile file = FileOfPath(path.toStdString());
  const std::string relative = RelativeFilePath(PageFolder().toStdString(), file);
  const bool known = size.isValid();
  AppendToSelection(editor,
                    ImageMarkup(relative, known ? size.width() : -1, known ? size.height() : -1));
}

void THtmlTextActions::InsertColor(TTextEditor& editor) {
  TColorPick picker(dataDir_ + "/colorlist.tvd", &main_);
  picker.SelectColor("black");
  if (picker.exec() == QDialog::Accepted)
    AppendToSelection(editor, picker.GetSelected().toStdString());
}

// The rich format and a plain text go to the clipboard together: RTF with the selected text,
// HTML with its own source as text.
void THtmlTextActions::CopyAs(TTextEditor& editor, bool rtf) {
  TTvlPage* page = main_.CurrentPage();
  if (!page || !editor.SelAvail()) return;
  TExporterRTF rtfExporter;
  TExporterHTML htmlExporter;
  TExporter& exporter = rtf ? static_cast<TExporter&>(rtfExporter) : htmlExporter;
  SetUpExporter(exporter, editor, QFileInfo(page->Filename()).fileName().toStdString());
  const TEditorModel& model = editor.Model();
  exporter.ExportRange(model, model.BlockBegin(), model.BlockEnd());
  const QByteArray result = QByteArray::fromStdString(exporter.Result());
  auto* data = new QMimeData;
  if (rtf) {
    data->setData("text/rtf", result);
    data->setData("application/rtf", result);
    data->setText(QString::fromStdString(editor.SelText()));
  } else {
    data->setHtml(QString::fromUtf8(result));
    data->setText(QString::fromUtf8(result));
  }
  QApplication::clipboard()->setMimeData(data);
}

}  // namespace tervil
