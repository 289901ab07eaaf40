#include "ui/app/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMessageBox>
#include <memory>

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

// Swallows the keys that reach a box (or its buttons) until the guard time has passed.
class TTypingGuard : public QObject {
 public:
  explicit TTypingGuard(QMessageBox& box) : box_(box) {
    started_.start();
    qApp->installEventFilter(this);
  }
  ~TTypingGuard() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::ShortcutOverride && type != QEvent::Shortcut)
      return false;
    if (started_.elapsed() >= TMessageBox::kTypingGuardMs) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && (widget == &box_ || box_.isAncestorOf(widget));
  }

 private:
  QMessageBox& box_;
  QElapsedTimer started_;
};

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
  if (buttons & mbOK || (buttons & (mbYes | mbNo | mbCancel | mbOK)) == 0)
    box.addButton(QMessageBox::Ok);
  if ((buttons & mbDefaultNo) && box.button(QMessageBox::No)) box.setDefaultButton(QMessageBox::No);
  std::unique_ptr<TTypingGuard> guard;
  if (buttons & mbIgnoreTyping) {
    // Without their "&" the buttons take no plain letter ("y" answered Yes).
    for (QAbstractButton* button : box.buttons()) button->setText(button->text().remove('&'));
    guard = std::make_unique<TTypingGuard>(box);
  }
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

bool TMessageBox::Ask(QWidget* parent, const QString& caption, const QString& text, int flags) {
  return Show(parent, caption, text, mbYes | mbNo | flags, TMsgIcon::Information) ==
         TMsgResult::Yes;
}

void TMessageBox::Error(QWidget* parent, const QString& text) {
  Show(parent, QApplication::applicationName(), text, mbOK, TMsgIcon::Error);
}

void TMessageBox::SetHandler(Handler handler) {
  CurrentHandler() = std::move(handler);
}

}  // namespace tervil
