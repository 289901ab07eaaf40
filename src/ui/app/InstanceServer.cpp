#include "ui/app/InstanceServer.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace tervil {

TInstanceServer::TInstanceServer(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &TInstanceServer::AcceptConnection);
}

TInstanceServer::~TInstanceServer() {
  server_->close();
}

bool TInstanceServer::Listen(const QString& socketPath, QString* error) {
  QLocalServer::removeServer(socketPath);
  if (server_->listen(socketPath)) return true;
  if (error) *error = server_->errorString();
  return false;
}

QString TInstanceServer::SocketPath() const {
  return server_->fullServerName();
}

std::vector<THandOverMessage> TInstanceServer::TakeRequests() {
  std::vector<THandOverMessage> taken;
  taken.swap(requests_);
  return taken;
}

void TInstanceServer::AcceptConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    decoders_.emplace(socket, THandOverDecoder{});
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      decoders_.erase(socket);
      socket->deleteLater();
    });
    ReadFrom(socket);
  }
}

void TInstanceServer::ReadFrom(QLocalSocket* socket) {
  auto it = decoders_.find(socket);
  if (it == decoders_.end()) return;
  const QByteArray bytes = socket->readAll();
  const bool ok =
      it->second.Feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  bool arrived = false;
  for (auto& message : it->second.TakeMessages()) {
    if (message.kind == THandOverMessage::Raise) {
      // The sender's last request: everything it sent is queued, so it may end now.
      socket->write("K");
      socket->flush();
    }
    requests_.push_back(std::move(message));
    arrived = true;
  }
  if (!ok) socket->abort();
  if (arrived)
    QMetaObject::invokeMethod(this, &TInstanceServer::RequestsArrived, Qt::QueuedConnection);
}

}  // namespace tervil
