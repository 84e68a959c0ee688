#include "devicefacts.h"

#include "confitem.h"
#include "deviceprofile.h"

namespace {

const QString serialName = QStringLiteral("Seriennummer");
const QString imeiName = QStringLiteral("IMEI");
const QString firmwareName = QStringLiteral("Firmware");

// The value of the first entry of this name, at any depth of the menu.
const ConfItem *entryNamed(const DeviceProfile &profile, const QString &name)
{
    for (const ConfItem *item : profile.items()) {
        if (!item->element().isNull() && item->menuPath().value(item->menuPath().size() - 1) == name)
            return item;
    }
    return nullptr;
}

QString valueNamed(const DeviceProfile &profile, const QString &name)
{
    const ConfItem *item = entryNamed(profile, name);
    return item ? item->value().trimmed() : QString();
}

} // namespace

DeviceFacts DeviceFacts::read(const DeviceProfile &profile, const QString &identifier)
{
    DeviceFacts facts;
    facts.identifier = identifier;
    facts.serialNumber = valueNamed(profile, serialName);
    facts.imei = valueNamed(profile, imeiName);
    facts.firmware = valueNamed(profile, firmwareName);
    return facts;
}

bool DeviceFacts::showsSerialNumber(const DeviceProfile &profile)
{
    return entryNamed(profile, serialName) != nullptr;
}

QString DeviceFacts::recordKey() const
{
    if (!serialNumber.isEmpty())
        return QStringLiteral("SN ") + serialNumber;
    return QStringLiteral("ID ") + identifier;
}
