#include "ui/app/WaitWindow.h"

#include <QApplication>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tervil {

TWaitWindow::TWaitWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      gauge_(new QProgressBar(this)) {
  setObjectName("Twait");
  setWindowTitle(tr("Processing text"));
  setModal(true);
  gauge_->setRange(0, 100);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gauge_);
  resize(320, sizeHint().height());
}

int TWaitWindow::Percent() const {
  return gauge_->value();
}

void TWaitWindow::Run(const std::function<void(const std::function<void(int)>&)>& work) {
  gauge_->setValue(0);
  show();
  QApplication::processEvents();
  struct THide {
    TWaitWindow* window;
    ~THide() { window->hide(); }
  } hide{this};
  work([this](int percent) {
    if (percent == gauge_->value()) return;
    gauge_->setValue(percent);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  });
}

}  // namespace tervil
