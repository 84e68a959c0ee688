#ifndef CHECKWALK_H
#define CHECKWALK_H

#include <QList>
#include <QStringList>

#include "checkedsetting.h"
#include "robotanswer.h"

class MenuScreen;

// The check: walks the device's menu to each given setting in menu order,
// the way the transfer does, and reads the value the list screen shows for
// it. It opens sections only: a setting is never opened, no value is ever
// keyed in. A setting the device's list does not come round to is recorded
// as not found and the walk goes on with the next one. Done when every path
// was visited; the device is then somewhere in its menu, to be taken back
// to the base menu.
class CheckWalk
{
public:
    // `paths` in menu order (their file values are kept in the records).
    void reset(const QList<CheckedSetting> &paths);
    RobotAnswer step(const MenuScreen &screen);

    int level() const { return m_devicePath.size(); }
    int done() const { return m_next; }
    int total() const { return int(m_records.size()); }
    // Every given path: what the device showed, that it was not found, or
    // (reached false) that the walk ended before it.
    const QList<CheckedSetting> &records() const { return m_records; }

private:
    QStringList targetParent() const;
    bool walkTowardsParent(const MenuScreen &screen, RobotAnswer &answer);
    void readTarget(const MenuScreen &screen, RobotAnswer &answer);
    void recordTarget(bool found, const QString &value);
    void skipSectionNotFound();

    QList<CheckedSetting> m_records;
    int m_next = 0; // index of the setting looked for
    QStringList m_devicePath; // the sections the walk has opened
    QStringList m_seenNames;
};

#endif // CHECKWALK_H
