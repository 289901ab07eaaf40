#pragma once

#include <QDialog>

#include "core/search/ReplaceDefinitions.h"
#include "core/search/SearchDriver.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QRadioButton;

namespace tervil {

// "Search Text": the search text with its history, the options and the direction.
class TTextSearchDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TTextSearchDialog(QWidget* parent = nullptr);

  // Fills the fields from `values`; Values() reads them back.
  virtual void SetValues(const TSearchDialogValues& values);
  virtual TSearchDialogValues Values() const;

  QComboBox* cbSearchText = nullptr;
  QCheckBox* cbSearchCaseSensitive = nullptr;
  QCheckBox* cbSearchWholeWords = nullptr;
  QCheckBox* cbSearchFromCursor = nullptr;
  QCheckBox* cbSearchSelectedOnly = nullptr;
  QCheckBox* cbRegularExpression = nullptr;
  QRadioButton* rbForward = nullptr;
  QRadioButton* rbBackward = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  // The rows of fields above the options.
  QGridLayout* Fields() const { return fields_; }
  QLabel* SearchLabel() const { return searchLabel_; }

 private:
  QGridLayout* fields_ = nullptr;
  QLabel* searchLabel_ = nullptr;
};

// "Replace text": the search dialog with the replacement and its history.
class TTextReplaceDialog : public TTextSearchDialog {
  Q_OBJECT
 public:
  explicit TTextReplaceDialog(QWidget* parent = nullptr);
  void SetValues(const TSearchDialogValues& values) override;
  TSearchDialogValues Values() const override;

  QComboBox* cbReplaceText = nullptr;
};

// "Replace text" for multi-replace: a definition file instead of the search text, which the
// dialog carries through unchanged.
class TTextMultiReplaceDialog : public TTextSearchDialog {
  Q_OBJECT
 public:
  // `files` fill the list; `programFolder` is named in the note about adding files.
  TTextMultiReplaceDialog(const std::vector<TDefinitionFile>& files, const QString& userFolder,
                          QWidget* parent = nullptr);
  void SetValues(const TSearchDialogValues& values) override;
  TSearchDialogValues Values() const override;

  QComboBox* cbDefFile = nullptr;
};

// "Confirm replace": asks about one occurrence.
class TConfirmReplaceDialog : public QDialog {
  Q_OBJECT
 public:
  TConfirmReplaceDialog(const QString& search, QWidget* parent = nullptr);
  // Shows the question modally at `topLeft`; Cancel and closing answer raCancel.
  TReplaceAction Ask(const QPoint& topLeft);

 private:
  TReplaceAction answer_ = TReplaceAction::raCancel;
};

}  // namespace tervil
