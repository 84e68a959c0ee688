#ifndef DISPLAYDECODER_H
#define DISPLAYDECODER_H

#include <QString>

// The device's display as its byte stream draws it: two lines of 32 cells,
// of which 16 are visible, and a text cursor. Control bytes clear the screen
// (0x0C), home the cursor (0x11), return to the line's start (0x0D) and
// switch between the two lines (0x0A); every other byte is a character in
// ISO 8859-1 written at the cursor.
class DisplayDecoder
{
public:
    static constexpr int LineCells = 32;
    static constexpr int VisibleCells = 16;

    static constexpr char ClearScreen = 0x0C;
    static constexpr char CursorHome = 0x11;
    static constexpr char LineFeed = 0x0A;
    static constexpr char CarriageReturn = 0x0D;

    DisplayDecoder();

    void feed(char byte);
    void clear();

    // The visible part of both lines, joined by a line feed.
    QString text() const;
    // The same shape: "_" at the cursor on the second line, "+" on the last
    // visible cell of a line whose text runs past it, blanks elsewhere.
    QString cursorOverlay() const;
    // Both whole 32-cell lines, joined by a line feed.
    QString lines() const;
    int cursorRow() const { return m_cursorRow; }
    int cursorColumn() const { return m_cursorColumn; }

private:
    QString m_lines[2];
    int m_cursorRow = 0;
    int m_cursorColumn = 0;
};

#endif // DISPLAYDECODER_H
