// How long a check of 10 settings takes against a full read-out of the same
// device in the same run. The check walks only to the settings it is given,
// so its time grows with them, not with the menu: at most a third of the
// read-out. The simulated device runs in a thread of its own and sends at
// real 9600-baud speed, as a device on the line does; the 10 settings are
// spread over the whole menu (every editable setting that can be compared,
// at even steps), which is the hard case for the walk. The median of the
// runs counts.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

#include "benchreport.h"
#include "confitem.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "threadeddevice.h"

namespace {

const int settingsToCheck = 10;
const int jobTimeoutMs = 15 * 60 * 1000;

// Runs one job of the robot to its end; false when it did not end well in time.
bool runJob(LumBot &bot, const std::function<void()> &start)
{
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&bot, &LumBot::jobFinished, &loop, &QEventLoop::quit);
    timeout.start(jobTimeoutMs);
    start();
    if (bot.isEnabled())
        loop.exec();
    return !bot.isEnabled() && bot.lastResult().outcome == JobResult::Done;
}

// Marks `count` comparable settings spread evenly over the menu.
int markSpread(DeviceProfile &profile, int count)
{
    profile.setAllMarked(false);
    QList<ConfItem *> candidates;
    for (ConfItem *item : profile.items()) {
        if (item->editable() && !ValueType::takesPcClock(item->type()))
            candidates.append(item);
    }
    int marked = 0;
    for (int i = 0; i < count && !candidates.isEmpty(); ++i) {
        ConfItem *item = candidates.at(int(qint64(i) * candidates.size() / count));
        if (!item->active()) {
            item->setActive(true);
            ++marked;
        }
    }
    return marked;
}

struct RunResult
{
    bool ok = false;
    QString error;
    double readOutMs = 0;
    double checkMs = 0;
    int checked = 0;
    double ratio() const { return readOutMs > 0 ? checkMs / readOutMs : 0; }
};

RunResult runOnce()
{
    RunResult result;
    ThreadedDevice device;
    if (!device.start(QStringLiteral(LUM_DEMO_MENU), &result.error))
        return result;
    KelHandler link;
    DeviceProfile profile;
    LumBot bot;
    bot.setKelHandler(&link);
    bot.setProfile(&profile);
    if (!link.openSerialPortByName(device.portPath())) {
        result.error = QStringLiteral("cannot open %1").arg(device.portPath());
        return result;
    }
    QElapsedTimer clock;
    clock.start();
    if (!runJob(bot, [&] { bot.startDownload(); })) {
        result.error = QStringLiteral("read-out failed: ") + bot.lastErrorString();
        return result;
    }
    result.readOutMs = double(clock.nsecsElapsed()) / 1e6;
    result.checked = markSpread(profile, settingsToCheck);
    clock.restart();
    if (!runJob(bot, [&] { bot.startCheck(false); })) {
        result.error = QStringLiteral("check failed: ") + bot.lastErrorString();
        return result;
    }
    result.checkMs = double(clock.nsecsElapsed()) / 1e6;
    // A check of the device just read finds every value as it was read.
    for (const CheckedSetting &checked : bot.lastResult().checked) {
        if (!checked.found || checked.deviceValue != checked.fileValue) {
            result.error = QStringLiteral("check found a difference at %1")
                                   .arg(checked.menuPath.join(QLatin1Char('/')));
            return result;
        }
    }
    result.ok = true;
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(BenchReport::dropDebugMessages);
    const int runCount = BenchReport::runCount(app.arguments(), 3);
    const QString name = QStringLiteral("Check of 10 settings / full read-out (time)");

    BenchReport::say(QStringLiteral("Check: %1 runs of a full read-out of the demo menu and a "
                                    "check of %2 settings spread over it, device paced at 9600 baud")
                             .arg(runCount)
                             .arg(settingsToCheck));
    QVector<RunResult> runs;
    QVector<double> ratios;
    for (int run = 1; run <= runCount; ++run) {
        const RunResult result = runOnce();
        if (!result.ok) {
            BenchReport::say(QStringLiteral("run %1 failed: %2").arg(run).arg(result.error));
            BenchReport::failed(name, QStringLiteral("<= 0.333"),
                                QStringLiteral("run failed: ") + result.error);
            return 1;
        }
        BenchReport::say(QStringLiteral("run %1: read-out %2, check of %3 settings %4, ratio %5")
                                 .arg(run)
                                 .arg(BenchReport::ms(result.readOutMs))
                                 .arg(result.checked)
                                 .arg(BenchReport::ms(result.checkMs))
                                 .arg(result.ratio(), 0, 'f', 3));
        runs.append(result);
        ratios.append(result.ratio());
    }
    const double median = BenchReport::median(ratios);
    const auto closest = std::min_element(runs.cbegin(), runs.cend(), [&](const auto &a, const auto &b) {
        return qAbs(a.ratio() - median) < qAbs(b.ratio() - median);
    });
    const bool met = BenchReport::figure(
            name, median, BenchReport::Goal::AtMost, 0.333,
            QStringLiteral("check %1, read-out %2 (median of %3 runs)")
                    .arg(BenchReport::ms(closest->checkMs), BenchReport::ms(closest->readOutMs))
                    .arg(runCount));
    return met ? 0 : 2;
}
