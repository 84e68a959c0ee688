#ifndef JOBTEXTS_H
#define JOBTEXTS_H

#include <QString>

// What the robot tells the technician about a job: how it ended and where it
// left the device (the outcome line), and the messages of the errors that
// end a job for reasons outside the walks.
namespace JobTexts {

inline const QString outcomeReadOut = QStringLiteral("%1 Einträge gelesen (%2)");
inline const QString outcomeTransfer = QStringLiteral("%1 Einstellungen übertragen (%2)");
inline const QString outcomeNothingMarked = QStringLiteral("Keine Einstellung zur Übertragung markiert.");
inline const QString outcomeReadOutAborted = QStringLiteral("Auslesen abgebrochen.");
inline const QString outcomeTransferAborted = QStringLiteral("Übertragung abgebrochen.");
inline const QString outcomeIdentificationAborted = QStringLiteral("Identifizierung abgebrochen.");
inline const QString outcomeReadOutFailed = QStringLiteral("Auslesen fehlgeschlagen.");
inline const QString outcomeTransferFailed = QStringLiteral("Übertragung fehlgeschlagen.");
inline const QString deviceReturning = QStringLiteral("Gerät wird ins Basismenü zurückgeführt …");
inline const QString deviceAtBaseMenu = QStringLiteral("Gerät im Basismenü.");
inline const QString deviceMaybeElsewhere = QStringLiteral(
        "Gerät steht möglicherweise nicht im Basismenü, bitte am Gerät prüfen.");
inline const QString deviceLineLost =
        QStringLiteral("Verbindung getrennt, Gerät steht möglicherweise nicht im Basismenü.");
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

} // namespace JobTexts

#endif // JOBTEXTS_H
