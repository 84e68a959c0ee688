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

QString shown(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("(leer)") : value;
}

// A list of paths, one a line below its heading, or " keine".
QString listed(const QStringList &paths)
{
    if (paths.isEmpty())
        return QStringLiteral(" keine\n");
    QString text = QStringLiteral("\n");
    for (const QString &path : paths)
        text += QStringLiteral("  ") + path + QLatin1Char('\n');
    return text;
}

QString padded(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

} // namespace

QString TransferReport::joinedPath(const QStringList &menuPath)
{
    return menuPath.join(QLatin1Char('/'));
}

void TransferReport::setDeviceIdentifier(const QString &identifier)
{
    m_facts.identifier = identifier;
}
QString TransferReport::sourceFile() const
{
    return m_sourceFile;
}
QString TransferReport::beforeSource() const
{
    return m_beforeSource;
}
QString TransferReport::stopReason() const
{
    return m_stopReason;
}
bool TransferReport::holdsValue(const Line &line)
{
    return line.outcome == Written || line.outcome == Unchanged;
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
    return m_facts.identifier;
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
    case Unchanged:
        return QStringLiteral("unverändert");
    case PassedOver:
        return QStringLiteral("übergangen: ") + line.note;
    case Failed:
        return oneLine(line.note);
    case NotReached:
        return QStringLiteral("nicht übertragen");
    }
    return QString();
}

QString TransferReport::text() const
{
    QStringList written;
    QStringList notWritten;
    QStringList unchanged; // the device held the value already
    for (const Line &line : m_lines) {
        QStringList &list = line.outcome == Written ? written
                : line.outcome == Unchanged         ? unchanged
                                                    : notWritten;
        list.append(joinedPath(line.menuPath));
    }

    QString result;
    QTextStream out(&result);
    out << QStringLiteral("LUM Übertragungsprotokoll\n") << QStringLiteral("Gerät: ")
        << (m_facts.identifier.isEmpty() ? unknown : m_facts.identifier) << '\n';
    if (!m_facts.serialNumber.isEmpty())
        out << "Seriennummer: " << m_facts.serialNumber << '\n';
    if (!m_facts.imei.isEmpty())
        out << "IMEI: " << m_facts.imei << '\n';
    if (!m_facts.firmware.isEmpty())
        out << "Firmware: " << m_facts.firmware << '\n';
    if (!m_site.isEmpty())
        out << "Anlage: " << oneLine(m_site) << '\n';
    if (!m_technician.isEmpty())
        out << "Techniker: " << oneLine(m_technician) << '\n';
    out
        << "Zeit: " << m_time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) << '\n'
        << "Datei: "
        << (m_sourceFile.isEmpty() ? QStringLiteral("keine (ausgelesene Konfiguration)")
                                   : QDir::toNativeSeparators(m_sourceFile))
        << '\n'
        << "Werte vorher: "
        << (m_beforeSource.isEmpty() ? QStringLiteral("wie vom Gerät beim Öffnen gezeigt")
                                     : m_beforeSource + QStringLiteral(
                                               "; wie vom Gerät beim Öffnen gezeigt, wo geöffnet"))
        << '\n';
    if (m_stopReason.isEmpty()) {
        out << QStringLiteral("Ergebnis: Übertragung vollständig, ") << written.size() << " von "
            << m_lines.size() - unchanged.size() << " markierten Einstellungen geschrieben";
        if (!unchanged.isEmpty())
            out << QStringLiteral(", %1 unverändert").arg(unchanged.size());
        out << ".\n";
    } else {
        out << QStringLiteral("Ergebnis: Übertragung nicht vollständig: ") << oneLine(m_stopReason)
            << '\n'
            << "Geschrieben (" << written.size() << "):" << listed(written);
        if (!unchanged.isEmpty())
            out << "Unverändert (" << unchanged.size() << "):" << listed(unchanged);
        out << "Nicht geschrieben (" << notWritten.size() << "):" << listed(notWritten);
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
            folder, ReadoutHistory::entryName(m_facts.identifier, m_time, m_facts.serialNumber), QStringLiteral(".txt"));
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
