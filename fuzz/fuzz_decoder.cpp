// Random byte streams through the display decoder, as if they had come down
// the serial line. Every stream is fed three ways (in one piece, byte by byte
// and in chunks of varying size) and checked against a plain model of the
// device's display: two rows of 32 cells and a cursor.

#include <QByteArray>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "kelhandler.h"

namespace {

constexpr int Cells = 32;
constexpr int Visible = 16;

struct ScreenModel {
    QString lines[2] = {QString(Cells, QLatin1Char(' ')), QString(Cells, QLatin1Char(' '))};
    int row = 0;
    int column = 0;

    void feed(unsigned char byte)
    {
        switch (byte) {
        case 0x0C:
            lines[0].fill(QLatin1Char(' '));
            lines[1].fill(QLatin1Char(' '));
            row = 0;
            column = 0;
            break;
        case 0x11:
            row = 0;
            column = 0;
            break;
        case 0x0A:
            row = row == 0 ? 1 : 0;
            break;
        case 0x0D:
            column = 0;
            break;
        default:
            if (column < Cells)
                lines[row][column++] = QChar(byte);
        }
    }

    QString text() const
    {
        return lines[0].left(Visible) + QLatin1Char('\n') + lines[1].left(Visible);
    }

    QString fullLines() const { return lines[0] + QLatin1Char('\n') + lines[1]; }

    QString overlay() const
    {
        QString rows[2] = {QString(Visible, QLatin1Char(' ')), QString(Visible, QLatin1Char(' '))};
        if (row == 1 && column < Visible)
            rows[1][column] = QLatin1Char('_');
        for (int r = 0; r < 2; ++r) {
            if (lines[r].trimmed().size() > Visible)
                rows[r][Visible - 1] = QLatin1Char('+');
        }
        return rows[0] + QLatin1Char('\n') + rows[1];
    }
};

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

void checkSame(const KelHandler &link, const ScreenModel &model, const char *feeding)
{
    checkShape(link);
    if (link.displayLines() != model.fullLines())
        fail(feeding, model.fullLines(), link.displayLines());
    if (link.displayText() != model.text())
        fail(feeding, model.text(), link.displayText());
    if (link.displayCursorOverlay() != model.overlay())
        fail(feeding, model.overlay(), link.displayCursorOverlay());
    if (link.cursorRow() != model.row)
        fail(feeding, QString::number(model.row), QString::number(link.cursorRow()));
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

    ScreenModel model;
    for (unsigned char byte : stream)
        model.feed(byte);

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
