#ifndef JOBRESULT_H
#define JOBRESULT_H

#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include "checkedsetting.h"

// How one job of the robot ended, complete once the job is over: the job,
// its outcome (and the error that ended it), where the device was left, the
// counts, and for a transfer what became of every marked setting. The
// window, lumctl and the service record read it; nobody works it out anew.
class JobResult
{
public:
    enum Job { NoJob, Identification, ReadOut, Transfer, Check };
    enum Outcome { Running, Done, Cancelled, Failed, NoDevice };
    enum DeviceLeft {
        NotSaid, // where the job's own walk ended (a complete read-out or identification)
        Returning, // on its way back to the base menu
        AtBaseMenu,
        MaybeElsewhere, // the way back gave up
        LineLost, // nothing could be sent any more
    };
    enum SettingState {
        NotReached,
        TakenOver,
        PassedOver,
        NotTakenOver,
        Unchanged, // not marked: a check found the device holding the file's value
    };

    // One marked setting of a transfer.
    struct Setting
    {
        QStringList menuPath;
        QString valueBefore; // as the device showed it before it was opened; null: not known
        QString valueWritten; // the value the transfer was to key in
        QString deviceShowed; // what the device showed after the confirmation; null: not reached
        SettingState state = NotReached;
        QString reason; // passed over: why; not taken over: the error
    };

    Job job = NoJob;
    Outcome outcome = Running;
    QString error; // Failed: the message of the job's end
    DeviceLeft deviceLeft = NotSaid;
    QString deviceIdentifier;
    int entriesRead = 0; // read-out: entries as the technician counts them
    int settingsWritten = 0; // transfer: settings taken over by the device
    int settingsToWrite = 0; // transfer: marked settings that can be keyed in
    QTime endedAt;
    QList<Setting> settings; // transfer: in menu order
    // check: every setting looked for, in menu order, with what the device
    // showed; and the serial number the device showed, when it was checked
    QList<CheckedSetting> checked;
    QString deviceSerialNumber;
    // check: the serial number alone was looked at, to tell which device is
    // connected; nothing was compared
    bool serialNumberOnly = false;

    // The outcome line for the technician: what ended and how, and where
    // the device was left ("Auslesen abgebrochen. Gerät im Basismenü.").
    QString outcomeLine() const;
    // Why a marked setting of this value type is passed over.
    static QString passedOverReason(const QString &valueType);
};

#endif // JOBRESULT_H
