#include "kelhandler.h"

#include <QtTest>

// The device mirrors its display as a byte stream; these tests feed byte
// sequences and check the screen model in all three shapes it is offered:
// the 2 x 32 cells, the 2 x 16 visible text, and the overlay with the
// cursor mark "_" (second row only) and "+" for a line running on past 16.
class TestKelHandlerDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decodesByteSequences_data();
    void decodesByteSequences();
    void burstEmitsTextThenOverlayOnce();
};

void TestKelHandlerDecoder::decodesByteSequences_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line0"); // the 32 cells, blanks at the end left out
    QTest::addColumn<QString>("line1");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("overlay"); // its two rows, blanks at the end left out

    const QString digits = QStringLiteral("0123456789").repeated(4);
    const QString abc = QStringLiteral("ABCDEFGHIJKLMNOP");
    const QString plus = QString(15, ' ') + '+';
    QTest::newRow("nothing received: a blank screen") << QByteArray() << ""
                                                      << "" << 0 << "\n";
    QTest::newRow("clear, text, carriage return and line feed") << QByteArray("\x0CXY\r\nZ") << "XY"
                                                                << "Z" << 1 << "\n _";
    QTest::newRow("cursor behind the visible width gets no mark")
            << QByteArray("\fABCDEFGHIJKLMNOP\r\nabcdefghijklmnop") << abc << abc.toLower() << 1
            << "\n";
    QTest::newRow("text after cursor home overwrites the first line")
            << QByteArray("\fABC\r\nDEF\x11X") << "XBC"
            << "DEF" << 0 << "\n";
    QTest::newRow("two line feeds return to the first row") << QByteArray("\fA\n\nB") << "AB"
                                                            << "" << 0 << "\n";
    QTest::newRow("line feed keeps the column") << QByteArray("\fAB\nC") << "AB"
                                                << "  C" << 1 << "\n   _";
    QTest::newRow("text beyond 32 cells is dropped, carriage return goes back to column 0")
            << QByteArray("\x0C") + digits.toLatin1() + "\rab"
            << "ab" + digits.mid(2, 30) << "" << 0 << plus + "\n";
    QTest::newRow("leading spaces do not count: 20 characters get the mark")
            << QByteArray("\x0C    ") + QByteArray(20, 'x') << "    " + QString(20, 'x') << "" << 0
            << plus + "\n";
    QTest::newRow("exactly 16 characters after trimming get no mark")
            << QByteArray("\x0C        ") + abc.toLatin1() << "        " + abc << "" << 0 << "\n";
    QTest::newRow("no-break spaces are trimmed like spaces")
            << QByteArray("\x0C\xA0\xA0") + abc.toLatin1() << QString(2, QChar(0xA0)) + abc << ""
            << 0 << "\n";
    QTest::newRow("overlong second line: mark replaces the cursor at column 15")
            << QByteArray("\x0C\n") + QByteArray(20, 'y') + "\r" + QByteArray(15, 'z') << ""
            << QString(15, 'z') + QString(5, 'y') << 1 << "\n" + plus;
    QTest::newRow("ISO 8859-1 bytes are their characters")
            << QByteArray("\fSprachausgabe\r\nT\xE4tig \xB0") << "Sprachausgabe"
            << QString::fromUtf8("Tätig °") << 1 << "\n       _";
    QTest::newRow("other control bytes are stored as characters")
            << QByteArray("\x0C\x1B\x07\x00Q", 5)
            << QString(QChar(0x1B)) + QChar(0x07) + QChar(0) + "Q"
            << "" << 0 << "\n";
    QTest::newRow("clear screen in the middle erases what came before")
            << QByteArray("ABC\nDEF\x0CG") << "G"
            << "" << 0 << "\n";
}

void TestKelHandlerDecoder::decodesByteSequences()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line0);
    QFETCH(QString, line1);
    QFETCH(int, row);
    QFETCH(QString, overlay);
    KelHandler handler;
    handler.processReceivedBytes(bytes);
    line0 = line0.leftJustified(32);
    line1 = line1.leftJustified(32);
    QCOMPARE(handler.displayLines(), line0 + "\n" + line1);
    QCOMPARE(handler.displayText(), line0.left(16) + "\n" + line1.left(16));
    QCOMPARE(int(handler.cursorRow()), row);
    QCOMPARE(handler.displayCursorOverlay(),
             overlay.section('\n', 0, 0).leftJustified(16) + "\n"
                     + overlay.section('\n', 1).leftJustified(16));
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

QTEST_GUILESS_MAIN(TestKelHandlerDecoder)
#include "tst_kelhandler_decoder.moc"
