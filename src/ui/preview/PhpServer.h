#pragma once

#include <sys/types.h>

#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>
#include <string>

class QTimer;

namespace tervil {

class TConsoleApp;

// PHP's built-in web server for the preview: "php -S" on 127.0.0.1 with a free port and a page's
// folder as its document root, run as the child of a process runner (so that stopping it ends
// everything its scripts started). It serves one folder at a time; it stops when asked, when the
// object goes, or when the program ends.
class TPhpServer : public QObject {
  Q_OBJECT
 public:
  explicit TPhpServer(QObject* parent = nullptr);
  ~TPhpServer() override;

  // Serves `documentRoot` with the interpreter `php`, starting the server (or restarting it for
  // another folder) when needed. Ready follows once it accepts connections; false, with `error`,
  // when it could not be started.
  bool Serve(const std::string& php, const QString& documentRoot, QString& error);
  void Stop();
  // Started and not yet ended.
  bool Running() const;
  // Accepting connections.
  bool IsReady() const { return ready_; }
  int Port() const { return port_; }
  QString DocumentRoot() const { return root_; }
  pid_t ProcessId() const;
  // The address of a file under the document root.
  QUrl UrlOf(const QString& path) const;
  // The last lines the server printed (its log), for a message when it ends unexpectedly.
  QString LastOutput() const { return QString::fromStdString(output_); }

 signals:
  void Ready();
  // The server ended without being asked to; `why` says what it printed last.
  void Ended(const QString& why);

 private:
  bool Start(const std::string& php, const QString& root, QString& error);
  void Keep(const std::string& chunk);
  void CheckReady();

  std::unique_ptr<TConsoleApp> runner_;
  QTimer* readyTimer_;
  QString root_;
  int port_ = 0;
  int readyTries_ = 0;
  bool ready_ = false;
  bool stopping_ = false;
  std::string output_;
  QString pendingRoot_;  // to serve once the server of another folder has ended
  std::string pendingPhp_;
};

}  // namespace tervil
