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

[[noreturn]] void fail(const char *what, const QString &expected, const QString &actual)
{
    std::fprintf(stderr, "decoder fault: %s\n  expected: [%s]\n  actual:   [%s]\n", what,
                 expected.toUtf8().constData(), actual.toUtf8().constData());
    std::abort();
}

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "decoder fault: %s\n", what);
        std::abort();
    }
}

void checkShape(const KelHandler &link)
{
    const QString text = link.displayText();
    check(text.size() == 2 * Visible + 1 && text.at(Visible) == QLatin1Char('\n'),
          "displayText is not 16 + line feed + 16 characters");
    const QString lines = link.displayLines();
    check(lines.size() == 2 * Cells + 1 && lines.at(Cells) == QLatin1Char('\n'),
          "displayLines is not 32 + line feed + 32 characters");
    const QString overlay = link.displayCursorOverlay();
    check(overlay.size() == 2 * Visible + 1 && overlay.at(Visible) == QLatin1Char('\n'),
          "displayCursorOverlay is not 16 + line feed + 16 characters");
    for (int i = 0; i < overlay.size(); ++i) {
        if (i == Visible)
            continue;
        const QChar c = overlay.at(i);
        check(c == QLatin1Char(' ') || c == QLatin1Char('_') || c == QLatin1Char('+'),
              "displayCursorOverlay holds a character other than space, _ and +");
    }
    check(link.cursorRow() <= 1, "cursor row outside 0..1");
}

void checkSame(const KelHandler &link, const DisplayDecoder &model, const char *feeding)
{
    checkShape(link);
    if (link.displayLines() != model.lines())
        fail(feeding, model.lines(), link.displayLines());
    if (link.displayText() != model.text())
        fail(feeding, model.text(), link.displayText());
    if (link.displayCursorOverlay() != model.cursorOverlay())
        fail(feeding, model.cursorOverlay(), link.displayCursorOverlay());
    if (link.cursorRow() != model.cursorRow())
        fail(feeding, QString::number(model.cursorRow()), QString::number(link.cursorRow()));
}

// The links live for the whole run: building one enumerates the serial ports.
// A clear-screen byte brings each back to the state of a new link.
KelHandler *wholeLink = nullptr;
KelHandler *byteLink = nullptr;
KelHandler *chunkLink = nullptr;

void clear(KelHandler *link)
{
    link->processReceivedBytes(QByteArray(1, '\x0C'));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The decoder logs every byte; the fuzzer would spend its time printing.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    static QCoreApplication app(*argc, *argv);
    wholeLink = new KelHandler;
    byteLink = new KelHandler;
    chunkLink = new KelHandler;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray stream(reinterpret_cast<const char *>(data), int(size));

    DisplayDecoder model;
    for (const char byte : stream) {
        model.feed(byte);
        check(model.cursorColumn() >= 0 && model.cursorColumn() <= Cells, "cursor column outside 0..32");
    }

    clear(wholeLink);
    wholeLink->processReceivedBytes(stream);
    checkSame(*wholeLink, model, "stream in one piece");

    clear(byteLink);
    for (int i = 0; i < stream.size(); ++i)
        byteLink->processReceivedBytes(stream.mid(i, 1));
    checkSame(*byteLink, model, "stream byte by byte");

    // Chunk sizes taken from the stream itself, so a crash reproduces.
    clear(chunkLink);
    int position = 0;
    unsigned int seed = 2166136261u ^ unsigned(size);
    while (position < stream.size()) {
        seed = seed * 16777619u ^ static_cast<unsigned char>(stream.at(position));
        const int length = 1 + int(seed % 23u);
        chunkLink->processReceivedBytes(stream.mid(position, length));
        position += length;
    }
    checkSame(*chunkLink, model, "stream in chunks");
    return 0;
}
