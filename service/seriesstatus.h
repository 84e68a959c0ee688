#ifndef SERIESSTATUS_H
#define SERIESSTATUS_H

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

// What became of each lift of a series table, kept beside the table
// ("anlagen.csv" -> "anlagen.csv.status") so that a second day continues
// where the first stopped, whether the window or lumctl did the work. The
// file is itself a small table (UTF-8, ";"): Anlage, Seriennummer,
// Ergebnis, Zeit, Hinweis; a spreadsheet opens it as well.
class SeriesStatus
{
public:
    enum Outcome {
        Open, // nothing recorded yet
        Written, // "übertragen": the differing settings were written and confirmed
        Unchanged, // "unverändert": the device already held the lift's values
        Failed, // "fehlgeschlagen": nothing or not everything was written
    };

    struct Entry
    {
        QString lift;
        QString serialNumber;
        Outcome outcome = Open;
        QDateTime time;
        QString note;
        bool isDone() const { return outcome == Written || outcome == Unchanged; }
    };

    static QString statusPathFor(const QString &tablePath);
    static QString outcomeWord(Outcome outcome);
    static Outcome outcomeOf(const QString &word);

    // Reads the status beside the table; a missing file is an empty status.
    // False with `error` when the file is there but cannot be read.
    bool load(const QString &tablePath, QString *error);
    // Notes the lift's outcome and writes the file at once (atomically).
    bool record(const Entry &entry, QString *error);

    Entry entry(const QString &lift) const;
    QString path() const { return m_path; }
    // "erledigt 3 von 8; offen: Aufzug 4, Aufzug 5"
    QString summary(const QStringList &lifts) const;

private:
    bool save(QString *error) const;

    QString m_path;
    QMap<QString, Entry> m_entries;
    QStringList m_order; // lifts in the order first recorded
};

#endif // SERIESSTATUS_H
