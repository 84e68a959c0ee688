// lum's start-up time and resident memory against yardsticks built with
// this benchmark (bench-minimal-window, bench-minimal-widget-window):
//
// - the plain window ("--fair"): a Qt Quick Controls 2 window with the
//   controls lum's window shows in its first frame (sixteen keys, the
//   display's two text areas, the port box and its button, the transfer
//   buttons, the editor's header and list), written without anything of lum.
//   lum's start-up is measured against it.
// - the minimal window: one button, the framework's floor. lum's memory is
//   measured against it, and its start-up time is printed for the record.
// - the same minimal window in a widget application, as lum is one (lum
//   needs one for Qt's widget file dialog): printed for the record, with
//   lum's memory against it; the gap between the two floors is what the
//   widget library costs any program before it shows a widget.
//
// Every program runs the same way: offscreen platform, software scene graph,
// a temporary home folder, and the scene graph's render-loop timing category
// switched on, so that each of them writes "Frame rendered ..." when its
// window's first frame is done. A probe loaded into each of them as a Qt
// generic plugin (bench/startprobe) writes "Port box filled" as soon as the
// window's port box has its entries; lum is given one extra port name
// (LUM_EXTRA_PORTS), as if an adapter were plugged in, so that its box has an
// entry on a machine without serial ports too; it still asks the system for
// its ports. The times run from starting the process to those lines. The
// resident memory (VmRSS) is read from /proc one second after both, once the
// program has settled, and the program is ended. The probe also reports the
// processor time the process used until its first frame, all threads
// together, which a busy machine moves far less than the clock; it is
// printed beside the figures. Each program starts once
// untimed (to warm the file cache), then they alternate; medians count. The
// minimal window also runs with the four dialogs lum uses created at once,
// to show what lum saves by creating them when they are first opened.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include "benchreport.h"

namespace {

const int rounds = 21;
const int settleMs = 1000;
const int startLimitMs = 60000;
const double maxTimeFactor = 1.2;
const double maxMemoryFactor = 1.3;

const QLatin1String frameLine("Frame rendered");
const QLatin1String portBoxLine("Port box filled");

struct StartResult
{
    bool ok = false;
    double shownMs = 0;
    double portsMs = 0;
    double processorMs = 0;
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
#ifdef PROBE_PLUGIN_PATH
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(PROBE_PLUGIN_PATH));
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("lumstartprobe"));
#endif
    env.insert(QStringLiteral("LUM_EXTRA_PORTS"), QDir(home).filePath(QStringLiteral("ttyLUM")));
    return env;
}

// Starts the program, waits for its first frame (and for its port box to be
// filled, when it has one) and then for its settled memory.
StartResult startAndMeasure(const QString &program, const QStringList &arguments,
                            const QString &home, bool hasPortBox)
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
    auto complete = [&] { return result.shownMs > 0 && (!hasPortBox || result.portsMs > 0); };
    // The program goes on writing while it settles; only the moment both
    // lines are there ends the first wait.
    QObject::connect(&process, &QProcess::readyRead, &loop, [&] {
        result.output += QString::fromLocal8Bit(process.readAll());
        if (complete())
            return;
        const double now = clock.nsecsElapsed() / 1e6;
        if (result.shownMs == 0 && result.output.contains(frameLine))
            result.shownMs = now;
        if (result.portsMs == 0 && result.output.contains(portBoxLine))
            result.portsMs = now;
        if (complete())
            loop.quit();
    });
    QObject::connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);

    clock.start();
    process.start(program, arguments);
    limit.start(startLimitMs);
    loop.exec();
    if (complete() && process.state() == QProcess::Running) {
        QTimer::singleShot(settleMs, &loop, &QEventLoop::quit);
        loop.exec();
        result.rssKb = BenchReport::procStatusKb(
                QStringLiteral("/proc/%1/status").arg(process.processId()),
                QStringLiteral("VmRSS"));
        result.ok = result.rssKb > 0;
        const QRegularExpressionMatch processor =
                QRegularExpression(QStringLiteral("First frame, processor time: ([0-9.]+) ms"))
                        .match(result.output);
        result.processorMs = processor.hasMatch() ? processor.captured(1).toDouble() : 0;
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
    bool hasPortBox = false;
    QVector<double> times;
    QVector<double> portTimes;
    QVector<double> processorTimes;
    QVector<double> memory;
};

