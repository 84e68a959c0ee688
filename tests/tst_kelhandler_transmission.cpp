#include "devicesimulator.h"
#include "kelhandler.h"
#include "ptypair.h"

#include <QSerialPort>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QLoggingCategory>
#include <QtTest>

#include "robotharness.h"

// Keys and texts as they reach the device, the log lines written for them,
// and opening, closing and losing the port.
class TestKelHandlerTransmission : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void keysReachTheSimulatorInOrder();
    void sendStringWritesIso8859Bytes_data();
    void sendStringWritesIso8859Bytes();
    void closedPortSendsAndLogsNothing_data();
    void closedPortSendsAndLogsNothing();
    void openWithoutValidSelectionFails_data();
    void openWithoutValidSelectionFails();
    void openSelectedPortUsesTheList();
    void failedOpenKeepsPortErrorUntilReplaced();
    void lostLineClosesThePort_data();
    void lostLineClosesThePort();

private:
    QStringList debugLines(const QString &prefix) const;
};

// The port writes from the event loop, so the device side is read while
// events are processed, collecting what has arrived so far.
#define COMPARE_RECEIVED_ON_DEVICE(device, expected)                                               \
  do {                                                                                             \
    QByteArray received;                                                                           \
    QTRY_COMPARE_WITH_TIMEOUT(received += (device).readAvailable(), QByteArray(expected), 5000);   \
  } while (false)

namespace {

QStringList capturedMessages;

// For the cases that must send nothing: give the event loop time to write.
QByteArray receiveNothingOnDevice(PtyPair &device)
{
    QTest::qWait(300);
    return device.readAvailable();
}
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    capturedMessages.append(message);
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

void TestKelHandlerTransmission::init()
{
    capturedMessages.clear();
    // The link writes its trace only where the debug log asks for it.
    QLoggingCategory::setFilterRules(QStringLiteral("lum.trace.debug=true"));
    previousHandler = qInstallMessageHandler(captureMessage);
}

void TestKelHandlerTransmission::cleanup()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

QStringList TestKelHandlerTransmission::debugLines(const QString &prefix) const
{
    return capturedMessages.filter(QRegularExpression('^' + QRegularExpression::escape(prefix)));
}

void TestKelHandlerTransmission::keysReachTheSimulatorInOrder()
{
    DeviceSimulator device;
    QString error;
    QVERIFY2(device.start(&error), qPrintable(error));
    KelHandler handler;
    QVERIFY2(handler.openSerialPortByName(device.portPath()),
             qPrintable(handler.lastErrorString()));
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);

    // One key per completed screen, as the robot sends them.
    const QByteArray keys("\x1b+\r05-#*", 8);
    for (const char key : keys) {
        const int before = completed.count();
        handler.sendChar(key);
        QVERIFY(completed.count() > before || completed.wait(5000));
    }
    QCOMPARE(device.receivedKeys(), keys);
    const QStringList logLines{
        R"(PRG TASTE: "ESC" "0x1b")", R"(PRG TASTE: "+  " "0x2b")", R"(PRG TASTE: "OK " "0x0d")",
        R"(PRG TASTE: "0  " "0x30")", R"(PRG TASTE: "5  " "0x35")", R"(PRG TASTE: "-  " "0x2d")",
        R"(PRG TASTE: "#  " "0x23")", R"(PRG TASTE: "*  " "0x2a")",
    };
    QCOMPARE(debugLines("PRG TASTE:"), logLines);
}

void TestKelHandlerTransmission::sendStringWritesIso8859Bytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("umlauts become single bytes") << QString::fromUtf8("Tür Öffnung ß")
                                                 << QByteArray("T\xFCr \xD6"
                                                               "ffnung \xDF");
    QTest::newRow("characters outside ISO 8859-1 become question marks")
            << QString::fromUtf8("5 €") << QByteArray("5 ?");
    QTest::newRow("empty text sends nothing") << QString() << QByteArray();
}

void TestKelHandlerTransmission::sendStringWritesIso8859Bytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    PtyPair device;
    QVERIFY2(device.isOpen(), qPrintable(device.errorString()));
    KelHandler handler;
    QVERIFY(handler.openSerialPortByName(device.slavePath()));
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);

    handler.sendString(text);
    if (bytes.isEmpty())
        QCOMPARE(receiveNothingOnDevice(device), QByteArray());
    else
        COMPARE_RECEIVED_ON_DEVICE(device, bytes);
    QVERIFY(debugLines("PRG TASTE:").isEmpty());
    // No key bookkeeping: without an answer there is no completion and no extra wait.
    QVERIFY(!completed.wait(1300));
    QVERIFY(debugLines("KELHANDLER:").isEmpty());
}

void TestKelHandlerTransmission::closedPortSendsAndLogsNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("sendChar") << "sendChar";
    QTest::newRow("sendCharTimer") << "sendCharTimer";
    QTest::newRow("sendString") << "sendString";
}

