#include "devicecomparison.h"

#include "configdiff.h"
#include "deviceprofile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The settings that count for the comparison: those the technician can
// change (read-only values such as the serial number are compared but are
// no difference of the configuration).
bool counts(const ConfItem *item)
{
    return item->editable() && !ValueType::takesPcClock(item->type());
}

QJsonArray pathArray(const ConfItem *item)
{
    QJsonArray path;
    for (const QString &name : item->menuPath())
        path.append(name);
    return path;
}

} // namespace

QStringList DeviceComparison::lines(const DeviceProfile &profile)
{
    QStringList lines;
    for (const ConfItem *item : profile.items()) {
        if (!counts(item))
            continue;
        if (item->comparison() == ConfItem::Differs)
            lines.append(QStringLiteral("~ %1: \"%2\" -> \"%3\"")
                                 .arg(ConfigDiff::joinedPath(item), item->value(),
                                      item->deviceValue()));
        else if (item->comparison() == ConfItem::NotOnDevice)
            lines.append(QStringLiteral("- %1: nicht im Gerät").arg(ConfigDiff::joinedPath(item)));
    }
    return lines;
}

QByteArray DeviceComparison::json(const DeviceProfile &profile, const DeviceOrigin &device)
{
    QJsonArray differences;
    QJsonArray notFound;
    for (const ConfItem *item : profile.items()) {
        if (!counts(item))
            continue;
        if (item->comparison() == ConfItem::Differs) {
            QJsonObject difference;
            difference.insert(QStringLiteral("path"), pathArray(item));
            difference.insert(QStringLiteral("file"), item->value());
            difference.insert(QStringLiteral("device"), item->deviceValue());
            differences.append(difference);
        } else if (item->comparison() == ConfItem::NotOnDevice) {
            notFound.append(pathArray(item));
        }
    }
    QJsonObject result;
    result.insert(QStringLiteral("device"), device.identifier);
    result.insert(QStringLiteral("serialNumber"), device.serialNumber);
    result.insert(QStringLiteral("equal"), differences.isEmpty() && notFound.isEmpty());
    result.insert(QStringLiteral("same"), sameCount(profile));
    result.insert(QStringLiteral("differences"), differences);
    result.insert(QStringLiteral("notFound"), notFound);
    return QJsonDocument(result).toJson(QJsonDocument::Compact);
}

int DeviceComparison::sameCount(const DeviceProfile &profile)
{
    int same = 0;
    for (const ConfItem *item : profile.items())
        same += counts(item) && item->comparison() == ConfItem::Same ? 1 : 0;
    return same;
}
