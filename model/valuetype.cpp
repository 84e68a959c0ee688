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

// One row per value type: its word in the file and what it allows. The
// words are the constants above, so each is spelled once.
struct Traits
{
    ValueType::Kind kind;
    const QString *word;
    bool editable;
    bool transferable;
    bool pcClock;
};

const Traits traitsTable[] = {
    { ValueType::Kind::Selection, &ValueType::Selection, true, true, false },
    { ValueType::Kind::InputNum, &ValueType::InputNum, true, true, false },
    { ValueType::Kind::InputTime, &ValueType::InputTime, true, true, false },
    { ValueType::Kind::SystemTime, &ValueType::SystemTime, true, true, true },
    { ValueType::Kind::SystemDate, &ValueType::SystemDate, true, true, true },
    { ValueType::Kind::ReadOnly, &ValueType::ReadOnly, false, false, false },
    { ValueType::Kind::Blocked, &ValueType::Blocked, false, false, false },
};

const Traits unknownTraits = { ValueType::Kind::Unknown, nullptr, false, false, false };

const Traits &traitsOf(ValueType::Kind kind)
{
    for (const Traits &traits : traitsTable) {
        if (traits.kind == kind)
            return traits;
    }
    return unknownTraits;
}

// The device's input line takes digits, '*' and '#'; a phone number with a
// prefix is the longest value in practice.
const int longestNumber = 32;
const QString numberPattern = QStringLiteral("[0-9#*]{0,32}");
const QString numberCharacters = QStringLiteral("[0-9#*]*");
// A time is typed as hours, colon, minutes; four digits typed without the
// colon are completed to that form.
const QString typedTimePattern = QStringLiteral("[0-9]{0,4}|[0-9]{2}:[0-9]{0,2}");
const QString completeTimePattern = QStringLiteral("[0-9]{2}:[0-5][0-9]");
const QString timeShapePattern = QStringLiteral("[0-9]{2}:[0-9]{2}");
const QString oneHourDigitPattern = QStringLiteral("[0-9]:[0-9]{0,2}");
const QString fourDigitsPattern = QStringLiteral("[0-9]{4}");

bool matchesWhole(const QString &pattern, const QString &text)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
    return expression.match(text).hasMatch();
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString timeProblem(const QString &text)
{
    if (matchesWhole(completeTimePattern, text))
        return QString();
    if (matchesWhole(timeShapePattern, text))
        return QStringLiteral("Minuten nur 00 bis 59");
    if (matchesWhole(typedTimePattern, text))
        return QStringLiteral("unvollständige Uhrzeit, bitte hh:mm");
    if (matchesWhole(oneHourDigitPattern, text))
        return QStringLiteral("Stunden zweistellig, bitte hh:mm");
    return QStringLiteral("keine Uhrzeit, bitte hh:mm");
}

QString numberProblem(const QString &text)
{
    if (!matchesWhole(numberCharacters, text))
        return QStringLiteral("nur Ziffern 0-9, # und * möglich");
    if (text.size() > longestNumber)
        return QStringLiteral("zu lang, höchstens %1 Zeichen").arg(longestNumber);
    return QString();
}

QString selectionProblem(const QString &text, const QStringList &options)
{
    if (options.contains(text))
        return QString();
    QStringList quotedOptions;
    for (const QString &option : options)
        quotedOptions << quoted(option);
    return QStringLiteral("keine der Auswahlmöglichkeiten %1")
            .arg(quotedOptions.join(QStringLiteral(", ")));
}

} // namespace

ValueType::Kind ValueType::kindOf(const QString &word)
{
    for (const Traits &traits : traitsTable) {
        if (word == *traits.word)
            return traits.kind;
    }
    return Kind::Unknown;
}

QString ValueType::word(Kind kind)
{
    const QString *word = traitsOf(kind).word;
    return word ? *word : QString();
}

bool ValueType::isEditable(Kind kind)
{
    return traitsOf(kind).editable;
}

bool ValueType::isEditable(const QString &type)
{
    return isEditable(kindOf(type)) || type.startsWith(QLatin1String("input"));
}

bool ValueType::isTransferable(Kind kind)
{
    return traitsOf(kind).transferable;
}

bool ValueType::isTransferable(const QString &type)
{
    return isTransferable(kindOf(type));
}

bool ValueType::takesPcClock(Kind kind)
{
    return traitsOf(kind).pcClock;
}

bool ValueType::takesPcClock(const QString &type)
{
    return takesPcClock(kindOf(type));
}

bool ValueType::isTyped(Kind kind)
{
    return kind == Kind::InputNum || kind == Kind::InputTime;
}

QString ValueType::passedOverReason(Kind kind)
{
    if (kind == Kind::ReadOnly)
        return QStringLiteral("nur lesbar");
    if (kind == Kind::Blocked)
        return QStringLiteral("von LUM gesperrt");
    return QStringLiteral("Wert kann nicht eingegeben werden");
}

QString ValueType::inputPattern(Kind kind)
{
    if (kind == Kind::InputNum)
        return numberPattern;
    if (kind == Kind::InputTime)
        return typedTimePattern;
    return QString();
}

QString ValueType::inputPattern(const QString &type)
{
    return inputPattern(kindOf(type));
}

QString ValueType::completeTyping(Kind kind, const QString &text)
{
    if (kind == Kind::InputTime && matchesWhole(fourDigitsPattern, text))
        return text.left(2) + QLatin1Char(':') + text.mid(2);
    return text;
}

QString ValueType::validate(Kind kind, const QString &text, const QStringList &options)
{
    switch (kind) {
    case Kind::Selection:
        return selectionProblem(text, options);
    case Kind::InputNum:
        return numberProblem(text);
    case Kind::InputTime:
        return timeProblem(text);
    case Kind::SystemTime:
        return QStringLiteral("wird bei der Übertragung auf die Uhrzeit des PCs gesetzt");
    case Kind::SystemDate:
        return QStringLiteral("wird bei der Übertragung auf das Datum des PCs gesetzt");
    case Kind::ReadOnly:
        return QStringLiteral("nur lesbar, kann nicht geändert werden");
    case Kind::Blocked:
        return QStringLiteral("gesperrt: wird von LUM nie geöffnet oder geschrieben");
    case Kind::Unknown:
        break;
    }
    return QStringLiteral("unbekannter Werttyp, kann nicht geändert werden");
}

QString ValueType::validate(const QString &type, const QString &text, const QStringList &options)
{
    return validate(kindOf(type), text, options);
}

bool ValueType::isValidValue(const QString &type, const QString &text, const QStringList &options)
{
    return validate(type, text, options).isEmpty();
}
