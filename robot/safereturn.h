#ifndef SAFERETURN_H
#define SAFERETURN_H

#include <QString>

#include "robotanswer.h"

class MenuScreen;

// The way back to the base menu after a job ended early. ESC closes a field
// the robot may have opened (keeping the stored value, where OK would store
// what the field shows), further ESC climb until the device draws its screen
// unchanged in answer to ESC: the base menu. Done there; failed when the
// menu does not settle within as many ESC as the base-menu search allows,
// or the device leaves two ESC in a row unanswered.
class SafeReturn
{
public:
    // Starts over and answers with the first ESC.
    RobotAnswer start();
    // `answered`: whether the device answered the last key.
    RobotAnswer step(const MenuScreen &screen, bool answered);

private:
    QString m_lastDisplay;
    int m_escCount = 0;
    int m_unansweredEscapes = 0;
};

#endif // SAFERETURN_H
