#include "debuglog.h"

#include "appidentity.h"
#include "loghandler.h"

#include <cstdio>
#include <cstdlib>

QString DebugLog::switchName()
{
    return AppIdentity::debugLogSwitch();
}

bool DebugLog::takeSwitch(QStringList &arguments)
{
    // Recognised anywhere on the command line, as a whole argument only.
    return arguments.removeAll(switchName()) > 0;
}

void DebugLog::installFileHandler()
{
    LogHandler::install();
}

void DebugLog::installQuietHandler()
{
    qInstallMessageHandler(writeWarningsOnly);
}

void DebugLog::writeWarningsOnly(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    const QByteArray bytes =
            (QStringLiteral("lumctl: ") + message + QLatin1Char('\n')).toLocal8Bit();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    fflush(stderr);
    if (type == QtFatalMsg)
        abort();
}
