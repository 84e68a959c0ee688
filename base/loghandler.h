#ifndef LOGHANDLER_H
#define LOGHANDLER_H

#include <QDateTime>
#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

// The debug log: with "-debuglog" every diagnostic message of the process is
// appended to lum_debug.log in the user's home folder, one line each.
class LogHandler
{
public:
    // Installs handleMessage() as the process's message handler and lets the
    // trace through to it.
    static void install();

    // The message handler itself: formats the line, appends it to the log
    // file (opened and closed per line, so nothing is lost when the process
    // dies) and aborts after a fatal message.
    static void handleMessage(QtMsgType type, const QMessageLogContext &context,
                              const QString &message);

    static QString logFilePath();
    static QString levelName(QtMsgType type);
    static QString formatLine(const QDateTime &when, QtMsgType type, const QString &message);
    static void appendLine(const QString &path, const QString &line);
};

// The trace of the programming line: a line for every byte received and key
// sent, and for every screen the robot reads. Thousands of lines a session;
// they are only written into the debug log, never to the terminal (a
// developer can still switch them on with QT_LOGGING_RULES=lum.trace.debug=true).
Q_DECLARE_LOGGING_CATEGORY(lumTrace)

#endif // LOGHANDLER_H
