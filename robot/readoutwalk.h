#ifndef READOUTWALK_H
#define READOUTWALK_H

#include <QStringList>

#include "robotanswer.h"

class DeviceProfile;
class MenuScreen;

// The read-out: a depth-first walk of the device's configuration menu that
// records every entry in the profile's tree, one screen at a time. `+` shows
// the next entry, OK enters a section or opens a setting, ESC leaves a
// level; a level is complete when an entry recorded on it shows up again.
// Done when the configuration menu's own level comes round; failed with the
// message to show.
class ReadOutWalk
{
public:
    // Starts at the configuration menu's level with the profile's cursor on
    // its (empty) menu tree.
    void reset(DeviceProfile *profile);
    // `answered`: whether the device answered the last key.
    RobotAnswer step(const MenuScreen &screen, bool answered);

    // Depth of the walk, 0 at the configuration menu's own level.
    int level() const { return m_level; }
    // Entries recorded so far (sections, settings, information screens).
    int recorded() const { return m_recorded; }

private:
    void searchWayBack(const MenuScreen &screen, RobotAnswer &answer);
    void leaveLevel(const MenuScreen &screen, RobotAnswer &answer);
    void markReadOnly(RobotAnswer &answer);
    void recordEntry(const MenuScreen &screen, RobotAnswer &answer);
    void passRecorded(RobotAnswer &answer);
    void openRecorded(RobotAnswer &answer);

    DeviceProfile *m_profile = nullptr;
    quint8 m_level = 0;
    QStringList m_searchPath;
    QStringList m_seenNames;
    int m_recorded = 0;
};

#endif // READOUTWALK_H
