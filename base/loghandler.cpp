#include "loghandler.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdlib>

void LogHandler::install()
{
    QLoggingCategory::setFilterRules(QStringLiteral("lum.trace.debug=true"));
    qInstallMessageHandler(handleMessage);
}

void LogHandler::handleMessage(QtMsgType type, const QMessageLogContext &context,
                               const QString &message)
{
    Q_UNUSED(context)
    appendLine(logFilePath(), formatLine(QDateTime::currentDateTime(), type, message));
    if (type == QtFatalMsg)
        std::abort();
}

QString LogHandler::logFilePath()
{
    return QDir(QDir::homePath()).filePath(QStringLiteral("lum_debug.log"));
}

QString LogHandler::levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("Debug");
    case QtInfoMsg:
        return QStringLiteral("Info");
    case QtWarningMsg:
        return QStringLiteral("Warning");
    case QtCriticalMsg:
        return QStringLiteral("Critical");
    case QtFatalMsg:
        return QStringLiteral("Fatal");
    }
    return QString();
}

QString LogHandler::formatLine(const QDateTime &when, QtMsgType type, const QString &message)
{
    // All three filled in one pass, so a "%1" inside the message stays as it is.
    return QStringLiteral("%1 %2: %3")
            .arg(when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")), levelName(type),
                 message);
}

void LogHandler::appendLine(const QString &path, const QString &line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    // The stream's default encoding: the system's 8-bit code page.
    QTextStream stream(&file);
    stream << line << '\n';
}
