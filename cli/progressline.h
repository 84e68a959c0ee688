#ifndef PROGRESSLINE_H
#define PROGRESSLINE_H

#include <QString>

// Progress on standard error: one line rewritten in place on a terminal, one
// line per change when standard error goes to a file or a pipe.
class ProgressLine
{
public:
    explicit ProgressLine(bool onTerminal);

    void show(const QString &text);
    // Ends an in-place line so that the next output starts on a fresh line.
    void finish();

private:
    bool m_onTerminal = false;
    int m_shownLength = 0;
    QString m_lastText;
};

#endif // PROGRESSLINE_H
