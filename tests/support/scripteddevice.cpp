#include "scripteddevice.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

ScriptedDevice::ScriptedDevice(QObject *parent) : QObject(parent)
{
    // The keys of one robot step leave the port together; a short quiet gap
    // tells them from the next step's keys, which only come after an answer.
    m_quietGap.setSingleShot(true);
    m_quietGap.setInterval(15);
    connect(&m_quietGap, &QTimer::timeout, this, &ScriptedDevice::answerBurst);
    if (!m_pty.isOpen())
        return;
    // Held open so the master never sees a hang-up between the link's
    // opening and closing of the port.
    m_slave =
            ::open(QFile::encodeName(m_pty.slavePath()).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    m_notifier = new QSocketNotifier(m_pty.masterFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        m_pending += m_pty.readAvailable();
        if (!m_pending.isEmpty())
            m_quietGap.start();
    });
}

ScriptedDevice::~ScriptedDevice()
{
    delete m_notifier;
    m_pty.closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

QByteArray ScriptedDevice::screen(const QString &line1, const QString &line2, int cursorRow)
{
    return "\x0c" + line1.toLatin1() + "\r\n" + line2.toLatin1() + (cursorRow == 0 ? "\x11" : "");
}

void ScriptedDevice::answerBurst()
{
    m_bursts.append(m_pending);
    m_pending.clear();
    if (!m_queue.isEmpty())
        m_pty.write(m_queue.takeFirst());
    emit burstReceived();
}
