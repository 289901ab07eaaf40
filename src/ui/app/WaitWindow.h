#pragma once

#include <QDialog>
#include <functional>

class QProgressBar;

namespace tervil {

// The small "Processing text" window with a gauge that long text conversions show. While it
// is up the program keeps handling its events, so the window repaints and stays responsive.
class TWaitWindow : public QDialog {
  Q_OBJECT
 public:
  explicit TWaitWindow(QWidget* parent = nullptr);

  // Shows the window, runs `work` with a progress callback (percent 0 to 100) and hides the
  // window again, also when `work` throws.
  void Run(const std::function<void(const std::function<void(int)>& progress)>& work);

  int Percent() const;

 private:
  QProgressBar* gauge_;
};

}  // namespace tervil