QString roundLine(int round, const Series &series, const StartResult &result)
{
    QString line = QStringLiteral("round %1, %2: first frame after %3 (processor time %4)")
                           .arg(round)
                           .arg(series.name, BenchReport::ms(result.shownMs),
                                BenchReport::ms(result.processorMs));
    if (series.hasPortBox)
        line += QStringLiteral(", port box filled after %1").arg(BenchReport::ms(result.portsMs));
    return line + QStringLiteral(", resident %1").arg(BenchReport::mib(result.rssKb));
}

QString ratio(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString timeName =
            QStringLiteral("Start-up, lum / plain window with its controls (time to first frame)");
    const QString portsName = QStringLiteral(
            "Start-up, lum / plain window with its controls (time until the port box is filled)");
    const QString memoryName = QStringLiteral("Resident memory, lum / minimal window");
    const QString timeTarget = QStringLiteral("<= %1").arg(maxTimeFactor);
    const QString memoryTarget = QStringLiteral("<= %1").arg(maxMemoryFactor);
#if defined(LUM_PATH) && defined(MINIMAL_WINDOW_PATH) && defined(MINIMAL_WIDGET_WINDOW_PATH)
    QTemporaryDir home;
    Series lum{ QStringLiteral("lum"), QStringLiteral(LUM_PATH), {}, true, {}, {}, {}, {} };
    Series fair{ QStringLiteral("plain window"),
                 QStringLiteral(MINIMAL_WINDOW_PATH),
                 { QStringLiteral("--fair") },
                 true,
                 {},
                 {},
                 {},
                 {} };
    Series floor{
        QStringLiteral("minimal window"), QStringLiteral(MINIMAL_WINDOW_PATH), {}, false, {}, {}, {}, {}
    };
    Series widgetFloor{ QStringLiteral("minimal window, widget application"),
                        QStringLiteral(MINIMAL_WIDGET_WINDOW_PATH),
                        {},
                        false,
                        {},
                        {},
                        {},
                        {} };
    Series withDialogs{ QStringLiteral("minimal window with lum's dialogs"),
                        QStringLiteral(MINIMAL_WINDOW_PATH),
                        { QStringLiteral("--with-dialogs") },
                        false,
                        {},
                        {},
                        {},
                        {} };
    for (int round = 0; round <= rounds; ++round) {
        for (Series *series : { &fair, &lum, &floor, &widgetFloor, &withDialogs }) {
            const StartResult result = startAndMeasure(series->program, series->arguments,
                                                       home.path(), series->hasPortBox);
            if (!result.ok) {
                const QString reason = result.shownMs == 0
                        ? QStringLiteral("%1 showed no window: %2")
                        : QStringLiteral("%1 showed its window, but its port box stayed empty: %2");
                BenchReport::failed(timeName, timeTarget,
                                    reason.arg(series->name, result.output.left(400)));
                return 1;
            }
            if (round == 0)
                continue; // warming the file cache
            series->times.append(result.shownMs);
            series->portTimes.append(result.portsMs);
            series->processorTimes.append(result.processorMs);
            series->memory.append(result.rssKb);
            BenchReport::say(roundLine(round, *series, result));
        }
    }
    const double lumTime = BenchReport::median(lum.times);
    const double fairTime = BenchReport::median(fair.times);
    const double floorTime = BenchReport::median(floor.times);
    const double lumPorts = BenchReport::median(lum.portTimes);
    const double fairPorts = BenchReport::median(fair.portTimes);
    const double lumMemory = BenchReport::median(lum.memory);
    const double fairMemory = BenchReport::median(fair.memory);
    const double floorMemory = BenchReport::median(floor.memory);
    bool met = BenchReport::figure(
            timeName, lumTime / fairTime, BenchReport::Goal::AtMost, maxTimeFactor,
            QStringLiteral("medians of %1: lum %2, plain window %3")
                    .arg(rounds)
                    .arg(BenchReport::ms(lumTime), BenchReport::ms(fairTime)));
    met &= BenchReport::figure(
            portsName, lumPorts / fairPorts, BenchReport::Goal::AtMost, maxTimeFactor,
            QStringLiteral("medians of %1: lum %2, plain window %3 (its box holds a fixed list)")
                    .arg(rounds)
                    .arg(BenchReport::ms(lumPorts), BenchReport::ms(fairPorts)));
    met &= BenchReport::figure(
            memoryName, lumMemory / floorMemory, BenchReport::Goal::AtMost, maxMemoryFactor,
            QStringLiteral(
                    "medians of %1, VmRSS 1 s after the first frame: lum %2, minimal window %3")
                    .arg(rounds)
                    .arg(BenchReport::mib(qint64(lumMemory)),
                         BenchReport::mib(qint64(floorMemory))));
    const double lumProcessor = BenchReport::median(lum.processorTimes);
    const double fairProcessor = BenchReport::median(fair.processorTimes);
    BenchReport::info(
            QStringLiteral("Processor time until the first frame, all threads (lum / plain window)"),
            QStringLiteral("%1: lum %2, plain window %3, minimal window %4")
                    .arg(ratio(lumProcessor / fairProcessor), BenchReport::ms(lumProcessor),
                         BenchReport::ms(fairProcessor),
                         BenchReport::ms(BenchReport::median(floor.processorTimes))));
    BenchReport::info(
            QStringLiteral("Plain window with lum's controls (start-up yardstick)"),
            QStringLiteral("first frame %1, resident %2; lum against it: %3 x in memory")
                    .arg(BenchReport::ms(fairTime), BenchReport::mib(qint64(fairMemory)),
                         ratio(lumMemory / fairMemory)));
    BenchReport::info(
            QStringLiteral("Minimal window (one button)"),
            QStringLiteral("first frame %1, resident %2; lum against it: %3 x in time")
                    .arg(BenchReport::ms(floorTime), BenchReport::mib(qint64(floorMemory)),
                         ratio(lumTime / floorTime)));
    const double widgetFloorMemory = BenchReport::median(widgetFloor.memory);
    BenchReport::info(
            QStringLiteral("Minimal window (one button) in a widget application, as lum is one"),
            QStringLiteral("first frame %1, resident %2 (the widget library: %3); lum against "
                           "it: %4 x in memory")
                    .arg(BenchReport::ms(BenchReport::median(widgetFloor.times)),
                         BenchReport::mib(qint64(widgetFloorMemory)),
                         BenchReport::mib(qint64(widgetFloorMemory - floorMemory)),
                         ratio(lumMemory / widgetFloorMemory)));
    const double dialogsTime = BenchReport::median(withDialogs.times);
    const double dialogsMemory = BenchReport::median(withDialogs.memory);
    BenchReport::info(
            QStringLiteral("Minimal window with lum's four dialogs (QtQuick.Dialogs 1.3)"),
            QStringLiteral(
                    "first frame %1, resident %2; lum against it: %3 x in time, %4 x in memory")
                    .arg(BenchReport::ms(dialogsTime), BenchReport::mib(qint64(dialogsMemory)),
                         ratio(lumTime / dialogsTime), ratio(lumMemory / dialogsMemory)));
    return met ? 0 : 2;
#else
    BenchReport::failed(timeName, timeTarget, QStringLiteral("lum is not built"));
    BenchReport::failed(portsName, timeTarget, QStringLiteral("lum is not built"));
    BenchReport::failed(memoryName, memoryTarget, QStringLiteral("lum is not built"));
    return 1;
#endif
}
