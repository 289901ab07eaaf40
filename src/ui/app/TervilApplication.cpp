#include "ui/app/TervilApplication.h"

#include <exception>

#include "core/common/Abort.h"
#include "ui/app/MessageBox.h"

namespace tervil {

TTervilApplication::TTervilApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The application's title; window captions carry it themselves.
  setApplicationName("Tervil Editor");
}

bool TTervilApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const TAbort&) {
    // A silent cancellation: whatever failed has been reported already.
  } catch (const std::exception& e) {
    TMessageBox::Error(activeWindow(), QString::fromUtf8(e.what()));
  } catch (...) {
    TMessageBox::Error(activeWindow(), QStringLiteral("An unexpected error occurred."));
  }
  return false;
}

}  // namespace tervil
