#pragma once

#include <QStatusBar>
#include <QVector>

class QLabel;

namespace tervil {

// The main window's status bar: nine fixed panels. Panel 0 shows hints and transient
// messages; 1 line, 2 column, 3 modified, 4 open pages, 5 insert mode, 6 encoding,
// 7 highlighter, 8 stays empty.
class TStatusPanels : public QStatusBar {
  Q_OBJECT
 public:
  static constexpr int kPanelCount = 9;
  static const int kPanelWidths[kPanelCount];

  explicit TStatusPanels(QWidget* parent = nullptr);

  void SetPanelText(int index, const QString& text);
  QString PanelText(int index) const;
  QLabel* Panel(int index) const { return panels_[index]; }
  // The panel under x (in status bar coordinates), found by adding the panel widths; -1 past
  // the last one.
  static int PanelAt(int x);

 signals:
  void PanelClicked(int index, Qt::MouseButton button, const QPoint& globalPos);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QVector<QLabel*> panels_;
};

}  // namespace tervil
