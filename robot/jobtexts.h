#ifndef JOBTEXTS_H
#define JOBTEXTS_H

#include <QString>

// The messages of the errors that end a job for reasons outside the walks,
// the warning about a device left in programming mode, and the words the
// window, lumctl and the service record use for a job's progress and end.
// (How a job ended and where it left the device is said by its JobResult.)
namespace JobTexts {

inline const QString errorNoDevice =
        QStringLiteral("Kein Gerät erkannt: keine Antwort auf der Schnittstelle.");
inline const QString warningProgrammingMode = QStringLiteral(
        "Hinweis: Bitte zum Abschluss \"Programmierung beenden\" wählen und den Jumper "
        "zurücksetzen!");

inline const QString errorBaseMenu =
        QStringLiteral("Fehler bei Initialisierung!\nBasismenü kann nicht gefunden werden!");
inline const QString errorReadOutLinkLost =
        QStringLiteral("Fehler beim Auslesen!\nVerbindung zum Gerät wurde getrennt!");
inline const QString errorTransferLinkLost =
        QStringLiteral("Fehler beim Übertragen!\nVerbindung zum Gerät wurde getrennt!");

inline const QString errorCheckLinkLost =
        QStringLiteral("Fehler beim Vergleichen!\nVerbindung zum Gerät wurde getrennt!");

inline const QString readOutCancelled = QStringLiteral("Auslesen abgebrochen.");
inline const QString transferCancelled = QStringLiteral("Übertragung abgebrochen.");
inline const QString identificationCancelled = QStringLiteral("Identifizierung abgebrochen.");
inline const QString readOutFailed = QStringLiteral("Auslesen fehlgeschlagen.");
inline const QString transferFailed = QStringLiteral("Übertragung fehlgeschlagen.");
inline const QString checkCancelled = QStringLiteral("Vergleich abgebrochen.");
inline const QString checkFailed = QStringLiteral("Vergleich fehlgeschlagen.");
inline const QString serialCheckCancelled = QStringLiteral("Lesen der Seriennummer abgebrochen.");
inline const QString serialCheckFailed = QStringLiteral("Lesen der Seriennummer fehlgeschlagen.");
inline const QString serialCheckProgress = QStringLiteral("Seriennummer wird gelesen …");

// The end of a check of the serial number alone: what the device showed.
inline QString serialNumberRead(const QString &serialNumber)
{
    return serialNumber.isEmpty() ? QStringLiteral("Keine Seriennummer im Gerät gefunden")
                                  : QStringLiteral("Seriennummer %1 gelesen").arg(serialNumber);
}

// A read-out's count of the entries read ("57 Einträge gelesen"): its
// progress, and with the time its end.
inline QString entriesRead(int count)
{
    return QStringLiteral("%1 Einträge gelesen").arg(count);
}

// How far a job has come, as the window shows it below its abort button: a
// transfer knows how many settings it has to write, a read-out only how far
// it got. Empty before anything is done.
inline QString progress(int done, int total)
{
    if (total > 0)
        return QStringLiteral("%1 von %2 Einstellungen übertragen").arg(done).arg(total);
    return done > 0 ? entriesRead(done) : QString();
}

// The same as lumctl's progress line on standard error, which names its
// count first so that a log of a long job can be searched for it.
inline QString progressLine(bool transfer, int done, int total)
{
    return transfer ? QStringLiteral("Übertragene Einstellungen: %1 von %2").arg(done).arg(total)
                    : QStringLiteral("Ausgelesene Einträge: %1").arg(done);
}

// A check's progress in the window: the settings looked at on the device.
inline QString checkProgress(int done, int total)
{
    return QStringLiteral("%1 von %2 Einstellungen verglichen").arg(done).arg(total);
}

inline QString checkProgressLine(int done, int total)
{
    return QStringLiteral("Verglichene Einstellungen: %1 von %2").arg(done).arg(total);
}

} // namespace JobTexts

#endif // JOBTEXTS_H
