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
    termios settings;
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0
        || tcgetattr(m_master, &settings) != 0) {
        qWarning("no pseudo-terminal: %s", strerror(errno));
        closeMaster();
        return;
    }
    // Raw, so nothing is echoed back and no byte is translated (CR stays CR).
    cfmakeraw(&settings);
    tcsetattr(m_master, TCSANOW, &settings);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
}

bool PtyPair::write(const QByteArray &bytes)
{
    for (qsizetype done = 0; m_master >= 0 && done < bytes.size();) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd fd{ m_master, POLLOUT, 0 };
            poll(&fd, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return m_master >= 0;
}

QByteArray PtyPair::readAvailable()
{
    QByteArray result;
    char buffer[256];
    for (ssize_t n = 1; m_master >= 0 && (n > 0 || (n < 0 && errno == EINTR));) {
        n = ::read(m_master, buffer, sizeof buffer);
        result.append(buffer, int(qMax<ssize_t>(n, 0)));
    }
    return result;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
