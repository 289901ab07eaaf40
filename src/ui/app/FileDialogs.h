#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace tervil {

// What the Save As dialog returns.
struct TSaveAsChoice {
  QString fileName;
  int filterIndex = 0;  // index into the dialog's filter list
  QString encoding;
};

struct TSaveAsRequest {
  QString title;
  QString directory;
  QString fileName;
  QStringList filters;
  int selectedFilter = 0;
  QStringList encodings;
  QString encoding;
};

// The program's file dialogs. Tests replace them with hooks that answer without a display.
class TFileDialogs {
 public:
  using OpenHook = std::function<QStringList(const QString& directory, const QStringList& filters)>;
  using SaveAsHook = std::function<std::optional<TSaveAsChoice>(const TSaveAsRequest&)>;

  // Several existing files; an empty list when cancelled.
  static QStringList Open(QWidget* parent, const QString& directory, const QStringList& filters);
  // The Save As dialog with its encoding selector; nothing when cancelled.
  static std::optional<TSaveAsChoice> SaveAs(QWidget* parent, const TSaveAsRequest& request);

  static void SetOpenHook(OpenHook hook);
  static void SetSaveAsHook(SaveAsHook hook);
};

}  // namespace tervil
