// How much time the robot adds to the pace the device and the link allow.
//
// The simulated device runs in a thread of its own (as a real device runs on
// its own hardware) and sends at real 9600-baud speed. It records, for every
// key, when the key arrived and when the last byte of the answer before it
// went out. From those records alone, and from what the device showed when
// each key arrived, this benchmark works out the gap the link's rules
// require before each key:
//
//  - 50 ms of quiet after the answer's last byte;
//  - 500 ms from a key that deserves a slow answer: the key sent once the
//    base menu is found (the one after an ESC that left the screen as it
//    was, following another ESC) and the OK that confirms a value (an OK
//    that arrives while a setting is open);
//  - the key's time plus 1000 ms where the device did not start to answer
//    within the key's time.
//
// Keys that arrive less than 50 ms after the key before them belong to the
// same step (the characters of a value and the OK after them): the link
// cannot have completed a screen in between, so they have no gap of their
// own. The figure is the sum of the measured gaps over the sum of the
// required ones, for a full read-out of the demo menu and for a transfer of
// 20 settings; the median of the runs counts.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

#include "benchreport.h"
#include "confitem.h"
#include "deviceprofile.h"
#include "devicekeys.h"
#include "devicesimulator.h"
#include "kelhandler.h"
#include "linktiming.h"
#include "lumbot.h"
#include "threadeddevice.h"

