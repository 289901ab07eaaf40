// The main window's session: recent files, closing with the reopen marks, reopening at start,
// saving the session while the editor runs, autosave and files dropped from the desktop.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <cstdio>

#include "core/common/Paths.h"
#include "core/documents/DocumentFiles.h"
#include "core/documents/DocumentRules.h"
#include "ui/app/FilePaths.h"
#include "ui/app/InstanceServer.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/docking/DockManager.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"
#include "ui/editor/TvlEdit.h"
#include "ui/recovery/CrashJournal.h"

namespace tervil {

namespace {

// How long after opening, saving or closing a page the store is written: changes that come
// together (a start reopening ten files) are written once, and never on the typing path.
constexpr int kSessionSaveDelayMs = 200;

// The files of a drop from a file manager: a list of URLs that all name local files.
QStringList LocalFiles(const QMimeData& data) {
  QStringList files;
  if (!data.hasUrls()) return files;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) return {};
    files << url.toLocalFile();
  }
  return files;
}

}  // namespace

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
    const QString path = PathText(record.fileName);
    if (!IsOpenForEditing(path)) OpenFile(path, false);
  }
}

void TTervilMain::closeEvent(QCloseEvent* event) {
  // Files handed over meanwhile wait until the close is decided: its questions do not take them.
  closing_ = true;
  if (handOver_) handOver_->SetClosing(true);
  if (!CloseAllPages()) {
    event->ignore();
    closing_ = false;
    if (handOver_) handOver_->SetClosing(false);
    QTimer::singleShot(0, this, &TTervilMain::OpenHandedOver);
    return;
  }
  sessionEnded_ = true;
  // The tool windows are stored as the user left them, before the end of the program closes
  // the floating ones.
  dockManager_->KeepPlacementsForExit();
  // Later starts waiting for this window open their files themselves.
  if (handOver_) handOver_->Close();
  if (sessionSaveTimer_) sessionSaveTimer_->stop();
  event->accept();
}

// The close sequence's questions; false when the window stays.
bool TTervilMain::CloseAllPages() {
  ReopenList.clear();
  bool remember = configuration_->ReopenFiles == 0;
  if (configuration_->ReopenFiles == 2)
    remember = TMessageBox::Ask(this, windowTitle(), Message("ReopenNextTime"));
  if (remember) {
    for (TTvlPage* page : EditorPages())
      if (!ReopenList.contains(page->Filename())) ReopenList << page->Filename();
  }
  if (RunInProgress) return false;
  bool allClosed = true;
  PageControl()->CloseAll(allClosed);
  SplitPageControl()->CloseAll(allClosed);
  if (!EditorPages().empty()) return false;
  std::vector<std::string> reopen;
  for (const QString& path : ReopenList) reopen.push_back(path.toStdString());
  configuration_->SetReopenMarks(reopen);
  return true;
}

// Files dropped on the text open as pages, as files dropped on the window do; other drops on
// the text (editor text, plain text) stay the editor's own. Opening, saving and closing the
// page write the session soon after.
void TTervilMain::FollowPage(TTvlPage* page) {
  TTvlEdit* editor = page->TvlEdit();
  editor->OnDragOver = [](TTextEditor&, const QMimeData& data, QPoint, bool& accept) {
    accept = !LocalFiles(data).isEmpty();
  };
  editor->OnDragDrop = [this](TTextEditor& target, const QMimeData& data, QPoint point) {
    if (DropExplorerEntry(target, data, point)) return true;
    const QStringList files = LocalFiles(data);
    if (files.isEmpty()) return false;
    OpenDroppedFiles(files);
    return true;
  };
  connect(page, &TTvlPage::CaptionLookChanged, this, &TTervilMain::ScheduleSessionSave);
  connect(page, &QObject::destroyed, this, &TTervilMain::ScheduleSessionSave);
  ScheduleSessionSave();
}

void TTervilMain::ScheduleSessionSave() {
  if (destroyed_ || sessionEnded_) return;
  if (!sessionSaveTimer_) {
    sessionSaveTimer_ = new QTimer(this);
    sessionSaveTimer_->setSingleShot(true);
    sessionSaveTimer_->setInterval(kSessionSaveDelayMs);
    connect(sessionSaveTimer_, &QTimer::timeout, this, [this] { WriteSession(false); });
  }
  if (!sessionSaveTimer_->isActive()) sessionSaveTimer_->start();
}

void TTervilMain::SaveSession() {
  WriteSession(true);
}

void TTervilMain::EndKeepingUnsaved() {
  dockManager_->KeepPlacementsForExit();
  // Later starts waiting for this window open their files themselves.
  if (handOver_) handOver_->Close();
  WriteSession(true);
  if (crashJournal_) crashJournal_->KeepForNextStart();
}

void TTervilMain::SessionEnding() {
  WriteSession(true);
  keepUnsavedAtEnd_ = true;
  if (crashJournal_) crashJournal_->Flush();
}

// With the open files always remembered, the reopen marks follow the open pages, so that an
// editor ended by a signal or a crash reopens them; with "ask" or "no" only closing sets them.
void TTervilMain::WriteSession(bool evenUnchanged) {
  if (configuration_->ReopenFiles == 0 && !sessionEnded_) {
    std::vector<std::string> open;
    for (TTvlPage* page : EditorPages()) open.push_back(PathBytes(page->Filename()));
    configuration_->SetReopenMarks(open);
  }
  if (!evenUnchanged && configuration_->RecentList == writtenRecentList_) return;
  try {
    configuration_->SaveAtExit();
    writtenRecentList_ = configuration_->RecentList;
  } catch (const TSettingsError& e) {
    // No message box: nobody asked for this write, and at a signal nobody may be there.
    statusPanels_->SetPanelText(0, QString::fromUtf8(e.what()));
    std::fprintf(stderr, "tervil: %s\n", e.what());
  }
}

// Saves every modified page that has a file. A page that is not saved (its question declined,
// its backup or write failed and reported) is skipped and the pass goes on with the others.
void TTervilMain::AutosaveTimerTimer() {
  if (autosaving_) return;  // a question of the running pass is still open
  autosaving_ = true;
  statusPanels_->SetPanelText(0, Message("Autosaving"));
  QApplication::processEvents();
  QList<QPointer<TTvlPage>> pages;
  for (TTvlPage* page : EditorPages()) pages << page;
  for (const QPointer<TTvlPage>& page : pages) {
    if (!page || !page->Model().Modified() || !HasDirectoryPart(PathBytes(page->Filename())))
      continue;
    const std::string path = PathBytes(page->Filename());
    std::string error;
    if (configuration_->AutosaveBackup && FileExists(path) &&
        !BackupFile(path, path + ".bak", &error)) {
      TMessageBox::Error(this, tr("Cannot keep a backup of \"%1\". %2")
                                   .arg(page->Filename(), QString::fromStdString(error)));
      continue;
    }
    if (page) SavePageTo(page, page->Filename());
    QApplication::processEvents();
  }
  statusPanels_->SetPanelText(0, Message("AutosaveComplete"));
  autosaving_ = false;
}

void TTervilMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TTervilMain::dropEvent(QDropEvent* event) {
  QStringList files;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  event->acceptProposedAction();
  OpenDroppedFiles(files);
}

void TTervilMain::OpenDroppedFiles(const QStringList& files) {
  // Opening may ask questions: let the drag finish first.
  QTimer::singleShot(0, this, [this, files] {
    for (const QString& file : files) OpenFile(file, false);
  });
}

}  // namespace tervil
