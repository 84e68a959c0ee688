#include "scripteddevice.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The keys of one robot step leave the port together; a short quiet gap
// tells them from the next step's keys, which only come after an answer.
const int burstGapMs = 15;

} // namespace

ScriptedDevice::ScriptedDevice(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_quietGap.setSingleShot(true);
    m_quietGap.setInterval(burstGapMs);
    connect(&m_quietGap, &QTimer::timeout, this, &ScriptedDevice::answerBurst);

    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    termios settings;
    if (tcgetattr(m_master, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(m_master, TCSANOW, &settings);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    // Held open so the master never sees a hang-up between the link's
    // opening and closing of the port.
    m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ScriptedDevice::readKeys);
}

ScriptedDevice::~ScriptedDevice()
{
    hangUp();
}

bool ScriptedDevice::isOpen() const
{
    return m_master >= 0;
}

QString ScriptedDevice::slavePath() const
{
    return m_slavePath;
}

QByteArray ScriptedDevice::screen(const QString &line1, const QString &line2, int cursorRow)
{
    QByteArray bytes("\x0c");
    bytes += line1.toLatin1();
    bytes += "\r\n";
    bytes += line2.toLatin1();
    if (cursorRow == 0)
        bytes += '\x11';
    return bytes;
}

void ScriptedDevice::queue(const QByteArray &screenBytes)
{
    m_queue.append(screenBytes);
}

void ScriptedDevice::queue(const QString &line1, const QString &line2, int cursorRow)
{
    queue(screen(line1, line2, cursorRow));
}

void ScriptedDevice::show(const QByteArray &screenBytes)
{
    write(screenBytes);
}

QByteArray ScriptedDevice::keys() const
{
    QByteArray all;
    for (const Burst &burst : m_bursts)
        all += burst.keys;
    return all + m_pending;
}

void ScriptedDevice::hangUp()
{
    delete m_notifier;
    m_notifier = nullptr;
    m_quietGap.stop();
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

void ScriptedDevice::readKeys()
{
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_pending.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (!m_pending.isEmpty())
        m_quietGap.start();
}

void ScriptedDevice::answerBurst()
{
    m_bursts.append({m_pending, m_clock.elapsed()});
    m_pending.clear();
    if (!m_queue.isEmpty())
        write(m_queue.takeFirst());
    emit burstReceived();
}

void ScriptedDevice::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_master, data, size_t(left));
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            return;
        }
        data += n;
        left -= n;
    }
}
