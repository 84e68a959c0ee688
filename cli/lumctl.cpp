#include "lumctl.h"

#include "configdiff.h"
#include "console.h"
#include "devicecomparison.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "portdoctor.h"
#include "progressline.h"
#include "robotjob.h"
#include "screenmonitor.h"
#include "seriesstatus.h"
#include "seriestable.h"
#include "servicerecord.h"
#include "settingeditor.h"
#include "transfermarks.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>

namespace {

struct CommandText
{
    const char *name;
    const char *usage;
    const char *help;
};

// Texts in UTF-8; they are German, like the window.
const CommandText commandTexts[] = {
    { "ports", "lumctl ports",
      "Listet die seriellen Ports auf, einer je Zeile: Name, Hersteller und \"*\"\n"
      "beim bevorzugten Adapter.\n\n"
      "Beispiel:\n"
      "  lumctl ports" },
    { "monitor", "lumctl monitor --port P [--json] [--count N] [--timeout S]",
      "Gibt jede fertige Anzeige des Geräts aus und sendet die Tasten, die von der\n"
      "Standardeingabe kommen, eine je Zeile: 0-9 * # + - OK ESC (Groß- oder\n"
      "Kleinschreibung). Eine Anzeige erscheint als ihre zwei sichtbaren Zeilen\n"
      "zwischen Strichen; ein \"+\" hinter dem rechten Strich heißt, dass die Zeile\n"
      "über 16 Zeichen hinausgeht, und eine Zeile mit \"^\" darunter zeigt auf den\n"
      "Textcursor in der zweiten Zeile.\n\n"
      "  --port P     Portname aus \"lumctl ports\" oder ein Gerätepfad\n"
      "  --json       ein JSON-Objekt je Anzeige: text, overlay, lines, cursorRow\n"
      "  --count N    nach N fertigen Anzeigen beenden\n"
      "  --timeout S  nach S Sekunden beenden; mit --count ein Fehler (Status 1),\n"
      "               wenn weniger Anzeigen kamen\n\n"
      "Beispiel:\n"
      "  printf 'ESC\\nOK\\n' | lumctl monitor --port /dev/ttyUSB0 --count 2" },
    { "identify", "lumctl identify --port P [--timeout S]",
      "Bringt das Gerät in sein Grundmenü und gibt seine Kennung aus, dazu den\n"
      "Hinweis des Geräts, wenn es einen gibt.\n\n"
      "  --port P     Portname aus \"lumctl ports\" oder ein Gerätepfad\n"
      "  --timeout S  nach S Sekunden aufgeben (Vorgabe 600)\n\n"
      "Beispiel:\n"
      "  lumctl identify --port /dev/ttyUSB0" },
    { "read", "lumctl read --port P --output DATEI [--timeout S] [--no-history]",
      "Liest die ganze Konfiguration des Geräts in DATEI (.lumc) aus. DATEI wird\n"
      "erst nach vollständigem Auslesen geschrieben; ein gescheitertes Auslesen\n"
      "lässt eine vorhandene Datei unverändert. Der Fortschritt geht auf die\n"
      "Standardfehlerausgabe.\n\n"
      "  --port P        Portname aus \"lumctl ports\" oder ein Gerätepfad\n"
      "  --output DATEI  die Konfigurationsdatei, die geschrieben wird\n"
      "  --timeout S     das Auslesen nach S Sekunden abbrechen (Vorgabe 600)\n"
      "  --no-history    keine Kopie in \"Kestrom LUM/Verlauf\" ablegen (sonst wie\n"
      "                  im Fenster unter dem Dokumentenordner oder\n"
      "                  $LUM_DOCUMENTS_DIR)\n\n"
      "Beispiel:\n"
      "  lumctl read --port /dev/ttyUSB0 --output anlage.lumc" },
    { "write",
      "lumctl write --port P DATEI [--only-changed [--all]] [--other-device] [--timeout S] "
      "[--report] [--protocol PDF [--site S] [--technician T]]",
      "Überträgt die in DATEI markierten Einstellungen in das Gerät; danach wird\n"
      "das Gerät neu identifiziert. Der Fortschritt geht auf die\n"
      "Standardfehlerausgabe. Jede Übertragung, vollständig oder nicht, hinterlässt\n"
      "ein Protokoll in \"Kestrom LUM/Protokolle\" (unter dem Dokumentenordner oder\n"
      "$LUM_DOCUMENTS_DIR): je markierter Einstellung der Wert vorher, der neue\n"
      "Wert und was aus ihr wurde.\n"
      "Stammt DATEI von einem anderen Gerät (andere Kennung oder Seriennummer;\n"
      "eine Vorlage ohne Seriennummer passt zu jedem Gerät ihrer Kennung), wird\n"
      "nichts übertragen (Status 2), außer mit --other-device.\n\n"
      "  --port P        Portname aus \"lumctl ports\" oder ein Gerätepfad\n"
      "  --only-changed  erst vergleichen, dann nur die markierten Einstellungen\n"
      "                  übertragen, deren Wert im Gerät ein anderer ist; das\n"
      "                  Protokoll nennt die übrigen \"unverändert\"\n"
      "  --all           mit --only-changed: alle änderbaren Einstellungen der\n"
      "                  Datei vergleichen, nicht nur die markierten\n"
      "  --other-device  auch in ein anderes Gerät übertragen\n"
      "  --timeout S     die Übertragung nach S Sekunden abbrechen (Vorgabe 600)\n"
      "  --report        das Protokoll auch auf die Standardausgabe schreiben\n"
      "  --protocol PDF  dazu das Protokoll für den Betreiber als PDF: Gerät mit\n"
      "                  Seriennummer, Vorgefunden, Geändert, Hinterlassen,\n"
      "                  Unterschriften. Dafür wird das Gerät vor der Übertragung\n"
      "                  ganz ausgelesen (mit Kopie im Verlauf).\n"
      "  --site S        die Anlage, die das Protokoll nennt\n"
      "  --technician T  der Techniker, den das Protokoll nennt\n\n"
      "Beispiel:\n"
      "  lumctl write --port /dev/ttyUSB0 anlage.lumc\n"
      "  lumctl write --port /dev/ttyUSB0 --only-changed --all anlage.lumc" },
    { "compare", "lumctl compare --port P DATEI [--json] [--timeout S]",
      "Vergleicht die änderbaren Einstellungen von DATEI mit dem Gerät, ohne eine\n"
      "Einstellung zu öffnen oder etwas zu ändern: das Gerät zeigt ihre Werte in\n"
      "seinen Listen. Je abweichender Einstellung eine Zeile\n"
      "  ~ PFAD: \"Wert in der Datei\" -> \"Wert im Gerät\"\n"
      "und je Einstellung, die das Gerät nicht hat,\n"
      "  - PFAD: nicht im Gerät\n"
      "Rückgabewert 0, wenn das Gerät die Werte der Datei hält, 1 bei\n"
      "Unterschieden, 2 bei Fehlern (auch wenn das Gerät nicht antwortet).\n\n"
      "  --port P     Portname aus \"lumctl ports\" oder ein Gerätepfad\n"
      "  --json       stattdessen ein JSON-Objekt: device, serialNumber, equal,\n"
      "               same, differences (path, file, device), notFound\n"
      "  --timeout S  den Vergleich nach S Sekunden abbrechen (Vorgabe 600)\n\n"
      "Beispiel:\n"
      "  lumctl compare --port /dev/ttyUSB0 anlage.lumc" },
    { "series",
      "lumctl series --port P --template T.lumc --table TABELLE.csv [--row ANLAGE] [--dry-run] "
      "[--all] [--other-device] [--no-history] [--timeout S] [--report] "
      "[--protocol PDF] [--site S] [--technician T]",
      "Programmiert eine Anlage einer Serie: die Vorlage T.lumc mit den Werten der\n"
      "Zeile, die zum angeschlossenen Gerät gehört. Die Tabelle (CSV aus einer\n"
      "Tabellenkalkulation, \";\" oder \",\", UTF-8 oder Windows-1252) hat eine\n"
      "Kopfzeile: die erste Spalte nennt die Anlage, eine Spalte \"Seriennummer\"\n"
      "bindet eine Zeile an ein Gerät, jede weitere Spalte ist der Pfad einer\n"
      "Einstellung, wie \"lumctl show\" ihn ausgibt. Eine fehlerhafte Tabelle wird\n"
      "mit Zeile und Spalte abgewiesen, bevor eine Taste gesendet wird.\n"
      "Das Gerät wird ausgelesen (Kopie im Verlauf), die Zeile nach seiner\n"
      "Seriennummer gewählt (sonst nach --row), verglichen, nur das Abweichende\n"
      "übertragen und danach noch einmal verglichen. Eine Zeile mit der\n"
      "Seriennummer eines anderen Geräts wird nie übertragen. Das Ergebnis je\n"
      "Anlage steht in TABELLE.csv.status neben der Tabelle.\n\n"
      "  --port P          Portname aus \"lumctl ports\" oder ein Gerätepfad\n"
      "  --template T      die Vorlage (.lumc) für alle Anlagen der Tabelle\n"
      "  --table TABELLE   die Tabelle der Anlagen (.csv)\n"
      "  --row ANLAGE      die Zeile dieser Anlage (wenn das Gerät keine\n"
      "                    Seriennummer zeigt oder die Tabelle keine nennt)\n"
      "  --dry-run         nur ausgeben, was übertragen würde; kein Wert wird gesendet\n"
      "  --all             alle änderbaren Einstellungen vergleichen, nicht nur die\n"
      "                    der Tabelle und die in der Vorlage markierten\n"
      "  --other-device    auch in ein Gerät mit anderer Kennung als die Vorlage\n"
      "  --no-history      nicht auslesen, keine Kopie im Verlauf\n"
      "  --timeout S       jeden Schritt nach S Sekunden abbrechen (Vorgabe 600)\n"
      "  --report          das Protokoll auch auf die Standardausgabe schreiben\n"
      "  --protocol PDF    dazu das Protokoll für den Betreiber als PDF\n"
      "  --site S          die Anlage, die das Protokoll nennt (Vorgabe: der Name\n"
      "                    der Zeile)\n"
      "  --technician T    der Techniker, den das Protokoll nennt\n\n"
      "Beispiel:\n"
      "  lumctl series --port /dev/ttyUSB0 --template vorlage.lumc --table anlagen.csv" },
    { "protocol", "lumctl protocol DATEI --protocol PDF [--site S] [--technician T]",
      "Schreibt das Protokoll des vorgefundenen Zustands als PDF: jede Einstellung\n"
      "von DATEI, etwa einer Kopie aus \"Kestrom LUM/Verlauf\", deren Name Gerät,\n"
      "Seriennummer und Zeit der Auslesung nennt.\n\n"
      "  --protocol PDF  die PDF-Datei, die geschrieben wird\n"
      "  --site S     die Anlage, die das Protokoll nennt\n"
      "  --technician T  der Techniker, den das Protokoll nennt\n\n"
      "Beispiel:\n"
      "  lumctl protocol \"Verlauf/ORV-NR4000 V2.31 SN 4711 2026-12-06 14-05.lumc\" "
      "--protocol vorher.pdf" },
    { "export", "lumctl export DATEI --csv [--output F]",
      "Schreibt die Einstellungen von DATEI für eine Tabellenkalkulation: eine Zeile\n"
      "je Einstellung, Pfad;Wert;Typ, UTF-8 mit BOM. Werte bleiben Text, wie das\n"
      "Gerät sie zeigt: ein Wert, der mit einer Ziffer oder mit = + - @ beginnt,\n"
      "bekommt einen Tabulator vorangestellt, damit weder Zahl noch Formel daraus\n"
      "wird.\n\n"
      "  --csv        das Format (das einzige)\n"
      "  --output F   in die Datei F statt auf die Standardausgabe\n\n"
      "Beispiel:\n"
      "  lumctl export anlage.lumc --csv --output anlage.csv" },
    { "show", "lumctl show DATEI [--json]",
      "Listet die Einträge von DATEI auf, einer je Zeile, durch Tabulatoren\n"
      "getrennt: Menüpfad mit \"/\" verbunden, Typ, Wert und \"*\" für eine zur\n"
      "Übertragung markierte Einstellung (sonst \"-\"). Der Wert einer Infozeile ist\n"
      "die zweite Zeile ihrer Anzeige.\n\n"
      "  --json       stattdessen ein JSON-Array der Einträge\n\n"
      "Beispiel:\n"
      "  lumctl show anlage.lumc" },
    { "set", "lumctl set DATEI PFAD=WERT...",
      "Ändert Einstellungen in DATEI, markiert sie zur Übertragung und speichert\n"
      "DATEI. PFAD ist der Menüpfad, wie \"lumctl show\" ihn ausgibt. Werte werden\n"
      "abgewiesen wie im Fenster, mit demselben Grund: eine Auswahl nimmt eine ihrer\n"
      "Möglichkeiten, ein Nummernfeld 0-9 # * (höchstens 32), ein Zeitfeld hh:mm\n"
      "(Uhrzeit oder Dauer, zweistellige Stunden, Minuten 00-59). Einstellungen, die\n"
      "Uhrzeit oder Datum des PCs übernehmen, werden nur markiert: als \"PFAD=\"\n"
      "angeben. Wird ein Argument abgewiesen, wird nichts gespeichert.\n\n"
      "Beispiel:\n"
      "  lumctl set anlage.lumc \"Einstellungen/Timer/Timerzeit Stoerung=01:00\"" },
    { "doctor", "lumctl doctor [--port P]",
      "Prüft die seriellen Ports: je Port Hersteller und Seriennummer des Adapters,\n"
      "ob dieser Benutzer ihn öffnen darf, welches Programm ihn belegt (mit\n"
      "Prozessnummer), ob er nutzbar ist, und sonst was zu tun ist. Dazu, ob\n"
      "Programme installiert sind oder laufen, die USB-Seriell-Adapter an sich\n"
      "nehmen (brltty, ModemManager), mit der Abhilfe. Rückgabewert 0, wenn der\n"
      "genannte Port (ohne --port: mindestens ein Port) nutzbar ist, sonst 2.\n\n"
      "  --port P     nur dieser Port entscheidet (Portname oder Gerätepfad)\n\n"
      "Beispiel:\n"
      "  lumctl doctor --port /dev/ttyUSB0" },
    { "diff", "lumctl diff A B",
      "Vergleicht zwei Konfigurationsdateien entlang ihrer Menüpfade:\n"
      "  ~ PFAD: \"Wert in A\" -> \"Wert in B\" (Typ)   eine Einstellung mit anderem Wert\n"
      "  - PFAD (Typ)                                ein Eintrag nur in A\n"
      "  + PFAD (Typ)                                ein Eintrag nur in B\n\n"
      "Beispiel:\n"
      "  lumctl diff vorher.lumc anlage.lumc" },
};

const CommandText *findCommand(const QString &name)
{
    for (const CommandText &command : commandTexts) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

const QCommandLineOption helpOption(QStringList{ QStringLiteral("h"), QStringLiteral("help") });
const QCommandLineOption portOption(QStringList{ QStringLiteral("p"), QStringLiteral("port") },
                                    QString(), QStringLiteral("P"));
const QCommandLineOption jsonOption(QStringLiteral("json"));
const QCommandLineOption countOption(QStringLiteral("count"), QString(), QStringLiteral("N"));
const QCommandLineOption outputOption(QStringList{ QStringLiteral("o"), QStringLiteral("output") },
                                      QString(), QStringLiteral("DATEI"));
const QCommandLineOption timeoutOption(QStringLiteral("timeout"), QString(), QStringLiteral("S"));
const QCommandLineOption noHistoryOption(QStringLiteral("no-history"));
const QCommandLineOption reportOption(QStringLiteral("report"));
const QCommandLineOption onlyChangedOption(QStringLiteral("only-changed"));
const QCommandLineOption allOption(QStringLiteral("all"));
const QCommandLineOption otherDeviceOption(QStringLiteral("other-device"));
const QCommandLineOption writeProtocolOption(QStringLiteral("protocol"), QString(),
                                             QStringLiteral("PDF"));
const QCommandLineOption siteOption(QStringLiteral("site"), QString(), QStringLiteral("S"));
const QCommandLineOption technicianOption(QStringLiteral("technician"), QString(),
                                          QStringLiteral("T"));
const QCommandLineOption templateOption(QStringLiteral("template"), QString(),
                                        QStringLiteral("T"));
const QCommandLineOption tableOption(QStringLiteral("table"), QString(), QStringLiteral("TABELLE"));
const QCommandLineOption rowOption(QStringLiteral("row"), QString(), QStringLiteral("ANLAGE"));
const QCommandLineOption dryRunOption(QStringLiteral("dry-run"));

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

// Runs the robot's job to its end; when it fails, says why on standard error.
bool runJob(RobotJob &job, int timeoutSeconds, ProgressLine *progress = nullptr)
{
    job.setTimeoutSeconds(timeoutSeconds);
    job.setProgressLine(progress);
    if (job.run())
        return true;
    Console::err(job.errorText());
    return false;
}

void printIdentity(const RobotJob &job)
{
    Console::out(QStringLiteral("Gerät: ") + job.deviceIdentifier());
    if (!job.deviceWarning().isEmpty())
        Console::out(job.deviceWarning());
}

// Marked settings the robot passes over: the device does not open them, so
// there is no value to enter.
QStringList markedButNotWritable(const DeviceProfile &profile)
{
    QStringList passedOver;
    for (const ConfItem *item : profile.items()) {
        if (TransferMarks::isPassedOver(item->element()))
            passedOver << ConfigDiff::joinedPath(item);
    }
    return passedOver;
}

// Where the service record went; a record that could not be written is said
// but does not fail the command.
void printRecord(const ServiceRecord &record, bool withReport, bool withHistory = true)
{
    if (!record.lastError().isEmpty())
        Console::err(record.lastError());
    if (withHistory && !record.lastHistoryFile().isEmpty())
        Console::out(QStringLiteral("Verlauf: ") + record.lastHistoryFile());
    if (withReport && !record.lastReport().isEmpty())
        Console::outRaw(record.lastReport().toUtf8());
    if (!record.lastReportFile().isEmpty())
        Console::out(QStringLiteral("Protokoll: ") + record.lastReportFile());
    if (!record.lastProtocolFile().isEmpty())
        Console::out(QStringLiteral("Protokoll (PDF): ") + record.lastProtocolFile());
}

} // namespace

QString Lumctl::overviewHelp()
{
    QStringList lines{
        QStringLiteral("LUM auf der Kommandozeile: programmiert Aufzugsnotrufgeräte über ihre"),
        QStringLiteral("Programmierschnittstelle, wie das LUM-Fenster."), QString(),
        QStringLiteral("Befehle:")
    };
    for (const CommandText &command : commandTexts)
        lines << QStringLiteral("  ") + QString::fromUtf8(command.usage);
    lines << QString()
          << QStringLiteral("\"lumctl BEFEHL --help\" beschreibt einen Befehl mit Beispiel. "
                            "\"-debuglog\" an")
          << QStringLiteral("beliebiger Stelle hängt jede Diagnosezeile an ~/lum_debug.log an.")
          << QString()
          << QStringLiteral(
                     "Rückgabewert: 0 Erfolg; 1 Gerät oder Roboter gescheitert; 2 falscher Aufruf,")
          << QStringLiteral(
                     "eine Datei, die nicht gelesen oder geschrieben werden kann, oder ein Port,")
          << QStringLiteral("der sich nicht öffnen lässt.");
    return lines.join(QLatin1Char('\n'));
}

QString Lumctl::commandHelp(const QString &command)
{
    const CommandText *text = findCommand(command);
    if (!text)
        return overviewHelp();
    return QStringLiteral("Aufruf: %1\n\n%2")
            .arg(QString::fromUtf8(text->usage), QString::fromUtf8(text->help));
}

int Lumctl::run(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        Console::err(overviewHelp());
        return UsageError;
    }
    const QString command = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")
        || command == QLatin1String("help")) {
        Console::out(rest.isEmpty() ? overviewHelp() : commandHelp(rest.first()));
        return Success;
    }
    if (command == QLatin1String("--version")) {
        Console::out(QStringLiteral("lumctl ") + QCoreApplication::applicationVersion());
        return Success;
    }
    if (command == QLatin1String("ports"))
        return runPorts(rest);
    if (command == QLatin1String("monitor"))
        return runMonitor(rest);
    if (command == QLatin1String("identify"))
        return runIdentify(rest);
    if (command == QLatin1String("read"))
        return runRead(rest);
    if (command == QLatin1String("write"))
        return runWrite(rest);
    if (command == QLatin1String("compare"))
        return runCompare(rest);
    if (command == QLatin1String("series"))
        return runSeries(rest);
    if (command == QLatin1String("show"))
        return runShow(rest);
    if (command == QLatin1String("set"))
        return runSet(rest);
    if (command == QLatin1String("diff"))
        return runDiff(rest);
    if (command == QLatin1String("doctor"))
        return runDoctor(rest);
    if (command == QLatin1String("protocol"))
        return runProtocol(rest);
    if (command == QLatin1String("export"))
        return runExport(rest);
    Console::err(QStringLiteral("lumctl: unbekannter Befehl \"%1\"\n").arg(command)
                 + overviewHelp());
    return UsageError;
}

