#ifndef LOGHANDLER_H
#define LOGHANDLER_H

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include "logcategories.h"

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

#endif // LOGHANDLER_H
