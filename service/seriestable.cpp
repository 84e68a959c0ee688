#include "seriestable.h"

#include "confitem.h"
#include "csvreader.h"
#include "deviceprofile.h"
#include "valuetype.h"

#include <QFile>
#include <QHash>

#include <algorithm>

const QString SeriesTable::SerialNumberHeader = QStringLiteral("Seriennummer");

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool allEmpty(const QStringList &cells)
{
    for (const QString &cell : cells) {
        if (!cell.trimmed().isEmpty())
            return false;
    }
    return true;
}

// The settings of the profile by their path.
QHash<QString, QList<ConfItem *>> settingsByPath(const DeviceProfile &profile)
{
    QHash<QString, QList<ConfItem *>> settings;
    for (ConfItem *item : profile.items())
        settings[SeriesTable::pathOf(item)].append(item);
    return settings;
}

// Why a column cannot name this entry; empty when the table may set it.
QString columnRefusal(const QList<ConfItem *> &found)
{
    if (found.isEmpty())
        return QStringLiteral("keine solche Einstellung in der Vorlage");
    if (found.size() > 1)
        return QStringLiteral("mehrdeutiger Pfad (%1 Einträge)").arg(found.size());
    const ConfItem *item = found.first();
    if (item->element().isNull() || item->element().tagName() != QLatin1String("setting"))
        return QStringLiteral("keine Einstellung, sondern %1").arg(quoted(item->type()));
    if (ValueType::takesPcClock(item->kind()))
        return ValueType::validate(item->kind(), QString(), item->options());
    if (!ValueType::isEditable(item->kind()))
        return QStringLiteral("kann nicht geändert werden (Werttyp %1)").arg(quoted(item->type()));
    return QString();
}

} // namespace

QString SeriesTable::Problem::message() const
{
    QString where = QStringLiteral("Zeile %1").arg(row);
    if (column > 0) {
        where += QStringLiteral(", Spalte %1").arg(column);
        if (!header.isEmpty())
            where += QStringLiteral(" (%1)").arg(header);
    }
    return where + QStringLiteral(": ") + text;
}

QStringList SeriesTable::messages(const QList<Problem> &problems)
{
    QStringList lines;
    for (const Problem &problem : problems)
        lines.append(problem.message());
    return lines;
}

QString SeriesTable::pathOf(const ConfItem *item)
{
    return item->menuPath().join(QLatin1Char('/'));
}

bool SeriesTable::load(const QString &path)
{
    m_fileName = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *this = SeriesTable();
        m_fileName = path;
        m_problems.append({ 0, 0, QString(),
                            QStringLiteral("%1 kann nicht gelesen werden: %2")
                                    .arg(quoted(path), file.errorString()) });
        return false;
    }
    const bool parsed = parse(file.readAll());
    m_fileName = path;
    return parsed;
}

void SeriesTable::addProblem(int row, int column, const QString &text)
{
    m_problems.append({ row, column, headerOf(column), text });
}

QString SeriesTable::headerOf(int column) const
{
    return column > 0 && column <= m_headers.size() ? m_headers.at(column - 1) : QString();
}

