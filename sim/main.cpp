// lum-devsim: a simulated lift emergency-call device on a pseudo-terminal.
// Prints the port's path as its first line and runs until killed.

#include "devicesimulator.h"
#include "menugenerator.h"
#include "simmenu.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTranslator>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void onTerminationSignal(int)
{
    const char byte = 1;
    const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    (void)ignored;
}

// Quits the event loop on SIGTERM, SIGINT and SIGHUP, so that the device is
// destroyed normally and its symlink removed.
void quitOnTerminationSignals(QCoreApplication *app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

// "\x0c", "\r", "\n", "\t" and "\\" in a noise text; everything else as is.
QByteArray unescape(const QString &text)
{
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (int i = 0; i < in.size(); ++i) {
        if (in.at(i) != '\\' || i + 1 >= in.size()) {
            out.append(in.at(i));
            continue;
        }
        const char next = in.at(++i);
        if (next == 'x' && i + 2 < in.size()) {
            bool ok = false;
            const int value = in.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 2;
                continue;
            }
        }
        switch (next) {
        case 'r':
            out.append('\r');
            break;
        case 'n':
            out.append('\n');
            break;
        case 't':
            out.append('\t');
            break;
        default:
            out.append(next);
            break;
        }
    }
    return out;
}

QStringList menuPath(const QString &text)
{
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('/'));
}

bool applyAlteration(DeviceSimulator *sim, const QString &text)
{
    // [PATH:]FROM=TO, PATH being entry names joined with "/".
    const int eq = text.lastIndexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    const QString left = text.left(eq);
    const int colon = left.lastIndexOf(QLatin1Char(':'));
    const QString path = colon < 0 ? QString() : left.left(colon);
    const QString from = colon < 0 ? left : left.mid(colon + 1);
    sim->setValueAlteration(menuPath(path), from, text.mid(eq + 1));
    return true;
}

bool applyHiddenOption(DeviceSimulator *sim, const QString &text)
{
    // PATH=OPTION
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    sim->hideOption(menuPath(text.left(eq)), text.mid(eq + 1));
    return true;
}

