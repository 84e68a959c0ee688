#ifndef SERIESTABLE_H
#define SERIESTABLE_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class ConfItem;
class DeviceProfile;

// The table of a series of lifts that share one template: a header row,
// then one row per lift. The first column names the lift ("Aufzug 7"); a
// column "Seriennummer" ties a row to one device; every other column is a
// setting, its header the setting's path as lumctl names it (menu names
// joined by "/"), its cells that lift's values. Columns are found by their
// header, not by their place.
//
// Nothing of a table goes to a device before check() found no problem: a
// path the template does not have, a value the setting's rule refuses, an
// empty cell where the setting needs a value, a lift named twice or a
// serial number given twice, each with its row and column as the
// spreadsheet counts them.
class SeriesTable
{
public:
    static const QString SerialNumberHeader; // "Seriennummer"

    struct Lift
    {
        int row = 0; // the spreadsheet's row number (the header is row 1)
        QString name;
        QString serialNumber; // empty: not tied to a device
        QStringList values; // one per settingPaths() entry
    };

    struct Problem
    {
        int row = 0;
        int column = 0; // 1-based; 0 for a problem of the whole row or file
        QString header;
        QString text;
        // "Zeile 3, Spalte 2 (Einstellungen/Rufnummern/Rufnummer 1): ..."
        QString message() const;
    };

    // Reads the file; false when it cannot be read or is no table (the
    // problem in problems()).
    bool load(const QString &path);
    bool parse(const QByteArray &bytes);

    // The table's problems against `templateProfile`, with those found while
    // reading; empty when every lift can be written.
    QList<Problem> check(const DeviceProfile &templateProfile) const;
    const QList<Problem> &problems() const { return m_problems; }
    // One line per problem.
    static QStringList messages(const QList<Problem> &problems);

    const QVector<Lift> &lifts() const { return m_lifts; }
    QStringList settingPaths() const { return m_paths; }
    bool hasSerialNumbers() const { return m_serialColumn > 0; }
    QString fileName() const { return m_fileName; }
    int liftIndex(const QString &name) const;
    int liftIndexBySerialNumber(const QString &serialNumber) const;

    // The lift to write into the device with `deviceSerialNumber` (empty
    // when the device shows none): the row of its serial number where the
    // table has that column, else the row named `requested`. A row tied to
    // another device is never chosen; -1 with the reason in `problem`.
    int pickLift(const QString &deviceSerialNumber, const QString &requested,
                 QString *problem) const;

    // Makes `profile` (a copy of the template) the configuration of the
    // lift: the row's values replace the template's and are marked for
    // transfer; the file is tied to the lift's device where the row names
    // one. False when a setting is missing (the table was not checked
    // against this template).
    bool applyLift(int index, DeviceProfile *profile) const;

    // A setting's path as lumctl names it.
    static QString pathOf(const ConfItem *item);

private:
    void addProblem(int row, int column, const QString &text);
    QString headerOf(int column) const;

    QString m_fileName;
    QStringList m_headers;
    QStringList m_paths;
    QVector<int> m_pathColumns; // 1-based column of each path
    int m_serialColumn = 0;
    QVector<Lift> m_lifts;
    QList<Problem> m_problems;
};

#endif // SERIESTABLE_H
