#include "robotharness.h"

#include <QEventLoop>
#include <QTimer>

RobotHarness::RobotHarness(QObject *parent) : QObject(parent)
{
    m_bot.setKelHandler(&m_link);
    m_bot.setProfile(&m_profile);
}

RobotHarness::~RobotHarness()
{
    m_bot.abort();
    m_link.closeSerialPort();
    m_device.stop();
}

bool RobotHarness::startWithMenuFile(const QString &path, QString *error)
{
    if (!m_device.loadMenuFile(path, error))
        return false;
    return startDevice(error);
}

bool RobotHarness::startWithMenuText(const QString &text, QString *error)
{
    if (!m_device.loadMenuText(text, error))
        return false;
    return startDevice(error);
}

bool RobotHarness::startDevice(QString *error)
{
    if (!m_device.start(error))
        return false;
    if (!m_link.openSerialPortByName(m_device.portPath())) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2")
                             .arg(m_device.portPath(), m_link.lastErrorString());
        return false;
    }
    return true;
}

int RobotHarness::readOutTimeoutMs(int expectedScreens)
{
    // About 60 ms a screen in a plain build; leave room for a slow machine
    // and the sanitizers.
    return qMax(60000, expectedScreens * 400);
}

bool RobotHarness::waitUntilIdle(int timeoutMs)
{
    return waitFor(
            &m_bot, &LumBot::enabledChanged, [this] { return isIdle(); }, timeoutMs);
}

ConfItem *RobotHarness::item(const QStringList &path) const
{
    for (ConfItem *candidate : m_profile.items()) {
        if (candidate->menuPath() == path)
            return candidate;
    }
    return nullptr;
}
