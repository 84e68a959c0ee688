#ifndef TRANSFERREPORT_H
#define TRANSFERREPORT_H

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The plain-text report of one transfer: which device, when, from which
// file, and for every marked setting the value the device held before, the
// value meant for it and what became of it. A transfer that stopped half-way
// says which settings were written and which were not.
class TransferReport
{
public:
    enum Outcome { Written, PassedOver, Failed, NotReached, Unchanged };

    struct Line
    {
        QStringList menuPath;
        QString before; // null: not known
        QString value;
        Outcome outcome = NotReached;
        QString note; // PassedOver: why; Failed: the robot's error
    };

    void setDeviceIdentifier(const QString &identifier);
    void setTime(const QDateTime &time);
    void setSourceFile(const QString &path);
    void setBeforeSource(const QString &description);
    // Why the transfer stopped before its end (empty: it went through).
    void setStopReason(const QString &reason);
    void addLine(const Line &line);

    QString deviceIdentifier() const;
    QList<Line> lines() const;
    QString text() const;

    // Writes the report into `folder` (made if missing) as
    // "<identifier> <date> <time>.txt". Returns the path written, or an empty
    // string with the reason in `error`.
    QString save(const QString &folder, QString *error) const;

    static QString outcomeText(const Line &line);

private:
    QString m_deviceIdentifier;
    QDateTime m_time;
    QString m_sourceFile;
    QString m_beforeSource;
    QString m_stopReason;
    QList<Line> m_lines;
};

#endif // TRANSFERREPORT_H