namespace {

// The times the terminal link promises; the benchmark checks the robot's
// pace against them.
const char keyEsc = DeviceKeys::Esc;
const char keyOk = DeviceKeys::Ok;
const int quietGapMs = LinkTiming::QuietGapMs;
const int slowAnswerMs = LinkTiming::SlowAnswerMs;
const int extraWaitMs = LinkTiming::ExtraWaitMs;
const double byteTimeMs = 10000.0 / 9600.0; // start bit, 8 data bits, stop bit
const int settingsToTransfer = 20;
const int jobTimeoutMs = 15 * 60 * 1000;

// What the device showed when a key arrived.
struct KeyContext
{
    QStringList screen;
    bool settingOpen = false;
};

// Keeps in CONTEXTS what the device showed when each key arrived;
// keyReceived() comes before the device handles the key, so the screen is
// the one the key was sent in answer to. Only the device's thread touches
// CONTEXTS.
void recordContexts(ThreadedDevice &device, QVector<KeyContext> *contexts)
{
    device.inDeviceThread([contexts](DeviceSimulator &simulator) {
        QObject::connect(&simulator, &DeviceSimulator::keyReceived, &simulator,
                         [contexts, &simulator](char) {
                             contexts->append({ simulator.screen(), simulator.cursorOnSecondRow() });
                         });
    });
}

void clearRecords(ThreadedDevice &device, QVector<KeyContext> *contexts)
{
    device.clearRecords();
    device.inDeviceThread([contexts](DeviceSimulator &) { contexts->clear(); });
}

QVector<KeyContext> recordedContexts(ThreadedDevice &device, const QVector<KeyContext> *contexts)
{
    QVector<KeyContext> result;
    device.inDeviceThread([&](DeviceSimulator &) { result = *contexts; });
    return result;
}

struct PaceFigures
{
    double measuredMs = 0;
    double requiredMs = 0;
    int gaps = 0;
    int slowKeys = 0; // keys that earned 500 ms
    int baseMenuKeys = 0;
    int confirmations = 0;
    int extraWaits = 0;
    double largestExcessMs = 0; // measured minus required, worst gap
    double largestShortfallMs = 0; // required minus measured, worst gap
    int shortGaps = 0; // more than the clocks' resolution under
    int shortAfterSlowKeys = 0;
    double ratio() const { return requiredMs > 0 ? measuredMs / requiredMs : 0; }
};

// Bytes of the screen the device drew: clear screen, line 1, CR LF, line 2,
// and a cursor-home byte unless a setting is open.
int drawnBytes(const KeyContext &shown)
{
    return 1 + qMin(32, shown.screen.value(0).size()) + 2 + qMin(32, shown.screen.value(1).size())
            + (shown.settingOpen ? 0 : 1);
}

bool isBaseMenuKey(const QVector<DeviceSimulator::KeyRecord> &records,
                   const QVector<KeyContext> &contexts, int key)
{
    // Two ESC in a row, and the second left the screen as the first had drawn it.
    if (key < 2 || records.at(key - 1).key != keyEsc || records.at(key - 2).key != keyEsc)
        return false;
    return contexts.at(key - 1).screen == contexts.at(key).screen
            && contexts.at(key - 1).settingOpen == contexts.at(key).settingOpen;
}

bool isConfirmation(const QVector<DeviceSimulator::KeyRecord> &records,
                    const QVector<KeyContext> &contexts, int key)
{
    return records.at(key).key == keyOk && contexts.at(key).settingOpen;
}

PaceFigures analyseGaps(const QVector<DeviceSimulator::KeyRecord> &records,
                        const QVector<KeyContext> &contexts)
{
    PaceFigures figures;
    const int count = qMin(records.size(), contexts.size());
    int stepStart = 0;
    for (int key = 1; key < count; ++key) {
        const DeviceSimulator::KeyRecord &current = records.at(key);
        const DeviceSimulator::KeyRecord &previous = records.at(key - 1);
        if (current.receivedMs - previous.receivedMs < quietGapMs)
            continue; // one step: no screen can have been completed in between

        // The previous step ended with key - 1; its time decides the wait.
        int keyTime = quietGapMs;
        if (isBaseMenuKey(records, contexts, key - 1)) {
            keyTime = slowAnswerMs;
            ++figures.baseMenuKeys;
        } else if (isConfirmation(records, contexts, key - 1)) {
            keyTime = slowAnswerMs;
            ++figures.confirmations;
        }
        if (keyTime == slowAnswerMs)
            ++figures.slowKeys;

        const bool answered = current.lastAnswerByteMs != previous.lastAnswerByteMs
                && current.lastAnswerByteMs >= previous.receivedMs;
        double answerBytes = 0;
        for (int answeredKey = stepStart; answeredKey < key; ++answeredKey)
            answerBytes += drawnBytes(contexts.at(answeredKey + 1));
        const double firstByteMs = current.lastAnswerByteMs - answerBytes * byteTimeMs;
        const bool inTime = answered && firstByteMs <= previous.receivedMs + keyTime;

        double requiredCompletion = previous.receivedMs + keyTime;
        if (!inTime) {
            requiredCompletion += extraWaitMs;
            ++figures.extraWaits;
        }
        if (answered)
            requiredCompletion =
                    qMax(requiredCompletion, double(current.lastAnswerByteMs + quietGapMs));

        const double anchor =
                answered ? double(current.lastAnswerByteMs) : double(previous.receivedMs);
        const double measured = current.receivedMs - anchor;
        const double required = requiredCompletion - anchor;
        figures.measuredMs += measured;
        figures.requiredMs += required;
        figures.largestExcessMs = qMax(figures.largestExcessMs, measured - required);
        figures.largestShortfallMs = qMax(figures.largestShortfallMs, required - measured);
        // Both clocks count whole milliseconds.
        if (required - measured > 2) {
            ++figures.shortGaps;
            if (keyTime == slowAnswerMs)
                ++figures.shortAfterSlowKeys;
        }
        ++figures.gaps;
        stepStart = key;
    }
    return figures;
}

// Runs the event loop until `done` holds after a change of the robot's mode.
bool runRobotUntil(LumBot &bot, const std::function<bool()> &done)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&bot, &LumBot::enabledChanged, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&bot, &LumBot::transmissionError, &loop, &QEventLoop::quit);
    timeout.start(jobTimeoutMs);
    loop.exec();
    return done();
}

bool isTransferableType(const QString &type)
{
    return type == QLatin1String("selection") || type == QLatin1String("inputnum")
            || type == QLatin1String("inputtime_hhmm");
}

QString changedValue(const ConfItem *item, int serial)
{
    const QString type = item->type();
    if (type == QLatin1String("selection")) {
        const QStringList options = item->options();
        const int index = options.indexOf(item->value());
        return options.at((index + 1) % options.size());
    }
    if (type == QLatin1String("inputtime_hhmm"))
        return item->value() == QLatin1String("07:45") ? QStringLiteral("06:15")
                                                       : QStringLiteral("07:45");
    const QString number = QStringLiteral("4%1").arg(serial, 3, 10, QLatin1Char('0'));
    return item->value() == number ? number + QLatin1Char('1') : number;
}

