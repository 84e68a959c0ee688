#include "ptypair.h"

#include <QElapsedTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(strerror(errno));
}

} // namespace

PtyPair::PtyPair()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        m_error = systemError();
        closeMaster();
        return;
    }
    // Raw, so nothing is echoed back and no byte is translated (CR stays CR).
    termios settings;
    if (tcgetattr(m_master, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(m_master, TCSANOW, &settings);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
}

PtyPair::~PtyPair()
{
    closeMaster();
}

bool PtyPair::isOpen() const
{
    return m_master >= 0;
}
QString PtyPair::errorString() const
{
    return m_error;
}
QString PtyPair::slavePath() const
{
    return m_slavePath;
}
int PtyPair::masterFd() const
{
    return m_master;
}

bool PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd fd{ m_master, POLLOUT, 0 };
            poll(&fd, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            m_error = systemError();
            return false;
        }
    }
    return m_master >= 0;
}

QByteArray PtyPair::readAvailable()
{
    QByteArray result;
    char buffer[256];
    while (m_master >= 0) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.append(buffer, int(n));
    }
    return result;
}

QByteArray PtyPair::readAtLeast(int count, int timeoutMs)
{
    QByteArray result = readAvailable();
    QElapsedTimer clock;
    clock.start();
    while (m_master >= 0 && result.size() < count && clock.elapsed() < timeoutMs) {
        pollfd fd{ m_master, POLLIN, 0 };
        const int ready = poll(&fd, 1, int(qMax<qint64>(0, timeoutMs - clock.elapsed())));
        result += readAvailable();
        // No slave side open: nothing can come.
        if (ready > 0 && (fd.revents & POLLHUP) && !(fd.revents & POLLIN))
            break;
    }
    return result;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
