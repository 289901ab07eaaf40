#include "ui/app/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace tervil {

namespace {

TMessageBox::Handler& CurrentHandler() {
  static TMessageBox::Handler handler;
  return handler;
}

QMessageBox::Icon ToQtIcon(TMsgIcon icon) {
  switch (icon) {
    case TMsgIcon::Warning:
      return QMessageBox::Warning;
    case TMsgIcon::Error:
      return QMessageBox::Critical;
    case TMsgIcon::Question:
      return QMessageBox::Question;
    case TMsgIcon::Information:
      break;
  }
  return QMessageBox::Information;
}

int gOpenBoxes = 0;

struct TOpenBox {
  TOpenBox() { ++gOpenBoxes; }
  ~TOpenBox() { --gOpenBoxes; }
  TOpenBox(const TOpenBox&) = delete;
  TOpenBox& operator=(const TOpenBox&) = delete;
};

}  // namespace

bool TMessageBox::QuestionOpen() {
  return gOpenBoxes > 0;
}

TMsgResult TMessageBox::Show(QWidget* parent, const QString& caption, const QString& text,
                             int buttons, TMsgIcon icon) {
  TOpenBox open;
  if (CurrentHandler()) return CurrentHandler()(caption, text, buttons, icon);
  QMessageBox box(ToQtIcon(icon), caption, text, QMessageBox::NoButton, parent);
  if (buttons & mbYes) box.addButton(QMessageBox::Yes);
  if (buttons & mbNo) box.addButton(QMessageBox::No);
  if (buttons & mbCancel) box.addButton(QMessageBox::Cancel);
  if (buttons & mbOK || buttons == 0) box.addButton(QMessageBox::Ok);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return TMsgResult::Yes;
    case QMessageBox::No:
      return TMsgResult::No;
    case QMessageBox::Ok:
      return TMsgResult::OK;
    default:
      return TMsgResult::Cancel;
  }
}

bool TMessageBox::Ask(QWidget* parent, const QString& caption, const QString& text) {
  return Show(parent, caption, text, mbYes | mbNo, TMsgIcon::Information) == TMsgResult::Yes;
}

void TMessageBox::Error(QWidget* parent, const QString& text) {
  Show(parent, QApplication::applicationName(), text, mbOK, TMsgIcon::Error);
}

void TMessageBox::SetHandler(Handler handler) {
  CurrentHandler() = std::move(handler);
}

}  // namespace tervil
