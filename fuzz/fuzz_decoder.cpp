// Random byte streams through the display decoder, as if they had come down
// the serial line. Every stream is fed to the terminal link three ways (in
// one piece, byte by byte and in chunks of varying size); each must end on
// the screen the decoder alone draws from the whole stream, in the shape the
// window and the robot rely on.

#include <QtCore>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "displaydecoder.h"
#include "kelhandler.h"

namespace {

void check(bool condition, const char *what, const QString &detail = QString())
{
    if (!condition) {
        std::fprintf(stderr, "decoder fault: %s\n%s\n", what, detail.toUtf8().constData());
        std::abort();
    }
}

// The links live for the whole run: building one enumerates the serial ports.
// A clear-screen byte brings each back to the state of a new link.
KelHandler *links[3] = {};

void checkSame(const KelHandler &link, const QString &expected, const char *feeding)
{
    const QString actual = link.displayLines() + '\n' + link.displayText() + '\n'
            + link.displayCursorOverlay() + '\n' + QString::number(link.cursorRow());
    check(actual == expected, feeding,
          "  expected: [" + expected + "]\n  actual:   [" + actual + "]");
}

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
    for (const char byte : stream)
        model.feed(byte);
    // Two lines of 32 cells, two of 16 visible characters and the cursor
    // overlay over the visible ones, each pair joined by one line feed.
    const QString expected = model.lines() + '\n' + model.text() + '\n' + model.cursorOverlay()
            + '\n' + QString::number(model.cursorRow());
    static const QRegularExpression shape(QStringLiteral(
            "^[^\n]{32}\n[^\n]{32}\n[^\n]{16}\n[^\n]{16}\n[ _+]{16}\n[ _+]{16}\n[01]$"));
    check(shape.match(expected).hasMatch(), "the screen is not in its shape", expected);

    for (KelHandler *link : links)
        link->processReceivedBytes(QByteArray(1, '\x0C'));
    links[0]->processReceivedBytes(stream);
    checkSame(*links[0], expected, "stream in one piece");
    for (int i = 0; i < stream.size(); ++i)
        links[1]->processReceivedBytes(stream.mid(i, 1));
    checkSame(*links[1], expected, "stream byte by byte");
    // Chunk sizes taken from the stream itself, so a crash reproduces.
    unsigned int seed = 2166136261u ^ unsigned(size);
    for (int position = 0, length = 0; position < stream.size(); position += length) {
        seed = seed * 16777619u ^ static_cast<unsigned char>(stream.at(position));
        length = 1 + int(seed % 23u);
        links[2]->processReceivedBytes(stream.mid(position, length));
    }
    checkSame(*links[2], expected, "stream in chunks");
    return 0;
}
