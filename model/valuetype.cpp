#include "valuetype.h"

#include <QRegularExpression>

const QString ValueType::Selection = QStringLiteral("selection");
const QString ValueType::InputNum = QStringLiteral("inputnum");
const QString ValueType::InputTime = QStringLiteral("inputtime_hhmm");
const QString ValueType::SystemTime = QStringLiteral("inputsystemtime");
const QString ValueType::SystemDate = QStringLiteral("inputsystemdate");
const QString ValueType::ReadOnly = QStringLiteral("readonly");
const QString ValueType::Blocked = QStringLiteral("blocked");

namespace {

// The device's input line takes digits, '*' and '#'; a phone number with a
// prefix is the longest value in practice.
const QString numberPattern = QStringLiteral("[0-9#*]{0,32}");
const QString typedTimePattern = QStringLiteral("[0-9]{0,2}|[0-9]{2}:[0-9]{0,2}");
const QString completeTimePattern = QStringLiteral("([01][0-9]|2[0-3]):[0-5][0-9]");

bool matchesWhole(const QString &pattern, const QString &text)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
    return expression.match(text).hasMatch();
}

} // namespace

bool ValueType::isEditable(const QString &type)
{
    return type == Selection || type.startsWith(QLatin1String("input"));
}

bool ValueType::isTransferable(const QString &type)
{
    return type == Selection || type == InputNum || type == InputTime || type == SystemTime
            || type == SystemDate;
}

bool ValueType::takesPcClock(const QString &type)
{
    return type == SystemTime || type == SystemDate;
}

QString ValueType::inputPattern(const QString &type)
{
    if (type == InputNum)
        return numberPattern;
    if (type == InputTime)
        return typedTimePattern;
    return QString();
}

bool ValueType::isValidValue(const QString &type, const QString &text, const QStringList &options)
{
    if (type == Selection)
        return options.contains(text);
    if (type == InputNum)
        return matchesWhole(numberPattern, text);
    if (type == InputTime)
        return matchesWhole(completeTimePattern, text);
    return false;
}
