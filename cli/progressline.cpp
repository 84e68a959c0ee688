#include "progressline.h"

#include "console.h"

ProgressLine::ProgressLine(bool onTerminal) : m_onTerminal(onTerminal) { }

void ProgressLine::show(const QString &text)
{
    if (text == m_lastText)
        return;
    m_lastText = text;
    if (!m_onTerminal) {
        Console::err(text);
        return;
    }
    // Pad with blanks so that a shorter text fully covers the previous one.
    QString line = text;
    if (line.size() < m_shownLength)
        line += QString(m_shownLength - line.size(), QLatin1Char(' '));
    m_shownLength = text.size();
    Console::errRaw(QLatin1Char('\r') + line);
}

void ProgressLine::finish()
{
    if (m_onTerminal && m_shownLength > 0)
        Console::errRaw(QStringLiteral("\n"));
    m_shownLength = 0;
    m_lastText.clear();
}
