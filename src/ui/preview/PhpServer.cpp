#include "ui/preview/PhpServer.h"

#include <QDir>
#include <QTimer>

#include "core/common/Abort.h"
#include "core/preview/PreviewRules.h"
#include "core/process/ConsoleApp.h"

namespace tervil {

namespace {
constexpr int kReadyPollMs = 25;
constexpr int kReadyTries = 200;  // 5 seconds
constexpr std::size_t kKeptOutput = 4096;
}  // namespace

TPhpServer::TPhpServer(QObject* parent) : QObject(parent) {
  runner_ = std::make_unique<TConsoleApp>([this](std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
  });
  // The server waits quietly for requests: no inactivity time-out. Its log is kept short.
  runner_->TimeOut = 0;
  runner_->ReadBufferSize = 4096;
  runner_->OnOutput = [this](TConsoleApp&, const std::string& chunk) { Keep(chunk); };
  runner_->OnEOutput = [this](TConsoleApp&, const std::string& chunk) { Keep(chunk); };
  runner_->OnError = [this](TConsoleApp&, std::uint32_t, const std::string& message) {
    Keep(message + "\n");
  };
  runner_->OnDone = [this](TConsoleApp&, std::uint32_t) {
    readyTimer_->stop();
    ready_ = false;
    const bool asked = stopping_;
    stopping_ = false;
    if (!pendingRoot_.isEmpty()) {
      // The server of another folder has gone: start the one asked for meanwhile.
      const QString root = pendingRoot_;
      pendingRoot_.clear();
      QString error;
      if (!Start(pendingPhp_, root, error)) emit Ended(error);
      return;
    }
    if (!asked) emit Ended(LastOutput().trimmed());
  };
  readyTimer_ = new QTimer(this);
  readyTimer_->setInterval(kReadyPollMs);
  connect(readyTimer_, &QTimer::timeout, this, &TPhpServer::CheckReady);
}

TPhpServer::~TPhpServer() {
  stopping_ = true;
  runner_.reset();  // kills a running server and everything it started
}

void TPhpServer::Keep(const std::string& chunk) {
  output_ += chunk;
  if (output_.size() > kKeptOutput) output_.erase(0, output_.size() - kKeptOutput);
}

bool TPhpServer::Running() const {
  return runner_->Running();
}

pid_t TPhpServer::ProcessId() const {
  return Running() ? runner_->ProcessInformation().processId : 0;
}

bool TPhpServer::Serve(const std::string& php, const QString& documentRoot, QString& error) {
  const QString root = QDir::cleanPath(documentRoot);
  if (Running() && !stopping_ && root == root_) {
    if (ready_) QMetaObject::invokeMethod(this, &TPhpServer::Ready, Qt::QueuedConnection);
    return true;
  }
  if (Running()) {
    // The server of another folder ends first; the new one starts when it has gone.
    Stop();
    pendingRoot_ = root;
    pendingPhp_ = php;
    return true;
  }
  return Start(php, root, error);
}

bool TPhpServer::Start(const std::string& php, const QString& root, QString& error) {
  pendingRoot_.clear();
  port_ = FindFreePort();
  if (port_ == 0) {
    error = tr("No free port was found for the PHP server.");
    return false;
  }
  root_ = root;
  output_.clear();
  ready_ = false;
  stopping_ = false;
  runner_->Application.clear();
  runner_->Command = PhpServerCommandLine(php, port_, root.toStdString());
  runner_->WorkDir = root.toStdString();
  try {
    runner_->Execute();
  } catch (const TAbort&) {
    error = tr("The PHP server could not be started: %1").arg(LastOutput().trimmed());
    return false;
  } catch (const TConsoleError& e) {
    error = QString::fromUtf8(e.what());
    return false;
  }
  readyTries_ = 0;
  readyTimer_->start();
  return true;
}

void TPhpServer::CheckReady() {
  if (!Running()) {
    readyTimer_->stop();
    return;
  }
  if (PortAccepts(port_)) {
    readyTimer_->stop();
    ready_ = true;
    emit Ready();
    return;
  }
  if (++readyTries_ >= kReadyTries) {
    readyTimer_->stop();
    Keep("\n" + tr("The PHP server did not answer within 5 seconds.").toStdString());
    Stop();
    emit Ended(LastOutput().trimmed());
  }
}

void TPhpServer::Stop() {
  pendingRoot_.clear();
  readyTimer_->stop();
  ready_ = false;
  if (!Running()) return;
  stopping_ = true;
  try {
    runner_->Kill(0);
  } catch (const TConsoleError&) {
  }
}

QUrl TPhpServer::UrlOf(const QString& path) const {
  QUrl url;
  url.setScheme("http");
  url.setHost("127.0.0.1");
  url.setPort(port_);
  const QString relative = QDir(root_).relativeFilePath(path);
  url.setPath("/" + relative);
  return url;
}

}  // namespace tervil
