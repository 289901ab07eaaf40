// Tools > Options...: the dialog that edits the active configuration.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include "ui/app/DesktopFileTypes.h"
#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/options/OptionsForm.h"

namespace tervil {

void TTervilMain::CreateOptionsActions() {
  actOptions = new QAction(QIcon::fromTheme("preferences-system"), tr("Options..."), this);
  actOptions->setObjectName("actOptions");
  actOptions->setToolTip(tr("Options"));
  actOptions->setStatusTip(tr("Change the settings of the editor and its configurations"));
  connect(actOptions, &QAction::triggered, this, &TTervilMain::OptionsCommand);
  // The last of the tools, right after the image map.
  QMenu* tools = MenuNamed(menuBar(), tr("&Tools"), tr("&Window"));
  const QList<QAction*> items = tools->actions();
  const qsizetype imageMap = items.indexOf(actImageMap);
  tools->insertAction(imageMap >= 0 ? items.value(imageMap + 1) : nullptr, actOptions);
}

TOptionsHost TTervilMain::OptionsHost() {
  TOptionsHost host;
  host.config = configuration_.get();
  host.highlighters = ListHighlighters();
  host.dataDir = dataDir_;
  host.programPath = QCoreApplication::applicationFilePath().toStdString();
  host.applyConfiguration = [this] { ApplyConfiguration(); };
  host.repaintPages = [this] {
    for (TTvlPage* page : EditorPages()) page->TvlEdit()->Repaint();
  };
  host.message = [this](const char* key) { return Message(key); };
  host.association = [] { return DesktopFileAssociation(); };
  return host;
}

void TTervilMain::OptionsCommand() {
  const TOptionsHost host = OptionsHost();

  TOptionsForm form(host, this);
  const bool saved = form.exec() == QDialog::Accepted;
  // Colours changed since the last save go back; the window shows the configuration as stored.
  form.RevertUnsaved();
  try {
    LoadHighlighterAttributes(store_, configuration_->ConfigKey() + "\\Highlighters");
  } catch (const TSettingsError&) {
    // The colours stay as they are.
  }
  ApplyConfiguration();
  host.repaintPages();
  if (saved && currentPage_) RefreshStatus(currentPage_);
}

}  // namespace tervil