bool Lumctl::parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
                   int minPositional, int maxPositional, int *status)
{
    parser.addOption(helpOption);
    if (!parser.parse(QStringList{ QStringLiteral("lumctl") } + arguments)) {
        *status = usageError(command, parser.errorText());
        return false;
    }
    if (parser.isSet(helpOption)) {
        Console::out(commandHelp(command));
        *status = Success;
        return false;
    }
    const int positional = parser.positionalArguments().size();
    if (positional < minPositional) {
        *status = usageError(command, QStringLiteral("zu wenige Argumente"));
        return false;
    }
    if (maxPositional >= 0 && positional > maxPositional) {
        *status = usageError(command,
                             QStringLiteral("unerwartetes Argument \"%1\"")
                                     .arg(parser.positionalArguments().at(maxPositional)));
        return false;
    }
    return true;
}

int Lumctl::usageError(const QString &command, const QString &problem)
{
    Console::err(QStringLiteral("lumctl %1: %2").arg(command, problem));
    if (const CommandText *text = findCommand(command))
        Console::err(QStringLiteral("Aufruf: ") + QString::fromUtf8(text->usage));
    return UsageError;
}

bool Lumctl::parseWithPort(QCommandLineParser &parser, const QString &command,
                           const QStringList &arguments, int positional, int *status)
{
    parser.addOption(portOption);
    if (!parse(parser, command, arguments, positional, positional, status))
        return false;
    if (!parser.isSet(portOption)) {
        *status = usageError(command, QStringLiteral("--port fehlt"));
        return false;
    }
    return true;
}

