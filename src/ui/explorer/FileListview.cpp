#include "ui/explorer/FileListview.h"

#include <sys/stat.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPointer>
#include <QProcess>
#include <QScrollBar>
#include <QThreadPool>
#include <QUrl>

#include "core/common/Paths.h"
#include "ui/app/FilePaths.h"
#include "ui/explorer/ExplorerDrag.h"

namespace tervil {

using explorer::TFileEntry;

namespace {

QString Slashed(QString folder) {
  while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
  return folder == "/" ? folder : folder + "/";
}

QIcon IconFor(const TFileEntry& entry) {
  static QFileIconProvider provider;
  static QMimeDatabase mimes;
  static QHash<QString, QIcon> cache;
  if (entry.IsDir) {
    static const QIcon folder = provider.icon(QFileIconProvider::Folder);
    return folder;
  }
  const QMimeType type = mimes.mimeTypeForFile(PathText(entry.Name), QMimeDatabase::MatchExtension);
  auto it = cache.find(type.name());
  if (it == cache.end()) {
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull()) icon = provider.icon(QFileIconProvider::File);
    it = cache.insert(type.name(), icon);
  }
  return *it;
}

}  // namespace

// ---- TFileListModel

int TFileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QString TFileListModel::NameOf(const TFileEntry& entry) {
  return PathText(entry.Name);
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const TFileEntry& entry = Entry(index.row());
  const QString name = NameOf(entry);
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() == 0) return QString(name).replace('\n', QChar(0x2424));
      if (index.column() == 1)
        return entry.IsDir ? QString()
                           : QString::fromStdString(explorer::FileSizeText(
                                 entry.Size, QLocale().groupSeparator().toStdString()));
      return QString::fromStdString(explorer::FileDateText(entry.Modified));
    case Qt::DecorationRole:
      return index.column() == 0 ? Decoration(entry) : QVariant();
    case Qt::TextAlignmentRole:
      return index.column() == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ForegroundRole: {
      if (Marked.contains(name)) return QColor(Qt::red);
      if (explorer::IsLeftoverName(entry.Name)) return QColor(128, 128, 128);
      if (entry.ReadOnly) return QColor(128, 0, 0);
      if (entry.Hidden) return QColor(128, 128, 128);
      return {};
    }
    case Qt::FontRole:
      if (explorer::IsLeftoverName(entry.Name)) {
        QFont font;
        font.setItalic(true);
        return font;
      }
      return {};
    case Qt::ToolTipRole:
      return folder_ + name;
    default:
      return {};
  }
}

QVariant TFileListModel::Decoration(const TFileEntry& entry) const {
  return IconFor(entry);
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid()) flags |= Qt::ItemIsDragEnabled;
  return flags;
}

QStringList TFileListModel::mimeTypes() const {
  return {"text/uri-list"};
}

QMimeData* TFileListModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty() || !indexes.first().isValid()) return nullptr;
  return MakeExplorerDrag(folder_, NameOf(Entry(indexes.first().row())));
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const captions[] = {"Name", "Size", "Date Modified"};
  return tr(captions[section]);
}

void TFileListModel::sort(int column, Qt::SortOrder order) {
  SortColumn = column;
  SortDirection = order == Qt::AscendingOrder ? 1 : -1;
  emit layoutAboutToBeChanged();
  explorer::SortEntries(entries_, static_cast<explorer::TSortColumn>(column), SortDirection);
  emit layoutChanged();
}

void TFileListModel::SetEntries(std::vector<TFileEntry> entries, const QString& folder) {
  beginResetModel();
  entries_ = std::move(entries);
  folder_ = folder;
  endResetModel();
}

int TFileListModel::RowOf(const QString& name, Qt::CaseSensitivity cs) const {
  int found = -1;
  for (int row = 0; row < rowCount(); ++row)
    if (NameOf(Entry(row)).compare(name, cs) == 0) found = row;
  return found;
}

void TFileListModel::RepaintMarks() {
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 2), {Qt::ForegroundRole});
}

// ---- TFileListview

TFileListview::TFileListview(QWidget* parent)
    : QTreeView(parent), model_(new TFileListModel(this)) {
  setModel(model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);  // keeps a folder of 100,000 entries quick to lay out
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(16, 16));
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  header()->setSectionsClickable(true);
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(0, Qt::AscendingOrder);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::Stretch);
  header()->setMinimumSectionSize(60);
  setColumnWidth(1, 90);
  setColumnWidth(2, 150);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
    const int direction = column == model_->SortColumn ? -model_->SortDirection : 1;
    const Qt::SortOrder order = direction == 1 ? Qt::AscendingOrder : Qt::DescendingOrder;
    header()->setSortIndicator(column, order);
    const QString selected = SelectedName();
    model_->sort(column, order);
    SelectRow(model_->RowOf(selected, Qt::CaseSensitive));
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this] { Navigate(); });
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
          [this] { StartListing(path_, SelectedName(), true); });
}

void TFileListview::SetPath(const QString& folder) {
  ShowAndSelect(folder, QString());
}

void TFileListview::ShowAndSelect(const QString& folder, const QString& name) {
  if (!DirectoryExists(PathBytes(folder))) {
    QApplication::beep();
    return;
  }
  StartListing(Slashed(folder), name, false);
}

