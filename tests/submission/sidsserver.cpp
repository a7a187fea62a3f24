// SPDX-License-Identifier: GPL-3.0-or-later
#include "sidsserver.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace orvinta::test {

namespace {

QString formDecoded(const QByteArray& text) {
    QByteArray bytes = text;
    bytes.replace('+', ' ');
    return QString::fromUtf8(QByteArray::fromPercentEncoding(bytes));
}

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 201:
        return "Created";
    case 400:
        return "Bad Request";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

/// What the server says with `status`, as a SiDS server words it.
QByteArray replyBody(int status) {
    if (status >= 200 && status < 300)
        return R"({"id": 1})";
    if (status == 400)
        return R"({"detail": "frame refused by the test server"})";
    return "<html><body>server error</body></html>";
}

} // namespace

std::vector<std::pair<QString, QString>> ReceivedRequest::fields() const {
    std::vector<std::pair<QString, QString>> decoded;
    for (const QByteArray& pair : body.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals < 0)
            decoded.emplace_back(formDecoded(pair), QString());
        else
            decoded.emplace_back(formDecoded(pair.left(equals)), formDecoded(pair.mid(equals + 1)));
    }
    return decoded;
}

QString ReceivedRequest::field(const QString& name) const {
    for (const auto& [key, value] : fields()) {
        if (key == name)
            return value;
    }
    return {};
}

QStringList ReceivedRequest::fieldNames() const {
    QStringList names;
    for (const auto& field : fields())
        names << field.first;
    return names;
}

SidsServer::SidsServer(quint16 port, QObject* parent)
    : QObject(parent)
    , m_server(new QTcpServer(this)) {
    m_server->listen(QHostAddress::LocalHost, port);
    connect(m_server, &QTcpServer::newConnection, this, &SidsServer::connection);
}

SidsServer::~SidsServer() = default;

bool SidsServer::listening() const {
    return m_server->isListening();
}

quint16 SidsServer::port() const {
    return m_server->serverPort();
}

QString SidsServer::url() const {
    return QStringLiteral("http://127.0.0.1:%1/api/telemetry/").arg(port());
}

void SidsServer::script(std::initializer_list<int> statuses) {
    m_script.assign(statuses.begin(), statuses.end());
}

std::vector<ReceivedRequest> SidsServer::accepted() const {
    std::vector<ReceivedRequest> found;
    for (const ReceivedRequest& request : m_requests) {
        if (request.answeredWith >= 200 && request.answeredWith < 300)
            found.push_back(request);
    }
    return found;
}

quint16 SidsServer::unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void SidsServer::connection() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void SidsServer::readFrom(QTcpSocket* socket) {
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    ReceivedRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length").toLongLong();
    if (buffer.size() < headerEnd + 4 + length)
        return;
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.clear();

    int status = m_default;
    if (!m_script.empty()) {
        status = m_script.front();
        m_script.pop_front();
    }
    request.answeredWith = status;
    m_requests.push_back(request);
    if (status != kNeverAnswer)
        answer(socket, status);
    emit received();
}

void SidsServer::answer(QTcpSocket* socket, int status) {
    const QByteArray body = replyBody(status);
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                  "\r\nContent-Type: " +
                  (status < 500 ? QByteArray("application/json") : QByteArray("text/html")) +
                  "\r\nContent-Length: " + QByteArray::number(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

} // namespace orvinta::test
