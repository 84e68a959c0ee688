#ifndef TRANSFERWALK_H
#define TRANSFERWALK_H

#include <QList>
#include <QStringList>

#include "jobresult.h"
#include "robotanswer.h"

class DeviceProfile;
class MenuScreen;

// What became of a marked setting a transfer worked on: written and
// confirmed by the device (`error` empty), or the error that stopped the
// transfer there.
struct TransferredSetting
{
    QStringList menuPath;
    QString value; // the value keyed in (for the clock and date: as the device shows it)
    QString error;
};

// The transfer: walks the device's menu to each marked setting in menu
// order, keys in the value the profile holds for it and checks what the
// device then shows. It knows the menu only by the paths in the tree. Done
// when no marked setting is left (or none was marked); failed, with the
// message to show, at the first entry, option or value that does not fit.
class TransferWalk
{
public:
    // Starts before the first marked setting; the profile's cursor stands
    // on the document's root.
    void reset(DeviceProfile *profile);
    RobotAnswer step(const MenuScreen &screen);
    // The job ends with `error` from outside (the line was lost): the
    // setting being worked on, if any, is recorded with it.
    void noteFailure(const QString &error);

    int level() const { return m_level; }
    int done() const { return m_done; }
    int total() const { return m_total; }
    // Done without a setting to write.
    bool nothingMarked() const { return m_nothingMarked; }
    const QList<TransferredSetting> &transferred() const { return m_transferred; }
    // Every marked setting in menu order: taken over, not taken over, passed
    // over (and why) or not reached.
    QList<JobResult::Setting> settingRecords() const;

private:
    void walkTowardsTarget(const MenuScreen &screen, RobotAnswer &answer);
    void enterValue(const MenuScreen &screen, RobotAnswer &answer);
    void enterSelection(const MenuScreen &screen, const QString &wanted, RobotAnswer &answer);
    void verifyValue(const MenuScreen &screen, RobotAnswer &answer);
    void chooseMarkedSetting(bool first, const MenuScreen &screen, RobotAnswer &answer);
    bool gotoNextTransferable();
    int countTransferable() const;
    void failTransfer(const QString &text, RobotAnswer &answer);
    QString targetText() const;

    DeviceProfile *m_profile = nullptr;
    QStringList m_targetPath;
    QStringList m_devicePath;
    bool m_valueEntered = false;
    bool m_skipVerify = false;
    quint8 m_level = 0;
    QStringList m_seenNames;
    int m_done = 0;
    int m_total = 0;
    bool m_nothingMarked = false;
    QList<TransferredSetting> m_transferred;
    QString m_valueBefore; // of the setting being worked on, as the device showed it
    QList<JobResult::Setting> m_records; // the settings worked on or passed over
};

#endif // TRANSFERWALK_H
