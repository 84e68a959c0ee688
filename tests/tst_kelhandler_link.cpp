#include "devicesimulator.h"
#include "kelhandler.h"
#include "portdiagnosis.h"
#include "portscan.h"
#include "ptypair.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include "robotharness.h"

// The terminal link on a real pseudo-terminal: keys and texts as they reach
// the device and the log lines written for them; when a screen counts as
// complete (50 ms of quiet after the device's answer, one extra second for
// a key that got no answer); the port list the panel offers; opening,
// closing and losing the port. Times are checked as lower bounds (load only
// makes things later) or in windows wide enough to tell the paths apart.
class TestKelHandlerLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keysReachTheSimulatorInOrder();
    void sendStringWritesIso8859Bytes();
    void closedPortSendsAndLogsNothing_data();
    void closedPortSendsAndLogsNothing();
    void openWithoutValidSelectionFails();
    void openSelectedPortAndFailedOpen();
    void failedOpenSaysWhatAndWhatToDo_data();
    void failedOpenSaysWhatAndWhatToDo();
    void diagnosisNamesHolderAndGroup_data();
    void diagnosisNamesHolderAndGroup();
    void adapterGrabbersInstalledAndRunning();
    void lostLineClosesThePort_data();
    void lostLineClosesThePort();
    void keyBeforeClosingReachesTheDevice_data();
    void keyBeforeClosingReachesTheDevice();
    void writeErrorEndsTheConnection();
    void portListIsSortedWithPreferredAdapter_data();
    void portListIsSortedWithPreferredAdapter();
    void portChoiceEmitsInOrder();
    void rescanKeepsTheSelectedPortByName_data();
    void startScanArrivesLater_data();
    void startScanArrivesLater();
    void rescanKeepsTheSelectedPortByName();
    void answerCompletesOnce_data();
    void answerCompletesOnce();
    void keyDuringExtraWaitDoesNotRestartIt();
    void unsolicitedBurstsCompleteOneEach();
    void bytesWaitingWhenTheGapEndsBelongToTheScreen();
    void keyTimeIsNeverCutShort();

private:
    // The device played on a raw pseudo-terminal, with the link open on it.
    QScopedPointer<PtyPair> m_device;
    QScopedPointer<KelHandler> m_handler;
};

using PortEntries = QVector<KelHandler::PortEntry>;

namespace {

const QString extraWait =
        "KELHANDLER: no input after regular timeout - we wait an additional 1000ms...";
const QByteArray answerScreen("\fRufnummer 1:\r\n0800123456");
QStringList captured;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    captured.append(message);
    if (previousHandler)
        previousHandler(type, context, message);
}

QString ms(qint64 elapsed)
{
    return QStringLiteral(" after %1 ms").arg(elapsed);
}

// The port writes from the event loop: read the device side while events run.
QByteArray receivedOnDevice(PtyPair &device, int expectedSize)
{
    QSocketNotifier notifier(device.masterFd(), QSocketNotifier::Read);
    QSignalSpy readable(&notifier, &QSocketNotifier::activated);
    QByteArray received = device.readAvailable();
    while (received.size() < expectedSize && readable.wait(5000))
        received += device.readAvailable();
    return received;
}

} // namespace

void TestKelHandlerLink::init()
{
    captured.clear();
    // The link writes its trace only where the debug log asks for it.
    QLoggingCategory::setFilterRules(QStringLiteral("lum.trace.debug=true"));
    previousHandler = qInstallMessageHandler(captureMessage);
    m_device.reset(new PtyPair);
    m_handler.reset(new KelHandler);
    QVERIFY(m_device->isOpen());
    QVERIFY(m_handler->openSerialPortByName(m_device->slavePath()));
}

void TestKelHandlerLink::cleanup()
{
    m_handler.reset();
    m_device.reset();
    qInstallMessageHandler(previousHandler);
}

void TestKelHandlerLink::keysReachTheSimulatorInOrder()
{
    DeviceSimulator device;
    QString error;
    QVERIFY2(device.start(&error), qPrintable(error));
    KelHandler handler;
    QVERIFY2(handler.openSerialPortByName(device.portPath()),
             qPrintable(handler.lastErrorString()));
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    captured.clear();
    // One key per completed screen, as the robot sends them.
    const QByteArray keys("\x1b+\r05-#*", 8);
    QStringList logLines;
    for (const char *name : { "ESC", "+  ", "OK ", "0  ", "5  ", "-  ", "#  ", "*  " }) {
        const char key = keys.at(logLines.size());
        logLines
                << QString("PRG TASTE: \"%1\" \"0x%2\"").arg(name).arg(int(key), 2, 16, QChar('0'));
        const int before = completed.count();
        handler.sendChar(key);
        QVERIFY(completed.count() > before || completed.wait(5000));
    }
    QCOMPARE(device.receivedKeys(), keys);
    QCOMPARE(captured.filter("PRG TASTE:"), logLines);
}

