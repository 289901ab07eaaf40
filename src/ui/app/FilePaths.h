#pragma once

// File names between the file system and Qt. A path is the file system's bytes; the QString
// form made here keeps every byte (see core/common/PathText.h), so a name that is not valid
// UTF-8 reaches the same file again. Qt's own file classes turn such a name into its U+FFFD
// form, which may be another file: a path from here goes to the file system through PathBytes.
#include <sys/stat.h>

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <string>
#include <string_view>

#include "core/common/PathText.h"

namespace tervil {

inline QString PathText(std::string_view bytes) {
  const std::u16string text = PathToUtf16(bytes);
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::string PathBytes(const QString& path) {
  return PathFromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()),
                                           static_cast<std::size_t>(path.size())));
}

// Whether the path names something (a link is followed).
inline bool PathExists(const QString& path) {
  struct stat info {};
  return ::stat(PathBytes(path).c_str(), &info) == 0;
}

// A file: URL naming exactly the file's bytes.
inline QUrl PathUrl(const QString& path) {
  const QByteArray bytes = QByteArray::fromStdString(PathBytes(path));
  return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

}  // namespace tervil
