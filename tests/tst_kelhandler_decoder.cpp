#include "kelhandler.h"
#include "ptypair.h"

#include <QSignalSpy>
#include <QtTest>

#include "robotharness.h"

// The device mirrors its display as a byte stream; these tests feed byte
// sequences and check the screen model in all three shapes it is offered.
// That bytes from the port reach the decoder is shown by the close test here
// and by the timing tests.
class TestKelHandlerDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decodesByteSequences_data();
    void decodesByteSequences();
    void burstEmitsTextThenOverlayOnce();
    void closingThePortClearsTheScreen();
};

namespace {

QString cells(const QString &text)
{
    return text.leftJustified(32, QLatin1Char(' '), true);
}

QString visible(const QString &text)
{
    return text.leftJustified(16, QLatin1Char(' '), true);
}

QString overlayRow(int underscoreAt = -1, bool plus = false)
{
    QString row(16, QLatin1Char(' '));
    if (underscoreAt >= 0)
        row[underscoreAt] = QLatin1Char('_');
    if (plus)
        row[15] = QLatin1Char('+');
    return row;
}

void verifyScreen(const KelHandler &handler)
{
    QFETCH(QString, line0);
    QFETCH(QString, line1);
    QFETCH(int, row);
    QFETCH(QString, overlay);

    QCOMPARE(handler.displayLines(), line0 + "\n" + line1);
    QCOMPARE(handler.displayText(), visible(line0.left(16)) + "\n" + visible(line1.left(16)));
    QCOMPARE(int(handler.cursorRow()), row);
    QCOMPARE(handler.displayCursorOverlay(), overlay);
}

} // namespace

void TestKelHandlerDecoder::decodesByteSequences_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line0");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("overlay");

    const QString digits40 = QStringLiteral("0123456789").repeated(4);
    const QString sixteen = QStringLiteral("ABCDEFGHIJKLMNOP");

    QTest::newRow("nothing received: a blank screen")
            << QByteArray() << cells("") << cells("") << 0 << overlayRow() + "\n" + overlayRow();
    QTest::newRow("clear, text, carriage return and line feed")
            << QByteArray("\x0CXY\r\nZ") << cells("XY") << cells("Z") << 1
            << overlayRow() + "\n" + overlayRow(1);
    QTest::newRow("cursor behind the visible width gets no mark")
            << QByteArray("\x0C"
                          "ABCDEFGHIJKLMNOP\r\nabcdefghijklmnop")
            << cells(sixteen) << cells(sixteen.toLower()) << 1
            << overlayRow() + "\n" + overlayRow();
    QTest::newRow("text after cursor home overwrites the first line")
            << QByteArray("\x0C"
                          "ABC\r\nDEF\x11X")
            << cells("XBC") << cells("DEF") << 0 << overlayRow() + "\n" + overlayRow();
    QTest::newRow("two line feeds return to the first row")
            << QByteArray("\x0C"
                          "A\n\nB")
            << cells("AB") << cells("") << 0 << overlayRow() + "\n" + overlayRow();
    QTest::newRow("line feed keeps the column")
            << QByteArray("\x0C"
                          "AB\nC")
            << cells("AB") << cells("  C") << 1 << overlayRow() + "\n" + overlayRow(3);
    QTest::newRow("carriage return goes back to column 0 only")
            << QByteArray("\x0C"
                          "HELLO\rJ")
            << cells("JELLO") << cells("") << 0 << overlayRow() + "\n" + overlayRow();
    QTest::newRow("text beyond 32 cells is dropped")
            << QByteArray("\x0C") + digits40.toLatin1() << digits40.left(32) << cells("") << 0
            << overlayRow(-1, true) + "\n" + overlayRow();
    QTest::newRow("text beyond 32 cells resumes after carriage return")
            << QByteArray("\x0C") + digits40.toLatin1() + "\rab"
            << "ab" + digits40.mid(2, 30) << cells("") << 0
            << overlayRow(-1, true) + "\n" + overlayRow();
    QTest::newRow("leading spaces do not count: 20 characters get the mark")
            << QByteArray("\x0C    ") + QByteArray(20, 'x') << cells("    " + QString(20, 'x'))
            << cells("") << 0 << overlayRow(-1, true) + "\n" + overlayRow();
    QTest::newRow("exactly 16 characters after trimming get no mark")
            << QByteArray("\x0C        ") + sixteen.toLatin1() << cells("        " + sixteen)
            << cells("") << 0 << overlayRow() + "\n" + overlayRow();
    QTest::newRow("no-break spaces are trimmed like spaces")
            << QByteArray("\x0C\xA0\xA0") + sixteen.toLatin1()
            << cells(QString(2, QChar(0xA0)) + sixteen) << cells("") << 0
            << overlayRow() + "\n" + overlayRow();
    QTest::newRow("overlong second line: mark replaces the cursor at column 15")
            << QByteArray("\x0C\n") + QByteArray(20, 'y') + "\r" + QByteArray(15, 'z') << cells("")
            << QString(15, 'z') + QString(5, 'y') + QString(12, ' ') << 1
            << overlayRow() + "\n" + overlayRow(-1, true);
    QTest::newRow("overlong second line with the cursor behind it")
            << QByteArray("\x0C\n") + QByteArray(17, 'y') << cells("") << cells(QString(17, 'y'))
            << 1 << overlayRow() + "\n" + overlayRow(-1, true);
    QTest::newRow("ISO 8859-1 byte 0xE4 is the character a-umlaut")
            << QByteArray("\x0C"
                          "Sprachausgabe\r\nT\xE4tig \xB0")
            << cells("Sprachausgabe") << cells(QString::fromUtf8("Tätig °")) << 1
            << overlayRow() + "\n" + overlayRow(7);
    QTest::newRow("other control bytes are stored as characters")
            << QByteArray("\x0C\x1B\x07\x00Q", 5)
            << cells(QString(QChar(0x1B)) + QChar(0x07) + QChar(0) + "Q") << cells("") << 0
            << overlayRow() + "\n" + overlayRow();
    QTest::newRow("clear screen in the middle erases what came before")
            << QByteArray("ABC\nDEF\x0CG") << cells("G") << cells("") << 0
            << overlayRow() + "\n" + overlayRow();
}