// Umlauts become single bytes, characters outside ISO 8859-1 question marks;
// a text is no key: no log line, no completion, no extra wait.
void TestKelHandlerLink::sendStringWritesIso8859Bytes()
{
    QSignalSpy completed(m_handler.data(), &KelHandler::displayCompleted);
    m_handler->sendString(QString::fromUtf8("Tür ß 5 €"));
    QCOMPARE(receivedOnDevice(*m_device, 9), QByteArray("T\xFCr \xDF 5 ?"));
    QVERIFY(!completed.wait(1300));
    QCOMPARE(captured.filter(QRegularExpression("^(PRG TASTE|KELHANDLER):")), QStringList());
}

void TestKelHandlerLink::closedPortSendsAndLogsNothing_data()
{
    QTest::addColumn<int>("operation");
    QTest::newRow("sendChar") << 0;
    QTest::newRow("sendCharTimer") << 1;
    QTest::newRow("sendString") << 2;
    // The key's timer still runs after closing; its end must find the port closed.
    QTest::newRow("key time running when the port closes") << 3;
}

// Closing clears the screen once; afterwards nothing reaches the device,
// nothing is logged or shown, a second close included.
void TestKelHandlerLink::closedPortSendsAndLogsNothing()
{
    QFETCH(int, operation);
    KelHandler &handler = *m_handler;
    handler.processReceivedBytes("\fNotruf\r\nbereit");
    if (operation == 3)
        handler.sendCharTimer(char(13), 200);
    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    QSignalSpy textChanged(&handler, &KelHandler::displayTextChanged);
    QSignalSpy overlayChanged(&handler, &KelHandler::displayCursorOverlayChanged);
    handler.closeSerialPort();
    handler.closeSerialPort();
    captured.clear();
    if (operation == 0)
        handler.sendChar('+');
    else if (operation == 1)
        handler.sendCharTimer(char(13), 500);
    else if (operation == 2)
        handler.sendString(QStringLiteral("123"));
    // Time for the event loop to write (it must not) and for any timer to end.
    QVERIFY(!completed.wait(1500));
    QCOMPARE(m_device->readAvailable(), QByteArray(operation == 3 ? "\r" : ""));
    QCOMPARE(captured, QStringList());
    QCOMPARE(QString("%1 %2 %3")
                     .arg(ready.count())
                     .arg(textChanged.count())
                     .arg(overlayChanged.count()),
             QString("1 1 0"));
    QCOMPARE(handler.displayLines(), QString(32, ' ') + "\n" + QString(32, ' '));
    QCOMPARE(int(handler.cursorRow()), 0);
}

// An index the list does not hold (the selector writes whatever it holds),
// and a machine where no port was found at all.
void TestKelHandlerLink::openWithoutValidSelectionFails()
{
    const QString notSelected = QString::fromUtf8(
            "Keine Schnittstelle gewählt: bitte die Schnittstelle des Adapters in der Liste "
            "wählen.");
    const QString noneFound = QString::fromUtf8(
            "Keine serielle Schnittstelle gefunden. Den USB-Seriell-Adapter einstecken und die "
            "Liste neu aufklappen. Eine Schnittstelle, die das System nicht meldet, lässt sich mit "
            "der Umgebungsvariablen LUM_EXTRA_PORTS angeben (siehe docs/terminal.md).");
    for (int selected : { 2, -5, 0 }) {
        KelHandler handler;
        KelHandler::PortChoice choice;
        if (selected != 0)
            choice.names = QStringList{ "ttyUSB0", "ttyUSB1" };
        handler.applyPortChoice(choice);
        handler.setTermPortSelectedIndx(selected);
        QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);
        handler.openSerialPort();
        QVERIFY(!handler.terminalIsReady() && ready.isEmpty());
        QCOMPARE(handler.lastErrorString(), selected == 0 ? noneFound : notSelected);
    }
}

