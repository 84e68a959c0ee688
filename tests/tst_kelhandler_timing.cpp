#include "devicesimulator.h"
#include "kelhandler.h"
#include "ptypair.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QLoggingCategory>
#include <QThread>
#include <QtTest>

// When a screen counts as complete: 50 ms of quiet after the device's answer,
// and one extra second for a key that got no answer. The test plays the
// device on a real pseudo-terminal, answering after a chosen delay.
class TestKelHandlerTiming : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void simulatorAnswerCompletesOnce_data();
    void simulatorAnswerCompletesOnce();
    void keyDuringExtraWaitDoesNotRestartIt();
    void unsolicitedBurstsCompleteOneEach();
    void readWithoutBytesCompletesAtOnce();
    void bytesWaitingWhenTheGapEndsBelongToTheScreen();
    void closedPortIgnoresTheTimer();
    void keyTimeIsNeverCutShort();

private:
    // The device played on a raw pseudo-terminal, with the link open on it.
    QScopedPointer<PtyPair> m_device;
    QScopedPointer<KelHandler> m_handler;
};

namespace {

const char *const extraWaitMessage =
        "KELHANDLER: no input after regular timeout - we wait an additional 1000ms...";
const QByteArray answerScreen("\x0CRufnummer 1:\r\n0800123456");

QStringList capturedMessages;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    capturedMessages.append(message);
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

void TestKelHandlerTiming::init()
{
    capturedMessages.clear();
    // The link writes its trace only where the debug log asks for it.
    QLoggingCategory::setFilterRules(QStringLiteral("lum.trace.debug=true"));
    previousHandler = qInstallMessageHandler(captureMessage);
    m_device.reset(new PtyPair);
    m_handler.reset(new KelHandler);
    QVERIFY2(m_device->isOpen(), qPrintable(m_device->errorString()));
    QVERIFY(m_handler->openSerialPortByName(m_device->slavePath()));
}

void TestKelHandlerTiming::cleanup()
{
    m_handler.reset();
    m_device.reset();
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

void TestKelHandlerTiming::simulatorAnswerCompletesOnce_data()
{
    QTest::addColumn<int>("keyTime");
    QTest::addColumn<int>("answerDelay");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("earliestMs");
    QTest::addColumn<int>("latestMs");
    QTest::addColumn<int>("extraWaits");

    // Windows are wide on purpose: they tell the paths apart (quiet gap,
    // key time, extra second), not the speed of the machine; the timer is a
    // coarse one and may fire up to 5 % early.
    QTest::newRow("prompt answer") << 50 << 0 << false << 40 << 800 << 0;
    QTest::newRow("answer 300 ms late") << 50 << 300 << false << 900 << 2000 << 1;
    QTest::newRow("silent device, key time 500") << 500 << 0 << true << 1400 << 2600 << 1;
    QTest::newRow("early answer waits for the key time of 500")
            << 500 << 20 << false << 450 << 1300 << 0;
}

// The simulator answers with whole screens of its demo menu, after a chosen
// delay or not at all.
void TestKelHandlerTiming::simulatorAnswerCompletesOnce()
{
    QFETCH(int, keyTime);
    QFETCH(int, answerDelay);
    QFETCH(bool, silent);
    QFETCH(int, earliestMs);
    QFETCH(int, latestMs);
    QFETCH(int, extraWaits);

    DeviceSimulator device;
    QString error;
    QVERIFY2(device.start(&error), qPrintable(error));
    device.setAnswerDelay(answerDelay);
    if (silent)
        device.setSilentAfterKeys(0);
    KelHandler handler;
    QVERIFY2(handler.openSerialPortByName(device.portPath()),
             qPrintable(handler.lastErrorString()));
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    QSignalSpy keys(&device, &DeviceSimulator::keyReceived);

    QElapsedTimer clock;
    qint64 answerShownAt = -1;
    connect(&handler, &KelHandler::displayTextChanged, this, [&] {
        if (answerShownAt < 0)
            answerShownAt = clock.elapsed();
    });
    clock.start();
    handler.sendCharTimer(char(27), keyTime);
    QVERIFY(completed.wait(5000));
    const qint64 completedAt = clock.elapsed();
    QVERIFY2(completedAt >= earliestMs && completedAt <= latestMs,
             qPrintable(QStringLiteral("completed after %1 ms").arg(completedAt)));
    QCOMPARE(capturedMessages.count(extraWaitMessage), extraWaits);
    QCOMPARE(keys.count(), 1);
    if (!silent) {
        QCOMPARE(handler.displayLines().split('\n').first().trimmed(),
                 device.screen().value(0).trimmed());
        // The answer is shown when it arrives, not only at completion.
        QVERIFY2(answerShownAt >= 0 && answerShownAt < answerDelay + 500,
                 qPrintable(QStringLiteral("answer shown after %1 ms").arg(answerShownAt)));
    }

    // The point here: no second completion for the same key.
    QVERIFY(!completed.wait(1500));
    QCOMPARE(completed.count(), 1);
}

void TestKelHandlerTiming::keyDuringExtraWaitDoesNotRestartIt()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);

