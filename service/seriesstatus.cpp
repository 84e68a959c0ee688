#include "seriesstatus.h"

#include "csvreader.h"

#include <QFile>
#include <QSaveFile>

namespace {

const char timeFormat[] = "yyyy-MM-dd HH:mm:ss";

QStringList headerCells()
{
    return { QStringLiteral("Anlage"), QStringLiteral("Seriennummer"),
             QStringLiteral("Ergebnis"), QStringLiteral("Zeit"), QStringLiteral("Hinweis") };
}

QString csvCell(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\""))
            + QLatin1Char('"');
}

} // namespace

QString SeriesStatus::statusPathFor(const QString &tablePath)
{
    return tablePath + QStringLiteral(".status");
}

QString SeriesStatus::outcomeWord(Outcome outcome)
{
    switch (outcome) {
    case Written:
        return QStringLiteral("übertragen");
    case Unchanged:
        return QStringLiteral("unverändert");
    case Failed:
        return QStringLiteral("fehlgeschlagen");
    case Open:
        break;
    }
    return QStringLiteral("offen");
}

SeriesStatus::Outcome SeriesStatus::outcomeOf(const QString &word)
{
    for (Outcome outcome : { Written, Unchanged, Failed }) {
        if (word == outcomeWord(outcome))
            return outcome;
    }
    return Open;
}

bool SeriesStatus::load(const QString &tablePath, QString *error)
{
    m_path = statusPathFor(tablePath);
    m_entries.clear();
    m_order.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("\"%1\" kann nicht gelesen werden: %2")
                         .arg(m_path, file.errorString());
        return false;
    }
    const QString text = CsvReader::decode(file.readAll());
    QVector<QStringList> rows;
    int unclosedQuoteRow = 0;
    if (!CsvReader::parse(text, QLatin1Char(';'), &rows, &unclosedQuoteRow)) {
        *error = QStringLiteral("\"%1\": Zeile %2: Anführungszeichen nicht geschlossen")
                         .arg(m_path)
                         .arg(unclosedQuoteRow);
        return false;
    }
    for (int r = 1; r < rows.size(); ++r) {
        QStringList cells = rows.at(r);
        if (cells.size() < 3 || cells.first().isEmpty())
            continue;
        while (cells.size() < 5)
            cells.append(QString());
        Entry entry;
        entry.lift = cells.at(0);
        entry.serialNumber = cells.at(1);
        entry.outcome = outcomeOf(cells.at(2));
        entry.time = QDateTime::fromString(cells.at(3), QLatin1String(timeFormat));
        entry.note = cells.at(4);
        if (!m_entries.contains(entry.lift))
            m_order.append(entry.lift);
        m_entries.insert(entry.lift, entry);
    }
    return true;
}

bool SeriesStatus::record(const Entry &entry, QString *error)
{
    if (!m_entries.contains(entry.lift))
        m_order.append(entry.lift);
    m_entries.insert(entry.lift, entry);
    return save(error);
}

bool SeriesStatus::save(QString *error) const
{
    QString text = headerCells().join(QLatin1Char(';')) + QStringLiteral("\r\n");
    for (const QString &lift : m_order) {
        const Entry &entry = m_entries[lift];
        const QStringList cells{ entry.lift, entry.serialNumber, outcomeWord(entry.outcome),
                                 entry.time.toString(QLatin1String(timeFormat)), entry.note };
        QStringList written;
        for (const QString &cell : cells)
            written.append(csvCell(cell));
        text += written.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("\"%1\" kann nicht geschrieben werden: %2")
                         .arg(m_path, file.errorString());
        return false;
    }
    return true;
}

SeriesStatus::Entry SeriesStatus::entry(const QString &lift) const
{
    Entry found = m_entries.value(lift);
    found.lift = lift;
    return found;
}

QString SeriesStatus::summary(const QStringList &lifts) const
{
    QStringList open;
    for (const QString &lift : lifts) {
        if (!entry(lift).isDone())
            open.append(lift);
    }
    QString text = QStringLiteral("Erledigt: %1 von %2").arg(lifts.size() - open.size()).arg(lifts.size());
    if (!open.isEmpty())
        text += QStringLiteral("; offen: ") + open.join(QStringLiteral(", "));
    return text;
}