// A failed open keeps the port's reason (also in the log, through the
// debug stream that quotes text) until another failure replaces it.
void TestKelHandlerLink::openSelectedPortAndFailedOpen()
{
    QTemporaryDir dir;
    PtyPair device;
    KelHandler handler;
    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);
    QVERIFY(!handler.openSerialPortByName(dir.filePath("ttyGone")));
    const QString error = handler.lastErrorString();
    QVERIFY(!error.isEmpty() && captured.contains('"' + error + '"'));
    QCOMPARE(ready.count(), 0);
    handler.applyPortChoice(KelHandler::buildPortChoice({}, { device.slavePath() }));
    QCOMPARE(handler.termPortSelectedIndx(), 0);
    handler.openSerialPort();
    QVERIFY(handler.terminalIsReady());
    QCOMPARE(ready.count(), 1);
    QCOMPARE(handler.lastErrorString(), error);
    handler.sendChar('5');
    QCOMPARE(receivedOnDevice(device, 1), QByteArray("5"));
}

// Each way an open fails, on real ports: the text says what happened and
// what to do, in German, never the port's own English text.
void TestKelHandlerLink::failedOpenSaysWhatAndWhatToDo_data()
{
    QTest::addColumn<QString>("port"); // "pty": the pseudo-terminal the link holds open
    QTest::addColumn<QString>("text"); // %1: the port, %2: this program, %3: its process id
    QTest::newRow("unplugged") << "gone"
                               << "Die Schnittstelle %1 gibt es nicht (mehr): der Adapter ist "
                                  "nicht eingesteckt oder wurde abgezogen. Adapter einstecken und "
                                  "die Schnittstelle neu wählen.";
    QTest::newRow("held by another opener") << "pty"
                                            << "Die Schnittstelle %1 ist belegt von %2 (Prozess "
                                               "%3). Das Programm beenden oder dort die "
                                               "Verbindung trennen, dann erneut verbinden.";
    QTest::newRow("no serial line") << "/dev/null"
                                    << "%1 ist keine serielle Schnittstelle: sie nimmt die "
                                       "Leitungseinstellungen (9600 Baud, 8 Datenbits, keine "
                                       "Parität, 1 Stoppbit) nicht an. Die Schnittstelle des "
                                       "USB-Seriell-Adapters wählen.";
}

void TestKelHandlerLink::failedOpenSaysWhatAndWhatToDo()
{
    QFETCH(QString, port);
    QFETCH(QString, text);
    QTemporaryDir dir;
    if (port == "pty")
        port = m_device->slavePath();
    else if (port == "gone")
        port = dir.filePath("ttyUSB0");
    if (port == "/dev/null" && ::getuid() != 0)
        QSKIP("/dev/null is writable for root only here");
    KelHandler second;
    QSignalSpy ready(&second, &KelHandler::terminalIsReadyChanged);
    QVERIFY(!second.openSerialPortByName(port));
    QVERIFY(!second.terminalIsReady() && ready.isEmpty());
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QCOMPARE(second.lastErrorString(),
             QString(text)
                     .replace("%1", port)
                     .replace("%2", program)
                     .replace("%3", QString::number(QCoreApplication::applicationPid())));
    // The first opener keeps its line.
    QVERIFY(m_handler->terminalIsReady());
}

namespace {

void writeFakeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A made-up system: three adapters, a terminal program holding one through
// an open file, another LUM holding one through its lock file, a stale lock
// on the third, ModemManager running and brltty installed.
void buildFakeSystem(const QString &root)
{
    const QFile::Permissions readWriteForGroup =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
    for (const char *device : { "ttyUSB0", "ttyUSB1", "ttyS0" }) {
        writeFakeFile(root + "/dev/" + device, "");
        QFile::setPermissions(root + "/dev/" + device, readWriteForGroup);
    }
    const uint gid = QFileInfo(root + "/dev/ttyS0").groupId();
    writeFakeFile(root + "/etc/group",
                  QString("root:x:4000009:\ndialout:x:%1:tech,other\n").arg(gid).toUtf8());
    writeFakeFile(root + "/proc/4711/cmdline",
                  QByteArray("/usr/bin/minicom\0-D\0/dev/ttyUSB0\0", 33));
    QDir().mkpath(root + "/proc/4711/fd");
    QVERIFY(QFile::link("/dev/pts/7", root + "/proc/4711/fd/0"));
    QVERIFY(QFile::link("/dev/ttyUSB0", root + "/proc/4711/fd/3"));
    writeFakeFile(root + "/proc/815/cmdline", QByteArray("/usr/bin/lum\0", 13));
    writeFakeFile(root + "/run/lock/LCK..ttyUSB1", "       815\n");
    writeFakeFile(root + "/var/lock/LCK..ttyS0", "999\nminicom\n");
    writeFakeFile(root + "/proc/77/comm", "ModemManager\n");
    writeFakeFile(root + "/usr/sbin/brltty", "");
}

} // namespace

