#include "robotlink.h"

#include "kelhandler.h"
#include "menuscreen.h"
#include "robotanswer.h"

RobotLink::RobotLink(QObject *parent) : QObject(parent) { }

void RobotLink::attach(DeviceLink *link)
{
    // One connection per link: a screen must never be processed twice.
    disconnect(m_displayConnection);
    disconnect(m_portConnection);
    disconnect(m_linkGoneConnection);
    m_link = link;
    m_kelHandler = qobject_cast<KelHandler *>(link);
    if (!link)
        return;
    m_displayConnection =
            connect(link, &DeviceLink::displayCompleted, this, &RobotLink::displayCompleted);
    m_portConnection = connect(link, &DeviceLink::terminalIsReadyChanged, this,
                               &RobotLink::onTerminalReadyChanged);
    // The robot must not outlive the link holding a dangling pointer (the
    // scene may destroy its objects in any order).
    m_linkGoneConnection = connect(link, &QObject::destroyed, this, [this] {
        m_link = nullptr;
        m_kelHandler = nullptr;
        emit linkGone();
    });
}

bool RobotLink::works() const
{
    return m_link && m_link->terminalIsReady();
}

QString RobotLink::linkReason() const
{
    const QString reason = m_link ? m_link->lastErrorString() : QString();
    return reason.isEmpty() ? QString() : QLatin1Char('\n') + reason;
}

bool RobotLink::lastKeyAnswered() const
{
    return m_link->lastKeyAnswered();
}

MenuScreen RobotLink::readScreen(int level) const
{
    const MenuScreen screen = MenuScreen::read(m_link->displayLines(), m_link->cursorRow(), level);
    screen.log();
    return screen;
}

void RobotLink::sendChar(char key)
{
    m_link->sendChar(key);
}

void RobotLink::sendKeys(const RobotAnswer &answer)
{
    for (const RobotAnswer::Key &key : answer.keys()) {
        if (key.waitMs > 0)
            m_link->sendCharTimer(key.key, key.waitMs);
        else
            m_link->sendChar(key.key);
    }
}

void RobotLink::onTerminalReadyChanged()
{
    if (!m_link || m_link->terminalIsReady())
        return;
    emit lineLost();
}
