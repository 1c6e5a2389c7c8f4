#include "platform/qt/qt_http_client.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>
#include <map>
#include <utility>

namespace ovantic {
namespace {

constexpr int kMaxRedirects = 10;

// Error texts for the failures Qt reports no text of its own for.
constexpr const char* kAborted = "aborted";
constexpr const char* kTooLarge = "reply larger than the limit";
constexpr const char* kTooSlow = "no whole reply within the deadline";

// Qt reports an HTTP error status as a reply error too; such a reply still carries a body the
// caller wants to read, unlike a failure of the transfer itself.
bool isHttpStatusError(const QNetworkReply& reply) {
  if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) return false;
  const int code = reply.error();
  return (code >= QNetworkReply::ContentAccessDenied &&
          code <= QNetworkReply::UnknownContentError) ||
         (code >= QNetworkReply::InternalServerError && code <= QNetworkReply::UnknownServerError);
}

}  // namespace

class QtHttpClient::Private {
 public:
  explicit Private(Options chosen) : options(std::move(chosen)) {}

  struct Request {
    std::function<void(Reply)> done;
    QByteArray body;
    bool tooLarge = false;
    bool tooSlow = false;
    QTimer* deadline = nullptr;  // the reply's child, so it goes with the reply
  };

  QNetworkAccessManager& manager() {
    // Made at the first request: a manager's set-up, and the TLS configuration below, are no
    // work for a tray icon nobody has clicked yet.
    if (!manager_) {
      QNetworkProxyFactory::setUseSystemConfiguration(true);
      manager_ = std::make_unique<QNetworkAccessManager>();
      manager_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
      tls_ = std::make_unique<QSslConfiguration>(QSslConfiguration::defaultConfiguration());
      tls_->setPeerVerifyMode(QSslSocket::VerifyPeer);
      if (!options.caFile.empty()) {
        // A missing or unreadable file leaves no trusted certificate at all, so every request
        // fails rather than trusting more than was asked for.
        tls_->setCaCertificates(
            QSslCertificate::fromPath(QString::fromStdString(options.caFile), QSsl::Pem,
                                      QSslCertificate::PatternSyntax::FixedString));
      }
    }
    return *manager_;
  }

  void start(const std::string& url, std::function<void(Reply)> done) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    // Rates are only worth trusting over a verified TLS connection; anything else gets no
    // request at all.
    if (!isSecureAddress(url) || !address.isValid() || address.host().isEmpty()) {
      finishLater(std::move(done), Reply{std::nullopt, "only https addresses are fetched"});
      return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(options.timeout).count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Ovantic"));
    QNetworkAccessManager& network = manager();
    request.setSslConfiguration(*tls_);

    QNetworkReply* reply = network.get(request);
    requests_[reply].done = std::move(done);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [this, reply] { collect(reply); });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply] { finish(reply); });
    // The transfer time-out only measures silence: a server sending a byte now and then would
    // hold the request, and the panel's "Fetching rates...", for as long as it liked.
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [this, reply] {
      auto found = requests_.find(reply);
      if (found == requests_.end()) return;
      found->second.tooSlow = true;
      reply->abort();  // emits finished, which completes the request
    });
    deadline->start(options.deadline);
    requests_[reply].deadline = deadline;
  }

  void collect(QNetworkReply* reply) {
    auto found = requests_.find(reply);
    if (found == requests_.end()) return;
    Request& request = found->second;
    if (request.tooLarge) return;
    const QByteArray chunk = reply->readAll();
    if (static_cast<std::size_t>(request.body.size()) + static_cast<std::size_t>(chunk.size()) >
        options.maxBodyBytes) {
      // Whatever follows is not a rate table; stop reading before it fills memory.
      request.tooLarge = true;
      reply->abort();  // emits finished, which completes the request
      return;
    }
    request.body.append(chunk);
  }

  void finish(QNetworkReply* reply) {
    if (reply->isOpen()) collect(reply);
    auto found = requests_.find(reply);
    if (found == requests_.end()) return;
    Request request = std::move(found->second);
    requests_.erase(found);
    reply->deleteLater();

    Reply result;
    if (request.tooLarge) {
      result.error = kTooLarge;
    } else if (request.tooSlow) {
      result.error = kTooSlow;
    } else if (reply->error() == QNetworkReply::NoError || isHttpStatusError(*reply)) {
      result.body = request.body.toStdString();
    } else {
      result.error = reply->errorString().toStdString();
      if (!request.body.isEmpty()) result.body = request.body.toStdString();
    }
    finishLater(std::move(request.done), std::move(result));
  }

  // Completions run on a later turn of this thread's loop, outside any signal of a reply and
  // tied to no object of the client, so a completion is free to start requests or to let go of
  // the client.
  static void finishLater(std::function<void(Reply)> done, Reply reply) {
    if (!done) return;
    QTimer::singleShot(0, [done = std::move(done), reply = std::move(reply)]() mutable {
      done(std::move(reply));
    });
  }

  // Abandons every request still out; each completes once, with an error.
  void abandonAll() {
    auto left = std::move(requests_);
    requests_.clear();
    for (auto& [reply, request] : left) {
      QObject::disconnect(reply, nullptr, nullptr, nullptr);
      QObject::disconnect(request.deadline, nullptr, nullptr, nullptr);
      reply->abort();
      reply->deleteLater();
      finishLater(std::move(request.done), Reply{std::nullopt, kAborted});
    }
  }

  const Options options;

 private:
  std::unique_ptr<QNetworkAccessManager> manager_;
  // Even an empty configuration loads Qt's TLS backend, so it waits for the first request too.
  std::unique_ptr<QSslConfiguration> tls_;
  std::map<QNetworkReply*, Request> requests_;
};

QtHttpClient::QtHttpClient(Options options) : d_(std::make_unique<Private>(std::move(options))) {}

QtHttpClient::~QtHttpClient() {
  d_->abandonAll();
}

void QtHttpClient::get(const std::string& url, std::function<void(Reply)> done) {
  d_->start(url, std::move(done));
}

}  // namespace ovantic