bool SeriesTable::parse(const QByteArray &bytes)
{
    *this = SeriesTable();
    const QString text = CsvReader::decode(bytes);
    QVector<QStringList> rows;
    int unclosedQuoteRow = 0;
    if (!CsvReader::parse(text, CsvReader::detectSeparator(text), &rows, &unclosedQuoteRow)) {
        addProblem(unclosedQuoteRow, 0, QStringLiteral("Anführungszeichen nicht geschlossen"));
        return false;
    }
    if (rows.isEmpty() || allEmpty(rows.first())) {
        addProblem(1, 0, QStringLiteral("keine Kopfzeile: die erste Zeile nennt die Anlage und "
                                        "die Pfade der Einstellungen"));
        return false;
    }
    for (const QString &cell : rows.first())
        m_headers.append(cell.trimmed());

    QVector<bool> usedColumn(m_headers.size(), false);
    for (int column = 2; column <= m_headers.size(); ++column) {
        const QString header = m_headers.at(column - 1);
        if (header.isEmpty()) {
            // A spreadsheet may export empty columns after the table.
            bool columnEmpty = true;
            for (int r = 1; r < rows.size(); ++r)
                columnEmpty = columnEmpty
                        && (rows.at(r).size() < column || rows.at(r).at(column - 1).trimmed().isEmpty());
            if (!columnEmpty)
                addProblem(1, column, QStringLiteral("Spalte ohne Überschrift"));
            continue;
        }
        const int first = int(m_headers.indexOf(header));
        if (first + 1 != column) {
            addProblem(1, column, QStringLiteral("Spalte steht schon als Spalte %1 in der Tabelle")
                                          .arg(first + 1));
            continue;
        }
        usedColumn[column - 1] = true;
        if (header.compare(SerialNumberHeader, Qt::CaseInsensitive) == 0) {
            m_serialColumn = column;
        } else {
            m_paths.append(header);
            m_pathColumns.append(column);
        }
    }

    QHash<QString, int> rowOfName;
    QHash<QString, int> rowOfSerial;
    for (int r = 1; r < rows.size(); ++r) {
        const QStringList &cells = rows.at(r);
        const int row = r + 1;
        if (allEmpty(cells))
            continue;
        for (int column = m_headers.size() + 1; column <= cells.size(); ++column) {
            if (!cells.at(column - 1).trimmed().isEmpty()) {
                addProblem(row, column, QStringLiteral("Zelle ohne Spalte in der Kopfzeile"));
                break;
            }
        }
        auto cellAt = [&cells](int column) {
            return column <= cells.size() ? cells.at(column - 1).trimmed() : QString();
        };
        Lift lift;
        lift.row = row;
        lift.name = cellAt(1);
        if (lift.name.isEmpty())
            addProblem(row, 1, QStringLiteral("leere Zelle: der Name der Anlage fehlt"));
        else if (rowOfName.contains(lift.name))
            addProblem(row, 1, QStringLiteral("%1 steht schon in Zeile %2")
                                       .arg(quoted(lift.name))
                                       .arg(rowOfName.value(lift.name)));
        else
            rowOfName.insert(lift.name, row);
        if (m_serialColumn > 0) {
            lift.serialNumber = cellAt(m_serialColumn);
            if (!lift.serialNumber.isEmpty()) {
                if (rowOfSerial.contains(lift.serialNumber))
                    addProblem(row, m_serialColumn,
                               QStringLiteral("Seriennummer %1 steht schon in Zeile %2")
                                       .arg(quoted(lift.serialNumber))
                                       .arg(rowOfSerial.value(lift.serialNumber)));
                else
                    rowOfSerial.insert(lift.serialNumber, row);
            }
        }
        for (int column : qAsConst(m_pathColumns))
            lift.values.append(cellAt(column));
        m_lifts.append(lift);
    }
    if (m_lifts.isEmpty() && m_problems.isEmpty())
        addProblem(2, 0, QStringLiteral("keine Anlage in der Tabelle"));
    return true;
}

