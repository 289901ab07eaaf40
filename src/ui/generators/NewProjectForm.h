#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tervil {

// The "New project" dialog: a list of document types as large icons and an optional file name.
class TNewProject : public QDialog {
  Q_OBJECT
 public:
  explicit TNewProject(QWidget* parent = nullptr);

  // The caption of the chosen type; empty when none is selected.
  QString SelectedType() const;
  QString FileName() const;

 private:
  QListWidget* ListView;
  QLineEdit* FileNameEdit;
  QPushButton* ok_;
};

// The icon of a document type: a page with the type's name on a coloured band.
QIcon DocumentTypeIcon(const QString& caption);

}  // namespace tervil
