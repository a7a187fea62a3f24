// SPDX-License-Identifier: GPL-3.0-or-later
#include "sidsclient.h"

#include "version.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace orvinta::submission {

namespace {

/// Of a refusal the operator sees this much of the server's reply: its reason, not a
/// whole error page.
constexpr qsizetype kLongestReplyShown = 200;

constexpr int kHttpOk = 200;
constexpr int kHttpBadRequest = 400;
constexpr int kHttpServerError = 500;

QString replyText(QNetworkReply* reply) {
    QString text = QString::fromUtf8(reply->readAll()).simplified();
    if (text.size() > kLongestReplyShown)
        text = text.left(kLongestReplyShown) + QStringLiteral(" ...");
    return text;
}

} // namespace

SidsClient::SidsClient(int timeoutMs, QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_timeoutMs(timeoutMs) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply.isNull())
            return;
        m_timedOut = true;
        m_reply->abort();
    });
}

SidsClient::~SidsClient() {
    // A request still under way ends with the client, unanswered.
    if (!m_reply.isNull()) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool SidsClient::usableUrl(const QString& url) {
    const QUrl parsed(url, QUrl::StrictMode);
    return parsed.isValid() && !parsed.host().isEmpty() &&
           (parsed.scheme() == QLatin1String("http") || parsed.scheme() == QLatin1String("https"));
}

void SidsClient::post(const QString& url, const QByteArray& body) {
    Q_ASSERT(!busy());
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setHeader(
        QNetworkRequest::UserAgentHeader,
        QByteArray("Orvinta/") +
            QByteArray(programVersion().data(), static_cast<qsizetype>(programVersion().size())));
    m_timedOut = false;
    m_reply = m_network->post(request, body);
    connect(m_reply, &QNetworkReply::finished, this, &SidsClient::replyFinished);
    m_deadline.start(m_timeoutMs);
}

void SidsClient::setTimeout(int timeoutMs) {
    m_timeoutMs = timeoutMs;
    if (busy())
        m_deadline.start(m_timeoutMs);
}

void SidsClient::replyFinished() {
    m_deadline.stop();
    QNetworkReply* reply = m_reply;
    m_reply.clear();
    reply->deleteLater();

    SubmitResult result;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (m_timedOut) {
        result.reason = QStringLiteral("keine Antwort in %1 s").arg(m_timeoutMs / 1000.0);
    } else if (status.isValid()) {
        result.status = status.toInt();
        result.reason = QStringLiteral("HTTP %1").arg(result.status);
        if (result.status >= kHttpOk && result.status < kHttpOk + 100) {
            result.kind = SubmitResult::Kind::Accepted;
        } else if (result.status >= kHttpBadRequest && result.status < kHttpServerError) {
            result.kind = SubmitResult::Kind::Refused;
            const QString text = replyText(reply);
            if (!text.isEmpty())
                result.reason += QStringLiteral(": ") + text;
        }
    } else {
        result.reason = QStringLiteral("keine Verbindung: ") + reply->errorString();
    }
    emit finished(result);
}

} // namespace orvinta::submission
