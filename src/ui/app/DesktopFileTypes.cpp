#include "ui/app/DesktopFileTypes.h"

#include <QMimeDatabase>
#include <cstdio>
#include <exception>

namespace tervil {

std::string MimeTypeOfExtension(const std::string& extension) {
  if (extension.size() < 2 || extension.front() != '.') return {};
  static const QMimeDatabase database;
  const QMimeType type = database.mimeTypeForFile(QString::fromStdString("file" + extension),
                                                  QMimeDatabase::MatchExtension);
  return type.isDefault() ? std::string() : type.name().toStdString();
}

TFileAssociation DesktopFileAssociation() {
  return TFileAssociation(TAssociationPlaces::FromEnvironment(), MimeTypeOfExtension);
}

void RefreshDesktopIcon(const std::string& dataDir) {
  try {
    DesktopFileAssociation().RegisterIcon(dataDir + "/icons/tervil-editor.svg");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tervil: %s\n", e.what());
  }
}

}  // namespace tervil
