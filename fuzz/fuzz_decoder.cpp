// Random byte streams through the display decoder, as if they had come down
// the serial line. Every stream is fed to the terminal link three ways (in
// one piece, byte by byte and in chunks of varying size); each must end on
// the screen the decoder alone draws from the whole stream, in the shape the
// window and the robot rely on.

#include <QByteArray>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "displaydecoder.h"
#include "kelhandler.h"

namespace {

constexpr int Cells = DisplayDecoder::LineCells;
constexpr int Visible = DisplayDecoder::VisibleCells;

void check(bool condition, const char *what, const QString &detail = QString())
{
    if (!condition) {
        std::fprintf(stderr, "decoder fault: %s\n%s\n", what, detail.toUtf8().constData());
        std::abort();
    }
}

// Two lines of `width` characters joined by one line feed.
bool twoLines(const QString &text, int width)
{
    return text.size() == 2 * width + 1 && text.at(width) == QLatin1Char('\n')
            && text.count(QLatin1Char('\n')) == 1;
}

void checkSame(const KelHandler &link, const DisplayDecoder &model, const char *feeding)
{
    const QString overlay = link.displayCursorOverlay();
    check(twoLines(link.displayText(), Visible),
          "displayText is not 16 + line feed + 16 characters");
    check(twoLines(link.displayLines(), Cells),
          "displayLines is not 32 + line feed + 32 characters");
    check(twoLines(overlay, Visible), "displayCursorOverlay is not 16 + line feed + 16 characters");
    for (const QChar c : overlay)
        check(QStringLiteral(" _+\n").contains(c),
              "displayCursorOverlay holds a character other than space, _ and +");
    check(link.cursorRow() <= 1, "cursor row outside 0..1");
    const QString expected = model.lines() + '|' + model.text() + '|' + model.cursorOverlay() + '|'
            + QString::number(model.cursorRow());
    const QString actual = link.displayLines() + '|' + link.displayText() + '|' + overlay + '|'
            + QString::number(link.cursorRow());
    check(actual == expected, feeding,
          "  expected: [" + expected + "]\n  actual:   [" + actual + "]");
}

// The links live for the whole run: building one enumerates the serial ports.
// A clear-screen byte brings each back to the state of a new link: in one
// piece, byte by byte, in chunks.
KelHandler *links[3] = {};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The decoder logs every byte; the fuzzer would spend its time printing.
    QLoggingCategory::setFilterRules(
            QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    static QCoreApplication app(*argc, *argv);
    for (KelHandler *&link : links)
        link = new KelHandler;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray stream(reinterpret_cast<const char *>(data), int(size));

    DisplayDecoder model;
    for (const char byte : stream) {
        model.feed(byte);
        check(model.cursorColumn() >= 0 && model.cursorColumn() <= Cells,
              "cursor column outside 0..32");
    }

    for (KelHandler *link : links)
        link->processReceivedBytes(QByteArray(1, '\x0C'));
    links[0]->processReceivedBytes(stream);
    checkSame(*links[0], model, "stream in one piece");
    for (int i = 0; i < stream.size(); ++i)
        links[1]->processReceivedBytes(stream.mid(i, 1));
    checkSame(*links[1], model, "stream byte by byte");

    // Chunk sizes taken from the stream itself, so a crash reproduces.
    unsigned int seed = 2166136261u ^ unsigned(size);
    for (int position = 0, length = 0; position < stream.size(); position += length) {
        seed = seed * 16777619u ^ static_cast<unsigned char>(stream.at(position));
        length = 1 + int(seed % 23u);
        links[2]->processReceivedBytes(stream.mid(position, length));
    }
    checkSame(*links[2], model, "stream in chunks");
    return 0;
}
