#pragma once

#include <QDialog>

#include "core/generators/HeadGenerator.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace tervil {

// The "Head Generator" dialog: a document type with the html, head and body skeleton, meta
// tags and a title, each written only when its option is checked.
class TMeta : public QDialog {
  Q_OBJECT
 public:
  explicit TMeta(QWidget* parent = nullptr);

  // The generated text; empty until "Insert" was clicked.
  QString ResultText() const { return result_; }
  // What the dialog's controls hold now.
  THeadOptions Options() const;

 private:
  QCheckBox* AddOption(const char* name, const QString& caption, QWidget* input);
  void WstawExecute();

  QComboBox* DocType;
  QComboBox* encoding_;
  QCheckBox* shortCharset_;
  QLineEdit* email_;
  QLineEdit* keywords_;
  QLineEdit* description_;
  QLineEdit* author_;
  QListWidget* robots_;
  QLineEdit* title_;
  QString result_;
};

}  // namespace tervil