bool Lumctl::parseDeviceCommand(QCommandLineParser &parser, const QString &command,
                                const QStringList &arguments, int positional, int *timeout,
                                int *status)
{
    parser.addOption(timeoutOption);
    if (!parseWithPort(parser, command, arguments, positional, status))
        return false;
    if (!readTimeout(parser, command, timeout)) {
        *status = UsageError;
        return false;
    }
    return true;
}

bool Lumctl::runCheck(KelHandler &link, DeviceProfile &profile, bool all, int timeout,
                      DeviceOrigin *device, QString *warning)
{
    ProgressLine progress(Console::stderrIsTerminal());
    RobotJob check(RobotJob::Check, &link, &profile);
    check.setCheckAll(all);
    if (!runJob(check, timeout, &progress))
        return false;
    *device = check.connectedDevice();
    if (warning)
        *warning = check.deviceWarning();
    return true;
}

bool Lumctl::readTimeout(const QCommandLineParser &parser, const QString &command, int *seconds)
{
    *seconds = 600;
    if (!parser.isSet(timeoutOption))
        return true;
    bool ok = false;
    const int value = parser.value(timeoutOption).toInt(&ok);
    if (!ok || value <= 0) {
        usageError(command, QStringLiteral("--timeout erwartet eine positive Zahl von Sekunden"));
        return false;
    }
    *seconds = value;
    return true;
}

