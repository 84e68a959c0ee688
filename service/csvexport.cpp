#include "csvexport.h"

#include "confitem.h"
#include "deviceprofile.h"

#include <QSaveFile>

namespace {

const QChar tab = QLatin1Char('\t');
const QString lineEnd = QStringLiteral("\r\n");

// Spreadsheets read a cell as a formula when it starts with one of these,
// and as a number, date or time when it starts with a digit ("0815" would
// lose its 0, "08:00" become a time of day).
bool spreadsheetWouldConvert(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.at(0);
    return QStringLiteral("=+-@\t\r\n").contains(first) || first.isDigit();
}

} // namespace

QString CsvExport::cell(const QString &text)
{
    QString written = spreadsheetWouldConvert(text) ? tab + text : text;
    if (written.contains(QLatin1Char(';')) || written.contains(QLatin1Char('"'))
        || written.contains(QLatin1Char('\n')) || written.contains(QLatin1Char('\r'))
        || written.startsWith(tab)) {
        written.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        written = QLatin1Char('"') + written + QLatin1Char('"');
    }
    return written;
}

QByteArray CsvExport::csv(const DeviceProfile &profile)
{
    QString text = QStringLiteral("Pfad;Wert;Typ") + lineEnd;
    for (const ConfItem *item : profile.items()) {
        if (item->element().isNull())
            continue;
        text += cell(item->menuPath().join(QLatin1Char('/'))) + QLatin1Char(';')
                + cell(item->value()) + QLatin1Char(';') + cell(item->type()) + lineEnd;
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool CsvExport::write(const QString &path, const DeviceProfile &profile, QString *error)
{
    const QByteArray bytes = csv(profile);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("\"%1\" kann nicht geschrieben werden: %2")
                         .arg(path, file.errorString());
        return false;
    }
    return true;
}
