#include "appidentity.h"
#include "kelhandler.h"
#include "loghandler.h"

#include <QSerialPortInfo>
#include <QtTest>

// Runs the built program the way a technician starts it, in a temporary home
// folder, and checks the debug log switch and what lands in the log.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void debugLogOnlyWithExactSwitch_data();
    void debugLogOnlyWithExactSwitch();
    void missingDisplayIsReportedPlainly();
    void byteTraceGoesOnlyIntoTheLog();

private:
    QString logText() const
    {
        QFile file(m_home.filePath("lum_debug.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
};

namespace {

QString banner(bool logged)
{
    return QStringLiteral(R"(######################## START LUM "%1" ########################)")
            .arg(AppIdentity::versionText(logged));
}

// Generous: the program may be built with sanitizers on a busy machine.
const int startTimeoutMs = 60000;

} // namespace

// The program and the log handler in this process keep their log in a
// temporary home; a "%1" in a message (here in a port path) must stay.
void TestStartup::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software"); // the offscreen platform has no OpenGL
    qputenv("LUM_EXTRA_PORTS", QFile::encodeName(m_home.filePath("sim-%1-%2/ttyLUM")));
}

void TestStartup::debugLogOnlyWithExactSwitch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("logged");
    QTest::newRow("switch after another argument, two runs")
            << QStringList{ "demo.lumc", "-debuglog" } << true;
    QTest::newRow("no switch") << QStringList() << false;
    QTest::newRow("switch as part of an argument") << QStringList{ "-debuglog2" } << false;
}

// With the switch each run appends lines "<time> <level>: <message>" below
// the last. Without it the banner goes to the error output and no file is made.
void TestStartup::debugLogOnlyWithExactSwitch()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, logged);
    QFile::remove(m_home.filePath("lum_debug.log"));
    QString previousRuns;
    for (int run = 1; run <= (logged ? 2 : 1); ++run) {
        QProcess lum;
        lum.start(QStringLiteral(LUM_PATH), arguments);
        // Waits on the error output and the log until the window's link has
        // listed the serial ports (or, without the log, the banner shows).
        QString errorOutput;
        QFileSystemWatcher watcher({ m_home.path() });
        QEventLoop loop;
        const auto started = [&] {
            const QString log = m_home.filePath("lum_debug.log");
            if (QFile::exists(log) && watcher.files().isEmpty())
                watcher.addPath(log);
            errorOutput += QString::fromLocal8Bit(lum.readAllStandardError());
            return logged ? logText().count("Extra serial port:") >= run
                          : errorOutput.contains("START LUM");
        };
        const auto check = [&] {
            if (started())
                loop.quit();
        };
        connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
        connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, check);
        connect(&lum, &QProcess::readyReadStandardError, &loop, check);
        QTimer::singleShot(startTimeoutMs, &loop, &QEventLoop::quit);
        if (!started())
            loop.exec();
        QVERIFY2(started(), qPrintable(errorOutput));
        lum.kill(); // the window would run until closed
        lum.waitForFinished(startTimeoutMs);
        if (!logged) {
            QVERIFY2(errorOutput.contains(banner(false)), qPrintable(errorOutput));
            QCOMPARE(QDir(m_home.path()).entryList(QDir::Files), QStringList());
            return;
        }
        const QString log = logText();
        QVERIFY(log.startsWith(previousRuns));
        const QStringList lines = log.mid(previousRuns.size()).split('\n', Qt::SkipEmptyParts);
        const QString stamp = QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} Debug: )");
        QVERIFY2(lines.value(0).contains(QRegularExpression(
                         stamp + QRegularExpression::escape(banner(true)) + "$")),
                 qPrintable(log));
        // The ports the program listed while its window was being built
        // are the machine's ports.
        QVERIFY2(log.contains(QStringLiteral("Debug: Number of serial ports: %1\n")
                                      .arg(QSerialPortInfo::availablePorts().size())),
                 qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("Debug: Extra serial port: \"%1\"\n")
                                      .arg(m_home.filePath("sim-%1-%2/ttyLUM"))),
                 qPrintable(log));
        previousRuns = log;
    }
    QCOMPARE(LogHandler::formatLine(QDateTime(QDate(2026, 3, 2), QTime(9, 4, 7, 5)), QtWarningMsg,
                                    "%1 of %2"),
             QStringLiteral("2026-03-02 09:04:07.005 Warning: %1 of %2"));
}

void TestStartup::missingDisplayIsReportedPlainly()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        env.remove(name);
    QProcess lum;
    lum.setProcessEnvironment(env);
    lum.start(QStringLiteral(LUM_PATH), { "-debuglog" });
    QVERIFY(lum.waitForFinished(startTimeoutMs));
    QVERIFY(lum.exitStatus() == QProcess::NormalExit && lum.exitCode() != 0);
    const QString errorOutput = QString::fromLocal8Bit(lum.readAllStandardError());
    QVERIFY2(errorOutput.contains("display") && errorOutput.contains("xvfb-run -a"),
             qPrintable(errorOutput));
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
    const QByteArray screen("\014Einstellungen\r\nbearbeiten?"); // form feed, two lines
    KelHandler link;
    const QtMessageHandler previous = qInstallMessageHandler(collectMessage);
    link.processReceivedBytes(screen);
    qInstallMessageHandler(previous);
    QVERIFY2(shownMessages.filter("PRG INPUT:").isEmpty(), qPrintable(shownMessages.join('\n')));

    QFile::remove(m_home.filePath("lum_debug.log"));
    LogHandler::install();
    link.processReceivedBytes(screen);
    qInstallMessageHandler(nullptr);
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(logText().count("Debug: PRG INPUT:"), screen.size());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
