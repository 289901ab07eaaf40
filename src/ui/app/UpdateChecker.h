#pragma once

#include <QObject>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <QWidget>

#include "core/app/UpdateCheck.h"

class QNetworkAccessManager;

namespace tervil {

// Fetches the update answer on the check's own thread.
class TUpdateFetcher : public QObject {
  Q_OBJECT

 public slots:
  void Fetch(const QUrl& url, const QString& ownVersion);

 signals:
  // `answered`: the server said 200 with a readable answer; `notice` holds title, version, text
  // and url of a newer version, or is empty.
  void Done(bool answered, const QStringList& notice);

 private:
  QNetworkAccessManager* network_ = nullptr;
};

// The check for a newer version: one request at a time, on a thread of its own; the result
// comes back to the window thread through Finished.
class TUpdateChecker : public QObject {
  Q_OBJECT

 public:
  explicit TUpdateChecker(QObject* parent = nullptr);
  ~TUpdateChecker() override;

  // Starts a check unless one is running or `server` is no http or https address (then nothing
  // is sent). Returns whether a request was started.
  bool Start(const QString& server, const QString& lastCheck, const QString& ownVersion);
  bool Running() const { return running_; }

 signals:
  void Finished(bool answered, const QStringList& notice);
  void FetchRequested(const QUrl& url, const QString& ownVersion);

 private:
  QThread thread_;
  bool running_ = false;
};

// The notice of a newer version: stays on top, does not block, is discarded when closed. Its
// download button opens only http and https addresses.
class TVersionForm : public QWidget {
  Q_OBJECT

 public:
  TVersionForm(const TUpdateNotice& notice, QWidget* parent = nullptr);
};

}  // namespace tervil
