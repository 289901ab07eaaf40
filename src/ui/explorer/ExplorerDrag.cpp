#include "ui/explorer/ExplorerDrag.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

#include "ui/app/FilePaths.h"

namespace tervil {

namespace {

constexpr const char* kEntryMimeType = "application/x-tervil-explorer-entry";

}  // namespace

QMimeData* MakeExplorerDrag(const QString& folder, const QString& entryName) {
  auto* data = new QMimeData;
  const QString path =
      entryName == ".." ? QDir::cleanPath(folder) : QDir(folder).filePath(entryName);
  data->setUrls({PathUrl(path)});
  data->setData(kEntryMimeType,
                QByteArray::fromStdString(PathBytes(folder) + '\0' + PathBytes(entryName)));
  return data;
}

bool ReadExplorerDrag(const QMimeData& data, QString& folder, QString& entryName) {
  if (!data.hasFormat(kEntryMimeType)) return false;
  const QByteArray bytes = data.data(kEntryMimeType);
  const qsizetype split = bytes.indexOf('\0');
  if (split <= 0 || split + 1 >= bytes.size()) return false;
  folder = PathText(std::string_view(bytes.constData(), static_cast<std::size_t>(split)));
  entryName = PathText(std::string_view(bytes.constData() + split + 1,
                                        static_cast<std::size_t>(bytes.size() - split - 1)));
  return true;
}

}  // namespace tervil