void TestKelHandlerTransmission::closedPortSendsAndLogsNothing()
{
    QFETCH(QString, operation);

    PtyPair device;
    QVERIFY2(device.isOpen(), qPrintable(device.errorString()));
    KelHandler handler;
    QVERIFY(handler.openSerialPortByName(device.slavePath()));
    handler.closeSerialPort();
    QVERIFY(!handler.terminalIsReady());
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    capturedMessages.clear();

    if (operation == "sendChar")
        handler.sendChar('+');
    else if (operation == "sendCharTimer")
        handler.sendCharTimer(char(13), 500);
    else
        handler.sendString(QStringLiteral("123"));

    QCOMPARE(receiveNothingOnDevice(device), QByteArray());
    QVERIFY(capturedMessages.isEmpty());
    QVERIFY(!completed.wait(1200));
    QVERIFY(capturedMessages.isEmpty());
}

void TestKelHandlerTransmission::openWithoutValidSelectionFails_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<int>("selected");

    QTest::newRow("empty list, nothing selected") << QStringList() << -1;
    QTest::newRow("index behind the list") << QStringList{ "ttyUSB0", "ttyUSB1" } << 2;
    QTest::newRow("negative index") << QStringList{ "ttyUSB0" } << -5;
}

void TestKelHandlerTransmission::openWithoutValidSelectionFails()
{
    QFETCH(QStringList, ports);
    QFETCH(int, selected);

    KelHandler handler;
    KelHandler::PortChoice choice;
    choice.names = ports;
    handler.applyPortChoice(choice);
    handler.setTermPortSelectedIndx(selected);
    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);

    handler.openSerialPort();
    QVERIFY(!handler.terminalIsReady());
    QCOMPARE(ready.count(), 0);
    QCOMPARE(handler.lastErrorString(), QString::fromUtf8("Kein Anschluss ausgewählt"));
}

void TestKelHandlerTransmission::openSelectedPortUsesTheList()
{
    PtyPair device;
    QVERIFY2(device.isOpen(), qPrintable(device.errorString()));
    KelHandler handler;
    handler.applyPortChoice(KelHandler::buildPortChoice({}, { device.slavePath() }));
    QCOMPARE(handler.termPortSelectedIndx(), 0);
    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);

    handler.openSerialPort();
    QVERIFY2(handler.terminalIsReady(), qPrintable(handler.lastErrorString()));
    QCOMPARE(ready.count(), 1);
    QVERIFY(handler.lastErrorString().isEmpty());

    handler.sendChar('5');
    COMPARE_RECEIVED_ON_DEVICE(device, "5");
}

void TestKelHandlerTransmission::failedOpenKeepsPortErrorUntilReplaced()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    KelHandler handler;
    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);

    QVERIFY(!handler.openSerialPortByName(dir.filePath("ttyGone")));
    QVERIFY(!handler.terminalIsReady());
    QCOMPARE(ready.count(), 0);
    const QString error = handler.lastErrorString();
    QVERIFY(!error.isEmpty());
    // Written through the debug stream, which quotes text.
    QVERIFY(capturedMessages.contains('"' + error + '"'));

    // A later successful open leaves the old text in place.
    PtyPair device;
    QVERIFY2(device.isOpen(), qPrintable(device.errorString()));
    QVERIFY(handler.openSerialPortByName(device.slavePath()));
    QCOMPARE(ready.count(), 1);
    QCOMPARE(handler.lastErrorString(), error);
}

// A line hung up from the other end, and an unplugged USB adapter, which
// shows up as a resource error of the port that a pseudo-terminal never
// raises; the port reports one here as it would.
void TestKelHandlerTransmission::lostLineClosesThePort_data()
{
    QTest::addColumn<bool>("unplugged");
    QTest::newRow("hung up") << false;
    QTest::newRow("resource error") << true;
}

void TestKelHandlerTransmission::lostLineClosesThePort()
{
    QFETCH(bool, unplugged);
    PtyPair device;
    QVERIFY2(device.isOpen(), qPrintable(device.errorString()));
    KelHandler handler;
    QVERIFY(handler.openSerialPortByName(device.slavePath()));
    QVERIFY(device.write("\x0C"
                         "Notruf"));
    QVERIFY(RobotHarness::waitFor(
            &handler, &KelHandler::displayTextChanged,
            [&] { return handler.displayText().left(6) == QLatin1String("Notruf"); }, 5000));
    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);

    if (unplugged)
        emit handler.findChild<QSerialPort *>()->errorOccurred(QSerialPort::ResourceError);
    else
        device.closeMaster();

    QVERIFY(ready.wait(5000));
    QVERIFY(!handler.terminalIsReady());
    QCOMPARE(ready.count(), 1);
    QVERIFY(!handler.lastErrorString().isEmpty());
    QCOMPARE(capturedMessages.filter("KELHANDLER: connection lost:").size(), 1);
    QCOMPARE(handler.displayLines(), QString(32, ' ') + "\n" + QString(32, ' '));
    // Keys after the loss go nowhere and are not logged.
    capturedMessages.clear();
    handler.sendChar('+');
    QVERIFY(debugLines("PRG TASTE:").isEmpty());
}

QTEST_GUILESS_MAIN(TestKelHandlerTransmission)
#include "tst_kelhandler_transmission.moc"