int Lumctl::openPort(KelHandler &link, const QString &port)
{
    if (link.openSerialPortByName(port))
        return Success;
    // The link's message names the port and says what to do.
    Console::err(link.lastErrorString());
    return UsageError;
}

int Lumctl::loadConfiguration(const QString &file, DeviceProfile &profile)
{
    if (profile.load(file))
        return Success;
    Console::err(profile.lastErrorString());
    return UsageError;
}

int Lumctl::saveConfiguration(const QString &file, DeviceProfile &profile)
{
    if (profile.save(file))
        return Success;
    Console::err(QStringLiteral("\"%1\" kann nicht geschrieben werden: %2")
                         .arg(file, profile.lastErrorString()));
    return UsageError;
}

int Lumctl::checkWritable(const QString &file)
{
    // Checked before a read-out that may take minutes, not after it.
    const QFileInfo info(file);
    const QFileInfo folder(info.absolutePath());
    if (info.exists() ? (!info.isFile() || !info.isWritable())
                      : (!folder.isDir() || !folder.isWritable())) {
        Console::err(QStringLiteral("\"%1\" kann nicht geschrieben werden").arg(file));
        return UsageError;
    }
    return Success;
}

int Lumctl::runPorts(const QStringList &arguments)
{
    QCommandLineParser parser;
    int status = Success;
    if (!parse(parser, QStringLiteral("ports"), arguments, 0, 0, &status))
        return status;
    KelHandler link;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    const QStringList names = link.termPortList();
    for (int i = 0; i < names.size(); ++i) {
        QString manufacturer;
        for (const QSerialPortInfo &info : infos) {
            if (info.portName() == names.at(i))
                manufacturer = info.manufacturer();
        }
        QString line = names.at(i) + QLatin1Char('\t') + manufacturer;
        if (i == link.termPortPreferredIndx())
            line += QStringLiteral("\t*");
        Console::out(line);
    }
    return Success;
}

