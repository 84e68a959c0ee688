#include "scripteddevice.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The keys of one robot step leave the port together; a short quiet gap
// tells them from the next step's keys, which only come after an answer.
const int burstGapMs = 15;

} // namespace

ScriptedDevice::ScriptedDevice(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_quietGap.setSingleShot(true);
    m_quietGap.setInterval(burstGapMs);
    connect(&m_quietGap, &QTimer::timeout, this, &ScriptedDevice::answerBurst);

    if (!m_pty.isOpen())
        return;
    // Held open so the master never sees a hang-up between the link's
    // opening and closing of the port.
    m_slave =
            ::open(QFile::encodeName(m_pty.slavePath()).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    m_notifier = new QSocketNotifier(m_pty.masterFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ScriptedDevice::readKeys);
}

ScriptedDevice::~ScriptedDevice()
{
    hangUp();
}

bool ScriptedDevice::isOpen() const
{
    return m_pty.isOpen();
}

QString ScriptedDevice::slavePath() const
{
    return m_pty.slavePath();
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
    m_pty.write(screenBytes);
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
    m_pty.closeMaster();
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

void ScriptedDevice::readKeys()
{
    m_pending += m_pty.readAvailable();
    if (!m_pending.isEmpty())
        m_quietGap.start();
}

void ScriptedDevice::answerBurst()
{
    m_bursts.append({ m_pending, m_clock.elapsed() });
    m_pending.clear();
    if (!m_queue.isEmpty())
        m_pty.write(m_queue.takeFirst());
    emit burstReceived();
}