void TestKelHandlerLink::diagnosisNamesHolderAndGroup_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("user"); // member of the port's group unless "newbie" or "tech"
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("text");
    QTest::newRow("held through an open file")
            << "ttyUSB0"
            << "me" << int(PortDiagnosis::InUse)
            << "Die Schnittstelle ttyUSB0 ist belegt von minicom (Prozess 4711). Das Programm "
               "beenden oder dort die Verbindung trennen, dann erneut verbinden.";
    QTest::newRow("locked by another LUM")
            << "/dev/ttyUSB1"
            << "me" << int(PortDiagnosis::InUse)
            << "Die Schnittstelle /dev/ttyUSB1 ist schon von einem anderen LUM belegt: lum "
               "(Prozess 815). Dort die Verbindung trennen oder das Programm beenden, dann "
               "erneut verbinden.";
    QTest::newRow("stale lock") << "ttyS0"
                                << "me" << int(PortDiagnosis::Usable)
                                << "Die Schnittstelle ttyS0 ist frei und darf geöffnet werden.";
    QTest::newRow("unplugged") << "ttyUSB9"
                               << "me" << int(PortDiagnosis::Missing)
                               << "Die Schnittstelle ttyUSB9 gibt es nicht (mehr): der Adapter ist "
                                  "nicht eingesteckt oder wurde abgezogen. Adapter einstecken und "
                                  "die Schnittstelle neu wählen.";
    QTest::newRow("not in the group")
            << "ttyS0"
            << "newbie" << int(PortDiagnosis::NoPermission)
            << "Keine Berechtigung für die Schnittstelle ttyS0: nur Mitglieder der Gruppe "
               "\"dialout\" dürfen sie öffnen. Abhilfe: im Terminal \"sudo usermod -aG dialout "
               "$USER\" eingeben, danach ab- und wieder anmelden.";
    QTest::newRow("joined the group, not logged in anew")
            << "ttyS0"
            << "tech" << int(PortDiagnosis::NoPermission)
            << "Keine Berechtigung für die Schnittstelle ttyS0: Sie sind schon in der Gruppe "
               "\"dialout\", aber noch nicht neu angemeldet. Abhilfe: ab- und wieder anmelden.";
    QTest::newRow("nothing chosen")
            << ""
            << "me" << int(PortDiagnosis::NotSelected)
            << "Keine Schnittstelle gewählt: bitte die Schnittstelle des Adapters in der Liste "
               "wählen.";
}

void TestKelHandlerLink::diagnosisNamesHolderAndGroup()
{
    QFETCH(QString, port);
    QFETCH(QString, user);
    QFETCH(int, problem);
    QFETCH(QString, text);
    QTemporaryDir root;
    buildFakeSystem(root.path());
    PortDiagnosis diagnosis(root.path());
    const uint gid = QFileInfo(root.filePath("dev/ttyS0")).groupId();
    const bool member = user != "newbie" && user != "tech";
    diagnosis.setIdentity(4000000,
                          member ? QVector<uint>{ 4000001, gid } : QVector<uint>{ 4000001 }, user);
    const PortDiagnosis::Finding finding = diagnosis.examine(port);
    QCOMPARE(finding.text, text);
    QCOMPARE(int(finding.problem), problem);
}

void TestKelHandlerLink::adapterGrabbersInstalledAndRunning()
{
    QTemporaryDir root;
    buildFakeSystem(root.path());
    QStringList found;
    for (const PortDiagnosis::Grabber &grabber : PortDiagnosis(root.path()).adapterGrabbers()) {
        found << QString("%1 %2 %3")
                         .arg(grabber.program, grabber.installed ? "installed" : "absent",
                              grabber.running ? "running" : "stopped");
        QVERIFY(!grabber.fix.isEmpty());
    }
    QCOMPARE(found, QStringList({ "brltty installed stopped", "ModemManager installed running" }));
}

