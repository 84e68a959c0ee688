#include "appidentity.h"
#include "kelhandler.h"
#include "loghandler.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// Runs the built program the way a technician starts it, with a temporary
// home folder, and checks the debug log switch and what lands in the log.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void debugLogOnlyWithExactSwitch_data();
    void debugLogOnlyWithExactSwitch();
    void loggedRunsAppendWellFormedLines();
    void missingDisplayIsReportedPlainly();
    void logLineNamesTheLevel_data();
    void logLineNamesTheLevel();
    void appendLineAddsToTheEnd();
    void byteTraceGoesOnlyIntoTheLog();

private:
    QProcessEnvironment environment() const;
    bool startLum(QProcess &process, const QStringList &arguments, const QProcessEnvironment &env);
    QString logText() const;
    QString logPath() const;
    void stopLum(QProcess &process);

    QScopedPointer<QTemporaryDir> m_home;
};

namespace {

const QString bannerWithLog =
        QStringLiteral(R"(######################## START LUM "%1" ########################)")
                .arg(AppIdentity::versionText(true));
const QString bannerWithoutLog =
        QStringLiteral(R"(######################## START LUM "%1" ########################)")
                .arg(AppIdentity::versionText(false));
const QRegularExpression logLinePattern(QStringLiteral(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (Debug|Info|Warning|Critical|Fatal): )"));
// Generous: the program may be built with sanitizers on a busy machine.
const int startTimeoutMs = 60000;

QStringList lines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

void TestStartup::init()
{
    m_home.reset(new QTemporaryDir);
    QVERIFY(m_home->isValid());
    QVERIFY(QDir(m_home->path()).mkpath("runtime"));
    QFile::setPermissions(m_home->filePath("runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestStartup::cleanup()
{
    m_home.reset();
}

QProcessEnvironment TestStartup::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", m_home->path());
    env.insert("XDG_RUNTIME_DIR", m_home->filePath("runtime"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform has no OpenGL; the scene draws in software.
    env.insert("QT_QUICK_BACKEND", "software");
    env.remove("LUM_EXTRA_PORTS");
    return env;
}

QString TestStartup::logPath() const
{
    return QDir(m_home->path()).filePath("lum_debug.log");
}

QString TestStartup::logText() const
{
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

bool TestStartup::startLum(QProcess &process, const QStringList &arguments,
                           const QProcessEnvironment &env)
{
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_home->path());
    process.start(QStringLiteral(LUM_PATH), arguments);
    return process.waitForStarted(startTimeoutMs);
}

void TestStartup::stopLum(QProcess &process)
{
    // The window would run until closed; the test ends it.
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(startTimeoutMs);
    }
}

void TestStartup::debugLogOnlyWithExactSwitch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("logged");

    QTest::newRow("switch after another argument")
            << QStringList{ "demo.lumc", "-debuglog" } << true;
    QTest::newRow("no switch") << QStringList() << false;
    QTest::newRow("switch as part of an argument") << QStringList{ "-debuglog2" } << false;
}

void TestStartup::debugLogOnlyWithExactSwitch()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, logged);

    QProcess lum;
    QVERIFY(startLum(lum, arguments, environment()));
    if (logged) {
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains("START LUM"), startTimeoutMs);
        stopLum(lum);
        const QStringList logLines = lines(logText());
        QVERIFY2(logLinePattern.match(logLines.value(0)).hasMatch()
                         && logLines.first().endsWith(" Debug: " + bannerWithLog),
                 qPrintable(logLines.value(0)));
    } else {
        // Without the log the banner goes to the default output.
        QString errorOutput;
        QTRY_VERIFY_WITH_TIMEOUT((errorOutput += QString::fromLocal8Bit(lum.readAllStandardError()))
                                         .contains("START LUM"),
                                 startTimeoutMs);
        stopLum(lum);
        QVERIFY2(errorOutput.contains(bannerWithoutLog), qPrintable(errorOutput));
        QVERIFY(!QFile::exists(logPath()));
        QCOMPARE(QDir(m_home->path()).entryList(QDir::Files), QStringList());
    }
}

// Two runs with the log switch: the second appends below the first, every
// line has the form "<time> <level>: <message>", and a "%1" in a message
// (here in a port path) is written literally.
void TestStartup::loggedRunsAppendWellFormedLines()
{
    QProcessEnvironment env = environment();
    const QString port = m_home->filePath("sim-%1-%2/ttyLUM");
    env.insert("LUM_EXTRA_PORTS", port);
    QProcess first;
    QVERIFY(startLum(first, { "-debuglog" }, env));
    // The terminal link of the window lists the serial ports once the scene is up.
    QTRY_VERIFY_WITH_TIMEOUT(logText().contains("Number of serial ports:"), startTimeoutMs);
    stopLum(first);
    const QString firstRun = logText();
    const QStringList logLines = lines(firstRun);
    QVERIFY(logLines.first().endsWith(bannerWithLog));
    QCOMPARE(firstRun.count(bannerWithLog), 1);
    const QRegularExpression portLine(
            logLinePattern.pattern().replace("(Debug|Info|Warning|Critical|Fatal)", "Debug")
            + "Number of serial ports: \\d+$");
    QCOMPARE(logLines.filter(portLine).size(), 1);
    QVERIFY2(firstRun.contains(QStringLiteral("Debug: Extra serial port: \"%1\"").arg(port)),
             qPrintable(firstRun));

    QProcess second;
    QVERIFY(startLum(second, { "-debuglog" }, env));
    QTRY_COMPARE_WITH_TIMEOUT(logText().count(bannerWithLog), 2, startTimeoutMs);
    stopLum(second);
    const QString both = logText();
    QVERIFY(both.startsWith(firstRun));
    QVERIFY2(lines(both.mid(firstRun.size())).value(0).endsWith(bannerWithLog), qPrintable(both));
}

void TestStartup::missingDisplayIsReportedPlainly()
{
#ifndef Q_OS_LINUX
    QSKIP("Only Linux has no display by default.");
#endif
    QProcessEnvironment env = environment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    QProcess lum;
    QVERIFY(startLum(lum, { "-debuglog" }, env));
    QVERIFY(lum.waitForFinished(startTimeoutMs));

    QCOMPARE(lum.exitStatus(), QProcess::NormalExit);
    QVERIFY(lum.exitCode() != 0);
    const QString errorOutput = QString::fromLocal8Bit(lum.readAllStandardError());
    QVERIFY2(errorOutput.contains("display"), qPrintable(errorOutput));
    QVERIFY2(errorOutput.contains("xvfb-run -a"), qPrintable(errorOutput));
}

void TestStartup::logLineNamesTheLevel_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("line");

