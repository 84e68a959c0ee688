#ifndef BENCHREPORT_H
#define BENCHREPORT_H

// What every benchmark shares: medians, the process's memory figures and the
// one line format that bench/run collects. Every figure is a ratio of two
// things measured in the same run; the absolute numbers are printed beside it.

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVector>

#include <algorithm>
#include <cstdio>

namespace BenchReport {

// How many runs the command line asks for ("--runs N", at least 1), or
// `defaultCount`.
inline int runCount(const QStringList &arguments, int defaultCount)
{
    const int runsAt = arguments.indexOf(QStringLiteral("--runs"));
    if (runsAt > 0 && runsAt + 1 < arguments.size())
        return qMax(1, arguments.at(runsAt + 1).toInt());
    return defaultCount;
}

inline double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    if (values.size() % 2 == 1)
        return values.at(middle);
    return (values.at(middle - 1) + values.at(middle)) / 2.0;
}

// A field of /proc/<pid>/status in kB (VmHWM, VmRSS, ...); -1 when unreadable.
inline qint64 procStatusKb(const QString &statusPath, const QString &field)
{
    QFile file(statusPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QString text = QString::fromLatin1(file.readAll());
    const QRegularExpression pattern(QStringLiteral("^%1:\\s+(\\d+) kB$").arg(field),
                                     QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

inline qint64 ownStatusKb(const QString &field)
{
    return procStatusKb(QStringLiteral("/proc/self/status"), field);
}

inline void say(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

enum class Goal { AtMost, AtLeast };

// One figure: "FIGURE<tab>name<tab>value<tab>target<tab>PASS|FAIL<tab>absolutes".
// Returns whether the target is met.
inline bool figure(const QString &name, double value, Goal goal, double target,
                   const QString &absolutes, int decimals = 2)
{
    const bool met = goal == Goal::AtMost ? value <= target : value >= target;
    const QString targetText =
            QStringLiteral("%1 %2")
                    .arg(goal == Goal::AtMost ? QStringLiteral("<=") : QStringLiteral(">="))
                    .arg(QString::number(target));
    say(QStringLiteral("FIGURE\t%1\t%2\t%3\t%4\t%5")
                .arg(name)
                .arg(value, 0, 'f', decimals)
                .arg(targetText, met ? QStringLiteral("PASS") : QStringLiteral("FAIL"), absolutes));
    return met;
}

// A figure that could not be measured.
inline void failed(const QString &name, const QString &target, const QString &reason)
{
    say(QStringLiteral("FIGURE\t%1\t-\t%2\tFAIL\t%3").arg(name, target, reason));
}

// A number printed for the record, without a target.
inline void info(const QString &name, const QString &value)
{
    say(QStringLiteral("INFO\t%1\t%2").arg(name, value));
}

inline QString ms(double value)
{
    return QStringLiteral("%1 ms").arg(value, 0, 'f', value < 10 ? 2 : 1);
}

inline QString mib(qint64 kb)
{
    return QStringLiteral("%1 MiB").arg(double(kb) / 1024.0, 0, 'f', 1);
}

// The program's debug lines are formatted as always and then dropped, so that
// the figures include building them but not a terminal's speed. Lines of
// Qt's own categories pass: they only appear when QT_LOGGING_RULES asks.
inline void dropDebugMessages(QtMsgType type, const QMessageLogContext &context,
                              const QString &message)
{
    const bool ownCategory = !context.category || qstrcmp(context.category, "default") == 0;
    if (ownCategory && (type == QtDebugMsg || type == QtInfoMsg))
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace BenchReport

#endif // BENCHREPORT_H
