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

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Commands and what each printed, from the first block under `heading` that
// starts with a command: "$ " starts one (a trailing "\" joins the next line
// to it), other lines are its output.
QList<QPair<QString, QStringList>> sessionFromDoc(const QString &path, const QString &heading)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    int at = lines.indexOf(heading);
    while (at >= 0 && at + 1 < lines.size()
           && !(lines[at].startsWith(QLatin1String("```"))
                && lines[at + 1].startsWith(QLatin1String("$ "))))
        ++at;
    QList<QPair<QString, QStringList>> steps;
    for (++at; at > 0 && at < lines.size() && !lines[at].startsWith(QLatin1String("```")); ++at) {
        if (lines[at].startsWith(QLatin1String("$ "))) {
            steps.append({ lines[at].mid(2), {} });
            while (steps.last().first.endsWith(QLatin1Char('\\')) && at + 1 < lines.size())
                steps.last().first += QLatin1Char('\n') + lines[++at];
        } else if (!steps.isEmpty()) {
            steps.last().second.append(lines[at]);
        }
    }
    return steps;
}

QString madeAlike(const QStringList &lines)
{
    static const QList<QPair<QRegularExpression, QString>> alike{
        { QRegularExpression(QStringLiteral("\\b\\d+\\.\\d s\\b")), QStringLiteral("N.N s") },
        { QRegularExpression(QStringLiteral("-> \"\\d\\d:\\d\\d\" \\(inputsystemtime\\)")),
          QStringLiteral("-> \"hh:mm\" (inputsystemtime)") },
        { QRegularExpression(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d")),
          QStringLiteral("JJJJ-MM-TT hh-mm") },
        { QRegularExpression(
                  QStringLiteral("^Zeit: \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$")),
          QStringLiteral("Zeit: TT.MM.JJJJ hh:mm:ss") },
        { QRegularExpression(QStringLiteral("^(Einstellungen/Uhrzeit +\\|[^|]*\\| )\\d\\d:\\d\\d")),
          QStringLiteral("\\1hh:mm") },
    };
    static const QRegularExpression progress(
            QStringLiteral("^(Ausgelesene Einträge|Übertragene Einstellungen): "));
    QStringList result;
    for (QString line : lines) {
        for (const auto &rule : alike)
            line.replace(rule.first, rule.second);
        if (!result.isEmpty() && line.contains(progress) && result.last().contains(progress))
            result.removeLast();
        result.append(line);
    }
    while (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result.join(QLatin1Char('\n'));
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
    const auto steps = sessionFromDoc(QStringLiteral(LUM_SOURCE_DIR "/docs/lumctl.md"),
                                      QStringLiteral("### A session with the demo device"));
    QVERIFY2(steps.size() >= 5,
             "no session under \"### A session with the demo device\" in docs/lumctl.md");
    QTemporaryDir work;
    QVERIFY(work.isValid());
    // A folder that does not exist yet, as /tmp/lumsession on a fresh machine.
    const QString docLinkFolder = QStringLiteral("/tmp/lumsession");
    const QString linkFolder = work.filePath(QStringLiteral("lumsession"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       QFileInfo(QStringLiteral(LUMCTL_PATH)).absolutePath() + ':'
                               + QFileInfo(QStringLiteral(LUM_DEVSIM_PATH)).absolutePath() + ':'
                               + environment.value(QStringLiteral("PATH")));
    // The service record goes where the doc's technician finds it, not into
    // the home folder of whoever runs the tests.
    environment.insert(QStringLiteral("LUM_DOCUMENTS_DIR"),
                       work.filePath(QStringLiteral("Documents")));

    QProcess simulator; // killed when the test ends, however it ends
    int lastStatus = 0;
    for (const auto &step : steps) {
        QString command = step.first;
        command.replace(docLinkFolder, linkFolder);
        const bool background = command.endsWith(QLatin1String(" &"));
        QProcess shell;
        QProcess &process = background ? simulator : shell;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(work.path());
        QString printed;
        if (background) { // the simulator runs on and prints its port first
            command.chop(2);
            simulator.start(QStringLiteral("bash"),
                            { QStringLiteral("-c"), QStringLiteral("exec ") + command });
            QVERIFY2(simulator.waitForStarted(10000), qPrintable(command));
            while (!simulator.canReadLine() && simulator.waitForReadyRead(30000)) { }
            printed = QString::fromLocal8Bit(simulator.readLine());
            QVERIFY2(!printed.isEmpty(),
                     qPrintable(command + ": " + simulator.readAllStandardError()));
        } else {
            // "(exit N)" hands the previous command's status on to "$?".
            shell.setProcessChannelMode(QProcess::MergedChannels);
            shell.start(QStringLiteral("bash"),
                        { QStringLiteral("-c"),
                          QStringLiteral("(exit %1); ").arg(lastStatus) + command });
            QVERIFY2(shell.waitForFinished(300000), qPrintable(command));
            lastStatus = shell.exitCode();
            printed = QString::fromLocal8Bit(shell.readAll());
        }
        printed.replace(linkFolder, docLinkFolder)
                .replace(work.path(), QStringLiteral("/home/tech"));
        const QString actual = madeAlike(printed.split(QLatin1Char('\n')));
        const QString expected = madeAlike(step.second);
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("$ %1\n--- printed:\n%2\n--- the doc shows:\n%3")
                                    .arg(step.first, actual, expected)));
    }
    simulator.terminate();
    simulator.waitForFinished(10000);
}

QTEST_GUILESS_MAIN(TestDocSession)
#include "tst_docsession.moc"
