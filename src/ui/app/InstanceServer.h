#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <vector>

#include "core/app/HandOver.h"

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace tervil {

// The running editor's end of the single-instance channel: receives the paths that later
// starts of the program hand over and keeps them, in the order they were given, until the
// window takes them. A sender is answered only once the window reports every file of its
// request done (opened, or dropped as naming no file), or once a question of the editor is open
// (the files then open when the user has answered): until then the files are still the
// sender's, which opens them itself if this editor ends first. Nothing the window does ever
// runs while a connection is being read.
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
  // The window is done with a request it took.
  void Done(const THandOverMessage& request);
  // While the window is closing, an open question (its close questions) does not count as
  // taking the files.
  void SetClosing(bool closing);
  // The window has closed: senders not yet answered are let go, and open their files
  // themselves; nothing more is received.
  void Close();

 signals:
  // Requests wait in the queue. Raised from the event loop, never from inside a connection's
  // own handling, so a receiver may show questions.
  void RequestsArrived();

 private:
  struct TSender {
    THandOverDecoder decoder;
    int id = 0;
    int outstanding = 0;    // requests received and not yet done
    bool complete = false;  // its last request has arrived
    bool answered = false;
  };
  void AcceptConnection();
  void ReadFrom(QLocalSocket* socket);
  void Answer(QLocalSocket* socket, TSender& sender);
  void AnswerIfDone(QLocalSocket* socket, TSender& sender);
  // A question is open: every complete request counts as taken.
  void AnswerWhileAsking();

  QLocalServer* server_;
  QTimer* questionWatch_;
  std::map<QLocalSocket*, TSender> senders_;
  std::vector<THandOverMessage> requests_;
  int nextId_ = 1;
  bool closing_ = false;
};

}  // namespace tervil
