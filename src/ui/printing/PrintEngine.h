#pragma once

#include <QFont>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "core/printing/PageGeometry.h"
#include "core/printing/PrintLayout.h"
#include "core/printing/PrintSettings.h"

class QPainter;
class QPrinter;
class QWidget;

namespace tervil {

class TTextEditor;

// The main window's one print engine: the page setup's settings (kept while the program runs),
// the printer, and the document prepared from an editor. Pages are laid out for the printer's
// paper in slices (Layout().Advance) and painted one by one in the printer's device units, so
// the preview and the printed pages are the same.
class TPrintEngine {
 public:
  TPrintEngine();
  ~TPrintEngine();

  TPrintSettings& Settings() { return settings_; }
  QPrinter& Printer() { return *printer_; }

  // Takes the editor's highlighter, font, tab width and lines, and the title; the print time
  // and date are fixed now.
  void Prepare(TTextEditor& editor, const QString& title);
  bool Prepared() const { return !editor_.isNull(); }
  // Measures the fonts on the printer's paper and starts a new layout (nothing laid out yet).
  void BeginLayout();
  TPrintLayout& Layout() { return layout_; }
  // The paper in device units.
  double PaperWidth() const { return metrics_.paperWidth; }
  double PaperHeight() const { return metrics_.paperHeight; }
  double UnitsPerMillimeter() const { return metrics_.unitsPerMillimeter; }

  // Paints a laid-out page (from 0) with `painter` in device units. `pageCount` stands for
  // "$PAGECOUNT$" (the layout's count when 0).
  void PaintPage(QPainter& painter, int index, int pageCount = 0);

  // Prints the whole document (or the printer's page range) on the printer, with a progress
  // window that can cancel when `parent` is given. False when cancelled or the printer failed.
  bool Print(QWidget* parent);

 private:
  QFont FontOf(const TPrintFont& font) const;
  QFont TextFont(int style) const;
  double LinesHeight(const THeaderFooter& part) const;
  void PaintHeaderFooter(QPainter& painter, const THeaderFooter& part, const TPageFrame& frame,
                         bool header, int page, int pageCount);

  TPrintSettings settings_;
  std::unique_ptr<QPrinter> printer_;
  QPointer<TTextEditor> editor_;
  QFont editorFont_;
  QString title_, time_, date_;
  TPageMetrics metrics_;
  double dpi_ = 72;
  TPrintLayout layout_;
};

}  // namespace tervil
