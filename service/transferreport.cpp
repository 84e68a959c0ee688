#include "transferreport.h"

#include "lumcfile.h"
#include "readouthistory.h"

#include <QDir>
#include <QTextStream>

namespace {

const QString unknown = QStringLiteral("unbekannt");
const QString separator = QStringLiteral(" | ");

QString oneLine(const QString &text)
{
    return QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString joinedPath(const QStringList &menuPath)
{
    return menuPath.join(QLatin1Char('/'));
}

QString shown(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("(leer)") : value;
}

QString padded(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

} // namespace

void TransferReport::setDeviceIdentifier(const QString &identifier)
{
    m_deviceIdentifier = identifier;
}
void TransferReport::setTime(const QDateTime &time)
{
    m_time = time;
}
void TransferReport::setSourceFile(const QString &path)
{
    m_sourceFile = path;
}
void TransferReport::setBeforeSource(const QString &description)
{
    m_beforeSource = description;
}
void TransferReport::setStopReason(const QString &reason)
{
    m_stopReason = reason;
}
void TransferReport::addLine(const Line &line)
{
    m_lines.append(line);
}
QString TransferReport::deviceIdentifier() const
{
    return m_deviceIdentifier;
}
QList<TransferReport::Line> TransferReport::lines() const
{
    return m_lines;
}

QString TransferReport::outcomeText(const Line &line)
{
    switch (line.outcome) {
    case Written:
        return QStringLiteral("übernommen");
    case PassedOver:
        return QStringLiteral("übergangen: ") + line.note;
    case Failed:
        return oneLine(line.note);
    case NotReached:
        return QStringLiteral("nicht übertragen");
    case Unchanged:
        return QStringLiteral("unverändert");
    }
    return QString();
}

QString TransferReport::text() const
{
    QStringList written;
    QStringList notWritten;
    int unchanged = 0; // left unmarked: a check found the device holding the value
    for (const Line &line : m_lines) {
        if (line.outcome == Unchanged)
            ++unchanged;
        else
            (line.outcome == Written ? written : notWritten).append(joinedPath(line.menuPath));
    }

    QString result;
    QTextStream out(&result);
    out << QStringLiteral("LUM Übertragungsprotokoll\n") << QStringLiteral("Gerät: ")
        << (m_deviceIdentifier.isEmpty() ? unknown : m_deviceIdentifier) << '\n'
        << "Zeit: " << m_time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) << '\n'
        << "Datei: "
        << (m_sourceFile.isEmpty() ? QStringLiteral("keine (ausgelesene Konfiguration)")
                                   : QDir::toNativeSeparators(m_sourceFile))
        << '\n'
        << "Werte vorher: " << (m_beforeSource.isEmpty() ? unknown : m_beforeSource) << '\n';
    if (m_stopReason.isEmpty()) {
        out << QStringLiteral("Ergebnis: Übertragung vollständig, ") << written.size() << " von "
            << m_lines.size() - unchanged << " markierten Einstellungen geschrieben";
        if (unchanged > 0)
            out << QStringLiteral(", %1 unverändert").arg(unchanged);
        out << ".\n";
    } else {
        out << QStringLiteral("Ergebnis: Übertragung nicht vollständig: ") << oneLine(m_stopReason)
            << '\n'
            << "Geschrieben (" << written.size() << "): "
            << (written.isEmpty() ? QStringLiteral("keine") : written.join(QStringLiteral(", ")))
            << '\n'
            << "Nicht geschrieben (" << notWritten.size() << "): "
            << (notWritten.isEmpty() ? QStringLiteral("keine")
                                     : notWritten.join(QStringLiteral(", ")))
            << '\n';
    }
    out << '\n';

    const QStringList header{ QStringLiteral("Menüpunkt"), QStringLiteral("vorher"),
                              QStringLiteral("neuer Wert"), QStringLiteral("Ergebnis") };
    QList<QStringList> rows{ header };
    for (const Line &line : m_lines) {
        rows.append({ joinedPath(line.menuPath),
                      line.before.isNull() ? unknown : shown(line.before), shown(line.value),
                      outcomeText(line) });
    }
    int widths[3] = { 0, 0, 0 };
    for (const QStringList &row : qAsConst(rows)) {
        for (int column = 0; column < 3; ++column)
            widths[column] = qMax(widths[column], row.at(column).size());
    }
    for (const QStringList &row : qAsConst(rows)) {
        out << padded(row.at(0), widths[0]) << separator << padded(row.at(1), widths[1])
            << separator << padded(row.at(2), widths[2]) << separator << row.at(3) << '\n';
    }
    out.flush();
    return result;
}

QString TransferReport::save(const QString &folder, QString *error) const
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                         .arg(QDir::toNativeSeparators(folder));
        return QString();
    }
    const QString path = ReadoutHistory::freePath(
            folder, ReadoutHistory::entryName(m_deviceIdentifier, m_time), QStringLiteral(".txt"));
    const QString content = text();
    QString reason;
    if (!LumcFile::saveText(
                path, [&content](QTextStream &out) { out << content; }, &reason)) {
        *error = QStringLiteral("Das Übertragungsprotokoll %1 konnte nicht gespeichert werden:\n%2")
                         .arg(QDir::toNativeSeparators(path), reason);
        return QString();
    }
    return path;
}
