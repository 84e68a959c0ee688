#include "devicekeys.h"

char DeviceKeys::fromName(const QString &name)
{
    const QString key = name.trimmed().toUpper();
    if (key == QLatin1String("OK"))
        return Ok;
    if (key == QLatin1String("ESC"))
        return Esc;
    if (key.size() == 1 && QStringLiteral("0123456789*#+-").contains(key.at(0)))
        return key.at(0).toLatin1();
    return 0;
}

QString DeviceKeys::logName(char key)
{
    switch (key) {
    case Ok:
        return QStringLiteral("OK ");
    case Esc:
        return QStringLiteral("ESC");
    default:
        return QString(QChar(uchar(key))) + QStringLiteral("  ");
    }
}

int DeviceKeys::keyCode(const QString &name) const
{
    return fromName(name);
}
