#include "ui/explorer/ExplorerDrag.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

namespace tervil {

namespace {

constexpr const char* kEntryMimeType = "application/x-tervil-explorer-entry";

}  // namespace

QMimeData* MakeExplorerDrag(const QString& folder, const QString& entryName) {
  auto* data = new QMimeData;
  const QString path =
      entryName == ".." ? QDir::cleanPath(folder) : QDir(folder).filePath(entryName);
  data->setUrls({QUrl::fromLocalFile(path)});
  data->setData(kEntryMimeType, (folder + QChar('\0') + entryName).toUtf8());
  return data;
}

bool ReadExplorerDrag(const QMimeData& data, QString& folder, QString& entryName) {
  if (!data.hasFormat(kEntryMimeType)) return false;
  const QString text = QString::fromUtf8(data.data(kEntryMimeType));
  const qsizetype split = text.indexOf(QChar('\0'));
  if (split <= 0 || split + 1 >= text.size()) return false;
  folder = text.left(split);
  entryName = text.mid(split + 1);
  return true;
}

}  // namespace tervil
