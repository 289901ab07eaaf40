// "Windows Menu...": the desktop's menu for the current page's file. It offers the applications
// the desktop associates with the file's type, the containing folder, and the editor's own
// Rename and Move to Trash.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

#include "core/config/DesktopApplications.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"

namespace tervil {

namespace {

// The file's MIME type, then every type it is a kind of.
std::vector<std::string> MimeTypesOf(const QString& path) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
  std::vector<std::string> types{type.name().toStdString()};
  for (const QString& ancestor : type.allAncestors()) types.push_back(ancestor.toStdString());
  return types;
}

QIcon ApplicationIcon(const std::string& icon) {
  const QString name = QString::fromStdString(icon);
  if (name.startsWith('/')) return QIcon(name);
  return QIcon::fromTheme(name, QIcon::fromTheme("application-x-executable"));
}

}  // namespace

void TTervilMain::CreateWindowsMenuAction() {
  actWindowsMenu =
      new QAction(QIcon::fromTheme("system-file-manager"), tr("Windows Menu..."), this);
  actWindowsMenu->setObjectName("actWindowsMenu");
  actWindowsMenu->setStatusTip(tr("The desktop's commands for this file"));
  connect(actWindowsMenu, &QAction::triggered, this, [this] { ShowWindowsMenu(QCursor::pos()); });
}

void TTervilMain::ShowWindowsMenu(const QPoint& globalPos) {
  TTvlPage* page = currentPage_;
  if (!page || !QFileInfo(page->Filename()).isFile()) return;
  const QString path = QFileInfo(page->Filename()).absoluteFilePath();
  auto* menu = new QMenu(this);
  menu->setObjectName("WindowsMenu");
  menu->setAttribute(Qt::WA_DeleteOnClose);

  const TDesktopFolders folders = TDesktopFolders::FromEnvironment();
  for (const TDesktopApplication& application :
       ApplicationsForMimeTypes(folders, MimeTypesOf(path))) {
    QAction* item =
        menu->addAction(ApplicationIcon(application.icon),
                        tr("Open with %1").arg(QString::fromStdString(application.name)));
    item->setStatusTip(QString::fromStdString(application.exec));
    connect(item, &QAction::triggered, this, [this, application, path] {
      const std::vector<std::string> words = DesktopExecArguments(application, path.toStdString());
      QStringList arguments;
      for (size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(words[i]);
      if (words.empty() || !QProcess::startDetached(QString::fromStdString(words[0]), arguments))
        TMessageBox::Error(
            this, tr("\"%1\" could not be started.").arg(QString::fromStdString(application.name)));
    });
  }
  if (!menu->isEmpty()) menu->addSeparator();

  QAction* folder = menu->addAction(QIcon::fromTheme("folder-open"), tr("Open Containing Folder"));
  folder->setStatusTip(tr("Show the folder of this file in the file manager"));
  connect(folder, &QAction::triggered, this, [path] {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
  });
  QAction* copyPath = menu->addAction(QIcon::fromTheme("edit-copy"), tr("Copy Path"));
  copyPath->setStatusTip(tr("Copy the file's full path"));
  connect(copyPath, &QAction::triggered, this,
          [path] { QApplication::clipboard()->setText(path); });
  menu->addSeparator();
  menu->addAction(actRename);
  QAction* trash = menu->addAction(QIcon::fromTheme("user-trash"), tr("Move to Trash"));
  trash->setStatusTip(tr("Move the file to the trash; the text stays open as unsaved"));
  QPointer<TTvlPage> target(page);
  connect(trash, &QAction::triggered, this, [this, target] {
    if (target) MoveFileToTrash(target);
  });
  menu->popup(globalPos);
}

// The file goes to the trash, from where it can be restored. Its page stays open, marked as
// modified once the file is gone, so that closing it asks before the text is lost.
void TTervilMain::MoveFileToTrash(TTvlPage* page) {
  const QString path = page->Filename();
  QFile file(path);
  if (!file.moveToTrash()) {
    TMessageBox::Error(
        this, tr("\"%1\" could not be moved to the trash: %2").arg(path, file.errorString()));
    return;
  }
  if (!QFileInfo::exists(path)) {
    page->Model().SetModified(true);
    RefreshStatus(page);
  }
}

}  // namespace tervil
