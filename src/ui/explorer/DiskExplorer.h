#pragma once

#include <QHash>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QSplitter;
class QToolBar;

namespace tervil {

class TFileListview;

// A row of buttons, one per mount the user cares about: the root, the home folder and mounted
// volumes. It reads the mounts again every 10 seconds and rebuilds itself when they changed.
class TDisksToolBar : public QWidget {
  Q_OBJECT
 public:
  explicit TDisksToolBar(QWidget* parent = nullptr);
  // The mount roots of the buttons, in order.
  QStringList Roots() const { return roots_; }
  void Rescan();

 signals:
  void OnButtonClicked(const QString& root);

 private:
  void ShowVolumes(const QList<QPair<QString, QString>>& volumes);

  QToolBar* bar_;
  QStringList roots_;
  QTimer timer_;
};

// The two-pane file manager on the "Start" tab: drive buttons, a folder label and a file list
// per pane, a command line below, and the function-key file commands on the active pane.
class TDiskExplorer : public QWidget {
  Q_OBJECT
 public:
  explicit TDiskExplorer(QWidget* parent = nullptr);
  ~TDiskExplorer() override;

  TFileListview* FileListviewLeft() const { return panes_[0].List; }
  TFileListview* FileListviewRight() const { return panes_[1].List; }
  TFileListview* ActivePane() const { return panes_[active_].List; }
  QComboBox* CommandLine() const { return commandLine_; }
  QLabel* LabelBottom() const { return labelBottom_; }
  // The explorer's commands, in the order of its context menu.
  QList<QAction*> Commands() const { return commands_; }
  QAction* Command(const QString& name) const;

  // Lists the panes' first folders ("/" when one does not exist) and sets whether hidden entries
  // show.
  void Start(const QString& left, const QString& right, bool showHidden);
  void SetShowHidden(bool on);
  // The last folder visited on the mount whose root is `root`, or the root itself.
  QString RememberedFolder(const QString& root) const;
  // The root of the drive button's mount that holds `folder`.
  QString DriveOf(const QString& folder) const;

 signals:
  void OpenFileRequested(const QString& fileName, bool readOnly);
  void NewFileRequested(const QString& fileName);
  // A pane listed a new folder (left: pane 0): for the settings.
  void FolderChanged(bool left, const QString& folder);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct TPane {
    TDisksToolBar* Drives = nullptr;
    QLabel* Label = nullptr;
    TFileListview* List = nullptr;
  };

  QWidget* BuildPane(int side);
  void CreateCommands();
  QAction* AddCommand(const QString& name, const QString& caption, const QKeySequence& key,
                      const char* icon, void (TDiskExplorer::*slot)());
  void PathChanged(int side, const QString& path);
  void DriveClicked(int side, const QString& root);
  void RunCommandLine();
  void UpdateCommands();
  bool ListHasFocus() const;

  // The file commands (DiskExplorerCommands.cpp).
  QStringList SourceList() const;
  QString SelectedPath() const;
  void AfterOperation(bool refreshOther);
  void CopyFiles();
  void MoveFiles();
  void TransferFiles(bool move);
  void DeleteFiles();
  void DeleteFilesPermanent();
  void Rename();
  void View();
  void ViewAll();
  void Edit();
  void EditAll();
  void OpenSelected(bool readOnly, bool all);
  void NewFile();
  void MakeDir();
  void FileNameToCommandLine();
  void InsertKey();
  void SelectFiles();
  void UnselectFiles();
  void MarkFiles(bool unmark);
  void RootDir();
  void OtherPane();
  void ShowContextMenu(const QPoint& globalPos);

  TPane panes_[2];
  int active_ = 0;
  QSplitter* splitter_;
  QLabel* labelBottom_;
  QComboBox* commandLine_;
  QList<QAction*> commands_;
  QHash<QString, QString> drivePaths_;
};

}  // namespace tervil
