#ifndef ROBOTHARNESS_H
#define ROBOTHARNESS_H

#include <QEventLoop>
#include <QObject>
#include <QSignalSpy>
#include <QTimer>

#include "devicesimulator.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"

// A robot wired to a simulated device as the window wires it to a real one:
// the simulator's pseudo-terminal is opened through the terminal link, the
// robot listens to the link and writes into its own profile.
class RobotHarness : public QObject
{
    Q_OBJECT

public:
    explicit RobotHarness(QObject *parent = nullptr);
    ~RobotHarness() override;

    DeviceSimulator &device() { return m_device; }
    KelHandler &link() { return m_link; }
    DeviceProfile &profile() { return m_profile; }
    LumBot &bot() { return m_bot; }

    // Loads the menu into the simulator, starts it and opens its port through
    // the link. On failure the reason is in `error`.
    bool startWithMenuFile(const QString &path, QString *error)
    {
        return m_device.loadMenuFile(path, error) && startDevice(error);
    }
    bool startWithMenuText(const QString &text, QString *error)
    {
        return m_device.loadMenuText(text, error) && startDevice(error);
    }

    // Loads the oracle's read-out of the device's menu, nothing marked, as
    // if the robot had read it out; false on failure.
    bool loadReadOut();

    bool isIdle() const { return m_bot.mode() == LumBot::Idle; }
    // Lets the event loop run until the robot is idle, looked at once each
    // change of its state has been handled (the end of a transfer starts a
    // new identification); false when a change takes longer than `timeoutMs`.
    static bool waitUntilIdle(LumBot &bot, int timeoutMs)
    {
        QSignalSpy enabled(&bot, &LumBot::enabledChanged);
        while (bot.mode() != LumBot::Idle)
            if (!enabled.wait(timeoutMs))
                return false;
        return true;
    }
    bool waitUntilIdle(int timeoutMs) { return waitUntilIdle(m_bot, timeoutMs); }

    // Runs the event loop until `done()` holds, checked whenever `sender`
    // emits `signal`; false when `timeoutMs` passes first.
    template<typename Sender, typename Signal, typename Done>
    static bool waitFor(const Sender *sender, Signal signal, Done done, int timeoutMs)
    {
        if (done())
            return true;
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        QObject::connect(sender, signal, &loop, [&] {
            if (done())
                loop.quit();
        });
        loop.exec();
        return done();
    }

    // Whether the simulated device shows its base menu ("Programmierung
    // beenden?", the entry ESC no longer leaves) with no field open.
    static bool atBaseMenu(const DeviceSimulator &device);
    bool deviceAtBaseMenu() const { return atBaseMenu(m_device); }
    // Every entry and value of the simulated device as it stands now, one
    // line each; equal before and after a job that changed nothing.
    static QString deviceState(const DeviceSimulator &device);
    QString deviceState() const { return deviceState(m_device); }

    // The profile's item whose menu path is `path`, or nullptr.
    ConfItem *item(const QStringList &path) const;

    // Generous limits: the link waits 50 ms after every screen, sanitizer
    // builds are several times slower.
    // About 60 ms a screen in a plain build; leave room for a slow machine
    // and the sanitizers.
    static int readOutTimeoutMs(int expectedScreens = 2000)
    {
        return qMax(60000, expectedScreens * 400);
    }

private:
    bool startDevice(QString *error);

    DeviceSimulator m_device;
    KelHandler m_link;
    DeviceProfile m_profile;
    LumBot m_bot;
};

#endif // ROBOTHARNESS_H
