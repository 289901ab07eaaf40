#pragma once

#include <QDialog>
#include <QList>

#include "core/printing/PrintSettings.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolBar;

namespace tervil {

// "Page Setup": margins in their units and the print options, and the header and footer, each
// with three boxes (left, centre, right) whose lines become the items, one font per line.
class TPageSetupDlg : public QDialog {
  Q_OBJECT
 public:
  TPageSetupDlg(TPrintSettings& settings, QWidget* parent);

  // Fills the dialog from the engine's settings (the dialog's opening).
  void LoadFromSettings();
  // Writes the dialog's values back (OK). A field that is not a number stops the margins there
  // with "Invalid number!"; returns false then.
  bool SaveToSettings();

  QTabWidget* Pages = nullptr;
  QComboBox* CBUnits = nullptr;
  // Left, Right, Top, Bottom, Gutter, Header, Footer, HFInternalMargin, LeftHFTextIndent,
  // RightHFTextIndent, in the dialog's order.
  QList<QLineEdit*> MarginFields;
  QCheckBox* CBMirrorMargins = nullptr;
  QCheckBox* CBLineNumbers = nullptr;
  QCheckBox* CBLineNumbersInMargin = nullptr;
  QCheckBox* CBHighlight = nullptr;
  QCheckBox* CBColors = nullptr;
  QCheckBox* CBWrap = nullptr;
  QTextEdit* REHeaderLeft = nullptr;
  QTextEdit* REHeaderCenter = nullptr;
  QTextEdit* REHeaderRight = nullptr;
  QTextEdit* REFooterLeft = nullptr;
  QTextEdit* REFooterCenter = nullptr;
  QTextEdit* REFooterRight = nullptr;
  QCheckBox* CBHeaderMirror = nullptr;
  QCheckBox* CBFooterMirror = nullptr;
  QCheckBox* CBHeaderLine = nullptr;
  QCheckBox* CBHeaderBox = nullptr;
  QCheckBox* CBHeaderShadow = nullptr;
  QCheckBox* CBFooterLine = nullptr;
  QCheckBox* CBFooterBox = nullptr;
  QCheckBox* CBFooterShadow = nullptr;
  QList<QAction*> ToolActions;  // page number .. underline

 protected:
  void accept() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MakeMarginsPage();
  QWidget* MakeHeaderFooterPage();
  void WriteFields();
  bool ReadFields();
  void UnitsChanged(int index);
  void InsertMacro(const QString& macro);
  void ChangeLineFont(int what);  // 0 font dialog, else a TFontStyleBits flag to toggle
  void LoadPart(const THeaderFooter& part, const QList<QTextEdit*>& boxes);
  void SavePart(THeaderFooter& part, const QList<QTextEdit*>& boxes);
  void UpdateToolActions();

  TPrintSettings& settings_;
  TMarginUnits shownUnits_ = TMarginUnits::Millimeters;
  QTextEdit* current_ = nullptr;
  QColor headerLine_, headerShadow_, footerLine_, footerShadow_;
  QPushButton* headerLineSwatch_ = nullptr;
  QPushButton* headerShadowSwatch_ = nullptr;
  QPushButton* footerLineSwatch_ = nullptr;
  QPushButton* footerShadowSwatch_ = nullptr;
};

}  // namespace tervil
