#include "safereturn.h"

#include "devicekeys.h"
#include "logcategories.h"
#include "menuscreen.h"

#include <QDebug>

namespace {

const int maxBaseMenuEscapes = 9;
const int maxUnansweredEscapes = 2;

} // namespace

RobotAnswer SafeReturn::start()
{
    qCDebug(lumRobot) << "LUMBOT return to the base menu";
    m_lastDisplay.clear();
    m_escCount = 0;
    m_unansweredEscapes = 0;
    RobotAnswer answer;
    answer.press(DeviceKeys::Esc);
    return answer;
}

RobotAnswer SafeReturn::step(const MenuScreen &screen, bool answered)
{
    RobotAnswer answer;
    // An open field may show the very text of the closed setting; only the
    // cursor tells them apart.
    const QString current =
            screen.joinedLines() + QLatin1Char('|') + QString::number(screen.cursorRow);
    if (answered && !m_lastDisplay.isEmpty() && m_lastDisplay == current) {
        qCDebug(lumRobot) << "LUMBOT back at the base menu:" << current;
        answer.finish();
        return answer;
    }
    m_unansweredEscapes = answered ? 0 : m_unansweredEscapes + 1;
    if (m_escCount > maxBaseMenuEscapes || m_unansweredEscapes >= maxUnansweredEscapes) {
        qCDebug(lumRobot) << "LUMBOT base menu not reached, giving up";
        answer.fail(QString());
        return answer;
    }
    answer.press(DeviceKeys::Esc);
    ++m_escCount;
    m_lastDisplay = current;
    return answer;
}
