#include "jobresult.h"

#include "jobtexts.h"
#include "valuetype.h"

namespace {

QString whereLeftText(JobResult::DeviceLeft left)
{
    switch (left) {
    case JobResult::Returning:
        return QStringLiteral("Gerät wird ins Basismenü zurückgeführt …");
    case JobResult::AtBaseMenu:
        return QStringLiteral("Gerät im Basismenü.");
    case JobResult::MaybeElsewhere:
        return QStringLiteral(
                "Gerät steht möglicherweise nicht im Basismenü, bitte am Gerät prüfen.");
    case JobResult::LineLost:
        return QStringLiteral(
                "Verbindung getrennt, Gerät steht möglicherweise nicht im Basismenü.");
    case JobResult::NotSaid:
        break;
    }
    return QString();
}

} // namespace

QString JobResult::outcomeLine() const
{
    const QString clock = endedAt.toString(QStringLiteral("hh:mm"));
    QString ending;
    switch (outcome) {
    case Done:
        if (job == ReadOut)
            ending = JobTexts::entriesRead(entriesRead) + QStringLiteral(" (%1)").arg(clock);
        else if (job == Transfer && settingsToWrite == 0)
            ending = QStringLiteral("Keine Einstellung zur Übertragung markiert.");
        else if (job == Transfer)
            ending = (settingsWritten == 1 ? QStringLiteral("%1 Einstellung übertragen (%2)")
                                           : QStringLiteral("%1 Einstellungen übertragen (%2)"))
                             .arg(settingsWritten)
                             .arg(clock);
        else if (job == Check && serialNumberOnly)
            ending = JobTexts::serialNumberRead(deviceSerialNumber)
                    + QStringLiteral(" (%1)").arg(clock);
        else if (job == Check)
            ending = QStringLiteral("%1 Einstellungen verglichen (%2)")
                             .arg(checked.size())
                             .arg(clock);
        break;
    case Cancelled:
        ending = job == ReadOut                    ? JobTexts::readOutCancelled
                : job == Transfer                  ? JobTexts::transferCancelled
                : job == Check && serialNumberOnly ? JobTexts::serialCheckCancelled
                : job == Check                     ? JobTexts::checkCancelled
                : job == Identification            ? JobTexts::identificationCancelled
                                                   : QString();
        break;
    case Failed:
        ending = job == ReadOut                    ? JobTexts::readOutFailed
                : job == Transfer                  ? JobTexts::transferFailed
                : job == Check && serialNumberOnly ? JobTexts::serialCheckFailed
                : job == Check                     ? JobTexts::checkFailed
                                                   : QString();
        break;
    case Running:
    case NoDevice:
        break;
    }
    // An identification says what it found by the identifier (or that it
    // found no device); the line is for the jobs that end otherwise.
    if (ending.isEmpty())
        return ending;
    const QString whereLeft = whereLeftText(deviceLeft);
    if (whereLeft.isEmpty())
        return ending;
    return ending + QLatin1Char(' ') + whereLeft;
}

QString JobResult::passedOverReason(const QString &valueType)
{
    if (valueType == ValueType::ReadOnly)
        return QStringLiteral("nur lesbar");
    if (valueType == ValueType::Blocked)
        return QStringLiteral("von LUM gesperrt");
    return QStringLiteral("Wert kann nicht eingegeben werden");
}
