// The sessions that docs/lumctl.md and docs/series.md show, run as written
// against the device simulator: every "$ " line of the session's block goes
// through bash in a fresh folder, with the built lumctl and lum-devsim first
// on PATH, and what it prints must be what the doc shows below it. So the
// docs cannot drift from the programs.
//
// Only what must differ between runs is made alike on both sides: the folder
// of the simulator's link, the times taken, the PC's clock as the device
// stores it, the progress lines (a terminal shows only the last state of
// the line that is rewritten in place), the session's folder (the doc's
// technician works in /home/tech) and the date and time in the service
// record's names and report.

#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Pairs of a pattern and what it is made into.
const QList<QStringList> alike{
    { R"(\b\d+\.\d s\b)", "N.N s" },
    { R"(-> "\d\d:\d\d" \(inputsystemtime\))", R"(-> "hh:mm" (inputsystemtime))" },
    // Two reports of one minute: the second gets a number.
    { R"(\d{4}-\d\d-\d\d \d\d-\d\d( \(\d+\))?)", "JJJJ-MM-TT hh-mm" },
    { R"(^Zeit: \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$)", "Zeit: TT.MM.JJJJ hh:mm:ss" },
    { R"(^(Einstellungen/Uhrzeit +\|[^|]*\| )\d\d:\d\d)", R"(\1hh:mm)" },
    { R"(\b\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\b)", "JJJJ-MM-TT hh:mm:ss" },
};

QString madeAlike(const QStringList &lines)
{
    static const QRegularExpression progress(
            QStringLiteral("^(Ausgelesene Einträge|Übertragene Einstellungen|Verglichene Einstellungen): "));
    QStringList result;
    for (QString line : lines) {
        for (const QStringList &rule : alike)
            line.replace(QRegularExpression(rule[0]), rule[1]);
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
    // Each document's session is a test function of its own, so that the
    // two long sessions run side by side.
    void lumctlSessionPrintsWhatTheDocShows()
    {
        sessionPrintsWhatTheDocShows(QStringLiteral("docs/lumctl.md"),
                                     QStringLiteral("### A session with the demo device"));
    }
    void seriesSessionPrintsWhatTheDocShows()
    {
        sessionPrintsWhatTheDocShows(QStringLiteral("docs/series.md"),
                                     QStringLiteral("### A session with two lifts"));
    }

private:
    void sessionPrintsWhatTheDocShows(const QString &document, const QString &heading);
};

void TestDocSession::sessionPrintsWhatTheDocShows(const QString &document, const QString &heading)
{
    // The first block under the heading that starts with a command: "$ "
    // starts one (a trailing "\" joins the next line), other lines are what
    // it printed.
    QFile doc(QStringLiteral(LUM_SOURCE_DIR "/") + document);
    QVERIFY(doc.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(doc.readAll()).split(QLatin1Char('\n'));
    int at = lines.indexOf(heading);
    while (at > 0 && at + 1 < lines.size()
           && !(lines[at].startsWith("```") && lines[at + 1].startsWith("$ ")))
        ++at;
    QList<QPair<QString, QStringList>> steps;
    for (++at; at > 1 && at < lines.size() && !lines[at].startsWith("```"); ++at) {
        if (lines[at].startsWith("$ "))
            steps.append({ lines[at].mid(2), {} });
        else if (steps.last().first.endsWith('\\'))
            steps.last().first += '\n' + lines[at];
        else
            steps.last().second.append(lines[at]);
    }
    QVERIFY2(steps.size() >= 5, qPrintable("no session under its heading in " + document));

    QTemporaryDir work;
    QVERIFY(work.isValid());
    // A folder that does not exist yet, as /tmp/lumsession on a fresh machine.
    const QString docLinkFolder = QStringLiteral("/tmp/lumsession");
    const QString linkFolder = work.filePath(QStringLiteral("lumsession"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH",
                       QFileInfo(LUMCTL_PATH).absolutePath() + ':'
                               + QFileInfo(LUM_DEVSIM_PATH).absolutePath() + ':'
                               + environment.value("PATH"));
    // The service record goes where the doc's technician finds it, not into
    // the home folder of whoever runs the tests.
    environment.insert("LUM_DOCUMENTS_DIR", work.filePath(QStringLiteral("Documents")));

    // The simulators the session starts, killed when the test ends, however
    // it ends.
    std::vector<std::unique_ptr<QProcess>> simulators;
    int lastStatus = 0;
    for (const auto &step : qAsConst(steps)) {
        QString command = QString(step.first).replace(docLinkFolder, linkFolder);
        const bool background = command.endsWith(QLatin1String(" &"));
        QProcess shell;
        if (background)
            simulators.push_back(std::make_unique<QProcess>());
        QProcess &process = background ? *simulators.back() : shell;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(work.path());
        QString printed;
        if (background) { // the simulator runs on and prints its port first
            command.chop(2);
            process.start("bash", { "-c", "exec " + command });
            while (!process.canReadLine() && process.waitForReadyRead(30000)) { }
            printed = QString::fromLocal8Bit(process.readLine());
            QVERIFY2(!printed.isEmpty(), qPrintable(command + process.readAllStandardError()));
        } else { // "(exit N)" hands the previous command's status on to "$?"
            shell.setProcessChannelMode(QProcess::MergedChannels);
            shell.start("bash", { "-c", QStringLiteral("(exit %1); ").arg(lastStatus) + command });
            QVERIFY2(shell.waitForFinished(300000), qPrintable(command));
            lastStatus = shell.exitCode();
            printed = QString::fromLocal8Bit(shell.readAll());
        }
        printed.replace(linkFolder, docLinkFolder).replace(work.path(), "/home/tech");
        const QString actual = madeAlike(printed.split('\n'));
        const QString expected = madeAlike(step.second);
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("$ %1\n--- printed:\n%2\n--- the doc shows:\n%3")
                                    .arg(step.first, actual, expected)));
    }
    for (const auto &simulator : simulators) {
        simulator->terminate();
        simulator->waitForFinished(10000);
    }
}

QTEST_GUILESS_MAIN(TestDocSession)
#include "tst_docsession.moc"
