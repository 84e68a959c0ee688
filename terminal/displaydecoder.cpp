#include "displaydecoder.h"

DisplayDecoder::DisplayDecoder()
{
    clear();
}

void DisplayDecoder::clear()
{
    m_lines[0] = QString(LineCells, QLatin1Char(' '));
    m_lines[1] = QString(LineCells, QLatin1Char(' '));
    m_cursorRow = 0;
    m_cursorColumn = 0;
}

void DisplayDecoder::feed(char byte)
{
    switch (byte) {
    case ClearScreen:
        clear();
        break;
    case CursorHome:
        m_cursorRow = 0;
        m_cursorColumn = 0;
        break;
    case LineFeed:
        // The device's line feed toggles between its two rows.
        m_cursorRow = m_cursorRow == 0 ? 1 : 0;
        break;
    case CarriageReturn:
        m_cursorColumn = 0;
        break;
    default:
        // No wrap: text past the last cell is lost until the cursor moves back.
        if (m_cursorColumn < LineCells) {
            m_lines[m_cursorRow][m_cursorColumn] = QChar(uchar(byte));
            ++m_cursorColumn;
        }
        break;
    }
}

QString DisplayDecoder::text() const
{
    return m_lines[0].left(VisibleCells) + QLatin1Char('\n') + m_lines[1].left(VisibleCells);
}

QString DisplayDecoder::cursorOverlay() const
{
    QString rows[2] = { QString(VisibleCells, QLatin1Char(' ')),
                        QString(VisibleCells, QLatin1Char(' ')) };
    if (m_cursorRow == 1 && m_cursorColumn < VisibleCells)
        rows[1][m_cursorColumn] = QLatin1Char('_');
    // A line whose text runs past the visible width gets a mark on its last
    // visible cell, so the user knows there is more.
    for (int row = 0; row < 2; ++row) {
        if (m_lines[row].trimmed().size() > VisibleCells)
            rows[row][VisibleCells - 1] = QLatin1Char('+');
    }
    return rows[0] + QLatin1Char('\n') + rows[1];
}

QString DisplayDecoder::lines() const
{
    return m_lines[0] + QLatin1Char('\n') + m_lines[1];
}
