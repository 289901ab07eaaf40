#pragma once

#include <QApplication>

namespace tervil {

// The application object. An exception that no window caught ends up here: its message is
// shown in a message box and the program keeps running.
class TTervilApplication : public QApplication {
 public:
  TTervilApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tervil
