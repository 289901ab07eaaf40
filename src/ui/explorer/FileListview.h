#pragma once

#include <QAbstractTableModel>
#include <QFileSystemWatcher>
#include <QSet>
#include <QStringList>
#include <QTreeView>
#include <vector>

#include "core/explorer/FileListing.h"

namespace tervil {

// The entries of one folder as rows of three columns: name, size, date modified.
class TFileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;
  // Entries can be dragged onto an editor (see ExplorerDrag.h).
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;

  void SetEntries(std::vector<explorer::TFileEntry> entries, const QString& folder);
  const explorer::TFileEntry& Entry(int row) const { return entries_[static_cast<size_t>(row)]; }
  int RowOf(const QString& name, Qt::CaseSensitivity cs) const;
  // The entry's name as the file system holds it, and shown (newlines as a visible mark).
  static QString NameOf(const explorer::TFileEntry& entry);

  QStringList Marked;  // names, in the order of marking
  int SortColumn = 0;
  int SortDirection = 1;

  void RepaintMarks();

 private:
  QVariant Decoration(const explorer::TFileEntry& entry) const;

  std::vector<explorer::TFileEntry> entries_;
  QString folder_;
};

// A folder's contents in report view: marked entries in red, three sortable columns, navigation
// by double-click or Enter. Folders are read off the user interface thread; the list follows
// changes on disk, keeping the selection and the scroll position.
class TFileListview : public QTreeView {
  Q_OBJECT
 public:
  explicit TFileListview(QWidget* parent = nullptr);

  // The folder shown, ending in "/" once set.
  QString Path() const { return path_; }
  // Lists `folder` (in the background); a folder that does not exist beeps and changes nothing.
  void SetPath(const QString& folder);
  // Lists `folder` and selects the entry named `name` (ignoring case, the last match).
  void ShowAndSelect(const QString& folder, const QString& name);
  // Drops the entries whose file or folder no longer exists.
  void RefreshListing();
  void MarkByMask(const QString& mask, bool unmark, bool includeFolders);
  void ToggleMark(int row);
  // Opens the selected entry: a folder is listed, ".." goes up, a file opens with the desktop.
  void Navigate();

  TFileListModel* Model() const { return model_; }
  QString SelectedName() const;
  int SelectedRow() const;
  void SelectRow(int row);
  bool Busy() const { return pending_ > 0; }

  bool ShowHidden = false;

 signals:
  void OnChangePath(const QString& newPath);
  // A folder could not be read: the reason, for the owner to show.
  void ListingFailed(const QString& folder, const QString& reason);
  void FocusReceived();
  // Enter or a double click on a file the desktop has no program for.
  void NoProgramFor(const QString& file);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void OpenWithTheDesktop(const QString& file);
  void StartListing(const QString& folder, const QString& select, bool keepView);
  void ListingArrived(int generation, const QString& folder, explorer::TListing listing,
                      const QString& select, bool keepView);

  TFileListModel* model_;
  QFileSystemWatcher watcher_;
  QString path_;
  int generation_ = 0;
  int pending_ = 0;
  QString pendingFolder_;
  QString pendingSelect_;
};

}  // namespace tervil