void TestKelHandlerDecoder::decodesByteSequences()
{
    QFETCH(QByteArray, bytes);
    KelHandler handler;
    handler.processReceivedBytes(bytes);
    verifyScreen(handler);
}

void TestKelHandlerDecoder::burstEmitsTextThenOverlayOnce()
{
    KelHandler handler;
    QStringList order;
    connect(&handler, &KelHandler::displayTextChanged, this, [&] { order << "text"; });
    connect(&handler, &KelHandler::displayCursorOverlayChanged, this, [&] { order << "overlay"; });
    handler.processReceivedBytes("\x0CHallo\r\nWelt");
    QCOMPARE(order, QStringList({ "text", "overlay" }));
}

void TestKelHandlerDecoder::closingThePortClearsTheScreen()
{
    PtyPair device;
    QVERIFY2(device.isOpen(), qPrintable(device.errorString()));
    KelHandler handler;
    QVERIFY(handler.openSerialPortByName(device.slavePath()));
    QSignalSpy textChanged(&handler, &KelHandler::displayTextChanged);
    QVERIFY(device.write("\x0C"
                         "Notruf\r\nbereit"));
    QVERIFY(RobotHarness::waitFor(
            &handler, &KelHandler::displayTextChanged,
            [&] { return handler.displayText().left(6) == QLatin1String("Notruf"); }, 5000));

    QSignalSpy ready(&handler, &KelHandler::terminalIsReadyChanged);
    QSignalSpy overlayChanged(&handler, &KelHandler::displayCursorOverlayChanged);
    textChanged.clear();
    handler.closeSerialPort();

    QVERIFY(!handler.terminalIsReady());
    QCOMPARE(ready.count(), 1);
    QCOMPARE(textChanged.count(), 1);
    QCOMPARE(overlayChanged.count(), 0);
    QCOMPARE(handler.displayLines(), QString(32, ' ') + "\n" + QString(32, ' '));
    QCOMPARE(int(handler.cursorRow()), 0);

    // A second close finds the port closed and emits nothing.
    handler.closeSerialPort();
    QCOMPARE(ready.count(), 1);
    QCOMPARE(textChanged.count(), 1);
}

QTEST_GUILESS_MAIN(TestKelHandlerDecoder)
#include "tst_kelhandler_decoder.moc"