// A line hung up from the other end, and an unplugged USB adapter, which
// shows up as a resource error of the port that a pseudo-terminal never
// raises; the port reports one here as it would.
void TestKelHandlerLink::lostLineClosesThePort_data()
{
    QTest::addColumn<bool>("unplugged");
    QTest::addColumn<QString>("reason");
    QTest::newRow("hung up") << false << "Verbindung zum Gerät unterbrochen";
    QTest::newRow("resource error")
            << true
            << "Verbindung zum Gerät unterbrochen: der Adapter wurde abgezogen oder meldet einen "
               "Fehler. Adapter einstecken und neu verbinden.";
}

void TestKelHandlerLink::lostLineClosesThePort()
{
    QFETCH(bool, unplugged);
    QFETCH(QString, reason);
    KelHandler &handler = *m_handler;
    QVERIFY(m_device->write("\fNotruf"));
    QVERIFY(RobotHarness::waitFor(
            &handler, &KelHandler::displayTextChanged,
            [&] { return handler.displayText().startsWith(QLatin1String("Notruf")); }, 5000));
    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);
    if (unplugged)
        emit handler.findChild<QSerialPort *>()->errorOccurred(QSerialPort::ResourceError);
    else
        m_device->closeMaster();
    QVERIFY(ready.wait(5000));
    QVERIFY(!handler.terminalIsReady());
    QCOMPARE(ready.count(), 1);
    QCOMPARE(handler.lastErrorString(), reason);
    QCOMPARE(captured.filter("KELHANDLER: connection lost:").size(), 1);
    QCOMPARE(handler.displayLines(), QString(32, ' ') + "\n" + QString(32, ' '));
    // Keys after the loss go nowhere and are not logged.
    handler.sendChar('+');
    QVERIFY(captured.filter("PRG TASTE:").isEmpty());
}

// The ESC of a safe abort is written just before the port closes (a
// time-out of lumctl, a closed window). A completion check that looked at
// the line and found nothing leaves the port with a stale time-out error;
// the key must still reach the device.
void TestKelHandlerLink::keyBeforeClosingReachesTheDevice_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("destroyInsteadOfClose");
    QTest::newRow("before any completion check, closed") << "" << false;
    QTest::newRow("after a completion check, closed") << "check" << false;
    QTest::newRow("after a completion check, link destroyed") << "check" << true;
    QTest::newRow("a stale time-out on the port, closed") << "stale" << false;
}

void TestKelHandlerLink::keyBeforeClosingReachesTheDevice()
{
    QFETCH(QString, before);
    QFETCH(bool, destroyInsteadOfClose);
    DeviceSimulator device;
    QString error;
    QVERIFY2(device.start(&error), qPrintable(error));
    QScopedPointer<KelHandler> handler(new KelHandler);
    QVERIFY2(handler->openSerialPortByName(device.portPath()),
             qPrintable(handler->lastErrorString()));
    QSerialPort *port = handler->findChild<QSerialPort *>();
    // A first key, so that the device has taken up the line.
    QSignalSpy keys(&device, &DeviceSimulator::keyReceived);
    QSignalSpy completed(handler.data(), &KelHandler::displayCompleted);
    handler->sendChar('+');
    QVERIFY(keys.wait(5000));
    if (before == "check") {
        QVERIFY(completed.count() > 0 || completed.wait(5000));
        // One more look at the quiet line, as the timer's check makes it;
        // it leaves no error behind.
        handler->readSerialInput();
        QCOMPARE(completed.count(), 2);
        QCOMPARE(port->error(), QSerialPort::NoError);
    } else if (before == "stale") {
        // Any look at the quiet line leaves the port's time-out error set.
        QVERIFY(!port->waitForReadyRead(0));
        QCOMPARE(port->error(), QSerialPort::TimeoutError);
    }
    const QByteArray sent = device.receivedKeys();
    handler->sendChar(char(27));
    if (destroyInsteadOfClose)
        handler.reset();
    else
        handler->closeSerialPort();
    QVERIFY(RobotHarness::waitFor(
            &device, &DeviceSimulator::keyReceived,
            [&] { return device.receivedKeys().size() > sent.size(); }, 5000));
    QCOMPARE(device.receivedKeys(), sent + "\x1b");
}

