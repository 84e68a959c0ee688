#include "readouthistory.h"

#include "confitem.h"
#include "deviceprofile.h"
#include "lumcfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString historySuffix = QStringLiteral(".lumc");
const QString timeFormat = QStringLiteral("yyyy-MM-dd HH-mm");

// Characters Windows refuses in names (and "/" everywhere), and control
// characters a garbled display line may have left in the identifier.
QString safeName(const QString &text)
{
    QString name;
    name.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || QStringLiteral("<>:\"/\\|?*").contains(c))
            name += QLatin1Char('_');
        else
            name += c;
    }
    name = name.trimmed();
    // Windows drops trailing dots, which would merge two names.
    while (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("unbekanntes Gerät") : name;
}

// The device part of a name: the identifier, and the serial number where the
// device shows one.
QString deviceName(const QString &deviceIdentifier, const QString &serialNumber)
{
    QString name = safeName(deviceIdentifier);
    if (!serialNumber.trimmed().isEmpty())
        name += QStringLiteral(" SN ") + safeName(serialNumber);
    return name;
}

} // namespace

QString ReadoutHistory::entryName(const QString &deviceIdentifier, const QDateTime &when,
                                  const QString &serialNumber)
{
    return deviceName(deviceIdentifier, serialNumber) + QLatin1Char(' ') + when.toString(timeFormat);
}

bool ReadoutHistory::parseName(const QString &fileName, QString *deviceIdentifier,
                               QString *serialNumber, QDateTime *when)
{
    static const QRegularExpression pattern(
            QStringLiteral("^(.+?)(?: SN (.+))? (\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d)"
                           "(?: \\(\\d+\\))?\\.[a-z]+$"));
    const QRegularExpressionMatch match = pattern.match(QFileInfo(fileName).fileName());
    if (!match.hasMatch())
        return false;
    *deviceIdentifier = match.captured(1);
    *serialNumber = match.captured(2);
    *when = QDateTime::fromString(match.captured(3), timeFormat);
    return when->isValid();
}

QString ReadoutHistory::freePath(const QString &folder, const QString &entryName,
                                 const QString &suffix)
{
    const QDir dir(folder);
    QString path = dir.filePath(entryName + suffix);
    for (int number = 2; QFileInfo::exists(path); ++number)
        path = dir.filePath(QStringLiteral("%1 (%2)%3").arg(entryName).arg(number).arg(suffix));
    return path;
}

QString ReadoutHistory::save(const QString &folder, const QDomDocument &document,
                             const QString &deviceIdentifier, const QDateTime &when, QString *error,
                             const QString &serialNumber)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                         .arg(QDir::toNativeSeparators(folder));
        return QString();
    }
    const QString path = freePath(folder, entryName(deviceIdentifier, when, serialNumber), historySuffix);
    QString reason;
    if (!LumcFile::save(path, document, &reason)) {
        *error = QStringLiteral("Die Datei %1 konnte nicht gespeichert werden:\n%2")
                         .arg(QDir::toNativeSeparators(path), reason);
        return QString();
    }
    return path;
}

QString ReadoutHistory::newestFile(const QString &folder, const QString &deviceIdentifier,
                                   const QString &serialNumber)
{
    const QRegularExpression pattern(
            QStringLiteral("^%1 (\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d)(?: \\((\\d+)\\))?%2$")
                    .arg(QRegularExpression::escape(deviceName(deviceIdentifier, serialNumber)),
                         QRegularExpression::escape(historySuffix)));
    QString newest;
    QString newestTime;
    int newestNumber = 0;
    const QStringList names =
            QDir(folder).entryList({ QLatin1Char('*') + historySuffix }, QDir::Files);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const QString time = match.captured(1);
        const int number = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
        if (newest.isEmpty() || time > newestTime
            || (time == newestTime && number > newestNumber)) {
            newest = name;
            newestTime = time;
            newestNumber = number;
        }
    }
    return newest.isEmpty() ? QString() : QDir(folder).filePath(newest);
}

QHash<QString, QString> ReadoutHistory::settingValues(const DeviceProfile &profile)
{
    QHash<QString, QString> values;
    for (const ConfItem *item : profile.items()) {
        if (item->element().isNull())
            continue;
        // Known to be empty, unlike a setting missing from the hash.
        const QString value = item->value();
        values.insert(pathKey(item->menuPath()), value.isNull() ? QStringLiteral("") : value);
    }
    return values;
}

QString ReadoutHistory::pathKey(const QStringList &menuPath)
{
    return menuPath.join(QLatin1Char('\n'));
}
