#include "console.h"

#include <cstdio>
#include <unistd.h>

void Console::out(const QString &line)
{
    outRaw((line + QLatin1Char('\n')).toLocal8Bit());
}

void Console::outRaw(const QByteArray &bytes)
{
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    fflush(stdout);
}

// The operating system words its errors (a file, a port) in English, and
// they reach the messages through Qt's error strings; lumctl speaks German
// throughout, as the window does.
QString Console::germanSystemErrors(QString text)
{
    static const struct
    {
        const char *english;
        const char *german;
    } texts[] = {
        { "No such file or directory", "Datei nicht gefunden" },
        { "Permission denied", "Zugriff verweigert" },
        { "Is a directory", "ist ein Ordner" },
        { "Not a directory", "kein Ordner" },
        { "No space left on device", "kein Platz mehr auf dem Datenträger" },
        { "Read-only file system", "Dateisystem nur lesbar" },
        { "File exists", "Datei gibt es schon" },
        { "Device or resource busy", "Gerät belegt" },
        { "Input/output error", "Ein-/Ausgabefehler" },
        { "Operation not permitted", "Vorgang nicht erlaubt" },
        { "No such device", "Gerät nicht vorhanden" },
        { "Unknown error", "unbekannter Fehler" },
    };
    for (const auto &entry : texts)
        text.replace(QLatin1String(entry.english), QString::fromUtf8(entry.german));
    return text;
}

void Console::err(const QString &line)
{
    errRaw(germanSystemErrors(line) + QLatin1Char('\n'));
}

void Console::errRaw(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    fflush(stderr);
}

bool Console::stderrIsTerminal()
{
    return isatty(fileno(stderr)) == 1;
}
