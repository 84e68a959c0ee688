#ifndef CONSOLE_H
#define CONSOLE_H

#include <QByteArray>
#include <QString>

// Standard output and standard error of the command-line tool. Every line is
// flushed at once, so that a pipe or a watching script sees each screen and
// each progress step as it happens.
class Console
{
public:
    static void out(const QString &line);
    static void outRaw(const QByteArray &bytes);
    static void err(const QString &line);
    static void errRaw(const QString &text);
    static bool stderrIsTerminal();
    // The system's English error texts in a message, put into German.
    static QString germanSystemErrors(QString text);
};

#endif // CONSOLE_H
