#ifndef TRANSFERREPORT_H
#define TRANSFERREPORT_H

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "servicevisit.h"

// The plain-text report of one transfer: which device (identifier, serial
// number, IMEI and firmware where known), where and by whom, when (the
// visit), from which file, and for every marked setting the value the device held before, the
// value meant for it and what became of it. A transfer that stopped half-way
// says which settings were written and which were not.
class TransferReport : public ServiceVisit
{
public:
    // Unchanged: the device held the value already (a check found it, or
    // the value keyed in was the one it showed).
    enum Outcome { Written, Unchanged, PassedOver, Failed, NotReached };

    struct Line
    {
        QStringList menuPath;
        QString before; // null: not known
        QString value;
        Outcome outcome = NotReached;
        QString note; // PassedOver: why; Failed: the robot's error
    };

    void setDeviceIdentifier(const QString &identifier);
    void setSourceFile(const QString &path);
    void setBeforeSource(const QString &description);
    // Why the transfer stopped before its end (empty: it went through).
    void setStopReason(const QString &reason);
    void addLine(const Line &line);

    QString deviceIdentifier() const;
    QString sourceFile() const;
    QString beforeSource() const;
    QString stopReason() const;
    QList<Line> lines() const;
    QString text() const;

    // Writes the report into `folder` (made if missing) as
    // "<identifier> [SN <serial number>] <date> <time>.txt". Returns the path written, or an empty
    // string with the reason in `error`.
    QString save(const QString &folder, QString *error) const;

    static QString outcomeText(const Line &line);
    // Written or unchanged: the device holds the value now.
    static bool holdsValue(const Line &line);
    // The menu path as the technician reads it, "Anlage/Modus".
    static QString joinedPath(const QStringList &menuPath);

private:
    QString m_sourceFile;
    QString m_beforeSource;
    QString m_stopReason;
    QList<Line> m_lines;
};

#endif // TRANSFERREPORT_H
