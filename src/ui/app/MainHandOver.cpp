// The main window's side of the single-instance hand-over: paths that later starts of the
// program send are opened here, exactly as the Open command opens them.

#include <sys/stat.h>

#include "core/app/HandOver.h"
#include "ui/app/FilePaths.h"
#include "ui/app/InstanceServer.h"
#include "ui/app/MainForm.h"

namespace tervil {

void TTervilMain::AcceptHandOver(TInstanceServer* server) {
  handOver_ = server;
  connect(server, &TInstanceServer::RequestsArrived, this, &TTervilMain::OpenHandedOver);
  OpenHandedOver();
}

// Works off the queue in arrival order. Requests that arrive while a question is open wait
// for the running pass, which takes them after the current one; before start-up is over they
// wait for its end, and while the window is closing for the close to be decided. A sender
// hears that its files are open only once the session that the next start reopens holds them.
void TTervilMain::OpenHandedOver() {
  if (!handOver_ || !startupDone_ || openingHandedOver_ || closing_ || sessionEnded_) return;
  openingHandedOver_ = true;
  for (auto requests = handOver_->TakeRequests(); !requests.empty();
       requests = handOver_ && !closing_ ? handOver_->TakeRequests() : decltype(requests){}) {
    for (const THandOverMessage& request : requests) {
      if (request.kind == THandOverMessage::Open)
        HandOverPath(PathText(request.path));
      else
        BringToFront();
    }
    if (!sessionEnded_) WriteSession(false);
    for (const THandOverMessage& request : requests)
      if (handOver_) handOver_->Done(request);
  }
  openingHandedOver_ = false;
}

void TTervilMain::HandOverPath(const QString& path) {
  // Only an absolute path names a file; one that names no file is dropped without a message.
  const std::string bytes = PathBytes(path);
  struct stat info {};
  if (IsHandOverPath(bytes) && ::stat(bytes.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    OpenFile(path, false);
}

void TTervilMain::BringToFront() {
  if (isMinimized()) showMaximized();
  raise();
  activateWindow();
}

}  // namespace tervil
