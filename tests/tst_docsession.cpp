// The session that docs/lumctl.md shows, run as written against the device
// simulator: every "$ " line of the session's block goes through bash in a
// fresh folder, with the built lumctl and lum-devsim first on PATH, and what
// it prints must be what the doc shows below it. So the doc cannot drift from
// the programs.
//
// Only what must differ between runs is made alike on both sides: the folder
// of the simulator's link, the times taken, the PC's clock as the device
// stores it, the progress lines (a terminal shows only the last state of
// the line that is rewritten in place), the session's folder (the doc's
// technician works in /home/tech) and the date and time in the service
// record's names and report.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString docLinkFolder = QStringLiteral("/tmp/lumsession");

struct SessionStep
{
    QString command;
    QStringList output;
};

// The session's block: "$ " starts a command (a trailing "\" joins
// the next line to it), other lines are what the command printed.
QVector<SessionStep> sessionFromDoc(const QString &path, const QString &heading, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *problem = path + QStringLiteral(": ") + file.errorString();
        return {};
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    // The first block under the heading that starts with a command.
    int at = lines.indexOf(heading);
    while (at >= 0 && at + 1 < lines.size()
           && !(lines.at(at).startsWith(QLatin1String("```"))
                && lines.at(at + 1).startsWith(QLatin1String("$ "))))
        ++at;
    if (at < 0 || at + 1 >= lines.size()) {
        *problem = QStringLiteral("no session block under \"%1\"").arg(heading);
        return {};
    }
    QVector<SessionStep> steps;
    for (++at; at < lines.size() && !lines.at(at).startsWith(QLatin1String("```")); ++at) {
        const QString &line = lines.at(at);
        if (line.startsWith(QLatin1String("$ "))) {
            SessionStep step;
            step.command = line.mid(2);
            while (step.command.endsWith(QLatin1Char('\\')) && at + 1 < lines.size())
                step.command += QLatin1Char('\n') + lines.at(++at);
            steps.append(step);
        } else if (!steps.isEmpty()) {
            steps.last().output.append(line);
        }
    }
    return steps;
}

QStringList madeAlike(QStringList lines)
{
    static const QRegularExpression seconds(QStringLiteral("\\b\\d+\\.\\d s\\b"));
    static const QRegularExpression clock(
            QStringLiteral("-> \"\\d\\d:\\d\\d\" \\(inputsystemtime\\)"));
    static const QRegularExpression stamp(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d"));
    static const QRegularExpression reportTime(
            QStringLiteral("^Zeit: \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$"));
    static const QRegularExpression clockInReport(
            QStringLiteral("^(Einstellungen/Uhrzeit +\\|[^|]*\\| )\\d\\d:\\d\\d"));
    static const QRegularExpression progress(
            QStringLiteral("^(Ausgelesene Einträge|Übertragene Einstellungen): "));
    QStringList result;
    for (QString line : lines) {
        line.replace(seconds, QStringLiteral("N.N s"));
        line.replace(clock, QStringLiteral("-> \"hh:mm\" (inputsystemtime)"));
        line.replace(stamp, QStringLiteral("JJJJ-MM-TT hh-mm"));
        line.replace(reportTime, QStringLiteral("Zeit: TT.MM.JJJJ hh:mm:ss"));
        line.replace(clockInReport, QStringLiteral("\\1hh:mm"));
        if (!result.isEmpty() && line.contains(progress) && result.last().contains(progress))
            result.removeLast();
        result.append(line);
    }
    while (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

} // namespace

class TestDocSession : public QObject
{
    Q_OBJECT

private slots:
    void lumctlSessionPrintsWhatTheDocShows();
};

void TestDocSession::lumctlSessionPrintsWhatTheDocShows()
{
    QString problem;
    const QVector<SessionStep> steps =
            sessionFromDoc(QStringLiteral(LUM_SOURCE_DIR "/docs/lumctl.md"),
                           QStringLiteral("### A session with the demo device"), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(steps.size() >= 5);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    // A folder that does not exist yet, as /tmp/lumsession on a fresh machine.
    const QString linkFolder = work.filePath(QStringLiteral("lumsession"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       QFileInfo(QStringLiteral(LUMCTL_PATH)).absolutePath() + QLatin1Char(':')
                               + QFileInfo(QStringLiteral(LUM_DEVSIM_PATH)).absolutePath()
                               + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    // The service record goes where the doc's technician finds it, not into
    // the home folder of whoever runs the tests.
    environment.insert(QStringLiteral("LUM_DOCUMENTS_DIR"),
                       work.filePath(QStringLiteral("Documents")));

    QProcess simulator; // killed when the test ends, however it ends
    int lastStatus = 0;
    for (const SessionStep &step : steps) {
        QString command = step.command;
        command.replace(docLinkFolder, linkFolder);
        QString printed;
        if (command.endsWith(QLatin1String(" &"))) {
            // The simulator runs on in the background; it prints its port first.
            command.chop(2);
            simulator.setProcessEnvironment(environment);
            simulator.setWorkingDirectory(work.path());
            simulator.start(QStringLiteral("bash"),
                            { QStringLiteral("-c"), QStringLiteral("exec ") + command });
            QVERIFY2(simulator.waitForStarted(10000), qPrintable(command));
            while (!simulator.canReadLine() && simulator.waitForReadyRead(30000)) { }
            printed = QString::fromLocal8Bit(simulator.readLine());
            QVERIFY2(!printed.isEmpty(),
                     qPrintable(command + QStringLiteral(": ")
                                + QString::fromLocal8Bit(simulator.readAllStandardError())));
        } else {
            QProcess shell;
            shell.setProcessEnvironment(environment);
            shell.setWorkingDirectory(work.path());
            shell.setProcessChannelMode(QProcess::MergedChannels);
            // "(exit N)" hands the previous command's status on to "$?".
            shell.start(QStringLiteral("bash"),
                        { QStringLiteral("-c"),
                          QStringLiteral("(exit %1); ").arg(lastStatus) + command });
            QVERIFY2(shell.waitForFinished(300000), qPrintable(command));
            lastStatus = shell.exitCode();
            printed = QString::fromLocal8Bit(shell.readAll());
        }
        printed.replace(linkFolder, docLinkFolder);
        printed.replace(work.path(), QStringLiteral("/home/tech"));
        const QString actual = madeAlike(printed.split(QLatin1Char('\n'))).join(QLatin1Char('\n'));
        const QString expected = madeAlike(step.output).join(QLatin1Char('\n'));
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("$ %1\n--- printed:\n%2\n--- the doc shows:\n%3")
                                    .arg(step.command, actual, expected)));
    }
    simulator.terminate();
    simulator.waitForFinished(10000);
}

QTEST_GUILESS_MAIN(TestDocSession)
#include "tst_docsession.moc"
