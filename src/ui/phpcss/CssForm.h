#pragma once

#include <QDialog>
#include <QHash>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/phpcss/CssDialogFields.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace tervil {

class TCSSStyle;

// The "CSS Editor" style dialog: one CSS declaration block edited property by property on
// tabbed pages (Position with the box-model grid, Borders, Color and Background, Font, Text,
// Tables, Lists, Scrollbar) and a Preview page whose text is the dialog's result.
class TCSS : public QDialog {
  Q_OBJECT
 public:
  // `colorListFile` is the path of "colorlist.tvd", for the colour picker of the colour fields.
  explicit TCSS(QWidget* parent = nullptr, const QString& colorListFile = QString());

  // Remembers the block's closer and declarations and loads every page from them.
  void LoadStyle(const TCSSStyle& style);
  // The text of the preview memo: the dialog's result.
  QString ResultText() const;
  // Writes the fields into the preview memo, on one line.
  void ComposePreview();
  void ResetPage();
  void ResetAll();

  // The field of a property (a QComboBox or QLineEdit), or nullptr.
  QWidget* Field(const QString& name) const { return fields_.value(name); }
  // The text of a field: the combo box's text or the line's.
  QString FieldText(const QString& name) const;
  // Whether a fixed list shows a value that is not one of its items (in red, as free text).
  bool ShowsUnknownValue(const QString& name) const;
  QTableWidget* Grid() const { return grid_; }
  QTabWidget* Tabs() const { return tabs_; }
  QPlainTextEdit* PreviewMemo() const { return preview_; }
  QPushButton* OkButton() const { return ok_; }

  // The font chooser's answer, for the "Choose font" button (set by tests; the real chooser
  // is a dialog): the chosen name and whether "Add" was pressed. Empty optional for Cancel.
  struct FontChoice {
    QString font;
    bool add = false;
  };
  std::function<std::optional<FontChoice>(const QString& current)> ChooseFont;

 private:
  QWidget* MakePage(std::string_view page);
  QWidget* MakePositionPage();
  QWidget* MakeField(const TCssField& field);
  void ClearFields(int pageIndex);
  void LoadFields(int pageIndex);
  void SetFieldValue(const TCssField& field, const QString& value);
  void MakeFixedListFree(QComboBox* combo, const QString& value);
  void ChooseColor(QLineEdit* line);
  void ChooseFontClick(QLineEdit* line);
  void Accept();

  QTabWidget* tabs_;
  QTableWidget* grid_ = nullptr;
  QPlainTextEdit* preview_;
  QPushButton* ok_;
  QHash<QString, QWidget*> fields_;
  QString colorListFile_;
  std::vector<std::string> declarations_;  // the block as it was when the dialog opened
  char closer_ = '}';
  int previewIndex_ = 0;
};

}  // namespace tervil
