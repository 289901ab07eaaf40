#include "ui/app/InstanceServer.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include "ui/app/MessageBox.h"

namespace tervil {

namespace {

// How often a waiting sender is checked against an open question.
constexpr int kQuestionWatchMs = 200;

bool QuestionShown() {
  return TMessageBox::QuestionOpen() || QApplication::activeModalWidget() != nullptr;
}

}  // namespace

TInstanceServer::TInstanceServer(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), questionWatch_(new QTimer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &TInstanceServer::AcceptConnection);
  questionWatch_->setInterval(kQuestionWatchMs);
  connect(questionWatch_, &QTimer::timeout, this, &TInstanceServer::AnswerWhileAsking);
}

TInstanceServer::~TInstanceServer() {
  Close();
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

void TInstanceServer::Done(const THandOverMessage& request) {
  for (auto& [socket, sender] : senders_) {
    if (sender.id != request.sender) continue;
    --sender.outstanding;
    AnswerIfDone(socket, sender);
    return;
  }
}

void TInstanceServer::SetClosing(bool closing) {
  closing_ = closing;
  if (!closing_) AnswerWhileAsking();
}

void TInstanceServer::Close() {
  questionWatch_->stop();
  server_->close();
  // Unanswered senders see the connection end and open their files themselves.
  auto senders = std::move(senders_);
  senders_.clear();
  for (auto& [socket, sender] : senders) {
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
  }
  requests_.clear();
}

void TInstanceServer::AcceptConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    TSender& sender = senders_[socket];
    sender.id = nextId_++;
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      senders_.erase(socket);
      socket->deleteLater();
    });
    ReadFrom(socket);
  }
}

void TInstanceServer::ReadFrom(QLocalSocket* socket) {
  auto it = senders_.find(socket);
  if (it == senders_.end()) return;
  TSender& sender = it->second;
  const QByteArray bytes = socket->readAll();
  const bool ok =
      sender.decoder.Feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  bool arrived = false;
  for (auto& message : sender.decoder.TakeMessages()) {
    // The sender's last request is the raise: after it, everything it sent is queued.
    if (message.kind == THandOverMessage::Raise) sender.complete = true;
    message.sender = sender.id;
    ++sender.outstanding;
    requests_.push_back(std::move(message));
    arrived = true;
  }
  if (!ok) {
    socket->abort();
    return;
  }
  if (sender.complete && !sender.answered) {
    // A question the user has open now takes the files as well.
    if (!closing_ && QuestionShown()) Answer(socket, sender);
    if (!sender.answered) questionWatch_->start();
  }
  if (arrived)
    QMetaObject::invokeMethod(this, &TInstanceServer::RequestsArrived, Qt::QueuedConnection);
}

void TInstanceServer::Answer(QLocalSocket* socket, TSender& sender) {
  if (sender.answered) return;
  sender.answered = true;
  socket->write("K");
  socket->flush();
}

void TInstanceServer::AnswerIfDone(QLocalSocket* socket, TSender& sender) {
  if (sender.complete && sender.outstanding <= 0) Answer(socket, sender);
}

void TInstanceServer::AnswerWhileAsking() {
  bool waiting = false;
  const bool asking = !closing_ && QuestionShown();
  for (auto& [socket, sender] : senders_) {
    if (!sender.complete || sender.answered) continue;
    if (asking) Answer(socket, sender);
    waiting = waiting || !sender.answered;
  }
  if (!waiting) questionWatch_->stop();
}

}  // namespace tervil
