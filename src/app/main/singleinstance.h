// Single-instance hand-off over a local socket. The first instance listens
// under a per-user server name; a second start connects, sends its first
// command-line argument (made absolute, so that it does not depend on the first
// instance's current folder) in one length-prefixed frame, and ends. An empty
// frame only asks the first instance to come to the front.
//
// Frame: a 4-byte little-endian length L (0..kMaxHandOffPayload) followed by L
// bytes of UTF-8. The receiving side reads at most one frame per connection,
// gives up on a connection after a short time, and passes on only a payload
// that arrived whole, is valid UTF-8 and holds no NUL character.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;
class QLocalSocket;

namespace vro::app {

inline constexpr int kMaxHandOffPayload = 16384;

// The per-user server name ("vrowin-<user>"); the environment variable
// VROWIN_INSTANCE replaces the whole name (tests use it to keep to themselves).
QString InstanceServerName();

// Builds the frame for a path (empty path: just come to the front).
QByteArray EncodeHandOff(const QString& path);

// Result of looking at the bytes received so far.
struct THandOffParse {
    enum TState { Incomplete, Complete, Invalid } state = Incomplete;
    QString path; // with Complete: the payload (may be empty)
};
THandOffParse DecodeHandOff(const QByteArray& bytes);

// The second start: the argument made absolute against the current folder.
QString AbsoluteHandOffPath(const QString& argument);

// Sends the frame to a running instance. True when a running instance took it.
bool SendToRunningInstance(const QString& serverName, const QString& path, int timeoutMs = 2000);

class TSingleInstanceServer : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstanceServer(QObject* parent = nullptr);
    ~TSingleInstanceServer() override;

    // Starts listening; a stale socket of a crashed instance is removed first.
    // False when another instance answers under this name or listening fails.
    bool Listen(const QString& serverName);
    QString ServerName() const;

signals:
    // A second start asked for the window (path empty) or passed a file.
    void activationRequested(const QString& path);

private:
    void OnNewConnection();
    QLocalServer* server_;
};

} // namespace vro::app
