#include "debuglog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace {

QString levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return QStringLiteral("Debug");
    case QtInfoMsg: return QStringLiteral("Info");
    case QtWarningMsg: return QStringLiteral("Warning");
    case QtCriticalMsg: return QStringLiteral("Critical");
    case QtFatalMsg: return QStringLiteral("Fatal");
    }
    return QString();
}

} // namespace

QString DebugLog::switchName()
{
    return QStringLiteral("-debuglog");
}

QString DebugLog::filePath()
{
    return QDir::home().filePath(QStringLiteral("lum_debug.log"));
}

bool DebugLog::takeSwitch(QStringList &arguments)
{
    // Recognised anywhere on the command line, as a whole argument only.
    return arguments.removeAll(switchName()) > 0;
}

QString DebugLog::formatLine(QtMsgType type, const QString &message)
{
    // All three filled in at once, so a "%1" inside the message stays literal.
    return QStringLiteral("%1 %2: %3")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
             levelName(type), message);
}

void DebugLog::installFileHandler()
{
    qInstallMessageHandler(writeToFile);
}

void DebugLog::installQuietHandler()
{
    qInstallMessageHandler(writeWarningsOnly);
}

void DebugLog::writeToFile(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // Opened and closed per line, so every line is on disk even if the
    // process ends abruptly right after it.
    QFile file(filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        QTextStream stream(&file);
        stream << formatLine(type, message) << '\n';
    }
    if (type == QtFatalMsg)
        abort();
}

void DebugLog::writeWarningsOnly(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    const QByteArray bytes = (QStringLiteral("lumctl: ") + message + QLatin1Char('\n')).toLocal8Bit();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    fflush(stderr);
    if (type == QtFatalMsg)
        abort();
}