// A key the port cannot write (the adapter's driver refuses it) ends the
// connection like a lost line, with a German reason; the robot ends its job
// when the port closes. The port's descriptor is swapped for /dev/full,
// whose writes fail with "no space left on device".
void TestKelHandlerLink::writeErrorEndsTheConnection()
{
    // /dev/full reads as endless zero bytes: no trace of each.
    QLoggingCategory::setFilterRules(QStringLiteral("lum.trace.debug=false"));
    KelHandler &handler = *m_handler;
    QSerialPort *port = handler.findChild<QSerialPort *>();
    const int full = ::open("/dev/full", O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(full >= 0);
    QVERIFY(::dup2(full, int(port->handle())) >= 0);
    ::close(full);
    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);
    handler.sendChar('+');
    QVERIFY(ready.wait(5000));
    QVERIFY(!handler.terminalIsReady());
    QCOMPARE(handler.lastErrorString(),
             QString::fromUtf8("Schreibfehler: die Tasten erreichen das Gerät nicht. Die "
                               "Verbindung wurde getrennt; Adapter und Kabel prüfen, dann neu "
                               "verbinden."));
    QCOMPARE(captured.filter("KELHANDLER: connection lost:").size(), 1);
}

// Sorted by character codes; the (last enumerated) adapter with the
// manufacturer text "FTDI" preferred, else the first of LUM_EXTRA_PORTS.
// Ports as NAME:MANUFACTURER, the preferred one marked with "*".
void TestKelHandlerLink::portListIsSortedWithPreferredAdapter_data()
{
    QTest::addColumn<QString>("ports");
    QTest::addColumn<QString>("extraPorts");
    QTest::addColumn<QString>("offered");
    QTest::newRow("character codes, FTDI before an extra port")
            << "COM3:,COM10:FTDI,COM2:Microsoft"
            << "/tmp/x"
            << "/tmp/x:, COM10:FTDI*, COM2:Microsoft, COM3:";
    QTest::newRow("last FTDI enumerated wins") << "COM7:FTDI,COM4:FTDI"
                                               << ""
                                               << "COM4:FTDI*, COM7:FTDI";
    QTest::newRow("only FTDI itself") << "COM1:FTDI Ltd,COM2:"
                                      << ""
                                      << "COM1:FTDI Ltd, COM2:";
    QTest::newRow("first extra port, blanks skipped, each once") << "ttyS0:"
                                                                 << "/tmp/z,,ttyS0,/tmp/a"
                                                                 << "/tmp/a:, /tmp/z:*, ttyS0:";
}

void TestKelHandlerLink::portListIsSortedWithPreferredAdapter()
{
    QFETCH(QString, ports);
    QFETCH(QString, extraPorts);
    QFETCH(QString, offered);
    PortEntries entries;
    for (const QString &port : ports.split(',', Qt::SkipEmptyParts))
        entries << KelHandler::PortEntry(port.section(':', 0, 0), port.section(':', 1));
    const KelHandler::PortChoice choice =
            KelHandler::buildPortChoice(entries, extraPorts.split(','));
    QStringList shown;
    for (int i = 0; i < choice.names.size(); ++i)
        shown << choice.names.at(i) + ':' + choice.manufacturers.value(i)
                        + (i == choice.preferredIndex ? "*" : "");
    QCOMPARE(shown.join(", "), offered);
    QCOMPARE(choice.manufacturers.size(), choice.names.size());
}

// The selector reads the preferred index when the list changes, so the list
// comes last.
void TestKelHandlerLink::portChoiceEmitsInOrder()
{
    KelHandler handler;
    QStringList emitted;
    connect(&handler, &KelHandler::termPortPreferredIndxChanged, this, [&] { emitted << "pref"; });
    connect(&handler, &KelHandler::termPortSelectedIndxChanged, this, [&] { emitted << "sel"; });
    connect(&handler, &KelHandler::termPortListChanged, this, [&] { emitted << "list"; });
    handler.applyPortChoice(
            KelHandler::buildPortChoice({ { "COM3", "FTDI" }, { "COM1", "" } }, {}));
    // No preferred adapter: the first port is selected.
    handler.applyPortChoice(KelHandler::buildPortChoice({ { "COM2", "Prolific" } }, {}));
    QCOMPARE(handler.termPortSelectedIndx(), 0);
    handler.applyPortChoice(KelHandler::buildPortChoice({}, {}));
    // The selector writes whatever it holds, the same index again too.
    handler.setTermPortSelectedIndx(-1);
    handler.setTermPortSelectedIndx(-1);
    QCOMPARE(emitted.join(' '), QString("pref sel list sel list list sel sel"));
}

