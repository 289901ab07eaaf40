#include "ui/app/UpdateChecker.h"

#include <QDesktopServices>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

namespace tervil {

namespace {
constexpr int kTransferTimeoutMs = 30000;
constexpr int kMaxRedirects = 5;
}  // namespace

void TUpdateFetcher::Fetch(const QUrl& url, const QString& ownVersion) {
  if (!network_) network_ = new QNetworkAccessManager(this);
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(kMaxRedirects);
  request.setTransferTimeout(kTransferTimeoutMs);
  QNetworkReply* reply = network_->get(request);
  auto body = std::make_shared<QByteArray>();
  auto tooLarge = std::make_shared<bool>(false);
  // The answer is read as it comes; one longer than any real answer is cut off there.
  connect(reply, &QNetworkReply::readyRead, this, [reply, body, tooLarge] {
    if (*tooLarge) return;
    body->append(reply->read(qint64(kMaxUpdateAnswer) + 1 - body->size()));
    if (size_t(body->size()) > kMaxUpdateAnswer) {
      *tooLarge = true;
      reply->abort();
    }
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply, body, tooLarge, ownVersion] {
    reply->deleteLater();
    if (!*tooLarge && reply->error() == QNetworkReply::NoError)
      body->append(reply->read(qint64(kMaxUpdateAnswer) + 1 - body->size()));
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const std::string answer = body->toStdString();
    if (*tooLarge || reply->error() != QNetworkReply::NoError || status != 200 ||
        !ParseUpdateAnswer(answer)) {
      emit Done(false, {});
      return;
    }
    QStringList values;
    if (const auto notice = UpdateNoticeFor(answer, ownVersion.toStdString()))
      values = {QString::fromStdString(notice->title), QString::fromStdString(notice->version),
                QString::fromStdString(notice->text), QString::fromStdString(notice->url)};
    emit Done(true, values);
  });
}

TUpdateChecker::TUpdateChecker(QObject* parent) : QObject(parent) {
  auto* fetcher = new TUpdateFetcher;
  fetcher->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, fetcher, &QObject::deleteLater);
  connect(this, &TUpdateChecker::FetchRequested, fetcher, &TUpdateFetcher::Fetch);
  connect(fetcher, &TUpdateFetcher::Done, this, [this](bool answered, const QStringList& notice) {
    running_ = false;
    emit Finished(answered, notice);
  });
  thread_.setObjectName("update check");
}

TUpdateChecker::~TUpdateChecker() {
  thread_.quit();
  thread_.wait();
}

bool TUpdateChecker::Start(const QString& server, const QString& lastCheck,
                           const QString& ownVersion) {
  if (running_) return false;
  const std::string address = UpdateRequestUrl(server.toStdString(), lastCheck.toStdString());
  if (address.empty()) return false;
  const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
  if (!url.isValid()) return false;
  if (!thread_.isRunning()) thread_.start();
  running_ = true;
  emit FetchRequested(url, ownVersion);
  return true;
}

TVersionForm::TVersionForm(const TUpdateNotice& notice, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName("Tversionform");
  setWindowTitle(QString::fromStdString(notice.title));
  auto* layout = new QVBoxLayout(this);
  auto* version =
      new QLabel(QStringLiteral("Nowa Wersja: ") + QString::fromStdString(notice.version), this);
  version->setObjectName("VersionLabel");
  version->setTextFormat(Qt::PlainText);
  layout->addWidget(version);
  auto* text = new QPlainTextEdit(QString::fromStdString(notice.text), this);
  text->setObjectName("TextMemo");
  text->setReadOnly(true);
  layout->addWidget(text);
  auto* download = new QPushButton(QIcon::fromTheme("download"), QStringLiteral("Pobierz"), this);
  download->setObjectName("DownloadButton");
  const QString url = QString::fromStdString(notice.url);
  download->setEnabled(IsOpenableUpdateUrl(notice.url));
  download->setToolTip(url);
  connect(download, &QPushButton::clicked, this,
          [url] { QDesktopServices::openUrl(QUrl(url, QUrl::StrictMode)); });
  layout->addWidget(download);
  resize(360, 240);
}

}  // namespace tervil
