#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <vector>

#include "core/app/HandOver.h"

class QLocalServer;
class QLocalSocket;

namespace tervil {

// The running editor's end of the single-instance channel: receives the paths that later
// starts of the program hand over and keeps them, in the order they were given, until the
// window takes them. The sender is answered as soon as its request has arrived, before the
// window opens anything (opening may ask questions that stay open for minutes), and nothing
// the window does ever runs while a connection is being read.
class TInstanceServer : public QObject {
  Q_OBJECT
 public:
  explicit TInstanceServer(QObject* parent = nullptr);
  ~TInstanceServer() override;

  // Listens on `socketPath`, replacing a socket left behind by an editor that died.
  bool Listen(const QString& socketPath, QString* error);
  QString SocketPath() const;

  // The requests received so far, oldest first; taking them empties the queue.
  std::vector<THandOverMessage> TakeRequests();
  bool HasRequests() const { return !requests_.empty(); }

 signals:
  // Requests wait in the queue. Raised from the event loop, never from inside a connection's
  // own handling, so a receiver may show questions.
  void RequestsArrived();

 private:
  void AcceptConnection();
  void ReadFrom(QLocalSocket* socket);

  QLocalServer* server_;
  std::map<QLocalSocket*, THandOverDecoder> decoders_;
  std::vector<THandOverMessage> requests_;
};

}  // namespace tervil