// An adapter plugged in after start-up appears when the list is scanned
// again; the port the technician had chosen stays chosen, by name.
void TestKelHandlerLink::rescanKeepsTheSelectedPortByName_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("selected");
    QTest::newRow("new port sorts before the chosen one") << "/tmp/b:/tmp/c"
                                                          << "/tmp/b:/tmp/a:/tmp/c"
                                                          << "/tmp/c";
    QTest::newRow("chosen port gone: the preferred one") << "/tmp/b:/tmp/c"
                                                         << "/tmp/b"
                                                         << "/tmp/b";
}

void TestKelHandlerLink::rescanKeepsTheSelectedPortByName()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, selected);
    const QByteArray saved = qgetenv("LUM_EXTRA_PORTS");
    qputenv("LUM_EXTRA_PORTS", before.toUtf8());
    KelHandler handler;
    handler.setTermPortSelectedIndx(handler.termPortList().indexOf("/tmp/c"));
    qputenv("LUM_EXTRA_PORTS", after.toUtf8());
    QSignalSpy listChanged(&handler, &KelHandler::termPortListChanged);
    const int index = handler.rescanPorts();
    qputenv("LUM_EXTRA_PORTS", saved);
    QCOMPARE(listChanged.count(), 1);
    for (const QString &path : after.split(QLatin1Char(':')))
        QVERIFY(handler.termPortList().contains(path));
    QCOMPARE(handler.termPortSelectedIndx(), index);
    QCOMPARE(handler.termPortList().value(index), selected);
}

// The program lists the ports on a thread of its own as it starts; the link
// made meanwhile (with the window) does not wait for that list but takes it
// when it is done, with the extra ports, and a port opened before it came
// is still found.
void TestKelHandlerLink::startScanArrivesLater_data()
{
    QTest::addColumn<bool>("openAtOnce");
    QTest::newRow("list arrives") << false;
    QTest::newRow("port opened before the list arrived") << true;
}

void TestKelHandlerLink::startScanArrivesLater()
{
    QFETCH(bool, openAtOnce);
    PtyPair device;
    const QByteArray saved = qgetenv("LUM_EXTRA_PORTS");
    qputenv("LUM_EXTRA_PORTS", device.slavePath().toUtf8());
    PortScan::startInBackground();
    KelHandler handler;
    QSignalSpy scanDone(&handler, &KelHandler::termPortScanRunningChanged);
    if (openAtOnce) {
        handler.openSerialPort();
        QVERIFY2(handler.terminalIsReady(), qPrintable(handler.lastErrorString()));
    } else if (handler.termPortScanRunning()) {
        QVERIFY(handler.termPortList().isEmpty());
        QVERIFY(scanDone.wait(10000));
    }
    qputenv("LUM_EXTRA_PORTS", saved);
    QVERIFY(!handler.termPortScanRunning());
    QCOMPARE(handler.termPortList().value(handler.termPortSelectedIndx()), device.slavePath());
    // Taken once: a later link lists the ports itself.
    KelHandler later;
    QVERIFY(!later.termPortScanRunning());
}

void TestKelHandlerLink::answerCompletesOnce_data()
{
    QTest::addColumn<int>("keyTime");
    QTest::addColumn<int>("answerDelay"); // -1: the device stays silent
    QTest::addColumn<int>("earliestMs");
    QTest::addColumn<int>("latestMs");
    QTest::addColumn<int>("extraWaits");
    QTest::newRow("prompt answer") << 50 << 0 << 50 << 800 << 0;
    QTest::newRow("answer 300 ms late") << 50 << 300 << 900 << 2000 << 1;
    QTest::newRow("silent device, key time 500") << 500 << -1 << 1500 << 2600 << 1;
    QTest::newRow("early answer waits for the key time of 500") << 500 << 20 << 500 << 1300 << 0;
}