    QElapsedTimer clock;
    clock.start();
    handler.sendChar('+');
    QTRY_COMPARE_WITH_TIMEOUT(capturedMessages.count(extraWaitMessage), 1, 5000);
    // A second key while the extra second runs: the wait is not restarted,
    // but the count is zeroed, so its end grants a further extra wait.
    handler.sendChar('+');
    QTRY_COMPARE_WITH_TIMEOUT(capturedMessages.count(extraWaitMessage), 2, 5000);
    const qint64 secondWaitAt = clock.elapsed();
    QVERIFY2(secondWaitAt >= 900 && secondWaitAt < 1800,
             qPrintable(QStringLiteral("second wait began after %1 ms").arg(secondWaitAt)));
    QCOMPARE(completed.count(), 0);

    m_device->write(answerScreen);
    QVERIFY(completed.wait(5000));
    QCOMPARE(completed.count(), 1);
    QVERIFY(handler.displayText().startsWith("Rufnummer 1:"));
}

void TestKelHandlerTiming::unsolicitedBurstsCompleteOneEach()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);

    // A screen is complete only after 50 ms without a further byte.
    QElapsedTimer clock;
    clock.start();
    m_device->write("\x0C"
                    "Anruf 1");
    QVERIFY(completed.wait(5000));
    QVERIFY2(clock.elapsed() >= 50,
             qPrintable(QStringLiteral("completed after %1 ms").arg(clock.elapsed())));
    QCOMPARE(completed.count(), 1);
    m_device->write("\x0C"
                    "Anruf 2");
    QVERIFY(completed.wait(5000));
    QCOMPARE(completed.count(), 2);
    QVERIFY(handler.displayText().startsWith("Anruf 2"));
    QCOMPARE(capturedMessages.count(extraWaitMessage), 0);
}

void TestKelHandlerTiming::readWithoutBytesCompletesAtOnce()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    m_device->write(answerScreen);
    QVERIFY(completed.wait(5000));

    // Bytes have arrived since the last key: a read that finds none is a
    // completion check and completes synchronously.
    handler.readSerialInput();
    QCOMPARE(completed.count(), 2);
}

// A busy machine wakes up with the quiet-gap timer expired and the device's
// next bytes waiting on the line, and may run the timer first; the bytes came
// in time and the screen is not complete yet.
void TestKelHandlerTiming::bytesWaitingWhenTheGapEndsBelongToTheScreen()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    QSignalSpy textChanged(&handler, &KelHandler::displayTextChanged);
    m_device->write("\x0C"
                    "Rufnummer");
    QVERIFY(textChanged.wait(5000));

    // The event loop is held up while the rest reaches the line, then the
    // timer's work runs before the port's.
    m_device->write(" 1:\r\n0815");
    QThread::msleep(30);
    handler.readSerialInput();
    QCOMPARE(completed.count(), 0);
    QVERIFY(completed.wait(5000));
    QCOMPARE(completed.count(), 1);
    QVERIFY2(handler.displayText().startsWith(QLatin1String("Rufnummer 1:")),
             qPrintable(handler.displayText()));
}

void TestKelHandlerTiming::closedPortIgnoresTheTimer()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    QSignalSpy textChanged(&handler, &KelHandler::displayTextChanged);
    QSignalSpy overlayChanged(&handler, &KelHandler::displayCursorOverlayChanged);

    handler.sendCharTimer(char(13), 200);
    handler.closeSerialPort();
    textChanged.clear();

    // The timer still runs after closing; its timeout must find the port
    // closed and do nothing.
    QVERIFY(!completed.wait(1500));
    QCOMPARE(textChanged.count(), 0);
    QCOMPARE(overlayChanged.count(), 0);
    QCOMPARE(capturedMessages.count(extraWaitMessage), 0);
}

// A slow key's answer (the base menu, a confirmed value) is only complete
// after the whole key time. A coarse timer may end the 500 ms up to 25 ms
// early, depending on where in the second the key falls; a few keys in a row
// make that show.
void TestKelHandlerTiming::keyTimeIsNeverCutShort()
{
    KelHandler &handler = *m_handler;
    QSignalSpy completed(&handler, &KelHandler::displayCompleted);
    for (int key = 1; key <= 8; ++key) {
        QElapsedTimer clock;
        clock.start();
        handler.sendCharTimer(char(13), 500);
        m_device->write(answerScreen);
        QVERIFY(completed.wait(5000));
        QVERIFY2(clock.elapsed() >= 500,
                 qPrintable(QStringLiteral("key %1 completed after %2 ms")
                                    .arg(key)
                                    .arg(clock.elapsed())));
    }
}

QTEST_GUILESS_MAIN(TestKelHandlerTiming)
#include "tst_kelhandler_timing.moc"
