// The device simulator driven over its pseudo-terminal by a plain file
// descriptor, the way a serial program sees it: key bytes in, display bytes
// out. The robot's read-outs and transfers walk its menus (the demo, the
// test menus and the generated ones) and would notice a simulator that
// answered wrongly or was silent, slow or forgetful when told to be; here
// stay what the other tests rely on without noticing a failure: one answer
// per key, the misbehaviour that must really happen (a hung-up line, slow
// bytes, noise), the menu files as described, and the link it publishes.

#include "devicesimulator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A program on the port: opens the link raw, sends keys and collects what
// the device sends until the line has been quiet for a while or hangs up.
struct PortClient
{
    ~PortClient() { ::close(m_fd); }

    bool open(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios settings;
        if (m_fd < 0 || tcgetattr(m_fd, &settings) != 0)
            return false;
        cfmakeraw(&settings);
        return tcsetattr(m_fd, TCSANOW, &settings) == 0;
    }

    QByteArray press(const QByteArray &keys, int quietMs = 60, int frames = 0)
    {
        if (::write(m_fd, keys.constData(), size_t(keys.size())) != keys.size())
            return QByteArray();
        QByteArray received;
        QEventLoop loop;
        QSocketNotifier notifier(m_fd, QSocketNotifier::Read);
        QTimer quiet;
        quiet.setSingleShot(true);
        QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
            char buffer[512];
            ssize_t n;
            while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0)
                received.append(buffer, int(n));
            hungUp = n == 0 || (n < 0 && errno != EAGAIN);
            notifier.setEnabled(!hungUp);
            // Wait on while fewer screens than asked for have begun.
            if (hungUp || received.count('\x0c') >= frames)
                quiet.start(hungUp ? 0 : quietMs);
        });
        loop.exec();
        return received;
    }

    bool hungUp = false;
    int m_fd = -1;
};

const char *testMenu = R"(# a small device
device ORV-TEST V1.00
section Einstellungen
    input Rufnummer 1 = 0800123
)";

} // namespace

class TestDeviceSimulator : public QObject
{
    Q_OBJECT

private slots:
    void misbehaviourReallyHappens();
    void menuFilesAreReadAsDescribed_data();
    void menuFilesAreReadAsDescribed();
    void linkFolderIsMadeOrTheReasonNamed_data();
    void linkFolderIsMadeOrTheReasonNamed();
    void executablePublishesAndRemovesTheLink();
};

// Every key gets one answer; noise and raw bytes reach a program that holds
// the port open; a byte gap slows an answer down; a drop answers its last
// key, then hangs up.
void TestDeviceSimulator::misbehaviourReallyHappens()
{
    DeviceSimulator sim;
    PortClient client;
    QString error;
    QVERIFY2(sim.loadMenuText(QString::fromUtf8(testMenu), &error) && sim.start(&error),
             qPrintable(error));
    QVERIFY(client.open(sim.portPath()));
    // Keys sent at once, also those the device has no use for, are answered each.
    const QByteArray keys("\x1b\x1b+\rx-+9\x1b");
    QCOMPARE(client.press(keys, 150, keys.size()).count('\x0c'), keys.size());
    QCOMPARE(sim.receivedKeys(), keys);
    sim.clearRecords();
    sim.sendRaw("\x0cSTOERUNG");
    QCOMPARE(client.press(QByteArray(), 120), QByteArray("\x0cSTOERUNG"));
    sim.setNoise(40, "#");
    const QByteArray noise = client.press(QByteArray(), 30) + client.press(QByteArray(), 30);
    sim.setNoise(0, QByteArray());
    QVERIFY(noise.size() >= 2);
    QCOMPARE(noise, QByteArray(noise.size(), '#'));
    QCOMPARE(sim.keyCount(), 0);

    sim.setByteGap(5);
    QElapsedTimer clock;
    clock.start();
    // Noise still on its way is no part of the answers.
    const QByteArray received = client.press("+\r", 60, 2).replace("#", "");
    QVERIFY(received.endsWith("\fEinstellungen\r\nbearbeiten?\x11"));
    QVERIFY2(
            clock.elapsed() - 60 >= (received.size() - 1) * 5 * 0.9,
            qPrintable(
                    QStringLiteral("%1 bytes in %2 ms").arg(received.size()).arg(clock.elapsed())));

    QSignalSpy dropped(&sim, &DeviceSimulator::lineDropped);
    const QString link = sim.portPath();
    sim.setByteGap(0);
    sim.setDropAfterKeys(3);
    QCOMPARE(client.press("\x1b"), QByteArray("\x0cProgrammierung\r\nbeenden?\x11"));
    if (!client.hungUp)
        client.press(QByteArray(), 3000);
    QVERIFY(client.hungUp);
    QCOMPARE(dropped.count(), 1);
    QVERIFY(!sim.isRunning());
    QVERIFY(!QFileInfo(link).isSymLink());
}