QList<SeriesTable::Problem> SeriesTable::check(const DeviceProfile &templateProfile) const
{
    QList<Problem> problems = m_problems;
    const QHash<QString, QList<ConfItem *>> settings = settingsByPath(templateProfile);
    for (int p = 0; p < m_paths.size(); ++p) {
        const int column = m_pathColumns.at(p);
        const QList<ConfItem *> found = settings.value(m_paths.at(p));
        const QString refusal = columnRefusal(found);
        if (!refusal.isEmpty()) {
            problems.append({ 1, column, m_paths.at(p), refusal });
            continue;
        }
        const ConfItem *item = found.first();
        for (const Lift &lift : m_lifts) {
            const QString value = lift.values.at(p);
            // The same rule and words as the editor's field and "lumctl set".
            const QString problem = ValueType::validate(item->kind(), value, item->options());
            if (problem.isEmpty())
                continue;
            problems.append({ lift.row, column, m_paths.at(p),
                              value.isEmpty()
                                      ? QStringLiteral("leere Zelle, die Einstellung braucht "
                                                       "einen Wert (%1)")
                                                .arg(problem)
                                      : QStringLiteral("%1: %2").arg(quoted(value), problem) });
        }
    }
    // In the order the technician goes through the spreadsheet.
    std::stable_sort(problems.begin(), problems.end(), [](const Problem &a, const Problem &b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    return problems;
}

int SeriesTable::liftIndex(const QString &name) const
{
    for (int i = 0; i < m_lifts.size(); ++i) {
        if (m_lifts.at(i).name == name.trimmed())
            return i;
    }
    return -1;
}

int SeriesTable::liftIndexBySerialNumber(const QString &serialNumber) const
{
    if (serialNumber.trimmed().isEmpty())
        return -1;
    for (int i = 0; i < m_lifts.size(); ++i) {
        if (m_lifts.at(i).serialNumber == serialNumber.trimmed())
            return i;
    }
    return -1;
}

int SeriesTable::pickLift(const QString &deviceSerialNumber, const QString &requested,
                          QString *problem) const
{
    const QString device = deviceSerialNumber.trimmed();
    const int bySerial = hasSerialNumbers() ? liftIndexBySerialNumber(device) : -1;
    if (bySerial >= 0) {
        const Lift &lift = m_lifts.at(bySerial);
        if (!requested.isEmpty() && lift.name != requested.trimmed()) {
            *problem = QStringLiteral("Das Gerät Nr. %1 gehört laut Tabelle zu %2 (Zeile %3), "
                                      "nicht zu %4.")
                               .arg(device, quoted(lift.name))
                               .arg(lift.row)
                               .arg(quoted(requested));
            return -1;
        }
        return bySerial;
    }
    if (requested.isEmpty()) {
        if (!hasSerialNumbers())
            *problem = QStringLiteral("Die Tabelle hat keine Spalte \"Seriennummer\"; die Anlage "
                                      "muss genannt werden.");
        else if (device.isEmpty())
            *problem = QStringLiteral("Das Gerät zeigt keine Seriennummer; die Anlage muss "
                                      "genannt werden.");
        else
            *problem = QStringLiteral("Keine Zeile der Tabelle gehört zum Gerät Nr. %1.")
                               .arg(device);
        return -1;
    }
    const int index = liftIndex(requested);
    if (index < 0) {
        *problem = QStringLiteral("Keine Anlage %1 in der Tabelle.").arg(quoted(requested));
        return -1;
    }
    const Lift &lift = m_lifts.at(index);
    if (!lift.serialNumber.isEmpty() && lift.serialNumber != device) {
        *problem = device.isEmpty()
                ? QStringLiteral("%1 (Zeile %2) gehört zum Gerät Nr. %3; das angeschlossene "
                                 "Gerät zeigt keine Seriennummer.")
                          .arg(quoted(lift.name))
                          .arg(lift.row)
                          .arg(lift.serialNumber)
                : QStringLiteral("%1 (Zeile %2) gehört zum Gerät Nr. %3; angeschlossen ist "
                                 "Nr. %4.")
                          .arg(quoted(lift.name))
                          .arg(lift.row)
                          .arg(lift.serialNumber, device);
        return -1;
    }
    return index;
}

bool SeriesTable::applyLift(int index, DeviceProfile *profile) const
{
    if (index < 0 || index >= m_lifts.size())
        return false;
    const Lift &lift = m_lifts.at(index);
    const QHash<QString, QList<ConfItem *>> settings = settingsByPath(*profile);
    for (int p = 0; p < m_paths.size(); ++p) {
        const QList<ConfItem *> found = settings.value(m_paths.at(p));
        if (found.size() != 1 || found.first()->element().isNull())
            return false;
        found.first()->setValue(lift.values.at(p));
        found.first()->setActive(true);
    }
    // The lift's file belongs to the lift's device where the row names it;
    // without a serial number it stays a template of its identifier.
    DeviceOrigin origin = profile->origin();
    origin.serialNumber = lift.serialNumber;
    origin.isTemplate = lift.serialNumber.isEmpty();
    profile->setOrigin(origin);
    return true;
}
