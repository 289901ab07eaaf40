// The file explorers on the "Start" tabs and the command that shows them.
#include <QAction>
#include <QApplication>

#include "ui/app/FilePaths.h"
#include "ui/app/MainForm.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"
#include "ui/explorer/DiskExplorer.h"
#include "ui/explorer/FileListview.h"

namespace tervil {

TDiskExplorer* TTervilMain::ExplorerOf(TTvlPageControl* control) {
  return qobject_cast<TDiskExplorer*>(control->widget(0));
}

void TTervilMain::CreateExplorerActions() {
  actGotoFileExplorer =
      new QAction(QIcon::fromTheme("system-file-manager"), tr("Go to File Explorer"), this);
  actGotoFileExplorer->setObjectName("actGotoFileExplorer");
  actGotoFileExplorer->setStatusTip(tr("Shows the file explorer of this side"));
  connect(actGotoFileExplorer, &QAction::triggered, this, [this] {
    TTvlPageControl* control = PageControl();
    if (SplitPageControl()->isAncestorOf(QApplication::focusWidget())) control = SplitPageControl();
    control->setCurrentIndex(0);
    ExplorerOf(control)->ActivePane()->setFocus();
  });
  addAction(actGotoFileExplorer);

  for (TTvlPageControl* control : {PageControl(), SplitPageControl()}) {
    TDiskExplorer* explorer = ExplorerOf(control);
    connect(explorer, &TDiskExplorer::OpenFileRequested, this,
            [this](const QString& file, bool readOnly) { OpenFile(file, readOnly); });
    connect(explorer, &TDiskExplorer::NewFileRequested, this, [this](const QString& file) {
      TTvlPage* page = NewDocument();
      page->SetFilename(file);
      ApplyExtensionHighlighter(page);
    });
    connect(explorer, &TDiskExplorer::FolderChanged, this, [this](bool left, const QString& path) {
      (left ? configuration_->LeftViewDir : configuration_->RightViewDir) = PathBytes(path);
    });
    explorer->Start(PathText(configuration_->LeftViewDir), PathText(configuration_->RightViewDir),
                    configuration_->ShowHiddenFiles);
  }
}

}  // namespace tervil
