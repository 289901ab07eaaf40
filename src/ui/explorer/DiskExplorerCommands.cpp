// The explorer's file commands on the active pane.
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QStandardPaths>
#include <QUrl>

#include "core/common/Paths.h"
#include "core/explorer/Trash.h"
#include "core/process/CommandLine.h"
#include "ui/app/FilePaths.h"
#include "ui/app/MessageBox.h"
#include "ui/explorer/DiskExplorer.h"
#include "ui/explorer/FileListview.h"
#include "ui/explorer/FileOperationRunner.h"

namespace tervil {

namespace {

QString AskName(QWidget* parent, const QString& caption, const QString& label,
                const QString& text = {}) {
  bool ok = false;
  const QString name =
      QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &ok).trimmed();
  return ok ? name : QString();
}

// A name typed by the user must stay inside the folder: no separators, not "." or "..".
bool IsPlainName(const QString& name) {
  return !name.isEmpty() && !name.contains('/') && name != "." && name != "..";
}

// A name as one word of the command line: as it is when it splits back to itself, otherwise in
// quotes.
std::string CommandLineWord(const std::string& name) {
  const std::vector<std::string> words = SplitCommandLine(name);
  return words.size() == 1 && words[0] == name ? name : QuoteArgument(name);
}

}  // namespace

QString TDiskExplorer::SelectedPath() const {
  const TFileListview* list = ActivePane();
  const int row = list->SelectedRow();
  if (row < 0) return {};
  if (list->Model()->Entry(row).IsUp()) return QDir::cleanPath(list->Path());
  return list->Path() + list->SelectedName();
}

QStringList TDiskExplorer::SourceList() const {
  const TFileListview* list = ActivePane();
  QStringList sources;
  for (const QString& name : list->Model()->Marked) sources << list->Path() + name;
  if (sources.isEmpty() && !SelectedPath().isEmpty()) sources << SelectedPath();
  return sources;
}

void TDiskExplorer::AfterOperation(bool refreshOther) {
  TFileListview* list = ActivePane();
  const int row = list->SelectedRow();
  list->Model()->Marked.clear();
  list->RefreshListing();
  list->SelectRow(row);
  if (refreshOther) panes_[1 - active_].List->RefreshListing();
}

void TDiskExplorer::CopyFiles() {
  TransferFiles(false);
}
void TDiskExplorer::MoveFiles() {
  TransferFiles(true);
}

void TDiskExplorer::TransferFiles(bool move) {
  const QStringList sources = SourceList();
  if (sources.isEmpty()) return;
  const QString caption = move ? tr("Move") : tr("Copy");
  const QString text = move ? tr("Are you sure you want to move selected files")
                            : tr("Are you sure you want to copy selected files");
  if (!TMessageBox::Ask(this, caption, text)) return;
  const auto result =
      RunFileOperation(this, move ? TFileOperationKind::Move : TFileOperationKind::Copy, sources,
                       panes_[1 - active_].List->Path());
  if (result.Done > 0 || result.Ok()) AfterOperation(true);
}

void TDiskExplorer::DeleteFiles() {
  const QStringList sources = SourceList();
  if (sources.isEmpty()) return;
  if (!TMessageBox::Ask(this, tr("Delete To Recycle Bin"),
                        tr("Move %n item(s) to the Trash?", nullptr, sources.size())))
    return;
  // The Trash lives in the user's data folder, which must exist for the move to work.
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  QDir().mkpath(data);
  QStringList failed;
  for (const QString& source : sources) {
    // Qt's Trash names a file by the UTF-8 form of its name, which for a name that is not valid
    // UTF-8 is another file: such a name goes to the home Trash by its bytes.
    std::string error;
    const bool moved =
        QFile::encodeName(source).toStdString() == PathBytes(source)
            ? QFile::moveToTrash(source)
            : explorer::MoveToTrash(PathBytes(source), PathBytes(data) + "/Trash", &error);
    if (!moved) failed << source;
  }
  if (!failed.isEmpty())
    TMessageBox::Show(this, tr("Delete To Recycle Bin"),
                      tr("These could not be moved to the Trash:\n\n%1").arg(failed.join('\n')),
                      mbOK, TMsgIcon::Warning);
  AfterOperation(false);
}

void TDiskExplorer::DeleteFilesPermanent() {
  const QStringList sources = SourceList();
  if (sources.isEmpty()) return;
  if (TMessageBox::Show(
          this, tr("Delete Permanently"),
          tr("Delete %n item(s) permanently? This cannot be undone.", nullptr, sources.size()),
          mbYes | mbNo, TMsgIcon::Warning) != TMsgResult::Yes)
    return;
  RunFileOperation(this, TFileOperationKind::Delete, sources, {});
  AfterOperation(false);
}