int Lumctl::runMonitor(const QStringList &arguments)
{
    const QString command = QStringLiteral("monitor");
    QCommandLineParser parser;
    parser.addOption(jsonOption);
    parser.addOption(countOption);
    parser.addOption(timeoutOption);
    int status = Success;
    int timeout = 0;
    if (!parseWithPort(parser, command, arguments, 0, &status))
        return status;
    // Without --timeout the monitor runs until the line or the count ends it.
    if (parser.isSet(timeoutOption) && !readTimeout(parser, command, &timeout))
        return UsageError;
    int count = 0;
    if (parser.isSet(countOption)) {
        bool ok = false;
        count = parser.value(countOption).toInt(&ok);
        if (!ok || count <= 0)
            return usageError(command, QStringLiteral("--count erwartet eine positive Zahl"));
    }
    KelHandler link;
    status = openPort(link, parser.value(portOption));
    if (status != Success)
        return status;
    ScreenMonitor monitor(&link);
    monitor.setJson(parser.isSet(jsonOption));
    monitor.setScreenLimit(count);
    monitor.setTimeoutSeconds(timeout);
    switch (monitor.run()) {
    case ScreenMonitor::LineLost:
        Console::err(QStringLiteral("Verbindung zum Gerät wurde getrennt!"));
        return DeviceFailed;
    case ScreenMonitor::TimedOut:
        // Only a count that was not reached makes the time limit a failure.
        if (count > 0) {
            Console::err(
                    QStringLiteral("Zeitüberschreitung: %1 von %2 Bildschirmen in %3 s erhalten.")
                            .arg(monitor.screensShown())
                            .arg(count)
                            .arg(timeout));
            return DeviceFailed;
        }
        return Success;
    default:
        return Success;
    }
}

int Lumctl::runIdentify(const QStringList &arguments)
{
    const QString command = QStringLiteral("identify");
    QCommandLineParser parser;
    parser.addOption(timeoutOption);
    int status = Success;
    int timeout = 0;
    if (!parseWithPort(parser, command, arguments, 0, &status))
        return status;
    if (!readTimeout(parser, command, &timeout))
        return UsageError;
    KelHandler link;
    DeviceProfile profile;
    status = openPort(link, parser.value(portOption));
    if (status != Success)
        return status;
    RobotJob job(RobotJob::Identification, &link, &profile);
    if (!runJob(job, timeout))
        return DeviceFailed;
    Console::out(job.deviceIdentifier());
    if (!job.deviceWarning().isEmpty())
        Console::out(job.deviceWarning());
    return Success;
}

int Lumctl::runRead(const QStringList &arguments)
{
    const QString command = QStringLiteral("read");
    QCommandLineParser parser;
    parser.addOption(outputOption);
    parser.addOption(timeoutOption);
    parser.addOption(noHistoryOption);
    int status = Success;
    int timeout = 0;
    if (!parseWithPort(parser, command, arguments, 0, &status))
        return status;
    if (!parser.isSet(outputOption) || parser.value(outputOption).isEmpty())
        return usageError(command, QStringLiteral("--output fehlt"));
    if (!readTimeout(parser, command, &timeout))
        return UsageError;
    const QString file = parser.value(outputOption);
    status = checkWritable(file);
    if (status != Success)
        return status;
    KelHandler link;
    DeviceProfile profile;
    status = openPort(link, parser.value(portOption));
    if (status != Success)
        return status;

    ProgressLine progress(Console::stderrIsTerminal());
    RobotJob job(RobotJob::ReadOut, &link, &profile);
    ServiceRecord record;
    record.setHistoryEnabled(!parser.isSet(noHistoryOption));
    record.setBot(job.bot());
    if (!runJob(job, timeout, &progress))
        return DeviceFailed;
    status = saveConfiguration(file, profile);
    if (status != Success)
        return status;
    printIdentity(job);
    printRecord(record, false);
    Console::out(QStringLiteral("%1 Einträge ausgelesen in %2, gespeichert in %3")
                         .arg(profile.entryCount())
                         .arg(seconds(job.elapsedMs()), file));
    return Success;
}

int Lumctl::runCompare(const QStringList &arguments)
{
    const QString command = QStringLiteral("compare");
    QCommandLineParser parser;
    parser.addOption(jsonOption);
    int status = Success;
    int timeout = 0;
    if (!parseDeviceCommand(parser, command, arguments, 1, &timeout, &status))
        return status;
    DeviceProfile profile;
    status = loadConfiguration(parser.positionalArguments().first(), profile);
    if (status != Success)
        return status;
    KelHandler link;
    status = openPort(link, parser.value(portOption));
    if (status != Success)
        return status;
    DeviceOrigin device;
    QString warning;
    // Errors of the comparison are 2: 1 says the device differs.
    if (!runCheck(link, profile, true, timeout, &device, &warning))
        return UsageError;
    if (!profile.origin().fits(device))
        Console::err(QStringLiteral("Hinweis: ") + profile.origin().mismatchText(device));
    const bool equal = profile.differenceCount() == 0;
    if (parser.isSet(jsonOption)) {
        Console::outRaw(DeviceComparison::json(profile, device) + '\n');
    } else {
        Console::out(QStringLiteral("Gerät: ") + device.identifier);
        if (!warning.isEmpty())
            Console::out(warning);
        for (const QString &line : DeviceComparison::lines(profile))
            Console::out(line);
        Console::out(equal ? QStringLiteral("Das Gerät hält die Werte der Datei (%1 "
                                            "Einstellungen verglichen).")
                                     .arg(DeviceComparison::sameCount(profile))
                           : QStringLiteral("%1 Einstellungen weichen ab.")
                                     .arg(profile.differenceCount()));
    }
    return equal ? Success : DeviceFailed;
}