void TFileListview::StartListing(const QString& folder, const QString& selectAsked, bool keepView) {
  // A refresh that overtakes a listing still under way keeps the entry that listing was to select.
  const QString select =
      keepView && pending_ > 0 && folder == pendingFolder_ ? pendingSelect_ : selectAsked;
  pendingFolder_ = folder;
  pendingSelect_ = select;
  const int generation = ++generation_;
  ++pending_;
  const bool hidden = ShowHidden;
  const auto column = static_cast<explorer::TSortColumn>(model_->SortColumn);
  const int direction = model_->SortDirection;
  QPointer<TFileListview> self(this);
  QThreadPool::globalInstance()->start([=] {
    explorer::TListing listing = explorer::ListFolder(PathBytes(folder), hidden);
    explorer::SortEntries(listing.Entries, column, direction);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [=, listing = std::move(listing)]() mutable {
          if (self) self->ListingArrived(generation, folder, std::move(listing), select, keepView);
        },
        Qt::QueuedConnection);
  });
}

void TFileListview::ListingArrived(int generation, const QString& folder,
                                   explorer::TListing listing, const QString& select,
                                   bool keepView) {
  --pending_;
  if (generation != generation_) return;  // a newer listing was asked for meanwhile
  pendingSelect_.clear();
  if (!listing.Error.empty()) {
    if (keepView && folder == path_) {
      // The folder shown went away or became unreadable: show the nearest folder that remains.
      QString up = QDir::cleanPath(folder);
      while (up != "/" && !DirectoryExists(PathBytes(up))) up = QFileInfo(up).path();
      if (up != QDir::cleanPath(folder)) SetPath(up);
      return;
    }
    emit ListingFailed(folder, QString::fromLocal8Bit(listing.Error.c_str()));
    return;
  }
  const int scroll = verticalScrollBar()->value();
  if (!path_.isEmpty()) watcher_.removePath(path_);
  if (!keepView || folder != path_) model_->Marked.clear();
  path_ = folder;
  if (path_ != "/") watcher_.addPath(path_);  // a mount's root is not watched
  model_->SetEntries(std::move(listing.Entries), path_);
  const int row = select.isEmpty()
                      ? 0
                      : model_->RowOf(select, keepView ? Qt::CaseSensitive : Qt::CaseInsensitive);
  SelectRow(row >= 0 ? row : 0);
  if (keepView) verticalScrollBar()->setValue(scroll);
  emit OnChangePath(path_);
}

void TFileListview::RefreshListing() {
  StartListing(path_, SelectedName(), true);
}

void TFileListview::MarkByMask(const QString& mask, bool unmark, bool includeFolders) {
  const std::string pattern = PathBytes(mask);
  for (int row = 0; row < model_->rowCount(); ++row) {
    const TFileEntry& entry = model_->Entry(row);
    if (entry.IsUp() || (entry.IsDir && !includeFolders) || (entry.Hidden && !ShowHidden)) continue;
    if (!explorer::MatchesMask(entry.Name, pattern)) continue;
    const QString name = TFileListModel::NameOf(entry);
    if (unmark)
      model_->Marked.removeAll(name);
    else if (!model_->Marked.contains(name))
      model_->Marked.append(name);
  }
  model_->RepaintMarks();
}

void TFileListview::ToggleMark(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  const QString name = TFileListModel::NameOf(model_->Entry(row));
  if (!model_->Marked.removeAll(name)) model_->Marked.append(name);
  model_->RepaintMarks();
}

QString TFileListview::SelectedName() const {
  const int row = SelectedRow();
  return row < 0 ? QString() : TFileListModel::NameOf(model_->Entry(row));
}

int TFileListview::SelectedRow() const {
  const QModelIndex index = currentIndex();
  return index.isValid() && selectionModel()->isSelected(index) ? index.row() : -1;
}

void TFileListview::SelectRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  const QModelIndex index = model_->index(row, 0);
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

void TFileListview::Navigate() {
  const int row = SelectedRow();
  if (row < 0) return;
  const TFileEntry& entry = model_->Entry(row);
  const QString name = TFileListModel::NameOf(entry);
  if (!entry.IsDir) {
    OpenWithTheDesktop(path_ + name);
  } else if (entry.IsUp()) {
    // Worked out on the text: Qt's folder classes would look up another name for a folder whose
    // name is not valid UTF-8.
    const QFileInfo here(QDir::cleanPath(path_));
    if (here.fileName().isEmpty()) return;
    ShowAndSelect(here.path(), here.fileName());
  } else {
    SetPath(path_ + name);
  }
}

// Opens a file with the desktop's program for its type; without one, says so (NoProgramFor).
// The desktop is asked in the background: the window goes on meanwhile.
void TFileListview::OpenWithTheDesktop(const QString& file) {
  QStringList types;
  const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
  types << type.name() << type.allAncestors();
  QString script = QStringLiteral("for t in \"$@\"; do xdg-mime query default \"$t\"; done");
  auto* query = new QProcess(this);
  query->setProgram(QStringLiteral("/bin/sh"));
  query->setArguments(QStringList{"-c", script, "sh"} + types);
  query->setStandardInputFile(QProcess::nullDevice());
  connect(query, &QProcess::finished, this, [this, query, file] {
    const bool known = !query->readAllStandardOutput().trimmed().isEmpty();
    query->deleteLater();
    if (known && QDesktopServices::openUrl(PathUrl(file))) return;
    emit NoProgramFor(file);
  });
  connect(query, &QProcess::errorOccurred, this, [this, query, file](QProcess::ProcessError e) {
    if (e != QProcess::FailedToStart) return;
    query->deleteLater();
    emit NoProgramFor(file);
  });
  query->start();
}

void TFileListview::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      event->modifiers() == Qt::NoModifier) {
    Navigate();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void TFileListview::focusInEvent(QFocusEvent* event) {
  QTreeView::focusInEvent(event);
  if (model_->rowCount() > 0 && SelectedRow() < 0) SelectRow(0);
  emit FocusReceived();
}

}  // namespace tervil
