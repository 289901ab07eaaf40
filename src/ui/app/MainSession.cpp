// The main window's session: recent files, closing with the reopen marks, reopening at start,
// autosave and files dropped from the desktop.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

#include "core/documents/DocumentFiles.h"
#include "core/documents/DocumentRules.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"

namespace tervil {

void TTervilMain::BuildRecentMenu(QMenu* menu) {
  menu->clear();
  const auto paths = RecentMenuPaths(
      configuration_->RecentList,
      [](const std::string& p) { return QFileInfo(QString::fromStdString(p)).isFile(); },
      [this](const std::string& p) { return IsOpenForEditing(QString::fromStdString(p)); });
  for (const auto& path : paths) {
    const QString file = QString::fromStdString(path);
    QAction* item = menu->addAction(QString(file).replace("&", "&&"));
    connect(item, &QAction::triggered, this, [this, file] { OpenFile(file, false); });
  }
  menu->setEnabled(!paths.empty());
}

void TTervilMain::ReopenAtStart() {
  for (const TRecentFile& record : TakeReopenFiles(configuration_->RecentList)) {
    const QString path = QString::fromStdString(record.fileName);
    if (!IsOpenForEditing(path)) OpenFile(path, false);
  }
}

void TTervilMain::closeEvent(QCloseEvent* event) {
  ReopenList.clear();
  bool remember = configuration_->ReopenFiles == 0;
  if (configuration_->ReopenFiles == 2)
    remember = TMessageBox::Ask(this, windowTitle(), Message("ReopenNextTime"));
  if (remember) {
    for (TTvlPage* page : EditorPages())
      if (!ReopenList.contains(page->Filename())) ReopenList << page->Filename();
  }
  if (RunInProgress) {
    event->ignore();
    return;
  }
  bool allClosed = true;
  PageControl()->CloseAll(allClosed);
  SplitPageControl()->CloseAll(allClosed);
  if (!EditorPages().empty()) {
    event->ignore();
    return;
  }
  std::vector<std::string> reopen;
  for (const QString& path : ReopenList) reopen.push_back(path.toStdString());
  MarkReopenFiles(configuration_->RecentList, reopen);
  event->accept();
}

void TTervilMain::AutosaveTimerTimer() {
  statusPanels_->SetPanelText(0, Message("Autosaving"));
  QApplication::processEvents();
  QList<QPointer<TTvlPage>> pages;
  for (TTvlPage* page : EditorPages()) pages << page;
  for (const QPointer<TTvlPage>& page : pages) {
    if (!page || !page->Model().Modified() || !HasDirectoryPart(page->Filename().toStdString()))
      continue;
    const std::string path = page->Filename().toStdString();
    if (configuration_->AutosaveBackup && QFileInfo(page->Filename()).isFile()) {
      std::string error;
      if (!BackupFile(path, path + ".bak", &error)) {
        TMessageBox::Error(this, tr("Cannot keep a backup of \"%1\". %2")
                                     .arg(page->Filename(), QString::fromStdString(error)));
        return;
      }
    }
    if (!SavePageTo(page, page->Filename())) return;  // the panel keeps "Autosaving"
    QApplication::processEvents();
  }
  statusPanels_->SetPanelText(0, Message("AutosaveComplete"));
}

void TTervilMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TTervilMain::dropEvent(QDropEvent* event) {
  QStringList files;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  event->acceptProposedAction();
  // Opening may ask questions: let the drag finish first.
  QTimer::singleShot(0, this, [this, files] {
    for (const QString& file : files) OpenFile(file, false);
  });
}

}  // namespace tervil
