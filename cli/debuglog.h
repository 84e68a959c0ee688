#ifndef DEBUGLOG_H
#define DEBUGLOG_H

#include <QStringList>
#include <QtGlobal>

// Where the diagnostics of the terminal link and the robot go. With the
// switch "-debuglog" every message is appended to lum_debug.log in the home
// folder by the window program's own log handler. Without it, the tool keeps
// its own output readable: debug and info lines are dropped and only
// warnings reach standard error.
class DebugLog
{
public:
    static QString switchName();
    // Removes the switch from the arguments; true when it was given.
    static bool takeSwitch(QStringList &arguments);
    static void installFileHandler();
    static void installQuietHandler();

private:
    static void writeWarningsOnly(QtMsgType type, const QMessageLogContext &context,
                                  const QString &message);
};

#endif // DEBUGLOG_H
