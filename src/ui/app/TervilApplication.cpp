#include "ui/app/TervilApplication.h"

#include <QIcon>
#include <exception>

#include "core/common/Abort.h"
#include "core/common/Paths.h"
#include "ui/app/DesktopFileTypes.h"
#include "ui/app/MessageBox.h"

namespace tervil {

TTervilApplication::TTervilApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The application's title; window captions carry it themselves.
  setApplicationName("Tervil Editor");
  // The desktop entry and the icon of every window: the installed theme icon, else the one
  // shipped with the reference data.
  setDesktopFileName("tervil-editor");
  const std::string data = ResourceDirectory(applicationDirPath().toStdString(), "data");
  setWindowIcon(QIcon::fromTheme("tervil-editor",
                                 QIcon(QString::fromStdString(data + "/icons/tervil-editor.svg"))));
  // The user's file-type entry, where there is one, shows the icon of the program now started.
  RefreshDesktopIcon(data);
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
