#ifndef BASEMENUSEARCH_H
#define BASEMENUSEARCH_H

#include <QString>

#include "robotanswer.h"

class MenuScreen;

// The search for the device's base menu that begins every job: ESC until the
// screen no longer changes, then the key that leads to the identification
// screen. Done when the base menu is found; failed when ten ESC have not
// found it.
class BaseMenuSearch
{
public:
    // Starts over; the ESC of the start is the caller's.
    void reset();
    RobotAnswer step(const MenuScreen &screen);

    // After the base menu was found: whether it was the programming mode's
    // "Programmierung beenden" (the jumper is still set).
    bool programmingMode() const { return m_programmingMode; }

private:
    QString m_lastDisplay;
    quint8 m_escCount = 0;
    bool m_programmingMode = false;
};

#endif // BASEMENUSEARCH_H
