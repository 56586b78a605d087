#include "app/main/singleinstance.h"

#include "core/util/charset.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <functional>

#include <unistd.h>

namespace vro::app {

QString InstanceServerName()
{
    const QByteArray overrideName = qgetenv("VROWIN_INSTANCE");
    if (!overrideName.isEmpty())
        return QString::fromLocal8Bit(overrideName);
    // The numeric user id is part of the name, and the socket itself is
    // created with user-only access, so another user cannot inject files.
    return QStringLiteral("vrowin-%1").arg(static_cast<qulonglong>(getuid()));
}

QByteArray EncodeHandOff(const QString& path)
{
    QByteArray payload = path.toUtf8();
    if (payload.size() > kMaxHandOffPayload)
        payload.clear(); // too long to be a path: only bring the window to the front
    QByteArray frame(4, '\0');
    const auto n = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i)
        frame[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    frame += payload;
    return frame;
}

THandOffParse DecodeHandOff(const QByteArray& bytes)
{
    THandOffParse r;
    if (bytes.size() < 4)
        return r;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    if (n > static_cast<std::uint32_t>(kMaxHandOffPayload)) {
        r.state = THandOffParse::Invalid;
        return r;
    }
    const qsizetype want = 4 + static_cast<qsizetype>(n);
    if (bytes.size() < want)
        return r;
    if (bytes.size() > want) {
        r.state = THandOffParse::Invalid; // one frame per connection, nothing after it
        return r;
    }
    const QByteArray payload = bytes.mid(4, n);
    if (payload.contains('\0') || !vro::IsValidUtf8(std::string_view(payload.constData(), payload.size()))) {
        r.state = THandOffParse::Invalid;
        return r;
    }
    const QString path = QString::fromUtf8(payload);
    r.state = THandOffParse::Complete;
    r.path = path;
    return r;
}

QString AbsoluteHandOffPath(const QString& argument)
{
    if (argument.isEmpty())
        return argument;
    return QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
}

bool SendToRunningInstance(const QString& serverName, const QString& path, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(EncodeHandOff(path));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The first instance closes the connection once it has read the frame.
    if (socket.state() == QLocalSocket::ConnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

TSingleInstanceServer::TSingleInstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this))
{
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(8);
    connect(server_, &QLocalServer::newConnection, this, &TSingleInstanceServer::OnNewConnection);
}

TSingleInstanceServer::~TSingleInstanceServer() = default;

bool TSingleInstanceServer::Listen(const QString& serverName)
{
    // Someone answering under the name is a running instance. Listening with
    // access options would silently replace its socket, so ask first.
    QLocalSocket probe;
    probe.connectToServer(serverName);
    if (probe.waitForConnected(500)) {
        probe.write(EncodeHandOff(QString())); // harmless: asks it to come to the front
        probe.waitForBytesWritten(500);
        return false;
    }
    // Nobody answers: a socket file left behind by a crash may be removed.
    QLocalServer::removeServer(serverName);
    return server_->listen(serverName);
}

QString TSingleInstanceServer::ServerName() const { return server_->fullServerName(); }

namespace {

// One incoming connection: collects at most one frame, then closes.
class THandOffConnection : public QObject {
public:
    THandOffConnection(QLocalSocket* socket, TSingleInstanceServer* server)
        : QObject(server), socket_(socket), server_(server)
    {
        socket_->setParent(this);
        connect(socket_, &QLocalSocket::readyRead, this, [this] { Consume(false); });
        connect(socket_, &QLocalSocket::disconnected, this, [this] { Consume(true); });
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, [this] { Finish(); });
        timer_.start(3000); // a client that never completes its frame is dropped
        if (socket_->bytesAvailable() > 0)
            Consume(false);
    }

    std::function<void(const QString&)> onPath;

private:
    void Consume(bool closed)
    {
        if (done_)
            return;
        // Never read more than one whole frame plus one byte (to see excess).
        const qsizetype room = 4 + kMaxHandOffPayload + 1 - buffer_.size();
        if (room > 0)
            buffer_.append(socket_->read(room));
        const THandOffParse p = DecodeHandOff(buffer_);
        if (p.state == THandOffParse::Incomplete && !closed && buffer_.size() <= 4 + kMaxHandOffPayload)
            return;
        Finish();
        if (p.state == THandOffParse::Complete && onPath)
            onPath(p.path);
    }

    void Finish()
    {
        if (done_)
            return;
        done_ = true;
        timer_.stop();
        socket_->disconnect(this);
        socket_->disconnectFromServer();
        deleteLater();
    }

    QLocalSocket* socket_;
    TSingleInstanceServer* server_;
    QByteArray buffer_;
    QTimer timer_;
    bool done_ = false;
};

} // namespace

void TSingleInstanceServer::OnNewConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto* c = new THandOffConnection(socket, this);
        c->onPath = [this](const QString& path) {
            // Queued, so that a dialog opened for the file does not run
            // inside the socket's signal handler.
            QMetaObject::invokeMethod(
                this, [this, path] { emit activationRequested(path); }, Qt::QueuedConnection);
        };
    }
}

} // namespace vro::app
