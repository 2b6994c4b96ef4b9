#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

// A tiny HTTP/1.1 server on 127.0.0.1 for tests: one request per connection, answered by
// a handler, at most kMaxRequests requests in its life; a connection held open is closed
// after kMaxHoldMs.
class LoopbackHttpServer : public QObject {
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };
    struct Reply {
        int status = 200;
        QByteArray reason = "OK";
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // Bytes of the body to send before holding the connection open; -1 sends it all.
        qsizetype stallAfter = -1;
        // Bytes of the body to send before closing the connection; -1 sends it all.
        qsizetype closeAfter = -1;
        // Without a length the body ends when the connection closes.
        bool announceLength = true;
    };
    using Handler = std::function<Reply(const Request&)>;

    static constexpr int kMaxRequests = 16;
    static constexpr int kMaxHoldMs = 30000;

    explicit LoopbackHttpServer(Handler handler) : _handler(std::move(handler)) {
        _server.listen(QHostAddress(QHostAddress::LocalHost), 0);
        connect(&_server, &QTcpServer::newConnection, this, [this] { acceptAll(); });
    }

    bool isListening() const { return _server.isListening(); }
    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(_server.serverPort()).arg(path));
    }
    const QList<Request>& requests() const { return _requests; }

private:
    void acceptAll() {
        while (QTcpSocket* socket = _server.nextPendingConnection()) {
            if (_requests.size() >= kMaxRequests) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void readFrom(QTcpSocket* socket) {
        QByteArray& buffer = _buffers[socket];
        buffer += socket->readAll();
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        Request request = parseHead(buffer.left(headerEnd));
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (buffer.size() - headerEnd - 4 < length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        _buffers.remove(socket);
        _requests.append(request);
        send(socket, _handler(request));
    }

    static Request parseHead(const QByteArray& head) {
        Request request;
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        return request;
    }

    static void send(QTcpSocket* socket, const Reply& reply) {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reply.reason +
                          "\r\nConnection: close\r\n";
        bool hasLength = false;
        for (const auto& [name, value] : reply.headers) {
            head += name + ": " + value + "\r\n";
            hasLength = hasLength || name.toLower() == "content-length";
        }
        if (!hasLength && reply.announceLength)
            head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        socket->write(head + "\r\n");
        if (reply.stallAfter >= 0) {
            socket->write(reply.body.left(reply.stallAfter));
            QTimer::singleShot(kMaxHoldMs, socket, [socket] { socket->abort(); });
            return;
        }
        socket->write(reply.closeAfter >= 0 ? reply.body.left(reply.closeAfter) : reply.body);
        socket->disconnectFromHost();
    }

    Handler _handler;
    QTcpServer _server;
    QMap<QTcpSocket*, QByteArray> _buffers;
    QList<Request> _requests;
};
