#include "basemenusearch.h"

#include "devicekeys.h"
#include "linktiming.h"
#include "logcategories.h"
#include "menuscreen.h"

#include <QDebug>

namespace {

const int maxBaseMenuEscapes = 9;
const QString baseMenuProgrammingEntry = QStringLiteral("Programmierung beenden");

} // namespace

void BaseMenuSearch::reset()
{
    m_lastDisplay.clear();
    m_escCount = 0;
    m_programmingMode = false;
}

// The base menu is the screen that ESC no longer changes.
RobotAnswer BaseMenuSearch::step(const MenuScreen &screen)
{
    RobotAnswer answer;
    if (m_escCount > maxBaseMenuEscapes) {
        answer.fail(QString());
        return answer;
    }

    const QString current = screen.joinedLines();
    if (m_lastDisplay.isEmpty() || m_lastDisplay != current) {
        answer.press(DeviceKeys::Esc);
        ++m_escCount;
        m_lastDisplay = current;
        return answer;
    }

    qCDebug(lumRobot) << "reached root display:" << m_lastDisplay;
    m_programmingMode = m_lastDisplay.contains(baseMenuProgrammingEntry);
    // The jumper keeps the device in programming mode until the user leaves
    // it through this entry; '+' steps past it. The device redraws more
    // than usual: the link waits longer for the answer.
    answer.pressSlow(m_programmingMode ? DeviceKeys::Next : DeviceKeys::Esc,
                     LinkTiming::SlowAnswerMs);
    answer.finish();
    return answer;
}