    QTest::newRow("debug") << int(QtDebugMsg) << "PRG TASTE: \"OK \" \"0x0d\""
                           << "2026-03-02 09:04:07.005 Debug: PRG TASTE: \"OK \" \"0x0d\"";
    QTest::newRow("warning") << int(QtWarningMsg) << "x"
                             << "2026-03-02 09:04:07.005 Warning: x";
    QTest::newRow("placeholders in the message stay")
            << int(QtWarningMsg) << "%1 of %2 %3"
            << "2026-03-02 09:04:07.005 Warning: %1 of %2 %3";
}

void TestStartup::logLineNamesTheLevel()
{
    QFETCH(int, type);
    QFETCH(QString, message);
    QFETCH(QString, line);
    const QDateTime when(QDate(2026, 3, 2), QTime(9, 4, 7, 5));
    QCOMPARE(LogHandler::formatLine(when, QtMsgType(type), message), line);
}

void TestStartup::appendLineAddsToTheEnd()
{
    const QString path = m_home->filePath("appended.log");
    LogHandler::appendLine(path, "first");
    LogHandler::appendLine(path, "second %1");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("first\nsecond %1\n"));

    // A folder that does not exist: the line is lost, nothing else happens.
    LogHandler::appendLine(m_home->filePath("missing/folder/lum_debug.log"), "lost");
    QVERIFY(!QFile::exists(m_home->filePath("missing")));
    QCOMPARE(QFileInfo(LogHandler::logFilePath()).absoluteFilePath(),
             QDir::home().absoluteFilePath("lum_debug.log"));
}

namespace {

QStringList shownMessages;

void collectMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    shownMessages << message;
}

} // namespace

// Every byte from the device and every key makes a trace line. Without the
// log they must not reach the terminal (thousands a session); with it they
// are all in the log file.
void TestStartup::byteTraceGoesOnlyIntoTheLog()
{
    const QByteArray screen("\x0C"
                            "Einstellungen\r\n"
                            "bearbeiten?");
    KelHandler link;
    shownMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessage);
    link.processReceivedBytes(screen);
    qInstallMessageHandler(previous);
    QVERIFY2(shownMessages.filter(QStringLiteral("PRG INPUT:")).isEmpty(),
             qPrintable(shownMessages.join('\n')));

    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(m_home->path()));
    LogHandler::install();
    link.processReceivedBytes(screen);
    qInstallMessageHandler(nullptr);
    QLoggingCategory::setFilterRules(QString());
    qputenv("HOME", home);
    QCOMPARE(lines(logText()).filter(QStringLiteral("Debug: PRG INPUT:")).size(), screen.size());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
