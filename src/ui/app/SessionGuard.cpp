#include "ui/app/SessionGuard.h"

#include <signal.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include "ui/app/MainForm.h"

namespace tervil {

TSessionGuard::TSessionGuard(TTervilMain& window) : window_(window), pipe_({SIGTERM, SIGHUP}) {
  if (pipe_.ReadFd() >= 0) {
    notifier_ = new QSocketNotifier(pipe_.ReadFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TSessionGuard::SignalArrived);
  }
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    connect(app, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { window_.SessionEnding(); });
}

TSessionGuard::~TSessionGuard() = default;

// Saves and ends every event loop, also that of an open question; the window is then destroyed
// without the close questions nobody is there to answer. Unsaved pages stay in the crash
// journal: the next start offers them.
void TSessionGuard::SignalArrived() {
  if (pipe_.TakeSignals().empty()) return;
  window_.EndKeepingUnsaved();
  QCoreApplication::exit(0);
}

}  // namespace tervil