void TDiskExplorer::Rename() {
  TFileListview* list = ActivePane();
  const QString old = list->SelectedName();
  if (old.isEmpty() || old == "..") return;
  const QString name = AskName(this, tr("Rename"), tr("New name:"), old);
  if (name.isEmpty() || name == old) return;
  const std::string from = PathBytes(list->Path() + old);
  const std::string to = PathBytes(list->Path() + name);
  struct stat existing {};
  if (!IsPlainName(name) || lstat(to.c_str(), &existing) == 0 ||
      rename(from.c_str(), to.c_str()) != 0) {
    TMessageBox::Show(this, tr("Rename"), tr("Cannot rename \"%1\" to \"%2\".").arg(old, name),
                      mbOK, TMsgIcon::Warning);
    return;
  }
  list->ShowAndSelect(list->Path(), name);
}

void TDiskExplorer::View() {
  OpenSelected(true, false);
}
void TDiskExplorer::ViewAll() {
  OpenSelected(true, true);
}
void TDiskExplorer::Edit() {
  OpenSelected(false, false);
}
void TDiskExplorer::EditAll() {
  OpenSelected(false, true);
}

void TDiskExplorer::OpenSelected(bool readOnly, bool all) {
  TFileListview* list = ActivePane();
  QStringList files;
  if (all)
    for (const QString& name : list->Model()->Marked) files << list->Path() + name;
  if (files.isEmpty() && list->SelectedRow() >= 0 &&
      !list->Model()->Entry(list->SelectedRow()).IsDir)
    files << list->Path() + list->SelectedName();
  for (const QString& file : files)
    if (FileExists(PathBytes(file))) emit OpenFileRequested(file, readOnly);
}

void TDiskExplorer::NewFile() {
  const QString name = AskName(this, tr("New File"), tr("Filename:"));
  if (!IsPlainName(name)) return;
  const QString full = ActivePane()->Path() + name;
  if (DirectoryExists(PathBytes(full)))
    TMessageBox::Show(this, tr("New File"), tr("Directory with this name already exists"));
  else if (PathExists(full))
    emit OpenFileRequested(full, false);
  else
    emit NewFileRequested(full);
}

void TDiskExplorer::MakeDir() {
  const QString name = AskName(this, tr("Make Directory"), tr("Directory Name:"));
  if (!IsPlainName(name)) return;
  TFileListview* list = ActivePane();
  const std::string folder = PathBytes(list->Path() + name);
  if (mkdir(folder.c_str(), 0777) != 0 && !DirectoryExists(folder))
    TMessageBox::Show(this, tr("Make Directory"), tr("Cannot create the folder \"%1\".").arg(name),
                      mbOK, TMsgIcon::Warning);
  list->ShowAndSelect(list->Path(), name);
}

void TDiskExplorer::FileNameToCommandLine() {
  const QString name = ActivePane()->SelectedName();
  if (!name.isEmpty())
    commandLine_->setEditText(commandLine_->currentText() +
                              PathText(CommandLineWord(PathBytes(name))));
  commandLine_->setFocus();
}

void TDiskExplorer::InsertKey() {
  TFileListview* list = ActivePane();
  const int row = list->SelectedRow();
  if (row < 0) return;
  if (!list->Model()->Entry(row).IsUp()) list->ToggleMark(row);
  list->SelectRow(row + 1);
}

void TDiskExplorer::SelectFiles() {
  MarkFiles(false);
}
void TDiskExplorer::UnselectFiles() {
  MarkFiles(true);
}

void TDiskExplorer::MarkFiles(bool unmark) {
  QDialog dialog(this);
  dialog.setWindowTitle(unmark ? tr("Unselect") : tr("Select"));
  auto* mask = new QLineEdit("*", &dialog);
  auto* folders = new QCheckBox(tr("Include Directories"), &dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  auto* form = new QFormLayout(&dialog);
  form->addRow(tr("File Mask:"), mask);
  form->addRow(folders);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return;
  ActivePane()->MarkByMask(mask->text(), unmark, folders->isChecked());
}

void TDiskExplorer::RootDir() {
  ActivePane()->SetPath(DriveOf(ActivePane()->Path()));
}

void TDiskExplorer::OtherPane() {
  panes_[1 - active_].List->setFocus();
}

void TDiskExplorer::ShowContextMenu(const QPoint& globalPos) {
  QMenu menu(this);
  QMenu* system = menu.addMenu(tr("Windows Menu"));
  const QStringList sources = SourceList();
  system->setEnabled(!sources.isEmpty());
  system->addAction(QIcon::fromTheme("document-open"), tr("Open with Default Application"), this,
                    [sources] {
                      for (const QString& s : sources) QDesktopServices::openUrl(PathUrl(s));
                    });
  system->addAction(QIcon::fromTheme("folder-open"), tr("Open Containing Folder"), this,
                    [this] { QDesktopServices::openUrl(PathUrl(ActivePane()->Path())); });
  system->addAction(QIcon::fromTheme("edit-copy"), tr("Copy Path"), this,
                    [sources] { QApplication::clipboard()->setText(sources.join('\n')); });
  system->addAction(Command("Rename"));
  system->addAction(Command("DeleteFiles"));
  system->addAction(Command("DeleteFilesPermanent"));
  for (QAction* action : commands_)
    if (action->objectName() != "RootDir" && action->objectName() != "TabKey")
      menu.addAction(action);
  UpdateCommands();
  menu.exec(globalPos);
}

}  // namespace tervil
