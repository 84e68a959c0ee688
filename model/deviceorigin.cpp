#include "deviceorigin.h"

#include <QDomElement>

namespace {

const QString attributeIdentifier = QStringLiteral("deviceIdentifier");
const QString attributeSerial = QStringLiteral("serialNumber");
const QString attributeTemplate = QStringLiteral("template");

void setOrRemove(QDomElement &element, const QString &name, const QString &value)
{
    if (value.isEmpty())
        element.removeAttribute(name);
    else
        element.setAttribute(name, value);
}

} // namespace

DeviceOrigin DeviceOrigin::of(const QDomDocument &document)
{
    const QDomElement root = document.documentElement();
    DeviceOrigin origin;
    origin.identifier = root.attribute(attributeIdentifier).trimmed();
    origin.serialNumber = root.attribute(attributeSerial).trimmed();
    origin.isTemplate = root.attribute(attributeTemplate) == QLatin1String("1");
    return origin;
}

void DeviceOrigin::writeTo(QDomDocument &document) const
{
    QDomElement root = document.documentElement();
    if (root.isNull())
        return;
    setOrRemove(root, attributeIdentifier, identifier.trimmed());
    setOrRemove(root, attributeSerial, serialNumber.trimmed());
    setOrRemove(root, attributeTemplate, isTemplate ? QStringLiteral("1") : QString());
}

bool DeviceOrigin::fits(const DeviceOrigin &connected) const
{
    if (!isKnown())
        return true;
    if (identifier.trimmed() != connected.identifier.trimmed())
        return false;
    if (isTemplate || serialNumber.isEmpty() || connected.serialNumber.isEmpty())
        return true;
    return serialNumber.trimmed() == connected.serialNumber.trimmed();
}

bool DeviceOrigin::needsSerialNumberOf(const DeviceOrigin &connected) const
{
    return isKnown() && !isTemplate && !serialNumber.trimmed().isEmpty()
            && identifier.trimmed() == connected.identifier.trimmed()
            && connected.serialNumber.trimmed().isEmpty();
}

QString DeviceOrigin::description() const
{
    const QString name = identifier.trimmed();
    if (serialNumber.trimmed().isEmpty())
        return name;
    return name + QStringLiteral(", Nr. ") + serialNumber.trimmed();
}

QString DeviceOrigin::mismatchText(const DeviceOrigin &connected) const
{
    return QStringLiteral("Datei von %1; angeschlossen: %2")
            .arg(description(), connected.description());
}