// A menu file is taken as its maker describes the device, or refused naming
// the line; names are what a reader of the screen takes them for.
void TestDeviceSimulator::menuFilesAreReadAsDescribed_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("expected"); // the error, or PATH=VALUE of the last entry
    QTest::newRow("unknown kind") << "section A\n    widget B\n"
                                  << "Zeile 2: unbekannte Art von Eintrag";
    QTest::newRow("empty section") << "section A\ninfo X\n"
                                   << "Zeile 1: Abschnitt \"A\" hat keine Einträge";
    QTest::newRow("no options") << "selection A = x\n"
                                << "Zeile 1: Auswahl \"A\" hat keine Auswahlmöglichkeiten";
    QTest::newRow("time not hh:mm") << "time Timerzeit = 8 Uhr\n"
                                    << "Zeile 1: eine Zeit muss";
    QTest::newRow("nothing in it") << "# only a comment\n"
                                   << "das Menü hat keine Einträge";
    QTest::newRow("a channel's own name under a shared heading")
            << "readonly ALARM 1 LSP = VERWENDET LSP1\n    line1: ALARM 1:\n"
            << "ALARM 1 LSP=VERWENDET LSP1";
    QTest::newRow("reads: names the entry for the path")
            << "section A\n    input B:C = 3\n        reads: BC\n"
            << "A/BC=3";
    QTest::newRow("reads: without a name") << "input B = 3\n    reads:\n"
                                           << "Zeile 2: reads: braucht einen Namen";
}

void TestDeviceSimulator::menuFilesAreReadAsDescribed()
{
    QFETCH(QString, menu);
    QFETCH(QString, expected);
    DeviceSimulator sim;
    QString error;
    if (sim.loadMenuText(menu, &error))
        QCOMPARE(expected.section('=', 0, 0) + '='
                         + sim.value(expected.section('=', 0, 0).split('/')),
                 expected);
    else
        QVERIFY2(error.startsWith(expected), qPrintable(error));
}

// The link's path below a fresh folder, and what start() says: nothing, or
// the message with the path it stopped at and the system's reason.
void TestDeviceSimulator::linkFolderIsMadeOrTheReasonNamed_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("error");
    const QString notADirectory = QString::fromLocal8Bit(std::strerror(ENOTDIR));
    QTest::newRow("missing folders are made") << "a/b/ttyLUM" << QString();
    QTest::newRow("a file where the link's folder belongs")
            << "file/ttyLUM"
            << "Der symbolische Link %1/file/ttyLUM kann nicht angelegt werden: " + notADirectory;
    QTest::newRow("a file where a folder above belongs")
            << "file/sub/ttyLUM"
            << "Der Ordner %1/file/sub kann nicht angelegt werden: " + notADirectory;
}

void TestDeviceSimulator::linkFolderIsMadeOrTheReasonNamed()
{
    QFETCH(QString, link);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    DeviceSimulator sim;
    sim.setLinkPath(dir.filePath(link));
    QString problem;
    const bool started = sim.start(&problem);
    QCOMPARE(problem, error.isEmpty() ? QString() : error.arg(dir.path()));
    QCOMPARE(started, error.isEmpty());
    QCOMPARE(QFileInfo(dir.filePath(link)).isSymLink(), started);
}

void TestDeviceSimulator::executablePublishesAndRemovesTheLink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyDEMO"));
    QProcess process;
    process.start(QStringLiteral(LUM_DEVSIM_PATH), { QStringLiteral("--link"), link });
    QVERIFY(process.waitForReadyRead(10000));
    QCOMPARE(QString::fromLocal8Bit(process.readLine()).trimmed(), link);
    QVERIFY(QFileInfo(link).isSymLink());
    process.terminate();
    QVERIFY(process.waitForFinished(10000));
    QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
    QVERIFY(!QFileInfo(link).exists() && !QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestDeviceSimulator)
#include "tst_devsim.moc"