int intValue(const QCommandLineParser &parser, const QString &name, int fallback, bool *ok)
{
    if (!parser.isSet(name))
        return fallback;
    bool valid = false;
    const int value = parser.value(name).toInt(&valid);
    if (!valid)
        *ok = false;
    return value;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lum-devsim"));
    // German like the device and LUM, also in the messages of Qt's
    // command-line parser (when Qt's German texts are installed).
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Simuliertes Aufzugsnotrufgerät an einem Pseudo-Terminal. Gibt als erste "
            "Zeile den Pfad seines Ports aus und läuft, bis es beendet wird.\n\n"
            "Beispiel:\n  lum-devsim --link /tmp/lumsession/ttyLUM"));
    parser.addHelpOption();
    parser.addOptions({
            { QStringLiteral("menu"),
              QStringLiteral(
                      "Menüdatei, die das Gerät ausführt (Vorgabe: das eingebaute Demo-Menü)."),
              QStringLiteral("file") },
            { QStringLiteral("generate"),
              QStringLiteral("Ein aus dieser Zahl erzeugtes Menü ausführen."),
              QStringLiteral("seed") },
            { QStringLiteral("print-menu"),
              QStringLiteral("Den Text der Menüdatei ausgeben (mit --generate: das erzeugte Menü) "
                             "und beenden.") },
            { QStringLiteral("link"),
              QStringLiteral("Pfad des symbolischen Links auf den Port; fehlende Ordner werden "
                             "angelegt (Vorgabe: in einem eigenen temporären Ordner)."),
              QStringLiteral("path") },
            { QStringLiteral("delay"), QStringLiteral("So lange vor jeder Antwort warten."),
              QStringLiteral("ms") },
            { QStringLiteral("silent-after"),
              QStringLiteral("Nach so vielen Tasten keine mehr beantworten."),
              QStringLiteral("keys") },
            { QStringLiteral("drop-after"),
              QStringLiteral("Die Leitung nach so vielen Tasten trennen."),
              QStringLiteral("keys") },
            { QStringLiteral("paced"),
              QStringLiteral("Mit der echten Geschwindigkeit von 9600 Baud senden.") },
            { QStringLiteral("byte-gap"),
              QStringLiteral("Antworten Byte für Byte mit diesem Abstand senden."),
              QStringLiteral("ms") },
            { QStringLiteral("noise"), QStringLiteral("In diesem Abstand eigene Bytes senden."),
              QStringLiteral("ms") },
            { QStringLiteral("noise-bytes"),
              QStringLiteral("Die eigenen Bytes, mit \\xNN-Folgen (Vorgabe: \\x11)."),
              QStringLiteral("text") },
            { QStringLiteral("alter"),
              QStringLiteral("Einen bestätigten Wert FROM als TO speichern, für die Einstellung "
                             "unter PATH (Namen mit / verbunden) oder für alle."),
              QStringLiteral("[PATH:]FROM=TO") },
            { QStringLiteral("hide-option"),
              QStringLiteral("Die Auswahl unter PATH bietet OPTION nicht an."),
              QStringLiteral("PATH=OPTION") },
            { QStringLiteral("serial-number"),
              QStringLiteral("Diese Seriennummer zeigen (die Einstellung \"Seriennummer\" des "
                             "Menüs), etwa für mehrere Geräte eines Menüs."),
              QStringLiteral("nr") },
            { QStringLiteral("restless-base"),
              QStringLiteral("ESC kommt nie im Grundmenü zur Ruhe.") },
            { QStringLiteral("verbose"),
              QStringLiteral("Jede Taste und die Anzeige, zu der sie führte, auf der "
                             "Standardfehlerausgabe protokollieren.") },
    });
    parser.process(app);

    QString menuText;
    if (parser.isSet(QStringLiteral("generate"))) {
        bool ok = false;
        const quint32 seed = parser.value(QStringLiteral("generate")).toUInt(&ok);
        if (!ok) {
            err << "lum-devsim: --generate erwartet eine Zahl" << Qt::endl;
            return 2;
        }
        menuText = MenuGenerator::generate(seed);
    }
    if (parser.isSet(QStringLiteral("print-menu"))) {
        QString text = menuText;
        if (text.isEmpty()) {
            QFile file(parser.isSet(QStringLiteral("menu")) ? parser.value(QStringLiteral("menu"))
                                                            : DeviceSimulator::demoMenuPath());
            if (!file.open(QIODevice::ReadOnly)) {
                err << "lum-devsim: " << file.fileName() << ": " << file.errorString() << Qt::endl;
                return 1;
            }
            text = QString::fromUtf8(file.readAll());
        }
        QTextStream(stdout) << text;
        return 0;
    }

    DeviceSimulator sim;
    QString error;
    const bool loaded = !menuText.isEmpty() ? sim.loadMenuText(menuText, &error)
            : parser.isSet(QStringLiteral("menu"))
            ? sim.loadMenuFile(parser.value(QStringLiteral("menu")), &error)
            : true;
    if (!loaded) {
        err << "lum-devsim: " << error << Qt::endl;
        return 1;
    }

    bool ok = true;
    sim.setAnswerDelay(intValue(parser, QStringLiteral("delay"), 0, &ok));
    sim.setSilentAfterKeys(intValue(parser, QStringLiteral("silent-after"), -1, &ok));
    sim.setDropAfterKeys(intValue(parser, QStringLiteral("drop-after"), -1, &ok));
    sim.setByteGap(intValue(parser, QStringLiteral("byte-gap"), 0, &ok));
    const int noiseMs = intValue(parser, QStringLiteral("noise"), 0, &ok);
    sim.setPaced(parser.isSet(QStringLiteral("paced")));
    sim.setRestlessBaseMenu(parser.isSet(QStringLiteral("restless-base")));
    sim.setLogging(parser.isSet(QStringLiteral("verbose")));
    if (parser.isSet(QStringLiteral("serial-number")))
        ok = sim.setSerialNumber(parser.value(QStringLiteral("serial-number"))) && ok;
    for (const QString &given : parser.values(QStringLiteral("alter")))
        ok = applyAlteration(&sim, given) && ok;
    for (const QString &given : parser.values(QStringLiteral("hide-option")))
        ok = applyHiddenOption(&sim, given) && ok;
    if (!ok) {
        err << "lum-devsim: ungültiger Wert einer Option (siehe --help)" << Qt::endl;
        return 2;
    }
    const QByteArray noise = parser.isSet(QStringLiteral("noise-bytes"))
            ? unescape(parser.value(QStringLiteral("noise-bytes")))
            : QByteArray("\x11");
    sim.setNoise(noiseMs, noise);

    quitOnTerminationSignals(&app);
    sim.setLinkPath(parser.value(QStringLiteral("link")));
    if (!sim.start(&error)) {
        err << "lum-devsim: " << error << Qt::endl;
        return 1;
    }
    std::printf("%s\n", qPrintable(sim.portPath()));
    std::fflush(stdout);
    if (parser.isSet(QStringLiteral("verbose")))
        err << "Gerät " << sim.screen().join(QLatin1Char(' ')) << " an " << sim.slavePath()
            << Qt::endl;
    QObject::connect(&sim, &DeviceSimulator::lineDropped, &app,
                     [&err] { err << "lum-devsim: Leitung getrennt" << Qt::endl; });
    const int status = app.exec();
    if (sim.longestGapInAnswerMs() > 0)
        err << "lum-devsim: longest gap inside an answer " << sim.longestGapInAnswerMs() << " ms"
            << Qt::endl;
    return status;
}
