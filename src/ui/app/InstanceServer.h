#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>

#include "core/app/HandOver.h"

class QLocalServer;
class QLocalSocket;

namespace tervil {

// The running editor's end of the single-instance channel: receives the paths that later
// starts of the program hand over, in the order they were given.
class TInstanceServer : public QObject {
  Q_OBJECT
 public:
  explicit TInstanceServer(QObject* parent = nullptr);
  ~TInstanceServer() override;

  // Listens on `socketPath`, replacing a socket left behind by an editor that died.
  bool Listen(const QString& socketPath, QString* error);
  QString SocketPath() const;

 signals:
  void OpenRequested(const QString& path);
  void RaiseRequested();

 private:
  void AcceptConnection();
  void ReadFrom(QLocalSocket* socket);

  QLocalServer* server_;
  std::map<QLocalSocket*, THandOverDecoder> decoders_;
};

}  // namespace tervil
