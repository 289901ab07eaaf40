// The generator commands: "New..." by document type, and the table, head and image map
// generators of the Tools menu, which insert their markup into the current page.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "core/generators/DocumentTypes.h"
#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/generators/GeneratorIcons.h"
#include "ui/generators/ImageMapForm.h"
#include "ui/generators/MetaForm.h"
#include "ui/generators/NewProjectForm.h"
#include "ui/generators/TableForm.h"

namespace tervil {

namespace {

// An action with its menu caption, the shorter caption of toolbar buttons, a theme icon and a
// hint ("short|long": the long part goes to the status bar).
QAction* GeneratorAction(QObject* owner, const QString& caption, const QString& buttonCaption,
                         const char* icon, const QString& hint) {
  auto* action = new QAction(GeneratorIcon(icon), caption, owner);
  action->setIconText(buttonCaption);
  action->setToolTip(hint.section('|', 0, 0));
  action->setStatusTip(hint.section('|', -1));
  return action;
}

// The main window's toolbar with this object name, made when missing.
QToolBar* NamedToolBar(QMainWindow* window, const char* name, const QString& title) {
  if (auto* bar = window->findChild<QToolBar*>(name)) return bar;
  QToolBar* bar = window->addToolBar(title);
  bar->setObjectName(name);
  return bar;
}

}  // namespace

void TTervilMain::CreateGeneratorActions() {
  actNewType =
      GeneratorAction(this, tr("New..."), tr("New..."), "document-new", tr("New File|New File"));
  actTableGen = GeneratorAction(this, tr("Table Generator..."), tr("Table Generator"),
                                "insert-table", tr("Table Generator|Insert an HTML table"));
  actHead = GeneratorAction(this, tr("Head Generator..."), tr("Head Generator"), "text-html",
                            tr("Open HTML HEAD Editor|Open HTML HEAD Editor"));
  actImageMap = GeneratorAction(this, tr("Image Map..."), tr("Image Map"), "insert-image",
                                tr("Image Map|Draw clickable areas on a picture"));
  connect(actNewType, &QAction::triggered, this, &TTervilMain::NewTypeCommand);
  auto runDialog = [this](auto makeDialog) {
    return [this, makeDialog] {
      TTvlPage* page = currentPage_;
      if (!page || page->TvlEdit()->ReadOnly()) return;
      auto dialog = makeDialog();
      if (dialog->exec() == QDialog::Accepted) InsertGenerated(dialog->ResultText());
    };
  };
  connect(actTableGen, &QAction::triggered, this,
          runDialog([this] { return std::make_unique<TTableForm>(this); }));
  connect(actHead, &QAction::triggered, this,
          runDialog([this] { return std::make_unique<TMeta>(this); }));
  connect(actImageMap, &QAction::triggered, this,
          runDialog([this] { return std::make_unique<TImageMapForm>(LastDirectory(), this); }));

  fileMenu_->insertAction(actOpen, actNewType);
  // Tools lists the head and table generators before the other tools, the image map after them.
  QMenu* tools = MenuNamed(menuBar(), tr("&Tools"), tr("&Window"));
  tools->insertActions(tools->actions().value(0), {actHead, actTableGen});
  tools->addAction(actImageMap);
  if (auto* mainToolbar = findChild<QToolBar*>("MainToolbar"))
    mainToolbar->insertAction(actOpen, actNewType);
  NamedToolBar(this, "ToolsToolBar", tr("Tools"))->addActions({actTableGen, actHead});
}

void TTervilMain::UpdateGeneratorActions() {
  for (QAction* needsPage : {actTableGen, actHead, actImageMap})
    needsPage->setEnabled(currentPage_ != nullptr);
}

// The markup goes right after the selected text, replacing the selection, as one undoable edit.
void TTervilMain::InsertGenerated(const QString& text) {
  TTvlPage* page = currentPage_;
  if (!page || text.isEmpty()) return;
  TTvlEdit* editor = page->TvlEdit();
  editor->SetSelText(editor->SelText() + text.toStdString());
  page->FocusEditor();
}

void TTervilMain::NewTypeCommand() {
  TNewProject dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;
  const TDocumentType* type = FindDocumentType(dialog.SelectedType().toStdString());
  if (!type) return;
  TTvlPage* page = NewDocument();
  page->SetHighlighter(type->Highlighter.empty()
                           ? &highlighters_.Multi()
                           : highlighters_.FindByLanguageName(type->Highlighter));
  if (!type->InitialText.empty()) {
    page->Model().SetText(type->InitialText);
    page->Model().SetModified(false);
  }
  // The skeleton declares UTF-8, so the page is written in UTF-8 whatever the default is.
  if (type->InitialText.find("charset=\"utf-8\"") != std::string::npos &&
      !page->Encoding.isEmpty() && page->Encoding != "utf-8")
    page->Encoding = "utf-8";
  if (type->WordWrap) page->TvlEdit()->SetWordWrap(true);
  const std::string name = NewDocumentFileName(dialog.FileName().trimmed().toStdString(), *type);
  if (!name.empty()) page->SetFilename(QString::fromStdString(name));
  RefreshStatus(page);
}

}  // namespace tervil
