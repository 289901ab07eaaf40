#pragma once

#include <QObject>

#include "core/app/SignalPipe.h"

class QSocketNotifier;

namespace tervil {

class TTervilMain;

// Keeps the editor's session when the program ends without its window closing: SIGTERM and
// SIGHUP (logout, shutdown, a closed terminal) save the session, keep the unsaved pages in the
// crash journal and then end the program; the end of the desktop session does the same.
class TSessionGuard : public QObject {
  Q_OBJECT
 public:
  explicit TSessionGuard(TTervilMain& window);
  ~TSessionGuard() override;

 private:
  void SignalArrived();

  TTervilMain& window_;
  TSignalPipe pipe_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tervil
