#include "simpseudoterminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

// Creates the folder and the folders above it that are missing, like
// "mkdir -p", and names the operating system's reason when one cannot be made.
bool makeFolders(const QString &folder, QString *error)
{
    const QByteArray path = QFile::encodeName(folder);
    for (int end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path.at(end) != '/')
            continue;
        const QByteArray part = path.left(end);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST) {
            *error = QStringLiteral("Der Ordner %1 kann nicht angelegt werden: %2")
                             .arg(QFile::decodeName(part),
                                  QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    return true;
}

} // namespace

SimPseudoTerminal::SimPseudoTerminal(QObject *parent) : QObject(parent)
{
    m_peerPoll.setInterval(PeerPollMs);
    connect(&m_peerPoll, &QTimer::timeout, this, &SimPseudoTerminal::pollForPeer);
}

SimPseudoTerminal::~SimPseudoTerminal()
{
    close();
}

bool SimPseudoTerminal::open(const QString &linkPath, QString *error)
{
    close();
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        *error = systemError("grantpt/unlockpt");
        ::close(master);
        return false;
    }
    const int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);

    // Raw: the device echoes nothing and translates nothing; the peer sets
    // its own line settings when it opens the port.
    termios settings;
    if (tcgetattr(master, &settings) == 0) {
        cfmakeraw(&settings);
        cfsetispeed(&settings, B9600);
        cfsetospeed(&settings, B9600);
        tcsetattr(master, TCSANOW, &settings);
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(master));

    // Open and close the slave once, so that the master reports a hangup
    // until a peer opens it; otherwise output written before the first peer
    // would wait in the line for it.
    const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave >= 0)
        ::close(slave);

    m_master = master;
    if (!publishLink(linkPath, error)) {
        close();
        return false;
    }
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimPseudoTerminal::readMaster);
    m_notifier->setEnabled(false);
    m_peerConnected = false;
    m_peerPoll.start();
    pollForPeer();
    return true;
}

bool SimPseudoTerminal::publishLink(const QString &requested, QString *error)
{
    QString link = requested;
    if (link.isEmpty()) {
        if (!m_linkDir)
            m_linkDir = std::make_unique<QTemporaryDir>(
                    QDir::temp().filePath(QStringLiteral("lum-devsim-XXXXXX")));
        if (!m_linkDir->isValid()) {
            *error = QStringLiteral("Es kann kein temporärer Ordner angelegt werden: %1")
                             .arg(m_linkDir->errorString());
            return false;
        }
        link = m_linkDir->filePath(QStringLiteral("ttyLUM"));
    }
    link = QFileInfo(link).absoluteFilePath();
    const QFileInfo existing(link);
    if (existing.isSymLink()) {
        QFile::remove(link);
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 gibt es schon, und es ist kein symbolischer Link").arg(link);
        return false;
    }
    if (!makeFolders(QFileInfo(link).absolutePath(), error))
        return false;
    if (::symlink(QFile::encodeName(m_slavePath).constData(), QFile::encodeName(link).constData())
        != 0) {
        *error = QStringLiteral("Der symbolische Link %1 kann nicht angelegt werden: %2")
                         .arg(link, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_linkPath = link;
    return true;
}

void SimPseudoTerminal::close()
{
    m_peerPoll.stop();
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    m_linkPath.clear();
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    m_peerConnected = false;
}

void SimPseudoTerminal::readMaster()
{
    QByteArray received;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        // EIO (or end of file): the peer has closed the slave.
        loseConnection();
        break;
    }
    if (!received.isEmpty())
        emit bytesReceived(received);
}

void SimPseudoTerminal::loseConnection()
{
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_peerPoll.start();
    if (m_peerConnected) {
        m_peerConnected = false;
        emit peerDisconnected();
    }
}

void SimPseudoTerminal::pollForPeer()
{
    if (m_master < 0)
        return;
    pollfd watch = { m_master, POLLIN, 0 };
    if (::poll(&watch, 1, 0) < 0 || (watch.revents & POLLHUP))
        return;
    m_peerPoll.stop();
    m_peerConnected = true;
    m_notifier->setEnabled(true);
    emit peerConnected();
    if (watch.revents & POLLIN)
        readMaster();
}

qint64 SimPseudoTerminal::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return -1;
    if (!m_peerConnected)
        return bytes.size();
    const ssize_t n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    if (n >= 0)
        return n;
    if (errno == EAGAIN || errno == EINTR)
        return 0;
    if (errno == EIO) {
        loseConnection();
        return bytes.size();
    }
    return -1;
}
