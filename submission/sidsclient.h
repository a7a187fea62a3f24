// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QNetworkAccessManager;
class QNetworkReply;

namespace orvinta::submission {

/// A request has this long to be answered: a server that is slow or gone must not hold
/// the frames behind it for long.
inline constexpr int kRequestTimeoutMs = 10000;

/// How a server answered a submission.
struct SubmitResult {
    enum class Kind {
        Accepted, ///< 2xx
        Refused,  ///< 4xx: this submission will never be taken; `reason` has the reply
        Failed,   ///< 5xx, no answer in time, no connection: worth trying again later
    };
    Kind kind = Kind::Failed;
    int status = 0; ///< the HTTP status, 0 when there was none
    QString reason; ///< German, for the operator: "HTTP 400: unknown satellite"
};

/// Sends SiDS submissions over HTTP(S), one at a time, without ever blocking: the answer
/// comes through finished().
class SidsClient : public QObject {
    Q_OBJECT

public:
    explicit SidsClient(int timeoutMs = kRequestTimeoutMs, QObject* parent = nullptr);
    ~SidsClient() override;

    /// POSTs the form-encoded `body` to `url`; finished() follows, after `timeoutMs` at the
    /// latest. Only while no other request is under way.
    void post(const QString& url, const QByteArray& body);
    bool busy() const { return !m_reply.isNull(); }
    /// For the requests from now on; a request under way gets `timeoutMs` from now.
    void setTimeout(int timeoutMs);

    /// Whether `url` is one a submission can go to: http or https with a host.
    static bool usableUrl(const QString& url);

Q_SIGNALS:
    void finished(const orvinta::submission::SubmitResult& result);

private:
    void replyFinished();

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    int m_timeoutMs;
    bool m_timedOut = false;
};

} // namespace orvinta::submission