// Before a write of a file that knows its device: is the connected one that
// device?
bool Lumctl::isOtherDevice(const QString &file, KelHandler &link, int timeout,
                           DeviceOrigin *device, int *status)
{
    DeviceOrigin fileOrigin;
    *status = identifyDevice(file, link, timeout, device, &fileOrigin);
    return *status != Success || !fileOrigin.fits(*device);
}

// A check of the serial number alone (on a copy of the file, so that its
// marks stay as they are) tells which device is connected.
int Lumctl::identifyDevice(const QString &file, KelHandler &link, int timeout,
                           DeviceOrigin *device, DeviceOrigin *fileOrigin)
{
    DeviceProfile serialOnly;
    if (!serialOnly.load(file))
        return UsageError;
    if (fileOrigin)
        *fileOrigin = serialOnly.origin();
    serialOnly.setAllMarked(false);
    return runCheck(link, serialOnly, false, timeout, device) ? Success : DeviceFailed;
}

int Lumctl::refuseOtherDevice(const DeviceOrigin &file, const DeviceOrigin &device)
{
    Console::err(QStringLiteral("Die Datei gehört zu einem anderen Gerät: ")
                 + file.mismatchText(device)
                 + QStringLiteral("\nNichts übertragen; mit --other-device trotzdem übertragen."));
    return UsageError;
}

int Lumctl::runWrite(const QStringList &arguments)
{
    const QString command = QStringLiteral("write");
    QCommandLineParser parser;
    parser.addOptions({ reportOption, onlyChangedOption, allOption, otherDeviceOption,
                        writeProtocolOption, siteOption, technicianOption });
    int status = Success;
    int timeout = 0;
    if (!parseDeviceCommand(parser, command, arguments, 1, &timeout, &status))
        return status;
    if (parser.isSet(allOption) && !parser.isSet(onlyChangedOption))
        return usageError(command, QStringLiteral("--all nur mit --only-changed"));
    const QString file = parser.positionalArguments().first();
    DeviceProfile profile;
    status = loadConfiguration(file, profile);
    if (status != Success)
        return status;
    const bool onlyChanged = parser.isSet(onlyChangedOption);
    const bool anyDevice = parser.isSet(otherDeviceOption);
    if (onlyChanged) {
        KelHandler checkLink;
        status = openPort(checkLink, parser.value(portOption));
        if (status != Success)
            return status;
        DeviceOrigin device;
        if (!runCheck(checkLink, profile, parser.isSet(allOption), timeout, &device))
            return DeviceFailed;
        if (!anyDevice && !profile.origin().fits(device))
            return refuseOtherDevice(profile.origin(), device);
        for (const QString &line : DeviceComparison::lines(profile))
            Console::err(line);
        if (profile.markedCount() == 0) {
            Console::out(QStringLiteral("Keine Einstellung weicht ab; nichts übertragen (%1 "
                                        "unverändert).")
                                 .arg(DeviceComparison::sameCount(profile)));
            return Success;
        }
    } else if (!anyDevice && profile.origin().isKnown()
               && TransferMarks::countTaken(profile.document().documentElement()) > 0) {
        KelHandler checkLink;
        status = openPort(checkLink, parser.value(portOption));
        if (status != Success)
            return status;
        DeviceOrigin device;
        if (isOtherDevice(file, checkLink, timeout, &device, &status))
            return status != Success ? status : refuseOtherDevice(profile.origin(), device);
    }
    const QStringList passedOver = markedButNotWritable(profile);
    if (TransferMarks::countTaken(profile.document().documentElement()) == 0) {
        for (const QString &path : passedOver)
            Console::err(QStringLiteral("Übergangen (nicht änderbar): %1").arg(path));
        Console::err(
                QStringLiteral("Keine Einstellung zur Übertragung markiert; nichts übertragen."));
        return UsageError;
    }
    KelHandler link;
    status = openPort(link, parser.value(portOption));
    if (status != Success)
        return status;

    ProgressLine progress(Console::stderrIsTerminal());
    ServiceRecord record;
    record.setSourceFile(QFileInfo(parser.positionalArguments().first()).absoluteFilePath());
    record.setSite(parser.value(siteOption));
    record.setTechnician(parser.value(technicianOption));
    record.setProtocolFile(parser.value(writeProtocolOption));
    // The protocol says what was found: the device is read out first, which
    // also gives its serial number.
    if (!record.protocolFile().isEmpty()) {
        DeviceProfile found;
        RobotJob readOut(RobotJob::ReadOut, &link, &found);
        record.setBot(readOut.bot());
        if (!runJob(readOut, timeout, &progress))
            return DeviceFailed;
        record.setBot(nullptr);
    }
    RobotJob job(RobotJob::Transfer, &link, &profile);
    record.setBot(job.bot());
    if (!runJob(job, timeout, &progress)) {
        if (job.itemsDone() > 0)
            Console::err(QStringLiteral("%1 von %2 Einstellungen wurden vorher übertragen.")
                                 .arg(job.itemsDone())
                                 .arg(job.itemsTotal()));
        printRecord(record, parser.isSet(reportOption));
        return DeviceFailed;
    }
    printIdentity(job);
    printRecord(record, parser.isSet(reportOption));
    for (const QString &path : passedOver)
        Console::err(QStringLiteral("Übergangen (nicht änderbar): %1").arg(path));
    Console::out((job.itemsDone() == 1 ? QStringLiteral("%1 Einstellung übertragen in %2")
                                       : QStringLiteral("%1 Einstellungen übertragen in %2"))
                         .arg(job.itemsDone())
                         .arg(seconds(job.elapsedMs())));
    if (onlyChanged)
        Console::out(QStringLiteral("%1 Einstellungen unverändert")
                             .arg(DeviceComparison::sameCount(profile)));
    return Success;
}

namespace {

QString liftTitle(const SeriesTable::Lift &lift, const DeviceOrigin &device)
{
    const QString serial = device.serialNumber.isEmpty() ? lift.serialNumber : device.serialNumber;
    return serial.isEmpty() ? lift.name : QStringLiteral("%1 (Nr. %2)").arg(lift.name, serial);
}

QString settingsCount(int count)
{
    return count == 1 ? QStringLiteral("1 Einstellung") : QStringLiteral("%1 Einstellungen").arg(count);
}

} // namespace

