#ifndef SIMPSEUDOTERMINAL_H
#define SIMPSEUDOTERMINAL_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;
class QTemporaryDir;

// The simulated device's end of its programming line: the master side of a
// pseudo-terminal whose slave is reached through a stable symlink. The
// program that opens the slave (LUM, socat, screen) is the peer.
//
// While no peer holds the slave open, the master reports a hangup and reads
// fail with EIO. The terminal then stops watching the master and looks once
// every PeerPollMs whether a peer has come, so it neither spins nor takes
// bytes meant for the peer. Output written while no peer is there is
// dropped, as it would be on a serial line with nobody listening.
class SimPseudoTerminal : public QObject
{
    Q_OBJECT

public:
    static const int PeerPollMs = 20;

    explicit SimPseudoTerminal(QObject *parent = nullptr);
    ~SimPseudoTerminal() override;

    // Opens a new pseudo-terminal and points the symlink at its slave: at
    // `linkPath` when given, else in a private temporary folder.
    bool open(const QString &linkPath, QString *error);
    void close();
    bool isOpen() const { return m_master >= 0; }
    bool isPeerConnected() const { return m_peerConnected; }
    QString linkPath() const { return m_linkPath; }
    QString slavePath() const { return m_slavePath; }

    // Writes what the line takes now: the number of bytes taken (all of them
    // while no peer is connected), 0 when the line is full, -1 on an error.
    qint64 write(const QByteArray &bytes);

signals:
    void bytesReceived(const QByteArray &bytes);
    void peerConnected();
    void peerDisconnected();

private:
    void readMaster();
    void pollForPeer();
    void loseConnection();
    bool publishLink(const QString &requested, QString *error);

    int m_master = -1;
    QString m_slavePath;
    QString m_linkPath;
    bool m_peerConnected = false;
    std::unique_ptr<QTemporaryDir> m_linkDir;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_peerPoll;
};

#endif // SIMPSEUDOTERMINAL_H
