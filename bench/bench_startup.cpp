// lum's start-up time and resident memory against the smallest Qt Quick
// Controls 2 window (bench-minimal-window, built with this benchmark).
//
// Both programs run the same way: offscreen platform, software scene graph,
// a temporary home folder, and the scene graph's render-loop timing category
// switched on, so that each of them writes "Frame rendered ..." when its
// window's first frame is done. The time runs from starting the process to
// that line: the window is shown. The resident memory (VmRSS) is read from
// /proc one second later, once the program has settled, and the program is
// ended. Each program starts once untimed (to warm the file cache), then
// they alternate; medians count. The minimal window also runs with the four
// dialogs lum uses created at once, to show what lum saves by creating them
// when they are first opened.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include "benchreport.h"

namespace {

const int rounds = 5;
const int settleMs = 1000;
const int startLimitMs = 60000;
const double maxTimeFactor = 1.3;
const double maxMemoryFactor = 1.3;

struct StartResult
{
    bool ok = false;
    double shownMs = 0;
    qint64 rssKb = 0;
    QString output;
};

QProcessEnvironment environmentIn(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"),
               QStringLiteral("qt.scenegraph.time.renderloop.debug=true"));
    env.remove(QStringLiteral("LUM_EXTRA_PORTS"));
    return env;
}

// Starts the program, waits for its first frame and its settled memory.
StartResult startAndMeasure(const QString &program, const QStringList &arguments,
                            const QString &home)
{
    StartResult result;
    QProcess process;
    process.setProcessEnvironment(environmentIn(home));
    process.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    QObject::connect(&process, &QProcess::readyRead, &loop, [&] {
        result.output += QString::fromLocal8Bit(process.readAll());
        if (result.shownMs == 0 && result.output.contains(QLatin1String("Frame rendered"))) {
            result.shownMs = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    QObject::connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);

    clock.start();
    process.start(program, arguments);
    limit.start(startLimitMs);
    loop.exec();
    if (result.shownMs > 0 && process.state() == QProcess::Running) {
        QTimer::singleShot(settleMs, &loop, &QEventLoop::quit);
        loop.exec();
        result.rssKb = BenchReport::procStatusKb(
                QStringLiteral("/proc/%1/status").arg(process.processId()),
                QStringLiteral("VmRSS"));
        result.ok = result.rssKb > 0;
    }
    process.kill();
    process.waitForFinished(10000);
    return result;
}

struct Series
{
    QString name;
    QString program;
    QStringList arguments;
    QVector<double> times;
    QVector<double> memory;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString timeName = QStringLiteral("Start-up, lum / minimal window (time to first frame)");
    const QString memoryName = QStringLiteral("Resident memory, lum / minimal window");
#if defined(LUM_PATH) && defined(MINIMAL_WINDOW_PATH)
    QTemporaryDir home;
    Series lum{ QStringLiteral("lum"), QStringLiteral(LUM_PATH), {}, {}, {} };
    Series floor{
        QStringLiteral("minimal window"), QStringLiteral(MINIMAL_WINDOW_PATH), {}, {}, {}
    };
    Series withDialogs{ QStringLiteral("minimal window with lum's dialogs"),
                        QStringLiteral(MINIMAL_WINDOW_PATH),
                        { QStringLiteral("--with-dialogs") },
                        {},
                        {} };
    for (int round = 0; round <= rounds; ++round) {
        for (Series *series : { &floor, &lum, &withDialogs }) {
            const StartResult result =
                    startAndMeasure(series->program, series->arguments, home.path());
            if (!result.ok) {
                BenchReport::failed(timeName, QStringLiteral("<= 1.3"),
                                    QStringLiteral("%1 showed no window: %2")
                                            .arg(series->name, result.output.left(400)));
                return 1;
            }
            if (round == 0)
                continue; // warming the file cache
            series->times.append(result.shownMs);
            series->memory.append(result.rssKb);
            BenchReport::say(QStringLiteral("round %1, %2: first frame after %3, resident %4")
                                     .arg(round)
                                     .arg(series->name, BenchReport::ms(result.shownMs),
                                          BenchReport::mib(result.rssKb)));
        }
    }
    const double lumTime = BenchReport::median(lum.times);
    const double floorTime = BenchReport::median(floor.times);
    const double lumMemory = BenchReport::median(lum.memory);
    const double floorMemory = BenchReport::median(floor.memory);
    bool met = BenchReport::figure(
            timeName, lumTime / floorTime, BenchReport::Goal::AtMost, maxTimeFactor,
            QStringLiteral("medians of %1: lum %2, minimal window %3")
                    .arg(rounds)
                    .arg(BenchReport::ms(lumTime), BenchReport::ms(floorTime)));
    met &= BenchReport::figure(
            memoryName, lumMemory / floorMemory, BenchReport::Goal::AtMost, maxMemoryFactor,
            QStringLiteral(
                    "medians of %1, VmRSS 1 s after the first frame: lum %2, minimal window %3")
                    .arg(rounds)
                    .arg(BenchReport::mib(qint64(lumMemory)),
                         BenchReport::mib(qint64(floorMemory))));
    const double dialogsTime = BenchReport::median(withDialogs.times);
    const double dialogsMemory = BenchReport::median(withDialogs.memory);
    BenchReport::info(
            QStringLiteral("Minimal window with lum's four dialogs (QtQuick.Dialogs 1.3)"),
            QStringLiteral(
                    "first frame %1, resident %2; lum against it: %3 x in time, %4 x in memory")
                    .arg(BenchReport::ms(dialogsTime), BenchReport::mib(qint64(dialogsMemory)))
                    .arg(lumTime / dialogsTime, 0, 'f', 2)
                    .arg(lumMemory / dialogsMemory, 0, 'f', 2));
    return met ? 0 : 2;
#else
    BenchReport::failed(timeName, QStringLiteral("<= 1.3"), QStringLiteral("lum is not built"));
    BenchReport::failed(memoryName, QStringLiteral("<= 1.3"), QStringLiteral("lum is not built"));
    return 1;
#endif
}