// One lift of a series: the table is checked against the template before
// the port is opened; then the device is identified (by a read-out that
// leaves its copy in the history, or with --no-history by its serial number
// alone), its row picked, the lift's configuration compared with the
// device, only what differs written, and the written settings compared once
// more. The outcome goes into the status beside the table.
int Lumctl::runSeries(const QStringList &arguments)
{
    const QString command = QStringLiteral("series");
    QCommandLineParser parser;
    parser.addOptions({ templateOption, tableOption, rowOption, dryRunOption, allOption,
                        otherDeviceOption, noHistoryOption, reportOption, writeProtocolOption,
                        siteOption, technicianOption });
    int status = Success;
    int timeout = 0;
    if (!parseDeviceCommand(parser, command, arguments, 0, &timeout, &status))
        return status;
    if (parser.value(templateOption).isEmpty())
        return usageError(command, QStringLiteral("--template fehlt"));
    if (parser.value(tableOption).isEmpty())
        return usageError(command, QStringLiteral("--table fehlt"));
    // The protocol says what was found: that is the read-out's.
    if (parser.isSet(writeProtocolOption) && parser.isSet(noHistoryOption))
        return usageError(command, QStringLiteral("--protocol nur ohne --no-history"));
    const QString templateFile = parser.value(templateOption);
    const QString tableFile = parser.value(tableOption);
    const QString requested = parser.value(rowOption).trimmed();
    const bool dryRun = parser.isSet(dryRunOption);

    DeviceProfile templateProfile;
    status = loadConfiguration(templateFile, templateProfile);
    if (status != Success)
        return status;
    SeriesTable table;
    table.load(tableFile);
    const QList<SeriesTable::Problem> problems = table.check(templateProfile);
    if (!problems.isEmpty()) {
        for (const QString &line : SeriesTable::messages(problems))
            Console::err(QStringLiteral("%1: %2").arg(tableFile, line));
        Console::err(QStringLiteral("Die Tabelle hat Fehler; nichts übertragen."));
        return UsageError;
    }
    if (!requested.isEmpty() && table.liftIndex(requested) < 0) {
        Console::err(QStringLiteral("Keine Anlage \"%1\" in der Tabelle.").arg(requested));
        return UsageError;
    }
    SeriesStatus seriesStatus;
    QString error;
    if (!seriesStatus.load(tableFile, &error)) {
        Console::err(error);
        return UsageError;
    }

    KelHandler link;
    status = openPort(link, parser.value(portOption));
    if (status != Success)
        return status;
    ServiceRecord record;
    DeviceOrigin device;
    if (parser.isSet(noHistoryOption)) {
        status = identifyDevice(templateFile, link, timeout, &device);
        if (status != Success)
            return status;
    } else {
        ProgressLine progress(Console::stderrIsTerminal());
        DeviceProfile found;
        RobotJob readOut(RobotJob::ReadOut, &link, &found);
        record.setBot(readOut.bot());
        if (!runJob(readOut, timeout, &progress))
            return DeviceFailed;
        record.setBot(nullptr);
        device.identifier = readOut.deviceIdentifier().trimmed();
        device.serialNumber = found.serialNumberSetting();
        printRecord(record, false);
    }
    // The template is meant for every device of its identifier, whichever
    // device it was read from.
    DeviceOrigin templateOrigin = templateProfile.origin();
    templateOrigin.isTemplate = true;
    templateOrigin.serialNumber.clear();
    if (!parser.isSet(otherDeviceOption) && !templateOrigin.fits(device))
        return refuseOtherDevice(templateOrigin, device);

    QString problem;
    const int index = table.pickLift(device.serialNumber, requested, &problem);
    if (index < 0) {
        Console::err(problem);
        Console::err(QStringLiteral("Nichts übertragen."));
        return UsageError;
    }
    const SeriesTable::Lift &lift = table.lifts().at(index);
    DeviceProfile profile;
    if (!profile.load(templateFile) || !table.applyLift(index, &profile)) {
        Console::err(QStringLiteral("Die Konfiguration von \"%1\" kann nicht gebildet werden.")
                             .arg(lift.name));
        return UsageError;
    }
    // The row's device is the connected one, whatever --other-device allows
    // for the identifier.
    DeviceOrigin liftOrigin = profile.origin();
    if (parser.isSet(otherDeviceOption))
        liftOrigin.identifier = device.identifier;
    if (!liftOrigin.fits(device))
        return refuseOtherDevice(liftOrigin, device);

    SeriesStatus::Entry entry;
    entry.lift = lift.name;
    entry.serialNumber = device.serialNumber;
    auto finish = [&](SeriesStatus::Outcome outcome, const QString &note, int exitStatus) {
        entry.outcome = outcome;
        entry.note = note;
        entry.time = QDateTime::currentDateTime();
        QString statusError;
        if (!dryRun && !seriesStatus.record(entry, &statusError)) {
            Console::err(statusError);
            exitStatus = exitStatus == Success ? UsageError : exitStatus;
        }
        Console::out(QStringLiteral("%1: %2").arg(liftTitle(lift, device), note));
        if (!dryRun) {
            QStringList names;
            for (const SeriesTable::Lift &each : table.lifts())
                names.append(each.name);
            Console::out(seriesStatus.summary(names));
        }
        return exitStatus;
    };

    if (!runCheck(link, profile, parser.isSet(allOption), timeout, &device))
        return finish(SeriesStatus::Failed, QStringLiteral("Vergleich fehlgeschlagen"),
                      DeviceFailed);
    const QStringList differences = DeviceComparison::lines(profile);
    const int unchanged = DeviceComparison::sameCount(profile);
    if (dryRun) {
        for (const QString &line : differences)
            Console::out(line);
        return finish(SeriesStatus::Open,
                      QStringLiteral("%1 würden übertragen, %2 unverändert (Probelauf, nichts "
                                     "gesendet)")
                              .arg(settingsCount(TransferMarks::countTaken(
                                           profile.document().documentElement())))
                              .arg(unchanged),
                      Success);
    }
    for (const QString &line : differences)
        Console::err(line);
    if (TransferMarks::countTaken(profile.document().documentElement()) == 0)
        return finish(SeriesStatus::Unchanged,
                      QStringLiteral("unverändert, das Gerät hält die Werte (%1 verglichen)")
                              .arg(settingsCount(unchanged)),
                      Success);

    ProgressLine progress(Console::stderrIsTerminal());
    record.setSourceFile(QFileInfo(templateFile).absoluteFilePath());
    record.setSite(parser.isSet(siteOption) ? parser.value(siteOption) : lift.name);
    record.setTechnician(parser.value(technicianOption));
    record.setProtocolFile(parser.value(writeProtocolOption));
    RobotJob job(RobotJob::Transfer, &link, &profile);
    record.setBot(job.bot());
    const bool transferred = runJob(job, timeout, &progress);
    record.setBot(nullptr);
    printRecord(record, parser.isSet(reportOption), false);
    const int written = job.itemsDone();
    if (!transferred)
        return finish(SeriesStatus::Failed,
                      QStringLiteral("Übertragung fehlgeschlagen (%1 von %2 übertragen): %3")
                              .arg(written)
                              .arg(job.itemsTotal())
                              .arg(job.errorText()),
                      DeviceFailed);
    // What was written is compared once more: the device shows it in its lists.
    if (!runCheck(link, profile, false, timeout, &device))
        return finish(SeriesStatus::Failed,
                      QStringLiteral("%1 übertragen, Nachprüfung fehlgeschlagen")
                              .arg(settingsCount(written)),
                      DeviceFailed);
    if (profile.differenceCount() > 0) {
        for (const QString &line : DeviceComparison::lines(profile))
            Console::err(line);
        return finish(SeriesStatus::Failed,
                      QStringLiteral("%1 übertragen, %2 danach anders im Gerät")
                              .arg(settingsCount(written))
                              .arg(settingsCount(profile.differenceCount())),
                      DeviceFailed);
    }
    return finish(SeriesStatus::Written,
                  QStringLiteral("%1 übertragen und bestätigt, %2 unverändert")
                          .arg(settingsCount(written))
                          .arg(unchanged),
                  Success);
}