// Marks `count` settings in menu order, each with a new value.
QList<ConfItem *> planTransfer(DeviceProfile &profile, int count)
{
    QList<ConfItem *> planned;
    for (ConfItem *item : profile.items()) {
        if (planned.size() == count)
            break;
        // The SIM code is asked for only when the device wants it.
        if (!item->editable() || !isTransferableType(item->type())
            || item->menuName().contains(QLatin1String("SIM")))
            continue;
        item->setValue(changedValue(item, planned.size()));
        item->setActive(true);
        planned.append(item);
    }
    return planned;
}

struct RunResult
{
    bool ok = false;
    QString error;
    PaceFigures readOut;
    PaceFigures transfer;
    double readOutMs = 0;
    int readOutScreens = 0;
    double transferMs = 0;
    int transferScreens = 0;
    int transferred = 0;
};

RunResult runOnce()
{
    RunResult result;
    QVector<KeyContext> contexts; // outlives the device that fills it
    ThreadedDevice device;
    recordContexts(device, &contexts);
    if (!device.start(QStringLiteral(LUM_DEMO_MENU), &result.error))
        return result;

    KelHandler link;
    DeviceProfile profile;
    LumBot bot;
    bot.setKelHandler(&link);
    bot.setProfile(&profile);
    if (!link.openSerialPortByName(device.portPath())) {
        result.error =
                QStringLiteral("cannot open %1: %2").arg(device.portPath(), link.lastErrorString());
        return result;
    }
    int screens = 0;
    QObject::connect(&link, &KelHandler::displayCompleted, &link, [&screens] { ++screens; });
    const auto idle = [&bot] { return bot.mode() == LumBot::Idle; };

    clearRecords(device, &contexts);
    QElapsedTimer clock;
    clock.start();
    bot.startDownload();
    if (!runRobotUntil(bot, idle) || !bot.lastErrorString().isEmpty()
        || profile.items().size() < 2) {
        result.error = QStringLiteral("read-out failed: %1").arg(bot.lastErrorString());
        return result;
    }
    result.readOutMs = clock.elapsed();
    result.readOutScreens = screens;
    result.readOut = analyseGaps(device.records(), recordedContexts(device, &contexts));

    const QList<ConfItem *> planned = planTransfer(profile, settingsToTransfer);
    result.transferred = planned.size();
    // A transfer ends with the device identified anew from its base menu.
    bool identifiedAgain = false;
    QObject::connect(&bot, &LumBot::enabledChanged, &bot, [&] {
        if (bot.mode() == LumBot::Init)
            identifiedAgain = true;
    });
    screens = 0;
    clearRecords(device, &contexts);
    clock.restart();
    bot.startUpload();
    identifiedAgain = false; // the start itself passes through the same mode
    if (!runRobotUntil(bot, [&] { return idle() && identifiedAgain; })
        || !bot.lastErrorString().isEmpty()) {
        result.error =
                QStringLiteral("transfer failed (mode %1, identified again: %2, %3 settings): %4")
                        .arg(int(bot.mode()))
                        .arg(identifiedAgain)
                        .arg(planned.size())
                        .arg(bot.lastErrorString());
        return result;
    }
    result.transferMs = clock.elapsed();
    result.transferScreens = screens;
    result.transfer = analyseGaps(device.records(), recordedContexts(device, &contexts));
    for (const ConfItem *item : planned) {
        if (device.value(item->menuPath()) != item->value()) {
            result.error = QStringLiteral("the device did not take %1")
                                   .arg(item->menuPath().join(QLatin1Char('/')));
            return result;
        }
    }

    bot.abort();
    link.closeSerialPort();
    result.ok = true;
    return result;
}

