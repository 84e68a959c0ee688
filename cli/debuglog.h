#ifndef DEBUGLOG_H
#define DEBUGLOG_H

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Where the diagnostics of the terminal link and the robot go. With the
// switch "-debuglog" every message is appended to lum_debug.log in the home
// folder, in the same line form as the window writes it. Without it, the
// tool keeps its own output readable: debug and info lines are dropped and
// only warnings reach standard error.
class DebugLog
{
public:
    static QString switchName();
    static QString filePath();
    // Removes the switch from the arguments; true when it was given.
    static bool takeSwitch(QStringList &arguments);
    static void installFileHandler();
    static void installQuietHandler();
    static QString formatLine(QtMsgType type, const QString &message);

private:
    static void writeToFile(QtMsgType type, const QMessageLogContext &context, const QString &message);
    static void writeWarningsOnly(QtMsgType type, const QMessageLogContext &context, const QString &message);
};

#endif // DEBUGLOG_H
