// How fast the terminal link decodes the device's display stream, against
// the most the line can carry (9600 baud: 960 bytes a second).
//
// The bytes go through KelHandler::processReceivedBytes in screen-sized
// bursts, as readyRead() hands them over: every byte is counted, decoded and
// logged, the change signals go out once per burst and the quiet-gap timer is
// re-armed. The per-byte debug lines are built as always and then dropped by
// a message handler that writes nothing.

#include <QCoreApplication>
#include <QElapsedTimer>

#include "benchreport.h"
#include "kelhandler.h"

namespace {

const double lineBytesPerSecond = 960.0;
const int screensPerRound = 20000;
const int rounds = 5;

// A screen as the device draws it: clear screen, the first line, carriage
// return and line feed, the second line, and cursor home for an ordinary
// screen; an opened setting leaves the cursor behind the second line.
QByteArray drawnScreen(const QString &first, const QString &second, bool settingOpen)
{
    QByteArray bytes;
    bytes.append('\x0c');
    bytes.append(first.toLatin1());
    bytes.append("\r\n");
    bytes.append(second.toLatin1());
    if (!settingOpen)
        bytes.append('\x11');
    return bytes;
}

QVector<QByteArray> typicalScreens()
{
    return {
        drawnScreen(QStringLiteral("Einstellungen"), QString(), false),
        drawnScreen(QStringLiteral("Notrufende:"), QStringLiteral("Gegenstelle"), false),
        drawnScreen(QStringLiteral("Notrufende:"), QStringLiteral("Zeitablauf"), true),
        drawnScreen(QStringLiteral("Gesprächsdauer:"), QStringLiteral("180"), false),
        drawnScreen(QStringLiteral("Sprache:"), QStringLiteral("Français"), true),
        drawnScreen(QStringLiteral("Timerzeit Testalarm:"), QStringLiteral("08:00"), false),
        drawnScreen(QStringLiteral("ORV-NR4000 V2.31"), QStringLiteral("konfigurieren?"), false),
        drawnScreen(QStringLiteral("Testrufnummer:"), QStringLiteral("0800765432"), false),
    };
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(BenchReport::dropDebugMessages);

    const QVector<QByteArray> screens = typicalScreens();
    KelHandler link;
    QVector<double> rates;
    qint64 bytesPerRound = 0;
    for (int round = 0; round < rounds; ++round) {
        qint64 bytes = 0;
        QElapsedTimer clock;
        clock.start();
        for (int screen = 0; screen < screensPerRound; ++screen) {
            const QByteArray &burst = screens.at(screen % screens.size());
            link.processReceivedBytes(burst);
            bytes += burst.size();
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        rates.append(bytes / seconds);
        bytesPerRound = bytes;
        BenchReport::say(QStringLiteral("round %1: %2 bytes in %3 (%4 bytes/s)")
                                 .arg(round + 1)
                                 .arg(bytes)
                                 .arg(BenchReport::ms(seconds * 1000))
                                 .arg(bytes / seconds, 0, 'f', 0));
    }
    // The screen the decoder ends on proves the bytes were decoded.
    BenchReport::say(QStringLiteral("last screen: ")
                     + link.displayText().replace(QLatin1Char('\n'), QLatin1String(" | ")));

    const double rate = BenchReport::median(rates);
    const double secondsOfMedian = bytesPerRound / rate;
    const bool met = BenchReport::figure(
            QStringLiteral("Decoder throughput (bytes/s / line's 960 bytes/s)"),
            rate / lineBytesPerSecond, BenchReport::Goal::AtLeast, 1000,
            QStringLiteral("median of %1 rounds: %2 bytes in %3 = %4 bytes/s; line: 960 bytes/s")
                    .arg(rounds)
                    .arg(bytesPerRound)
                    .arg(BenchReport::ms(secondsOfMedian * 1000))
                    .arg(rate, 0, 'f', 0),
            0);
    return met ? 0 : 2;
}
