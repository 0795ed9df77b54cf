#pragma once
// A tiny HTTP/1.0 server on the loopback interface for tests that fetch
// documents: each path answers with a status, a body and an optional delay.
// It runs in the test's own thread, served while the code under test waits
// in an event loop.
#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

class LoopbackHttpServer : public QObject {
public:
    struct Route {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
        QByteArray contentType = "text/xml";
        // When set: the length the answer claims; the body is sent and the
        // connection stays open, as if the rest were still to come.
        qint64 declaredLength = -1;
        // When set: no length is claimed and the body is sent again and again
        // for as long as the client reads, a document that never ends.
        bool endless = false;
    };

    LoopbackHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onRead(socket); });
            }
        });
    }

    bool listening() const { return m_server.isListening(); }
    void route(const QString &path, Route r) { m_routes[path] = std::move(r); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    int requests() const { return m_requests; }

private:
    void onRead(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        ++m_requests;
        const QList<QByteArray> first = buffer.left(buffer.indexOf("\r\n")).split(' ');
        const QString path = first.size() > 1 ? QString::fromLatin1(first[1]) : QString();
        const Route r = m_routes.value(path, Route{404, "not found", 0, "text/plain"});
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(r.delayMs, this, [guard, r] {
            if (!guard || guard->state() != QAbstractSocket::ConnectedState)
                return;
            if (r.endless) {
                guard->write("HTTP/1.0 200 OK\r\nContent-Type: " + r.contentType + "\r\nConnection: close\r\n\r\n");
                // Writes the next piece whenever the last one has gone out.
                QObject::connect(guard, &QTcpSocket::bytesWritten, guard, [socket = guard.data(), body = r.body] {
                    if (socket->bytesToWrite() == 0)
                        socket->write(body);
                });
                guard->write(r.body);
                return;
            }
            QByteArray reply = "HTTP/1.0 " + QByteArray::number(r.status)
                               + (r.status == 200 ? " OK" : " Error") + "\r\nContent-Type: " + r.contentType
                               + "\r\nContent-Length: "
                               + QByteArray::number(r.declaredLength >= 0 ? r.declaredLength : r.body.size())
                               + "\r\nConnection: close\r\n\r\n" + r.body;
            guard->write(reply);
            if (r.declaredLength < 0)
                guard->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    QMap<QString, Route> m_routes;
    QMap<QTcpSocket *, QByteArray> m_buffers;
    int m_requests = 0;
};