// The device answers a key after a chosen delay, or not at all.
void TestKelHandlerLink::answerCompletesOnce()
{
    QFETCH(int, keyTime);
    QFETCH(int, answerDelay);
    QFETCH(int, earliestMs);
    QFETCH(int, latestMs);
    QFETCH(int, extraWaits);
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    QElapsedTimer clock;
    qint64 shownAt = -1;
    connect(&handler, &KelHandler::displayTextChanged, this, [&] {
        if (shownAt < 0)
            shownAt = clock.elapsed();
    });
    clock.start();
    handler.sendCharTimer(char(27), keyTime);
    if (answerDelay >= 0)
        QTimer::singleShot(answerDelay, this, [&] { m_device->write(answerScreen); });
    QVERIFY(completed.wait(5000));
    const qint64 completedAt = clock.elapsed();
    QVERIFY2(completedAt >= earliestMs && completedAt <= latestMs, qPrintable(ms(completedAt)));
    QCOMPARE(captured.count(extraWait), extraWaits);
    QCOMPARE(receivedOnDevice(*m_device, 1), QByteArray("\x1b"));
    // The answer is shown when it arrives, not only at completion.
    if (answerDelay >= 0)
        QVERIFY2(shownAt >= answerDelay && shownAt < answerDelay + 500, qPrintable(ms(shownAt)));
    // No second completion for the same key.
    QVERIFY(!completed.wait(1500));
    QCOMPARE(completed.count(), 1);
}

void TestKelHandlerLink::keyDuringExtraWaitDoesNotRestartIt()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    QElapsedTimer clock;
    clock.start();
    handler.sendChar('+');
    QTRY_COMPARE_WITH_TIMEOUT(captured.count(extraWait), 1, 5000);
    // A second key while the extra second runs: the wait is not restarted,
    // but the count is zeroed, so its end grants a further extra wait.
    handler.sendChar('+');
    QTRY_COMPARE_WITH_TIMEOUT(captured.count(extraWait), 2, 5000);
    QVERIFY2(clock.elapsed() >= 1000 && clock.elapsed() < 1800, qPrintable(ms(clock.elapsed())));
    QCOMPARE(completed.count(), 0);
    m_device->write(answerScreen);
    QVERIFY(completed.wait(5000));
    QCOMPARE(completed.count(), 1);
    QVERIFY(handler.displayText().startsWith("Rufnummer 1:"));
}

// A screen the device sends by itself is complete 50 ms after its last byte;
// a read that then finds no bytes is a completion check and completes at once.
void TestKelHandlerLink::unsolicitedBurstsCompleteOneEach()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    for (const char *screen : { "\fAnruf 1", "\fAnruf 2" }) {
        QElapsedTimer clock;
        clock.start();
        m_device->write(screen);
        QVERIFY(completed.wait(5000));
        QVERIFY2(clock.elapsed() >= 50, qPrintable(ms(clock.elapsed())));
    }
    QCOMPARE(completed.count(), 2);
    QVERIFY(handler.displayText().startsWith("Anruf 2"));
    QCOMPARE(captured.count(extraWait), 0);
    handler.readSerialInput();
    QCOMPARE(completed.count(), 3);
}

// A busy machine wakes up with the quiet-gap timer expired and the device's
// next bytes waiting on the line, and may run the timer first; the bytes came
// in time and the screen is not complete yet.
void TestKelHandlerLink::bytesWaitingWhenTheGapEndsBelongToTheScreen()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    QSignalSpy textChanged(&handler, &KelHandler::displayTextChanged);
    m_device->write("\fRufnummer");
    QVERIFY(textChanged.wait(5000));
    // The event loop is held up while the rest reaches the line, then the
    // timer's work runs before the port's.
    m_device->write(" 1:\r\n0815");
    QThread::msleep(30);
    handler.readSerialInput();
    QCOMPARE(completed.count(), 0);
    QVERIFY(completed.wait(5000));
    QCOMPARE(completed.count(), 1);
    QVERIFY2(handler.displayText().startsWith("Rufnummer 1:"), qPrintable(handler.displayText()));
}

// A slow key's answer (the base menu, a confirmed value) is only complete
// after the whole key time. A coarse timer may end the 500 ms up to 25 ms
// early, depending on where in the second the key falls; a few keys in a row
// make that show.
void TestKelHandlerLink::keyTimeIsNeverCutShort()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    for (int key = 1; key <= 8; ++key) {
        QElapsedTimer clock;
        clock.start();
        handler.sendCharTimer(char(13), 500);
        m_device->write(answerScreen);
        QVERIFY(completed.wait(5000));
        QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(key) + ms(clock.elapsed())));
    }
}

QTEST_GUILESS_MAIN(TestKelHandlerLink)
#include "tst_kelhandler_link.moc"
