#pragma once

#include <QDialog>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QScrollArea;

namespace tervil {

class TImageMapCanvas;

// The "Image Map Creator" dialog: open a picture, draw polygons, rectangles and circles on it
// (and move or reshape them afterwards), edit the area lines, and insert the map with its img.
class TImageMapForm : public QDialog {
  Q_OBJECT
 public:
  // `directory` is where the open-picture dialog starts.
  explicit TImageMapForm(const QString& directory, QWidget* parent = nullptr);

  // Loads a picture and empties the area list; a picture that cannot be read is reported and
  // leaves everything as it was. Returns whether the picture was loaded.
  bool OpenPicture(const QString& path);
  // The map markup; empty until "Insert" was clicked.
  QString ResultText() const { return result_; }
  TImageMapCanvas* Canvas() const { return Image1; }
  QPlainTextEdit* AreaList() const { return Memo1; }

  // The open-picture dialog's filters: every format the installed image plug-ins read.
  static QStringList PictureFilters();

 private:
  QAbstractButton* AddToolButton(const QString& text, const char* icon, const QString& hint);
  void OpenClick();
  void ResetClick();
  void AreaListChanged();
  void ReplaceAreaLine(int index, const QString& line);
  void DrawingChanged();
  void ZoomChanged();
  void Insert();

  QString directory_;
  QString chosenFile_;
  TImageMapCanvas* Image1;
  QScrollArea* scroll_;
  QButtonGroup* shapes_;
  QList<QAbstractButton*> shapeButtons_;
  QLabel* zoomLabel_;
  QLabel* Label4;
  QLabel* label5;
  QPlainTextEdit* Memo1;
  QString result_;
};

}  // namespace tervil