QString describe(const PaceFigures &figures)
{
    return QStringLiteral(
                   "measured %1 / required %2 over %3 gaps (per gap at most %4 over, %5 under; "
                   "%6 gaps more than 2 ms short, %7 of them after 500 ms keys); "
                   "500 ms keys: %8 (base menu %9, confirmations %10); extra waits: %11")
            .arg(BenchReport::ms(figures.measuredMs), BenchReport::ms(figures.requiredMs))
            .arg(figures.gaps)
            .arg(BenchReport::ms(figures.largestExcessMs),
                 BenchReport::ms(figures.largestShortfallMs))
            .arg(figures.shortGaps)
            .arg(figures.shortAfterSlowKeys)
            .arg(figures.slowKeys)
            .arg(figures.baseMenuKeys)
            .arg(figures.confirmations)
            .arg(figures.extraWaits);
}

int medianIndex(const QVector<RunResult> &runs, double (*key)(const RunResult &))
{
    QVector<int> order(runs.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return key(runs.at(a)) < key(runs.at(b)); });
    return order.at(order.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(BenchReport::dropDebugMessages);
    const int runCount = BenchReport::runCount(app.arguments(), 5);

    BenchReport::say(QStringLiteral("Robot pace: %1 runs of a full read-out of the demo menu and a "
                                    "transfer of %2 settings, device paced at 9600 baud")
                             .arg(runCount)
                             .arg(settingsToTransfer));
    QVector<RunResult> runs;
    for (int run = 1; run <= runCount; ++run) {
        const RunResult result = runOnce();
        if (!result.ok) {
            BenchReport::say(QStringLiteral("run %1 failed: %2").arg(run).arg(result.error));
            BenchReport::failed(QStringLiteral("Robot pace (measured / required gaps)"),
                                QStringLiteral("<= 1.05"),
                                QStringLiteral("run failed: ") + result.error);
            return 1;
        }
        BenchReport::say(QStringLiteral("run %1: read-out %2 (%3 screens), ratio %4; transfer of "
                                        "%5 settings %6 (%7 screens), ratio %8")
                                 .arg(run)
                                 .arg(BenchReport::ms(result.readOutMs))
                                 .arg(result.readOutScreens)
                                 .arg(result.readOut.ratio(), 0, 'f', 3)
                                 .arg(result.transferred)
                                 .arg(BenchReport::ms(result.transferMs))
                                 .arg(result.transferScreens)
                                 .arg(result.transfer.ratio(), 0, 'f', 3));
        BenchReport::say(QStringLiteral("  read-out: ") + describe(result.readOut));
        BenchReport::say(QStringLiteral("  transfer: ") + describe(result.transfer));
        runs.append(result);
    }

    const RunResult &readOut =
            runs.at(medianIndex(runs, [](const RunResult &r) { return r.readOut.ratio(); }));
    const RunResult &transfer =
            runs.at(medianIndex(runs, [](const RunResult &r) { return r.transfer.ratio(); }));
    bool met = BenchReport::figure(
            QStringLiteral("Robot pace, read-out (measured / required gaps)"),
            readOut.readOut.ratio(), BenchReport::Goal::AtMost, 1.05,
            QStringLiteral("median of %1 runs: %2").arg(runCount).arg(describe(readOut.readOut)),
            3);
    met &= BenchReport::figure(
            QStringLiteral("Robot pace, transfer of %1 settings (measured / required gaps)")
                    .arg(transfer.transferred),
            transfer.transfer.ratio(), BenchReport::Goal::AtMost, 1.05,
            QStringLiteral("median of %1 runs: %2").arg(runCount).arg(describe(transfer.transfer)),
            3);
    QVector<double> readOutTimes;
    for (const RunResult &run : runs)
        readOutTimes.append(run.readOutMs);
    BenchReport::info(QStringLiteral("Whole read-out of the demo menu"),
                      QStringLiteral("%1 (median), %2 screens")
                              .arg(BenchReport::ms(BenchReport::median(readOutTimes)))
                              .arg(readOut.readOutScreens));
    BenchReport::info(QStringLiteral("Whole transfer of %1 settings").arg(transfer.transferred),
                      QStringLiteral("%1, %2 screens")
                              .arg(BenchReport::ms(transfer.transferMs))
                              .arg(transfer.transferScreens));
    return met ? 0 : 2;
}
