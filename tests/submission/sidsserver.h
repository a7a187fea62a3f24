// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A SiDS server for the tests: real HTTP on a real socket of the loopback interface. It
// records every request that arrives whole and answers each with the next status of its
// script (then with its default): 201 accepts, 400 refuses with a reason, 500 fails, and
// kNeverAnswer keeps the connection open without a word.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <initializer_list>
#include <utility>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace orvinta::test {

inline constexpr int kNeverAnswer = 0;

/// A request as it arrived.
struct ReceivedRequest {
    QByteArray method;
    QByteArray target;
    QMap<QByteArray, QByteArray> headers; ///< names in lower case
    QByteArray body;
    int answeredWith = kNeverAnswer;

    /// The form fields of the body in their order, decoded ("+" a blank, "%XX" a byte).
    std::vector<std::pair<QString, QString>> fields() const;
    /// The field `name`'s value; empty when it is missing.
    QString field(const QString& name) const;
    QStringList fieldNames() const;
};

class SidsServer : public QObject {
    Q_OBJECT

public:
    /// Listens on 127.0.0.1 at `port`, or at a free port when it is 0.
    explicit SidsServer(quint16 port = 0, QObject* parent = nullptr);
    ~SidsServer() override;

    bool listening() const;
    quint16 port() const;
    /// "http://127.0.0.1:PORT/api/telemetry/"
    QString url() const;

    /// The statuses of the next requests, in turn; the default answers the rest.
    void script(std::initializer_list<int> statuses);
    void setDefaultStatus(int status) { m_default = status; }

    /// Every request that arrived whole, in order.
    const std::vector<ReceivedRequest>& requests() const { return m_requests; }
    /// The requests answered with a 2xx status.
    std::vector<ReceivedRequest> accepted() const;

    /// A loopback port that nothing listens on, at least for a moment.
    static quint16 unusedPort();

Q_SIGNALS:
    void received();

private:
    void connection();
    void readFrom(QTcpSocket* socket);
    void answer(QTcpSocket* socket, int status);

    QTcpServer* m_server;
    std::deque<int> m_script;
    int m_default = 201;
    std::vector<ReceivedRequest> m_requests;
    QMap<QTcpSocket*, QByteArray> m_buffers;
};

} // namespace orvinta::test
