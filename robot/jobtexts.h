#ifndef JOBTEXTS_H
#define JOBTEXTS_H

#include <QString>

// The messages of the errors that end a job for reasons outside the walks,
// and the warning about a device left in programming mode. (How a job ended
// and where it left the device is said by its JobResult.)
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

} // namespace JobTexts

#endif // JOBTEXTS_H
