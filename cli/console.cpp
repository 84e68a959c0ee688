#include "console.h"

#include <cstdio>
#include <unistd.h>

void Console::out(const QString &line)
{
    outRaw((line + QLatin1Char('\n')).toLocal8Bit());
}

void Console::outRaw(const QByteArray &bytes)
{
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    fflush(stdout);
}

void Console::err(const QString &line)
{
    errRaw(line + QLatin1Char('\n'));
}

void Console::errRaw(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    fflush(stderr);
}

bool Console::stderrIsTerminal()
{
    return isatty(fileno(stderr)) == 1;
}