int Lumctl::runShow(const QStringList &arguments)
{
    const QString command = QStringLiteral("show");
    QCommandLineParser parser;
    parser.addOption(jsonOption);
    int status = Success;
    if (!parse(parser, command, arguments, 1, 1, &status))
        return status;
    DeviceProfile profile;
    status = loadConfiguration(parser.positionalArguments().first(), profile);
    if (status != Success)
        return status;
    if (parser.isSet(jsonOption)) {
        QJsonArray entries;
        for (const ConfItem *item : profile.items()) {
            QJsonObject entry;
            entry.insert(QStringLiteral("path"), QJsonArray::fromStringList(item->menuPath()));
            entry.insert(QStringLiteral("type"), item->type());
            entry.insert(QStringLiteral("value"), item->value());
            entry.insert(QStringLiteral("active"), item->active());
            if (item->kind() == ValueType::Kind::Selection)
                entry.insert(QStringLiteral("options"),
                             QJsonArray::fromStringList(item->options()));
            entries.append(entry);
        }
        Console::outRaw(QJsonDocument(entries).toJson(QJsonDocument::Indented));
        return Success;
    }
    for (const ConfItem *item : profile.items()) {
        Console::out(QStringList{ ConfigDiff::joinedPath(item), item->type(), item->value(),
                                  item->active() ? QStringLiteral("*") : QStringLiteral("-") }
                             .join(QLatin1Char('\t')));
    }
    return Success;
}

int Lumctl::runSet(const QStringList &arguments)
{
    const QString command = QStringLiteral("set");
    QCommandLineParser parser;
    int status = Success;
    if (!parse(parser, command, arguments, 2, -1, &status))
        return status;
    const QString file = parser.positionalArguments().first();
    DeviceProfile profile;
    status = loadConfiguration(file, profile);
    if (status != Success)
        return status;
    SettingEditor editor(profile.items());
    bool refused = false;
    for (const QString &assignment : parser.positionalArguments().mid(1)) {
        QString problem;
        if (!editor.add(assignment, &problem)) {
            Console::err(problem);
            refused = true;
        }
    }
    if (refused) {
        Console::err(QStringLiteral("Nichts geändert."));
        return UsageError;
    }
    editor.apply();
    return saveConfiguration(file, profile);
}

int Lumctl::runDiff(const QStringList &arguments)
{
    const QString command = QStringLiteral("diff");
    QCommandLineParser parser;
    int status = Success;
    if (!parse(parser, command, arguments, 2, 2, &status))
        return status;
    DeviceProfile a;
    DeviceProfile b;
    status = loadConfiguration(parser.positionalArguments().at(0), a);
    if (status == Success)
        status = loadConfiguration(parser.positionalArguments().at(1), b);
    if (status != Success)
        return status;
    for (const ConfigDiff::Difference &difference : ConfigDiff::compare(a.items(), b.items()))
        Console::out(ConfigDiff::describe(difference));
    return Success;
}

int Lumctl::runDoctor(const QStringList &arguments)
{
    const QString command = QStringLiteral("doctor");
    QCommandLineParser parser;
    parser.addOption(portOption);
    int status = Success;
    if (!parse(parser, command, arguments, 0, 0, &status))
        return status;
    const QString named = parser.value(portOption);
    const PortDoctor doctor;
    const QVector<PortDoctor::PortReport> ports = doctor.examinePorts(named);
    if (!ports.isEmpty())
        Console::out(QStringLiteral("Serielle Ports:"));
    for (const QString &line : doctor.describe(ports) + doctor.describeGrabbers())
        Console::out(line);
    if (ports.isEmpty()) {
        Console::err(PortDiagnosis::noPortFoundText());
        return UsageError;
    }
    QStringList usable;
    for (const PortDoctor::PortReport &port : ports) {
        if (named.isEmpty() || port.name == named) {
            if (port.finding.problem == PortDiagnosis::Usable)
                usable << port.name;
            else if (!named.isEmpty())
                Console::err(QStringLiteral("Ergebnis: %1 ist nicht nutzbar. %2")
                                     .arg(named, port.finding.text));
        }
    }
    if (usable.isEmpty()) {
        if (named.isEmpty())
            Console::err(QStringLiteral("Ergebnis: kein Port ist nutzbar."));
        return UsageError;
    }
    Console::out(QStringLiteral("Ergebnis: nutzbar: ") + usable.join(QStringLiteral(", ")));
    return Success;
}
