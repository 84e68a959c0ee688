#include "ptypair.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
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
            m_error = QString::fromLocal8Bit(strerror(errno));
            return false;
        }
    }
    return m_master >= 0;
}

QByteArray PtyPair::readAvailable()
{
    QByteArray result;
    char buffer[256];
    ssize_t n = 0;
    while (m_master >= 0
           && ((n = ::read(m_master, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))) {
        if (n > 0)
            result.append(buffer, int(n));
    }
    return result;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
